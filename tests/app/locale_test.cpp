#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QLocale>
#include <QSpinBox>
#include <clocale>
#include <string>

#include "app/freq_popup.h"
#include "app/preset_table.h"
#include "app/station_dialog.h"
#include "archive/recording_file_settings.h"
#include "archive/recording_info.h"
#include "archive/set_file_page.h"
#include "platform/settings_hive.h"
#include "prefs/audio_format_settings.h"
#include "prefs/frequency_band.h"
#include "sched/event_dialog.h"
#include "support/fake_clock.h"
#include "support/message_box_recorder.h"
#include "support/scoped_xdg_dirs.h"

// The dialogs, pages, readers and the settings store under the locales
// users run: the C locale, one with a decimal comma and one with its own
// digits. Numbers that are data must come out the same under each.
namespace {

class UnderLocale : public ::testing::TestWithParam<const char*> {
  protected:
    void SetUp() override {
        savedC_ = std::setlocale(LC_ALL, nullptr);
        ASSERT_NE(std::setlocale(LC_ALL, GetParam()), nullptr)
            << GetParam() << " is not generated; run scripts/install-deps.sh";
        QLocale::setDefault(QLocale(QString(GetParam()).section('.', 0, 0)));
    }
    void TearDown() override {
        std::setlocale(LC_ALL, savedC_.c_str());
        QLocale::setDefault(savedQt_);
    }

    ScopedXdgDirs dirs_;

  private:
    std::string savedC_;
    QLocale savedQt_;
};

TEST_P(UnderLocale, StationAndFrequencyDialogsReadWhatIsTyped) {
    PresetTable table;
    table.Set(3, 99.5f, "Jazz");
    TStationDialog prefilled(table, 3, 0.0f);
    EXPECT_EQ(prefilled.frequencyEdit()->text(), "99.50");
    prefilled.accept();
    EXPECT_FLOAT_EQ(table.GetFrequency(3), 99.5f) << "Mem stores what it showed";

    const struct {
        const char* typed;
        float stored;
    } rows[] = {{"101.3", 101.3f}, {"54 AM", 0.54f}, {"153.1am", 1.531f}};
    for (const auto& row : rows) {
        TStationDialog dialog(table, 4, 95.0f);
        dialog.frequencyEdit()->setText(row.typed);
        dialog.accept();
        EXPECT_FLOAT_EQ(table.GetFrequency(4), row.stored) << row.typed;
    }
    EXPECT_FLOAT_EQ(freq_popup::FrequencyFromText("101.3", false).value_or(0), 101.3f);
    EXPECT_FLOAT_EQ(freq_popup::FrequencyFromText("54.0 AM", true).value_or(0), 0.54f);
    EXPECT_EQ(freq_popup::Text(1.0f, true), "100.0 AM");
    EXPECT_EQ(band::Text(101.3f, band::Context::kPreset), "101.30");
}

TEST_P(UnderLocale, FilePageStoresTheSizeItShows) {
    RecordingFileSettings files;
    AudioFormatSettings formats;
    FakeClock clock;
    TSetFile page(files, formats, clock);
    auto* size = page.findChild<QSpinBox*>("size");
    size->setValue(1234);
    page.Apply();
    EXPECT_EQ(files.fileSize, 1234) << "shown as " << size->text().toStdString();
}

TEST_P(UnderLocale, InfoTextAndItsReader) {
    RecordingDetails details;
    details.path = "/rec/lstav_1.wav";
    details.info = ParseRecordingInfo("0\t1765000000\r\nSTATION 101.3000\r\n");
    EXPECT_DOUBLE_EQ(details.info.station, 101.3);
    details.length = 524288;
    details.formatTag = 1;
    EXPECT_EQ(RecordingDetailsText(details).section('\n', 1, 1), "Station: 101.30");
    EXPECT_TRUE(RecordingDetailsText(details).contains("\nSize 0.500MB\n"));
    details.info.station = 0.54;
    EXPECT_EQ(RecordingDetailsText(details).section('\n', 1, 1), "Station: 54.0 AM");
}

TEST_P(UnderLocale, EventEditorReadsTheStation) {
    const PresetStations presets{{98.1f, "Dream FM"}, {0.54f, "Talk"}};
    const struct {
        int entry;  // -1: typed text
        const char* typed;
        float stored;
    } rows[] = {{0, "", 98.1f}, {1, "", 0.54f}, {-1, "101.3", 101.3f}, {-1, "153 AM", 1.53f}};
    for (const auto& row : rows) {
        ScheduledEvent event;
        event.name = "Morning";
        event.days = kDaySunday;
        event.startHour = 7;
        event.endHour = 8;
        event.action = kActionRecord;
        TEventDialog dialog(event, presets, nullptr);
        if (row.entry >= 0) {
            dialog.stationBox()->setCurrentIndex(row.entry);
        } else {
            dialog.stationBox()->setEditText(row.typed);
        }
        dialog.accept();
        EXPECT_EQ(dialog.result(), QDialog::Accepted) << row.entry << row.typed;
        EXPECT_FLOAT_EQ(dialog.event().frequency, row.stored) << row.entry << row.typed;
    }
}

TEST_P(UnderLocale, SettingsSurviveARoundTrip) {
    PresetTable presets;
    presets.Set(0, 101.3f, QString(StationPreset::kMaxNameLength, 'n'));
    presets.Set(32, 0.54f, "AM");
    RecordingFileSettings files;
    files.fileSize = 1234;
    files.defaultDirectory = "/rec";
    AudioFormatSettings formats;
    formats.mp3SampleRate = 22050;
    {
        auto key = SettingsKey::Create(SettingsKey::Hive::PerUser);
        ASSERT_NE(key, nullptr);
        SavePresets(*key, presets);
        files.Save(*key);
        formats.SaveMp3(*key);
        EXPECT_EQ(key->QueryString("Station0"), "101.3000");
        EXPECT_EQ(key->QueryString("FileSize"), "1234");
    }
    auto key = SettingsKey::OpenPerUserReadOnly();
    ASSERT_NE(key, nullptr);
    PresetTable loadedPresets;
    LoadPresets(*key, loadedPresets);
    EXPECT_EQ(loadedPresets, presets);
    RecordingFileSettings loadedFiles;
    loadedFiles.Load(*key);
    EXPECT_EQ(loadedFiles.fileSize, 1234);
    AudioFormatSettings loadedFormats;
    loadedFormats.LoadMp3(*key);
    EXPECT_EQ(loadedFormats.mp3SampleRate, 22050);
    EXPECT_EQ(loadedFormats.mp3Format.Serialize(), formats.mp3Format.Serialize());
}

INSTANTIATE_TEST_SUITE_P(Locales, UnderLocale,
                         ::testing::Values("C.UTF-8", "de_DE.UTF-8", "fa_IR.UTF-8"),
                         [](const auto& info) {
                             return QString(info.param).section('.', 0, 0).toStdString();
                         });

}  // namespace
