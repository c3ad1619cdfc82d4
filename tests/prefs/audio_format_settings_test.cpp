#include <gtest/gtest.h>

#include "prefs/audio_format_settings.h"
#include "settings_store_fixture.h"

namespace {

class AudioFormatSettingsTest : public SettingsStoreTest {
  protected:
    AudioFormatSettings LoadAll() {
        const SettingsKey& key = Reader();
        AudioFormatSettings settings;
        settings.LoadWave(key);
        settings.LoadMp3(key);
        settings.LoadVorbis(key);
        return settings;
    }

    void SaveAll(const AudioFormatSettings& settings) {
        settings.SaveWave(Writer());
        settings.SaveMp3(Writer());
        settings.SaveVorbis(Writer());
    }
};

// A format record with a header that announces the given extra size and
// holds `present` extra bytes.
QByteArray FormatRecord(uint16_t tag, int extraSize, int present) {
    WaveFormat format;
    format.formatTag = tag;
    format.extra = QByteArray(extraSize, '\x5a');
    QByteArray data = format.Serialize();
    data.truncate(WaveFormat::kHeaderSize + present);
    return data;
}

TEST_F(AudioFormatSettingsTest, FreshInstallationGivesTheDefaults) {
    const AudioFormatSettings s = LoadAll();

    EXPECT_FALSE(s.stereo);
    EXPECT_EQ(s.sampleRate, 8000);
    EXPECT_FALSE(s.sixteenBit);
    EXPECT_EQ(s.acmDriver, "");
    EXPECT_EQ(s.acmFormat, "");
    EXPECT_EQ(s.acmFormatTag, 0);
    EXPECT_EQ(s.waveFormat.formatTag, WaveFormat::kTagPcm);
    EXPECT_EQ(s.waveFormat.channels, 1);
    EXPECT_EQ(s.waveFormat.samplesPerSec, 8000u);
    EXPECT_EQ(s.waveFormat.avgBytesPerSec, 8000u);
    EXPECT_EQ(s.waveFormat.blockAlign, 1);
    EXPECT_EQ(s.waveFormat.bitsPerSample, 8);
    EXPECT_TRUE(s.waveFormat.extra.isEmpty());

    EXPECT_FALSE(s.mp3Stereo);
    EXPECT_EQ(s.mp3SampleRate, 16000);
    EXPECT_EQ(s.mp3AcmDriver, "");
    EXPECT_EQ(s.mp3AcmFormat, "");
    EXPECT_EQ(s.mp3Format.formatTag, WaveFormat::kTagMpegLayer3);
    EXPECT_EQ(s.mp3Format.channels, 1);
    EXPECT_EQ(s.mp3Format.samplesPerSec, 16000u);
    EXPECT_EQ(s.mp3Format.avgBytesPerSec, 4000u);
    EXPECT_EQ(s.mp3Format.blockAlign, 1);
    EXPECT_EQ(s.mp3Format.bitsPerSample, 16);
    EXPECT_TRUE(s.mp3Format.extra.isEmpty());
    EXPECT_TRUE(s.mp3EnableTag);

    EXPECT_TRUE(s.vorStereo);
    EXPECT_EQ(s.vorSampleRate, 44100);
    EXPECT_EQ(s.vorBitRate, 64000);

    EXPECT_EQ(s.defaultAudioFormat, kFormatWav);
}

TEST_F(AudioFormatSettingsTest, EveryValueSurvivesARoundTrip) {
    AudioFormatSettings saved;
    saved.stereo = true;
    saved.sampleRate = 22050;
    saved.sixteenBit = true;
    saved.acmDriver = "IMA ADPCM";
    saved.acmFormat = "22,050 kHz, 4 Bit, Stereo";
    saved.acmFormatTag = 17;
    saved.waveFormat = WaveFormat::Pcm(2, 22050, 4);
    saved.waveFormat.formatTag = 17;
    saved.waveFormat.extra = QByteArray::fromHex("f903");
    saved.mp3Stereo = true;
    saved.mp3SampleRate = 44100;
    saved.mp3AcmDriver = "MPEG Layer-3";
    saved.mp3AcmFormat = "128 kBit/s, 44,100 Hz, Stereo";
    saved.mp3Format.formatTag = WaveFormat::kTagMpegLayer3;
    saved.mp3Format.channels = 2;
    saved.mp3Format.samplesPerSec = 44100;
    saved.mp3Format.avgBytesPerSec = 16000;
    saved.mp3Format.extra = QByteArray::fromHex("0100020000000a020100710500");
    saved.mp3EnableTag = false;
    saved.vorStereo = false;
    saved.vorSampleRate = 32000;
    saved.vorBitRate = 128000;
    saved.defaultAudioFormat = kFormatVorbis;
    SaveAll(saved);
    // Stored kinds: rates as decimal text, flags as one byte, formats binary.
    EXPECT_EQ(Writer().QueryString("SampleRate"), "22050");
    EXPECT_EQ(Writer().QueryByte("Resolution"), 1);
    EXPECT_EQ(Writer().QueryString("Mp3AvgBytesPerSec"), "16000");
    EXPECT_EQ(Writer().QueryString("VorBitRate"), "128000");
    EXPECT_EQ(Writer().QueryBinary("WaveFormat")->size(), 20);

    const AudioFormatSettings s = LoadAll();
    EXPECT_TRUE(s.stereo);
    EXPECT_EQ(s.sampleRate, 22050);
    EXPECT_TRUE(s.sixteenBit);
    EXPECT_EQ(s.acmDriver, saved.acmDriver);
    EXPECT_EQ(s.acmFormat, saved.acmFormat);
    EXPECT_EQ(s.acmFormatTag, 17);
    EXPECT_EQ(s.waveFormat, saved.waveFormat);
    EXPECT_TRUE(s.mp3Stereo);
    EXPECT_EQ(s.mp3SampleRate, 44100);
    EXPECT_EQ(s.mp3AcmDriver, saved.mp3AcmDriver);
    EXPECT_EQ(s.mp3AcmFormat, saved.mp3AcmFormat);
    EXPECT_EQ(s.mp3Format, saved.mp3Format);
    EXPECT_FALSE(s.mp3EnableTag);
    EXPECT_FALSE(s.vorStereo);
    EXPECT_EQ(s.vorSampleRate, 32000);
    EXPECT_EQ(s.vorBitRate, 128000);
    EXPECT_EQ(s.defaultAudioFormat, kFormatVorbis);
}

TEST_F(AudioFormatSettingsTest, DefaultFormatIsWrittenByMp3AndReadByMp3AndVorbis) {
    AudioFormatSettings saved;
    saved.defaultAudioFormat = kFormatMp3;
    saved.SaveWave(Writer());
    saved.SaveVorbis(Writer());
    EXPECT_FALSE(Writer().Contains("DefaultAudioFormat"));
    saved.SaveMp3(Writer());
    EXPECT_EQ(Writer().QueryByte("DefaultAudioFormat"), kFormatMp3);

    const SettingsKey& key = Reader();
    AudioFormatSettings s;
    s.LoadWave(key);
    EXPECT_EQ(s.defaultAudioFormat, kFormatWav);
    s.LoadMp3(key);
    EXPECT_EQ(s.defaultAudioFormat, kFormatMp3);
    AudioFormatSettings vorbisOnly;
    vorbisOnly.LoadVorbis(key);
    EXPECT_EQ(vorbisOnly.defaultAudioFormat, kFormatMp3);
}

TEST_F(AudioFormatSettingsTest, DamagedValuesLoadAsDefaults) {
    SettingsKey& w = Writer();
    w.SetString("Stereo", "1");                      // typed by hand: text, not binary
    w.SetString("SampleRate", "fast");               // no number
    w.SetBinary("Resolution", QByteArray(2, '\1'));  // not one byte
    w.SetBinary("ACMDriver", "binary");              // binary where text belongs
    w.SetString("ACMFormatTag", "85");
    w.SetBinary("WaveFormat", QByteArray(10, '\1'));    // shorter than a header
    w.SetString("Mp3SampleRate", "0");                  // no usable rate
    w.SetBinary("Mp3Format", FormatRecord(85, 12, 4));  // extra bytes missing
    w.SetInt32("DefaultAudioFormat", 1);                // four bytes
    w.SetString("Mp3EnableTag", "0");
    w.SetString("VorSampleRate", "200000");
    w.SetString("VorBitRate", "-64000");
    w.SetBinary("VorStereo", QByteArray());

    const AudioFormatSettings s = LoadAll();
    const AudioFormatSettings d;
    EXPECT_EQ(s.stereo, d.stereo);
    EXPECT_EQ(s.sampleRate, 8000);
    EXPECT_EQ(s.sixteenBit, d.sixteenBit);
    EXPECT_EQ(s.acmDriver, "");
    EXPECT_EQ(s.acmFormatTag, 0);
    EXPECT_EQ(s.waveFormat, AudioFormatSettings::DefaultWaveFormat());
    EXPECT_EQ(s.mp3SampleRate, 16000);
    EXPECT_EQ(s.mp3Format, AudioFormatSettings::DefaultMp3Format());
    EXPECT_EQ(s.defaultAudioFormat, kFormatWav);
    EXPECT_TRUE(s.mp3EnableTag);
    EXPECT_EQ(s.vorSampleRate, 44100);
    EXPECT_EQ(s.vorBitRate, 64000);
    EXPECT_TRUE(s.vorStereo);
}

TEST_F(AudioFormatSettingsTest, LoadingReplacesEarlierValues) {
    AudioFormatSettings s;
    s.sampleRate = 44100;
    s.waveFormat = WaveFormat::Pcm(2, 44100, 16);
    s.mp3EnableTag = false;
    s.vorBitRate = 32000;
    s.defaultAudioFormat = kFormatMp3;
    const SettingsKey& key = Reader();
    s.LoadWave(key);
    s.LoadMp3(key);
    s.LoadVorbis(key);
    EXPECT_EQ(s.sampleRate, 8000);
    EXPECT_EQ(s.waveFormat, AudioFormatSettings::DefaultWaveFormat());
    EXPECT_TRUE(s.mp3EnableTag);
    EXPECT_EQ(s.vorBitRate, 64000);
    EXPECT_EQ(s.defaultAudioFormat, kFormatWav);
}

TEST_F(AudioFormatSettingsTest, FormatRecordsAreReadUpToTheBufferSize) {
    const int fullExtra = AudioFormatSettings::kFormatBufferSize - WaveFormat::kHeaderSize;
    SettingsKey& w = Writer();
    // Exactly the buffer: accepted.
    w.SetBinary("WaveFormat", FormatRecord(2, fullExtra, fullExtra));
    // One byte more than the buffer, although complete: refused.
    w.SetBinary("Mp3Format", FormatRecord(85, fullExtra + 1, fullExtra + 1));
    const AudioFormatSettings s = LoadAll();
    EXPECT_EQ(s.waveFormat.formatTag, 2);
    EXPECT_EQ(s.waveFormat.extra.size(), fullExtra);
    EXPECT_EQ(s.mp3Format, AudioFormatSettings::DefaultMp3Format());
}

TEST_F(AudioFormatSettingsTest, BytesBehindARecordAreIgnored) {
    QByteArray data = FormatRecord(85, 2, 2);
    data.append("trailing");
    Writer().SetBinary("Mp3Format", data);
    const AudioFormatSettings s = LoadAll();
    EXPECT_EQ(s.mp3Format.formatTag, 85);
    EXPECT_EQ(s.mp3Format.extra, QByteArray(2, '\x5a'));
}

TEST(RecordingExtensionTest, FollowsTheDefaultFormatWithWavForUnknownValues) {
    EXPECT_EQ(RecordingExtension(kFormatWav), "wav");
    EXPECT_EQ(RecordingExtension(kFormatMp3), "mp3");
    EXPECT_EQ(RecordingExtension(kFormatVorbis), "ogg");
    EXPECT_EQ(RecordingExtension(3), "wav");
    EXPECT_EQ(RecordingExtension(255), "wav");
    EXPECT_EQ(RecordingExtension(-1), "wav");
}

}  // namespace
