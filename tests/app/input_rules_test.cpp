#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <functional>

#include "app/freq_popup.h"
#include "app/station_dialog.h"
#include "archive/dir_pick.h"
#include "prefs/audio_format_settings.h"
#include "prefs/compression_list.h"
#include "prefs/frequency_band.h"
#include "prefs/set_sound_page.h"
#include "sched/event_dialog.h"
#include "support/message_box_recorder.h"

// Bad input is refused with a message naming the field and what is allowed;
// good input in its unusual forms is taken.
namespace {

TEST(FrequencyText, AmIsTheUnitOnlyRightAfterTheNumber) {
    const struct {
        const char* text;
        float mhz;  // 0: no number
    } rows[] = {{"98.1 Radio Hamburg", 98.1f},
                {"101.30 Dream FM", 101.3f},
                {"54.0 AM Talk", 0.54f},
                {"54am", 0.54f},
                {"101.3 Amsterdam", 101.3f},
                {" AM", 0},
                {"101,3", 0},
                {"١٠١٫٣", 101.3f}};  // digits of a locale with its own
    for (const auto& row : rows) {
        EXPECT_FLOAT_EQ(band::ReadTyped(QString::fromUtf8(row.text)).Mhz().value_or(0), row.mhz)
            << row.text;
    }
    EXPECT_TRUE(band::IsAm(1.8f, band::Context::kPreset));
    EXPECT_FALSE(band::IsAm(1.8f, band::Context::kScan));
    EXPECT_EQ(band::Text(0.54f, band::Context::kTuning), "54.0 AM");
}

TEST(InputMessages, StationFrequencyAndFolderRefusals) {
    EXPECT_EQ(station::ParseFrequency(" AM", 99.5f).error, band::kAmWithoutNumberMessage);
    EXPECT_EQ(station::ParseFrequency("30 am", 0.0f).error, band::kAmRangeMessage);
    EXPECT_FLOAT_EQ(station::ParseFrequency("", 0.54f).frequency.value_or(0), 0.54f);
    const QString fmHint = "Type a frequency from 87.0 to 108.0 MHz, such as 101.3";
    EXPECT_EQ(freq_popup::Hint("101,3", false), fmHint);
    EXPECT_EQ(freq_popup::Hint("200", true),
              "Type an AM frequency from 52.0 to 170.1 (x10kHz), such as 54.0");
    EXPECT_EQ(freq_popup::Hint("101.3", false) + freq_popup::Hint("", false), "");

    EXPECT_EQ(AbsoluteFolder("~/Music").path, QDir::homePath() + "/Music");
    MessageBoxRecorder boxes;
    EXPECT_FALSE(ConfirmFolderChoice("rec", QString()).has_value());
    ASSERT_EQ(boxes.calls().size(), 1u);
    EXPECT_TRUE(boxes.calls()[0].text.startsWith("The folder for recordings must be a full path"));
    EXPECT_TRUE(AbsoluteFolder("./rec").path.isEmpty());
}

TEST(InputMessages, EventEditorRefusesEachBadField) {
    const QString station =
        "Station: choose a station of the list or type a frequency from 87.0 "
        "to 108.0, or from 50.0 to 200.0 followed by AM (x10kHz).";
    const struct {
        std::function<void(TEventDialog&)> edit;
        QString message;
    } rows[] = {
        {[](TEventDialog& d) { d.nameEdit()->setText(" News"); },
         "Event name: remove the blanks at its start and end."},
        {[](TEventDialog& d) { d.stationBox()->setEditText("0"); }, station},
        {[](TEventDialog& d) { d.stationBox()->setEditText("30 AM"); }, station},
        {[](TEventDialog& d) { d.endEdit()->setText("7:00"); },
         "End time: the event must end at another time than it starts."},
        {[](TEventDialog& d) { d.dayBox(1)->setChecked(false); },
         "Day of week: check at least one day."},
    };
    ScheduledEvent event;
    event.name = "Morning";
    event.frequency = 98.1f;
    event.days = kDaySunday << 1;
    event.startHour = 7;
    event.endHour = 8;
    event.action = kActionRecord;
    for (const auto& row : rows) {
        TEventDialog dialog(event, {{98.1f, "Dream FM"}}, nullptr);
        row.edit(dialog);
        MessageBoxRecorder boxes;
        dialog.accept();
        ASSERT_EQ(boxes.calls().size(), 1u) << row.message.toStdString();
        EXPECT_EQ(boxes.calls()[0].text, row.message);
        EXPECT_EQ(dialog.event(), event) << "nothing stored";
    }
}

TEST(FormatAndLineChoices, StoredValuesAreFoundByWhatTheyMean) {
    const QStringList lines{"Capture", "Line", "Front Mic", "<not connected>"};
    EXPECT_EQ(FindMixerLineEntry(lines, "Line-In"), 1);
    EXPECT_EQ(FindMixerLineEntry(lines, "Microphone"), 2);
    EXPECT_EQ(FindMixerLineEntry(lines, "Aux"), -1);

    // The codec's formats carry extra bytes the stored default has not.
    auto mp3 = [](int kbit) {
        WaveFormat f = AudioFormatSettings::DefaultMp3Format();
        f.avgBytesPerSec = static_cast<uint32_t>(kbit * 125);
        f.extra = QByteArray(12, '\x01');
        return f;
    };
    CodecCatalog catalog;
    catalog.maxFormatSize = [] { return 100; };
    catalog.enumerate = [&](const WaveFormat&) { return std::vector{mp3(8), mp3(32), mp3(64)}; };
    catalog.tagDetails = [](uint16_t tag) {
        return std::optional<codec::FormatTagDetails>({tag, "MPEG Layer-3", true});
    };
    catalog.describe = [](const WaveFormat& f) { return std::to_string(f.avgBytesPerSec); };
    catalog.canOpen = [](const WaveFormat&, const WaveFormat&) { return true; };
    const WaveFormat stored = AudioFormatSettings::DefaultMp3Format();  // 32 kbit/s
    const CompressionList list =
        BuildMp3CompressionList(catalog, WaveFormat::Pcm(1, 16000, 16), stored);
    ASSERT_NE(list.selectedEntry(), nullptr);
    EXPECT_EQ(list.selectedEntry()->format->avgBytesPerSec, stored.avgBytesPerSec);
}

}  // namespace
