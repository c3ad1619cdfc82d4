#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QLocale>
#include <QSpinBox>
#include <clocale>
#include <string>
#include <utility>

#include "app/freq_popup.h"
#include "app/preset_table.h"
#include "app/station_dialog.h"
#include "archive/recording_file_settings.h"
#include "archive/recording_info.h"
#include "archive/set_file_page.h"
#include "platform/settings_hive.h"
#include "prefs/audio_format_settings.h"
#include "sched/event_dialog.h"
#include "support/fake_clock.h"
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

TEST_P(UnderLocale, DialogsAndPagesReadWhatIsTyped) {
    PresetTable table;
    table.Set(3, 99.5f, "Jazz");
    TStationDialog prefilled(table, 3, 0.0f);
    EXPECT_EQ(prefilled.frequencyEdit()->text(), "99.50");
    prefilled.accept();
    EXPECT_FLOAT_EQ(table.GetFrequency(3), 99.5f) << "Mem stores what it showed";
    TStationDialog typed(table, 4, 95.0f);
    typed.frequencyEdit()->setText("101.3");
    typed.accept();
    EXPECT_FLOAT_EQ(table.GetFrequency(4), 101.3f);
    EXPECT_FLOAT_EQ(freq_popup::FrequencyFromText("54.0 AM", true).value_or(0), 0.54f);

    // The event editor, from the list and typed.
    ScheduledEvent event;
    event.name = "Morning";
    event.days = kDaySunday;
    event.endHour = 1;
    for (const auto& [entry, frequency] :
         {std::pair{"101.30 Dream FM", 101.3f}, {"153 AM", 1.53f}}) {
        TEventDialog dialog(event, {{101.3f, "Dream FM"}}, nullptr);
        dialog.stationBox()->setEditText(entry);
        dialog.accept();
        EXPECT_FLOAT_EQ(dialog.event().frequency, frequency) << entry;
    }

    RecordingFileSettings files;
    AudioFormatSettings formats;
    FakeClock clock;
    TSetFile page(files, formats, clock);
    auto* size = page.findChild<QSpinBox*>("size");
    size->setValue(1234);
    page.Apply();
    EXPECT_EQ(files.fileSize, 1234) << "shown as " << size->text().toStdString();
}

TEST_P(UnderLocale, InfoTextAndSettingsSurviveARoundTrip) {
    RecordingDetails details;
    details.info = ParseRecordingInfo("0\t1765000000\r\nSTATION 101.3000\r\n");
    EXPECT_DOUBLE_EQ(details.info.station, 101.3);
    details.length = 524288;
    details.formatTag = 1;
    EXPECT_EQ(RecordingDetailsText(details).section('\n', 1, 1), "Station: 101.30");
    EXPECT_TRUE(RecordingDetailsText(details).contains("\nSize 0.500MB\n"));
    details.info.station = 0.54;
    EXPECT_EQ(RecordingDetailsText(details).section('\n', 1, 1), "Station: 54.0 AM");

    PresetTable presets;
    presets.Set(0, 101.3f, QString(StationPreset::kMaxNameLength, 'n'));
    presets.Set(32, 0.54f, "AM");
    RecordingFileSettings files;
    files.fileSize = 1234;
    {
        auto key = SettingsKey::Create(SettingsKey::Hive::PerUser);
        ASSERT_NE(key, nullptr);
        SavePresets(*key, presets);
        files.Save(*key);
        EXPECT_EQ(key->QueryString("Station0"), "101.3000");
    }
    auto key = SettingsKey::OpenPerUserReadOnly();
    ASSERT_NE(key, nullptr);
    PresetTable loadedPresets;
    LoadPresets(*key, loadedPresets);
    EXPECT_EQ(loadedPresets, presets);
    RecordingFileSettings loadedFiles;
    loadedFiles.Load(*key);
    EXPECT_EQ(loadedFiles.fileSize, 1234);
}

INSTANTIATE_TEST_SUITE_P(Locales, UnderLocale,
                         ::testing::Values("C.UTF-8", "de_DE.UTF-8", "fa_IR.UTF-8"),
                         [](const auto& info) {
                             return QString(info.param).section('.', 0, 0).toStdString();
                         });

}  // namespace
