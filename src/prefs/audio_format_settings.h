#pragma once

#include <QString>

#include "platform/wave_format.h"

class SettingsKey;

// The default recording format as stored in "DefaultAudioFormat".
enum DefaultAudioFormat : int {
    kFormatWav = 0,
    kFormatMp3 = 1,
    kFormatVorbis = 2,
};

// File extension of recordings in a default format: "mp3", "ogg", and "wav"
// for WAV and any other value.
QString RecordingExtension(int defaultAudioFormat);

// How new recordings are encoded: the WAV, MP3 and Vorbis groups and the
// default format. Sample and bit rates are kept as numbers and stored as
// decimal text.
struct AudioFormatSettings {
    // Stored format records are read up to this many bytes.
    static constexpr int kFormatBufferSize = 2000;
    // Sample rates the format pages accept; stored rates outside count as
    // missing.
    static constexpr int kMinSampleRate = 1;
    static constexpr int kMaxSampleRate = 100000;

    // PCM, mono, 8000 samples per second, 8 bits.
    static WaveFormat DefaultWaveFormat();
    // MPEG Layer-3, mono, 16000 samples per second, 4000 bytes per second.
    static WaveFormat DefaultMp3Format();

    // WAV
    bool stereo = false;
    int sampleRate = 8000;
    bool sixteenBit = false;  // "Resolution"
    QString acmDriver;        // reference only
    QString acmFormat;        // reference only
    quint8 acmFormatTag = 0;  // low 8 bits of the chosen format's tag
    WaveFormat waveFormat = DefaultWaveFormat();

    // MP3
    bool mp3Stereo = false;
    int mp3SampleRate = 16000;
    QString mp3AcmDriver;  // reference only
    QString mp3AcmFormat;  // reference only
    WaveFormat mp3Format = DefaultMp3Format();
    bool mp3EnableTag = true;

    // Vorbis
    bool vorStereo = true;
    int vorSampleRate = 44100;
    int vorBitRate = 64000;  // bits per second

    int defaultAudioFormat = kFormatWav;

    // Each loader replaces every value of its group; a missing or unreadable
    // value gives its default. "DefaultAudioFormat" is read by the MP3 and
    // the Vorbis loader.
    void LoadWave(const SettingsKey& key);
    void LoadMp3(const SettingsKey& key);
    void LoadVorbis(const SettingsKey& key);

    // "DefaultAudioFormat" is written by the MP3 saver.
    void SaveWave(SettingsKey& key) const;
    void SaveMp3(SettingsKey& key) const;
    void SaveVorbis(SettingsKey& key) const;

    bool operator==(const AudioFormatSettings&) const = default;
};
