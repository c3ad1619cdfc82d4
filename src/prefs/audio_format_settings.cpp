#include "prefs/audio_format_settings.h"

#include <optional>

#include "platform/settings_hive.h"
#include "prefs/settings_values.h"

namespace {

using settings_values::ReadFlag;
using settings_values::ReadText;

void ReadSampleRate(const SettingsKey& key, const char* name, int& value) {
    const auto text = key.QueryString(name);
    if (!text) {
        return;
    }
    const auto rate = settings_values::ParseInt(*text);
    if (rate && *rate >= AudioFormatSettings::kMinSampleRate &&
        *rate <= AudioFormatSettings::kMaxSampleRate) {
        value = *rate;
    }
}

// A stored record counts only when it holds its 18 + extra size bytes and
// fits the format buffer.
void ReadFormat(const SettingsKey& key, const char* name, WaveFormat& value) {
    const auto data = key.QueryBinary(name);
    if (!data || data->size() > AudioFormatSettings::kFormatBufferSize) {
        return;
    }
    if (const auto format = WaveFormat::Parse(*data)) {
        value = *format;
    }
}

void ReadDefaultFormat(const SettingsKey& key, int& value) {
    if (const auto byte = key.QueryByte("DefaultAudioFormat")) {
        value = *byte;
    }
}

QString Decimal(int value) {
    return QString::number(value);
}

}  // namespace

QString RecordingExtension(int defaultAudioFormat) {
    switch (defaultAudioFormat) {
        case kFormatMp3:
            return QStringLiteral("mp3");
        case kFormatVorbis:
            return QStringLiteral("ogg");
        default:
            return QStringLiteral("wav");
    }
}

WaveFormat AudioFormatSettings::DefaultWaveFormat() {
    return WaveFormat::Pcm(1, 8000, 8);
}

WaveFormat AudioFormatSettings::DefaultMp3Format() {
    WaveFormat format;
    format.formatTag = WaveFormat::kTagMpegLayer3;
    format.channels = 1;
    format.samplesPerSec = 16000;
    format.avgBytesPerSec = 4000;
    format.blockAlign = 1;
    format.bitsPerSample = 16;
    return format;
}

void AudioFormatSettings::LoadWave(const SettingsKey& key) {
    ReadFlag(key, "Stereo", stereo);
    ReadSampleRate(key, "SampleRate", sampleRate);
    ReadFlag(key, "Resolution", sixteenBit);
    ReadText(key, "ACMDriver", acmDriver);
    ReadText(key, "ACMFormat", acmFormat);
    if (const auto tag = key.QueryByte("ACMFormatTag")) {
        acmFormatTag = *tag;
    }
    ReadFormat(key, "WaveFormat", waveFormat);
}

void AudioFormatSettings::LoadMp3(const SettingsKey& key) {
    ReadFlag(key, "Mp3Stereo", mp3Stereo);
    ReadSampleRate(key, "Mp3SampleRate", mp3SampleRate);
    ReadText(key, "Mp3ACMDriver", mp3AcmDriver);
    ReadText(key, "Mp3ACMFormat", mp3AcmFormat);
    ReadFormat(key, "Mp3Format", mp3Format);
    ReadDefaultFormat(key, defaultAudioFormat);
    ReadFlag(key, "Mp3EnableTag", mp3EnableTag);
}

void AudioFormatSettings::LoadVorbis(const SettingsKey& key) {
    ReadFlag(key, "VorStereo", vorStereo);
    ReadSampleRate(key, "VorSampleRate", vorSampleRate);
    if (const auto text = key.QueryString("VorBitRate")) {
        const auto rate = settings_values::ParseInt(*text);
        if (rate && *rate > 0) {
            vorBitRate = *rate;
        }
    }
    ReadDefaultFormat(key, defaultAudioFormat);
}

void AudioFormatSettings::SaveWave(SettingsKey& key) const {
    key.SetByte("Stereo", stereo ? 1 : 0);
    key.SetString("SampleRate", Decimal(sampleRate));
    key.SetByte("Resolution", sixteenBit ? 1 : 0);
    key.SetString("ACMDriver", acmDriver);
    key.SetString("ACMFormat", acmFormat);
    key.SetByte("ACMFormatTag", acmFormatTag);
    key.SetBinary("WaveFormat", waveFormat.Serialize());
}

void AudioFormatSettings::SaveMp3(SettingsKey& key) const {
    key.SetByte("Mp3Stereo", mp3Stereo ? 1 : 0);
    key.SetString("Mp3SampleRate", Decimal(mp3SampleRate));
    key.SetString("Mp3ACMDriver", mp3AcmDriver);
    key.SetString("Mp3ACMFormat", mp3AcmFormat);
    key.SetString("Mp3AvgBytesPerSec", QString::number(mp3Format.avgBytesPerSec));
    key.SetBinary("Mp3Format", mp3Format.Serialize());
    key.SetByte("DefaultAudioFormat", static_cast<quint8>(defaultAudioFormat));
    key.SetByte("Mp3EnableTag", mp3EnableTag ? 1 : 0);
}

void AudioFormatSettings::SaveVorbis(SettingsKey& key) const {
    key.SetByte("VorStereo", vorStereo ? 1 : 0);
    key.SetString("VorSampleRate", Decimal(vorSampleRate));
    key.SetString("VorBitRate", Decimal(vorBitRate));
}
