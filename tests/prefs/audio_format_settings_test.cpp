#include <gtest/gtest.h>

#include "prefs/audio_format_settings.h"
#include "settings_store_fixture.h"

namespace {

WaveFormat Format(uint16_t tag, uint16_t channels, uint32_t rate, uint32_t avg, uint16_t align,
                  uint16_t bits, const QByteArray& extra = {}) {
    WaveFormat f;
    f.formatTag = tag;
    f.channels = channels;
    f.samplesPerSec = rate;
    f.avgBytesPerSec = avg;
    f.blockAlign = align;
    f.bitsPerSample = bits;
    f.extra = extra;
    return f;
}

// Every value away from its default.
AudioFormatSettings Changed() {
    AudioFormatSettings s;
    s.stereo = s.sixteenBit = s.mp3Stereo = true;
    s.mp3EnableTag = s.vorStereo = false;
    s.sampleRate = 22050;
    s.mp3SampleRate = 44100;
    s.vorSampleRate = 32000;
    s.vorBitRate = 128000;
    s.acmDriver = "IMA ADPCM";
    s.acmFormat = "22,050 kHz, 4 Bit, Stereo";
    s.mp3AcmDriver = "MPEG Layer-3";
    s.mp3AcmFormat = "128 kBit/s, 44,100 Hz, Stereo";
    s.acmFormatTag = 17;
    s.waveFormat = Format(17, 2, 22050, 22201, 2048, 4, QByteArray::fromHex("f907"));
    s.mp3Format = Format(85, 2, 44100, 16000, 1, 0, QByteArray::fromHex("0100020000000a02"));
    s.defaultAudioFormat = kFormatVorbis;
    return s;
}

// A format record whose header announces extraSize bytes, holding `present`.
QByteArray FormatRecord(uint16_t tag, int extraSize, int present) {
    QByteArray data = Format(tag, 1, 8000, 8000, 1, 8, QByteArray(extraSize, 'x')).Serialize();
    data.truncate(WaveFormat::kHeaderSize + present);
    return data;
}

class AudioFormatSettingsTest : public SettingsStoreTest {
  protected:
    AudioFormatSettings LoadAll(AudioFormatSettings s = Changed()) {
        const SettingsKey& key = Reader();
        s.LoadWave(key);
        s.LoadMp3(key);
        s.LoadVorbis(key);
        return s;
    }
};

TEST_F(AudioFormatSettingsTest, FreshInstallationGivesTheDefaults) {
    const AudioFormatSettings s = LoadAll();
    // WAV: 8000 samples per second, mono, 8-bit, PCM.
    EXPECT_FALSE(s.stereo);
    EXPECT_EQ(s.sampleRate, 8000);
    EXPECT_FALSE(s.sixteenBit);
    EXPECT_EQ(s.acmDriver + s.acmFormat, "");
    EXPECT_EQ(s.acmFormatTag, 0);
    EXPECT_EQ(s.waveFormat, Format(1, 1, 8000, 8000, 1, 8));
    // MP3: 16000 mono, ID3 tags on.
    EXPECT_FALSE(s.mp3Stereo);
    EXPECT_EQ(s.mp3SampleRate, 16000);
    EXPECT_EQ(s.mp3AcmDriver + s.mp3AcmFormat, "");
    EXPECT_EQ(s.mp3Format, Format(85, 1, 16000, 4000, 1, 16));
    EXPECT_TRUE(s.mp3EnableTag);
    // Vorbis: 44100 stereo 64000; WAV is the default format.
    EXPECT_TRUE(s.vorStereo);
    EXPECT_EQ(s.vorSampleRate, 44100);
    EXPECT_EQ(s.vorBitRate, 64000);
    EXPECT_EQ(s.defaultAudioFormat, kFormatWav);
}

TEST_F(AudioFormatSettingsTest, EveryValueSurvivesARoundTrip) {
    const AudioFormatSettings saved = Changed();
    saved.SaveWave(Writer());
    saved.SaveMp3(Writer());
    saved.SaveVorbis(Writer());
    EXPECT_EQ(Writer().QueryString("SampleRate"), "22050");
    EXPECT_EQ(Writer().QueryByte("Resolution"), 1);
    EXPECT_EQ(Writer().QueryString("Mp3AvgBytesPerSec"), "16000");
    EXPECT_EQ(Writer().QueryBinary("WaveFormat")->size(), 20);
    EXPECT_EQ(LoadAll(AudioFormatSettings()), saved);
}

TEST_F(AudioFormatSettingsTest, DefaultFormatIsWrittenByMp3AndReadByMp3AndVorbis) {
    AudioFormatSettings saved;
    saved.defaultAudioFormat = kFormatMp3;
    saved.SaveWave(Writer());
    saved.SaveVorbis(Writer());
    EXPECT_FALSE(Writer().Contains("DefaultAudioFormat"));
    saved.SaveMp3(Writer());

    const SettingsKey& key = Reader();
    AudioFormatSettings wave, mp3, vorbis;
    wave.LoadWave(key);
    mp3.LoadMp3(key);
    vorbis.LoadVorbis(key);
    EXPECT_EQ(wave.defaultAudioFormat, kFormatWav);
    EXPECT_EQ(mp3.defaultAudioFormat, kFormatMp3);
    EXPECT_EQ(vorbis.defaultAudioFormat, kFormatMp3);
}

TEST_F(AudioFormatSettingsTest, DamagedValuesLoadAsDefaults) {
    SettingsKey& w = Writer();
    w.SetString("Stereo", "1");  // typed by hand: text, not binary
    w.SetString("SampleRate", "fast");
    w.SetBinary("Resolution", QByteArray(2, '\1'));
    w.SetBinary("ACMDriver", "binary");
    w.SetString("ACMFormatTag", "85");
    w.SetBinary("WaveFormat", QByteArray(10, '\1'));    // shorter than a header
    w.SetBinary("Mp3Format", FormatRecord(85, 12, 4));  // extra bytes missing
    w.SetString("Mp3SampleRate", "0");
    w.SetInt32("DefaultAudioFormat", 1);
    w.SetString("Mp3EnableTag", "0");
    w.SetString("VorSampleRate", "200000");
    w.SetString("VorBitRate", "-64000");
    w.SetBinary("VorStereo", QByteArray());
    EXPECT_EQ(LoadAll(), AudioFormatSettings());
}

TEST_F(AudioFormatSettingsTest, FormatRecordsAreReadUpToTheBufferSize) {
    const int fullExtra = AudioFormatSettings::kFormatBufferSize - WaveFormat::kHeaderSize;
    Writer().SetBinary("WaveFormat", FormatRecord(2, fullExtra, fullExtra));
    Writer().SetBinary("Mp3Format", FormatRecord(85, fullExtra + 1, fullExtra + 1));
    const AudioFormatSettings s = LoadAll();
    EXPECT_EQ(s.waveFormat.formatTag, 2);
    EXPECT_EQ(s.waveFormat.extra.size(), fullExtra);
    EXPECT_EQ(s.mp3Format, AudioFormatSettings().mp3Format);  // one byte too many
}

TEST(RecordingExtensionTest, FollowsTheDefaultFormatWithWavForUnknownValues) {
    EXPECT_EQ(RecordingExtension(kFormatWav), "wav");
    EXPECT_EQ(RecordingExtension(kFormatMp3), "mp3");
    EXPECT_EQ(RecordingExtension(kFormatVorbis), "ogg");
    EXPECT_EQ(RecordingExtension(3), "wav");
    EXPECT_EQ(RecordingExtension(-1), "wav");
}

}  // namespace
