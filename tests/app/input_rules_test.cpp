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
#include "sched/event_fields.h"
#include "support/message_box_recorder.h"

// Bad input is refused with a message naming the field and what is allowed,
// and good input in its unusual forms is taken.
namespace {

TEST(FrequencyText, AmIsTheUnitOnlyRightAfterTheNumber) {
    const struct {
        const char* text;
        std::optional<float> mhz;
        bool unitWithoutNumber;
    } rows[] = {
        {"98.1 Radio Hamburg", 98.1f, false},
        {"101.30 Dream FM", 101.3f, false},
        {"54.0 AM Talk", 0.54f, false},
        {"54am", 0.54f, false},
        {"  54 Am", 0.54f, false},
        {"101.3 Amsterdam", 101.3f, false},
        {" AM", std::nullopt, true},
        {"AM 54", std::nullopt, true},
        {"Jazz", std::nullopt, false},
        {"101,3", std::nullopt, false},
        {"١٠١٫٣", 101.3f, false},  // digits of a locale with its own
    };
    for (const auto& row : rows) {
        const band::Typed typed = band::ReadTyped(QString::fromUtf8(row.text));
        EXPECT_EQ(typed.unitWithoutNumber, row.unitWithoutNumber) << row.text;
        ASSERT_EQ(typed.Mhz().has_value(), row.mhz.has_value()) << row.text;
        if (row.mhz) {
            EXPECT_FLOAT_EQ(*typed.Mhz(), *row.mhz) << row.text;
        }
    }
    // Each context has its own AM boundary.
    EXPECT_TRUE(band::IsAm(1.8f, band::Context::kPreset));
    EXPECT_FALSE(band::IsAm(1.8f, band::Context::kScan));
    EXPECT_TRUE(band::IsAm(20.0f, band::Context::kTuning));
    EXPECT_EQ(band::Text(0.54f, band::Context::kTuning), "54.0 AM");
}

// Every refusal, with the message it shows.
TEST(InputMessages, EachRefusalSaysWhichFieldAndWhatIsAllowed) {
    EXPECT_EQ(station::ParseFrequency(" AM", 99.5f).error, band::kAmWithoutNumberMessage);
    EXPECT_EQ(station::ParseFrequency("30 am", 0.0f).error, band::kAmRangeMessage);
    EXPECT_EQ(station::ParseFrequency("120", 0.0f).error, band::kFmRangeMessage);
    EXPECT_FLOAT_EQ(station::ParseFrequency("", 0.54f).frequency.value_or(0), 0.54f)
        << "an empty box keeps the opening AM frequency";

    EXPECT_EQ(freq_popup::Hint("10x", false),
              "Type a frequency from 87.0 to 108.0 MHz, such as 101.3");
    EXPECT_EQ(freq_popup::Hint("200", true),
              "Type an AM frequency from 52.0 to 170.1 (x10kHz), such as 54.0");
    EXPECT_EQ(freq_popup::Hint("101,3", false),
              "Type a frequency from 87.0 to 108.0 MHz, such as 101.3");
    EXPECT_EQ(freq_popup::Hint("101.3", false), "");
    EXPECT_EQ(freq_popup::Hint("", false), "");

    for (const char* relative : {"Music", "./rec", ""}) {
        EXPECT_TRUE(AbsoluteFolder(relative).error.startsWith(
            "The folder for recordings must be a full path"))
            << relative;
    }
    EXPECT_EQ(AbsoluteFolder("~/Music").path, QDir::homePath() + "/Music");
    EXPECT_EQ(AbsoluteFolder("~").path, QDir::homePath());
    MessageBoxRecorder boxes;
    EXPECT_FALSE(ConfirmFolderChoice("rec", QString()).has_value());
    ASSERT_EQ(boxes.calls().size(), 1u);
    EXPECT_EQ(boxes.calls()[0].caption, "Select directory");
}

TEST(InputMessages, EventEditorRefusesEachBadField) {
    const PresetStations presets{{98.1f, "Dream FM"}};
    const struct {
        const char* what;
        std::function<void(TEventDialog&)> edit;
        QString message;
    } rows[] = {
        {"blanks", [](TEventDialog& d) { d.nameEdit()->setText(" News "); },
         "Event name: remove the blanks at its start and end."},
        {"station 0", [](TEventDialog& d) { d.stationBox()->setEditText("0"); },
         "Station: choose a station of the list or type a frequency from 87.0 to 108.0, or "
         "from 50.0 to 200.0 followed by AM (x10kHz)."},
        {"outside every band", [](TEventDialog& d) { d.stationBox()->setEditText("30 AM"); },
         "Station: choose a station of the list or type a frequency from 87.0 to 108.0, or "
         "from 50.0 to 200.0 followed by AM (x10kHz)."},
        {"start == end", [](TEventDialog& d) { d.endEdit()->setText("7:00"); },
         "End time: the event must end at another time than it starts."},
        {"no day", [](TEventDialog& d) { d.dayBox(1)->setChecked(false); },
         "Day of week: check at least one day."},
        {"replaces", [](TEventDialog& d) { d.nameEdit()->setText("NEWS"); },
         "An event named \"News\" exists already.\nReplace it with this event?"},
    };
    for (const auto& row : rows) {
        ScheduledEvent event;
        event.name = "Morning";
        event.frequency = 98.1f;
        event.days = kDaySunday << 1;
        event.startHour = 7;
        event.endHour = 8;
        event.action = kActionRecord;
        TEventDialog dialog(event, presets, nullptr);
        dialog.SetReplacedNameLookup([](const QString& name) {
            return name.compare("news", Qt::CaseInsensitive) == 0 ? QString("News") : QString();
        });
        row.edit(dialog);
        MessageBoxRecorder boxes(IDNO);
        dialog.accept();
        EXPECT_NE(dialog.result(), QDialog::Accepted) << row.what;
        ASSERT_EQ(boxes.calls().size(), 1u) << row.what;
        EXPECT_EQ(boxes.calls()[0].text, row.message) << row.what;
        EXPECT_EQ(boxes.calls()[0].caption, "Event") << row.what;
        EXPECT_EQ(dialog.event(), event) << row.what << ": nothing stored";
    }
}

TEST(SoundPage, StoredLineNamesFindTheCardsLineOfTheirKind) {
    const QStringList lines{"Capture", "Line", "Front Mic", "<not connected>"};
    EXPECT_EQ(FindMixerLineEntry(lines, "Line-In"), 1);
    EXPECT_EQ(FindMixerLineEntry(lines, "Microphone"), 2);
    EXPECT_EQ(FindMixerLineEntry(lines, "<not connected>"), 3);
    EXPECT_EQ(FindMixerLineEntry(lines, "Aux"), -1);
    EXPECT_EQ(FindMixerLineEntry(lines, ""), -1);
}

TEST(CompressionLists, TheStoredFormatIsFoundByWhatItMeans) {
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
    EXPECT_TRUE(SameFormatMeaning(*list.selectedEntry()->format, stored));
    EXPECT_FALSE(SameFormatMeaning(mp3(8), stored));
}

}  // namespace
