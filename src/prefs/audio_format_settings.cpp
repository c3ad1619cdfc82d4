#include "prefs/audio_format_settings.h"

#include <optional>

#include "platform/settings_hive.h"
#include "prefs/settings_values.h"

namespace {

using settings_values::ReadFlag;
using settings_values::ReadText;

const AudioFormatSettings kDefaults;

// A decimal text; a rate the format pages would refuse counts as missing.
int ReadSampleRate(const SettingsKey& key, const char* name, int fallback) {
    const auto text = key.QueryString(name);
    const auto rate = text ? settings_values::ParseInt(*text) : std::nullopt;
    if (!rate || *rate < AudioFormatSettings::kMinSampleRate ||
        *rate > AudioFormatSettings::kMaxSampleRate) {
        return fallback;
    }
    return *rate;
}

// A stored record counts only when it holds its 18 + extra size bytes and
// fits the format buffer.
WaveFormat ReadFormat(const SettingsKey& key, const char* name, const WaveFormat& fallback) {
    const auto data = key.QueryBinary(name);
    if (!data || data->size() > AudioFormatSettings::kFormatBufferSize) {
        return fallback;
    }
    return WaveFormat::Parse(*data).value_or(fallback);
}

int ReadDefaultFormat(const SettingsKey& key) {
    return key.QueryByte("DefaultAudioFormat").value_or(kDefaults.defaultAudioFormat);
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
    stereo = ReadFlag(key, "Stereo", kDefaults.stereo);
    sampleRate = ReadSampleRate(key, "SampleRate", kDefaults.sampleRate);
    sixteenBit = ReadFlag(key, "Resolution", kDefaults.sixteenBit);
    acmDriver = ReadText(key, "ACMDriver", kDefaults.acmDriver);
    acmFormat = ReadText(key, "ACMFormat", kDefaults.acmFormat);
    acmFormatTag = key.QueryByte("ACMFormatTag").value_or(kDefaults.acmFormatTag);
    waveFormat = ReadFormat(key, "WaveFormat", kDefaults.waveFormat);
}

void AudioFormatSettings::LoadMp3(const SettingsKey& key) {
    mp3Stereo = ReadFlag(key, "Mp3Stereo", kDefaults.mp3Stereo);
    mp3SampleRate = ReadSampleRate(key, "Mp3SampleRate", kDefaults.mp3SampleRate);
    mp3AcmDriver = ReadText(key, "Mp3ACMDriver", kDefaults.mp3AcmDriver);
    mp3AcmFormat = ReadText(key, "Mp3ACMFormat", kDefaults.mp3AcmFormat);
    mp3Format = ReadFormat(key, "Mp3Format", kDefaults.mp3Format);
    defaultAudioFormat = ReadDefaultFormat(key);
    mp3EnableTag = ReadFlag(key, "Mp3EnableTag", kDefaults.mp3EnableTag);
}

void AudioFormatSettings::LoadVorbis(const SettingsKey& key) {
    vorStereo = ReadFlag(key, "VorStereo", kDefaults.vorStereo);
    vorSampleRate = ReadSampleRate(key, "VorSampleRate", kDefaults.vorSampleRate);
    const auto bitRateText = key.QueryString("VorBitRate");
    const auto bitRate = bitRateText ? settings_values::ParseInt(*bitRateText) : std::nullopt;
    vorBitRate = (bitRate && *bitRate > 0) ? *bitRate : kDefaults.vorBitRate;
    defaultAudioFormat = ReadDefaultFormat(key);
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
