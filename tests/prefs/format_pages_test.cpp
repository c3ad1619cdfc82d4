#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QtTest/QTest>

#include "prefs/audio_format_settings.h"
#include "prefs/set_mp3_page.h"
#include "prefs/set_vorbis_page.h"
#include "prefs/set_wave_page.h"
#include "support/message_box_recorder.h"

namespace {

WaveFormat Mp3At(uint16_t channels, uint32_t rate, int kbit) {
    WaveFormat f;
    f.formatTag = WaveFormat::kTagMpegLayer3;
    f.channels = channels;
    f.samplesPerSec = rate;
    f.avgBytesPerSec = static_cast<uint32_t>(kbit * 1000 / 8);
    f.blockAlign = 1;
    f.bitsPerSample = 0;
    f.extra = QByteArray(12, '\x01');
    return f;
}

WaveFormat AdpcmAt(uint16_t channels, uint32_t rate) {
    WaveFormat f = WaveFormat::Pcm(channels, rate, 4);
    f.formatTag = 17;
    f.avgBytesPerSec = rate * channels / 2;
    f.blockAlign = 256;
    return f;
}

// A codec manager with one ADPCM format at every rate and MP3 formats at
// 22050 only: 120 kbit/s (not an MP3 bit rate) and 128 kbit/s.
CodecCatalog FakeCatalog() {
    CodecCatalog c;
    c.maxFormatSize = [] { return 100; };
    c.enumerate = [](const WaveFormat& source) {
        std::vector<WaveFormat> formats{AdpcmAt(source.channels, source.samplesPerSec)};
        if (source.samplesPerSec == 22050) {
            formats.push_back(Mp3At(source.channels, 22050, 120));
            formats.push_back(Mp3At(source.channels, 22050, 128));
        }
        return formats;
    };
    c.tagDetails = [](uint16_t tag) {
        return std::optional<codec::FormatTagDetails>(
            {tag, tag == 85 ? "MPEG Layer-3" : "IMA ADPCM", true});
    };
    c.describe = [](const WaveFormat& f) {
        return std::to_string(f.samplesPerSec) + " Hz, " + std::to_string(f.avgBytesPerSec) +
               " bytes/s";
    };
    c.canOpen = [](const WaveFormat&, const WaveFormat&) { return true; };
    return c;
}

QString ShownByteRate(QWidget& page) {
    return page.findChild<QLabel*>("byteRate")->text();
}

void TypeSampleRate(QWidget& page, const QString& text) {
    QLineEdit* edit = page.findChild<QComboBox*>("sampleRate")->lineEdit();
    edit->selectAll();
    QTest::keyClicks(edit, text);
    QCoreApplication::processEvents();  // the posted rebuild
}

QStringList Entries(QWidget& page, const char* list) {
    QStringList texts;
    auto* box = page.findChild<QComboBox*>(list);
    for (int i = 0; i < box->count(); ++i) {
        texts << box->itemText(i);
    }
    return texts;
}

TEST(FormatPages, FreshInstallationShowsTheDefaults) {
    AudioFormatSettings formats;
    int defaultFormat = formats.defaultAudioFormat;
    TSetWave wave(formats, defaultFormat);
    EXPECT_TRUE(wave.findChild<QCheckBox*>("defaultFormat")->isChecked());
    EXPECT_EQ(wave.findChild<QComboBox*>("sampleRate")->currentText(), "8000");
    EXPECT_TRUE(wave.findChild<QRadioButton*>("mono")->isChecked());
    EXPECT_FALSE(wave.choice().sixteenBit);
    EXPECT_EQ(wave.findChild<QComboBox*>("compression")->currentText(), "No compression");
    EXPECT_EQ(ShownByteRate(wave), "0.458 MB/min");

    TSetMp3 mp3(formats, defaultFormat);
    EXPECT_FALSE(mp3.findChild<QCheckBox*>("defaultFormat")->isChecked());
    EXPECT_TRUE(mp3.findChild<QCheckBox*>("enableTag")->isChecked());
    EXPECT_EQ(mp3.findChild<QComboBox*>("sampleRate")->currentText(), "16000");
    EXPECT_TRUE(mp3.findChild<QRadioButton*>("mono")->isChecked());

    TSetVorbis vorbis(formats, defaultFormat);
    EXPECT_EQ(vorbis.findChild<QComboBox*>("sampleRate")->currentText(), "44100");
    EXPECT_TRUE(vorbis.findChild<QRadioButton*>("stereo")->isChecked());
    EXPECT_EQ(vorbis.findChild<QComboBox*>("bitRate")->currentText(), "64");
    EXPECT_EQ(ShownByteRate(vorbis), "0.458 MB/min");
}

TEST(FormatPages, WaveByteRateFollowsResolutionChannelsAndTypedRate) {
    AudioFormatSettings formats;
    int defaultFormat = 0;
    TSetWave wave(formats, defaultFormat, FakeCatalog());
    wave.findChild<QRadioButton*>("stereo")->click();
    for (QRadioButton* b : wave.findChildren<QRadioButton*>()) {
        if (b->text() == "&16-bit") {
            b->click();
        }
    }
    TypeSampleRate(wave, "44100");
    EXPECT_EQ(wave.findChild<QComboBox*>("compression")->currentText(), "No compression");
    EXPECT_EQ(ShownByteRate(wave), "10.094 MB/min");

    // The list was rebuilt for the typed rate: the codec entry is at 44100.
    const QStringList entries = Entries(wave, "compression");
    ASSERT_EQ(entries.size(), 2);
    EXPECT_TRUE(entries[0].startsWith("IMA ADPCM  44100 Hz")) << entries[0].toStdString();
    wave.findChild<QComboBox*>("compression")->setCurrentIndex(0);
    EXPECT_EQ(ShownByteRate(wave), ByteRateText(44100));
}

TEST(FormatPages, WaveConfirmStoresTheCodecEntryOrThePcmSource) {
    AudioFormatSettings formats;
    int defaultFormat = 0;
    TSetWave wave(formats, defaultFormat, FakeCatalog());
    TypeSampleRate(wave, "22050");
    wave.findChild<QComboBox*>("compression")->setCurrentText("IMA ADPCM  22050 Hz, 11025 bytes/s");
    ASSERT_TRUE(wave.Validate());
    wave.Apply();
    EXPECT_EQ(formats.sampleRate, 22050);
    EXPECT_EQ(formats.acmFormatTag, 17);
    EXPECT_EQ(formats.waveFormat, AdpcmAt(1, 22050));
    EXPECT_EQ(formats.acmDriver, "IMA ADPCM");
    EXPECT_EQ(formats.acmFormat, "22050 Hz, 11025 bytes/s");

    // Opened again, the stored format is selected; "No compression" stores PCM.
    TSetWave again(formats, defaultFormat, FakeCatalog());
    EXPECT_EQ(again.findChild<QComboBox*>("compression")->currentText(),
              "IMA ADPCM  22050 Hz, 11025 bytes/s");
    again.findChild<QComboBox*>("compression")->setCurrentText("No compression");
    again.Apply();
    EXPECT_EQ(formats.acmFormatTag, 1);
    EXPECT_TRUE(formats.acmDriver.isEmpty());
    EXPECT_EQ(formats.waveFormat, WaveFormat::Pcm(1, 22050, 8));
}

TEST(FormatPages, Mp3ListsOnlyAllowedBitRatesAndWarnsAtOtherRates) {
    AudioFormatSettings formats;
    int defaultFormat = 0;
    TSetMp3 mp3(formats, defaultFormat, FakeCatalog());
    EXPECT_EQ(Entries(mp3, "compression"),
              QStringList{"WARNING: Current sample rate not supported by codec"});
    EXPECT_EQ(ShownByteRate(mp3), "");
    mp3.Apply();
    EXPECT_EQ(formats.mp3Format, FallbackMp3Format());
    EXPECT_EQ(formats.mp3Format.avgBytesPerSec, 8000u);

    TypeSampleRate(mp3, "22050");
    const QStringList entries = Entries(mp3, "compression");
    ASSERT_EQ(entries.size(), 1) << entries.join("|").toStdString();
    EXPECT_EQ(entries[0], "MPEG Layer-3  22050 Hz, 16000 bytes/s");
    EXPECT_EQ(ShownByteRate(mp3), "0.916 MB/min");
    mp3.findChild<QCheckBox*>("enableTag")->click();
    mp3.Apply();
    EXPECT_EQ(formats.mp3Format, Mp3At(1, 22050, 128));
    EXPECT_EQ(formats.mp3SampleRate, 22050);
    EXPECT_FALSE(formats.mp3EnableTag);
    EXPECT_EQ(formats.mp3AcmDriver, "MPEG Layer-3");
}

TEST(FormatPages, Mp3ListOfTheInstalledCodecOffers128kbit) {
    const CompressionList list =
        BuildMp3CompressionList(CodecCatalog::System(), WaveFormat::Pcm(2, 44100, 16), {});
    bool found = false;
    for (const CompressionEntry& entry : list.entries) {
        ASSERT_TRUE(entry.format) << entry.label.toStdString();
        EXPECT_EQ(entry.format->formatTag, 85);
        found = found || entry.format->avgBytesPerSec == 16000;
    }
    EXPECT_TRUE(found);
}

TEST(FormatPages, VorbisBitRatesDependOnTheSampleRate) {
    const VorbisBitRateList low = BuildVorbisBitRateList(8000, "", 100000);
    EXPECT_EQ(low.entries, (QStringList{"16", "32", "48", "64", "128", "256"}));
    EXPECT_EQ(low.entries[low.selected], "32");
    const VorbisBitRateList high = BuildVorbisBitRateList(22050, "", 100000);
    EXPECT_EQ(high.entries, (QStringList{"32", "48", "64", "128", "256"}));
    EXPECT_EQ(high.entries[high.selected], "64");
    // A shown bit rate that is a number is kept.
    const VorbisBitRateList kept = BuildVorbisBitRateList(22050, "128", 64000);
    EXPECT_EQ(kept.entries[kept.selected], "128");
    EXPECT_EQ(VorbisByteRateText("64"), "0.458 MB/min");

    AudioFormatSettings formats;
    int defaultFormat = 0;
    TSetVorbis vorbis(formats, defaultFormat);
    TypeSampleRate(vorbis, "8000");
    EXPECT_EQ(Entries(vorbis, "bitRate").first(), "16");
    vorbis.findChild<QComboBox*>("bitRate")->setCurrentText("32");
    vorbis.findChild<QRadioButton*>("mono")->click();
    vorbis.Apply();
    EXPECT_EQ(formats.vorSampleRate, 8000);
    EXPECT_EQ(formats.vorBitRate, 32000);
    EXPECT_FALSE(formats.vorStereo);
}

TEST(FormatPages, DefaultFormatBoxesShareOneValue) {
    AudioFormatSettings formats;
    int defaultFormat = kFormatWav;
    TSetWave wave(formats, defaultFormat, FakeCatalog());
    TSetMp3 mp3(formats, defaultFormat, FakeCatalog());
    TSetVorbis vorbis(formats, defaultFormat);

    wave.findChild<QCheckBox*>("defaultFormat")->click();
    EXPECT_EQ(defaultFormat, kFormatVorbis) << "unchecking WAV makes Vorbis the default";
    vorbis.show();  // a page shows the shared value when it becomes visible
    EXPECT_TRUE(vorbis.findChild<QCheckBox*>("defaultFormat")->isChecked());
    vorbis.findChild<QCheckBox*>("defaultFormat")->click();
    EXPECT_EQ(defaultFormat, kFormatWav);
    mp3.findChild<QCheckBox*>("defaultFormat")->click();
    EXPECT_EQ(defaultFormat, kFormatMp3);
    mp3.findChild<QCheckBox*>("defaultFormat")->click();
    EXPECT_EQ(defaultFormat, kFormatWav);
}

TEST(FormatPages, SampleRateOutOfBoundsKeepsTheOldValues) {
    for (const char* typed : {"0", "200000", "abc"}) {
        AudioFormatSettings formats;
        const AudioFormatSettings before = formats;
        int defaultFormat = 0;
        TSetWave wave(formats, defaultFormat, FakeCatalog());
        TSetMp3 mp3(formats, defaultFormat, FakeCatalog());
        TSetVorbis vorbis(formats, defaultFormat);
        for (QWidget* page : std::initializer_list<QWidget*>{&wave, &mp3, &vorbis}) {
            TypeSampleRate(*page, typed);
        }
        MessageBoxRecorder boxes;
        EXPECT_FALSE(wave.Validate());
        EXPECT_FALSE(mp3.Validate());
        EXPECT_FALSE(vorbis.Validate());
        ASSERT_EQ(boxes.calls().size(), 3u);
        for (const auto& call : boxes.calls()) {
            EXPECT_EQ(call.text, "Sample rate out of bounds \n(setwave apply)");
            EXPECT_EQ(call.icon, MessageIcon::Error);
        }
        EXPECT_EQ(formats, before) << typed;
    }
}

TEST(FormatPages, LabelsSplitAtTheFirstTwoBlanks) {
    EXPECT_EQ(SplitCompressionLabel("GSM 6.10  8.000 kHz,  Mono"),
              (std::pair<QString, QString>{"GSM 6.10", "8.000 kHz,  Mono"}));
    EXPECT_EQ(SplitCompressionLabel("Odd label"),
              (std::pair<QString, QString>{"Odd label", QString()}));
}

}  // namespace
