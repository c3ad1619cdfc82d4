#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTabWidget>
#include <QtTest/QTest>

#include "app/options_sheet.h"
#include "app/settings_store.h"
#include "controls/help_pages.h"
#include "platform/settings_hive.h"
#include "support/fake_clock.h"
#include "support/message_box_recorder.h"
#include "support/scoped_xdg_dirs.h"

namespace {

OptionsSheetHooks QuietHooks() {
    OptionsSheetHooks hooks;
    hooks.frequency = [] { return 89.9f; };
    hooks.hasAmBand = [] { return true; };
    hooks.tuners = [] { return QStringList{"Card A", "Card B"}; };
    hooks.sound.devices = [](WaveDirection) { return std::vector<WaveDeviceCaps>{}; };
    hooks.sound.openMixer = [](const std::string&) { return std::unique_ptr<MixerBackend>(); };
    return hooks;
}

bool SameSettings(const SettingsRecords& a, const SettingsRecords& b) {
    return a.general == b.general && a.formats == b.formats && a.files == b.files &&
           a.sound == b.sound && a.presets == b.presets && a.radio.vendor == b.radio.vendor &&
           a.radio.portAddress == b.radio.portAddress && a.radio.portString == b.radio.portString &&
           a.radio.onExit == b.radio.onExit && a.radio.startMute == b.radio.startMute;
}

// Changes something on every page that has settings of its own.
void EditEveryPage(TOptionsSheet& sheet) {
    sheet.findChild<QCheckBox*>("trayIcon")->click();
    QWidget* wave = sheet.findChild<QWidget*>("Wave");
    wave->findChild<QRadioButton*>("stereo")->click();
    sheet.findChild<QWidget*>("Mp3")->findChild<QCheckBox*>("enableTag")->click();
    sheet.findChild<QWidget*>("Vorbis")->findChild<QRadioButton*>("mono")->click();
    sheet.findChild<QLineEdit*>("directory")->setText("/tmp/recordings/");
    auto* models = sheet.findChild<QListWidget*>("models");
    models->setCurrentItem(models->findItems("radioShark", Qt::MatchStartsWith).value(0));
    sheet.findChild<QCheckBox*>("mixerStream")->click();
}

TEST(OptionsSheet, HasItsEightPagesInOrder) {
    SettingsRecords settings;
    FakeClock clock;
    TOptionsSheet sheet(settings, QuietHooks(), clock);
    EXPECT_EQ(sheet.windowTitle(), "Options");
    QStringList titles;
    for (int i = 0; i < sheet.tabs()->count(); ++i) {
        titles << sheet.tabs()->tabText(i);
    }
    EXPECT_EQ(titles, (QStringList{"General", "Wave", "Mp3", "Vorbis", "File", "Radio", "Stations",
                                   "Sound device"}));
}

TEST(OptionsSheet, HelpAndF1OpenTheShippedPageOfThePageShown) {
    SettingsRecords settings;
    FakeClock clock;
    OptionsSheetHooks hooks = QuietHooks();
    QStringList topics;
    hooks.openHelp = [&topics](const QString& topic) { topics << topic; };
    TOptionsSheet sheet(settings, std::move(hooks), clock);
    sheet.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&sheet));
    const HelpPages help(
        HelpPages::FindHelpDirectory(QFileInfo(PLUMORA_EXECUTABLE).absolutePath()));
    ASSERT_TRUE(help.available());
    QPushButton* helpButton = sheet.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Help);
    ASSERT_NE(helpButton, nullptr);
    for (int i = 0; i < sheet.tabs()->count(); ++i) {
        sheet.tabs()->setCurrentIndex(i);
        topics.clear();
        helpButton->click();
        QTest::keyClick(sheet.tabs()->currentWidget(), Qt::Key_F1);
        ASSERT_EQ(topics.size(), 2) << i;
        EXPECT_EQ(topics[0], topics[1]);
        EXPECT_FALSE(help.PagePath(topics[0]).isEmpty()) << topics[0].toStdString();
    }
    EXPECT_EQ(topics[0], "Options_Sound_device.html");
}

TEST(OptionsSheet, CancelChangesNothing) {
    SettingsRecords settings;
    const SettingsRecords before = settings;
    FakeClock clock;
    TOptionsSheet sheet(settings, QuietHooks(), clock);
    EditEveryPage(sheet);
    sheet.reject();
    EXPECT_TRUE(SameSettings(settings, before));
}

TEST(OptionsSheet, ConfirmStoresEveryPageAndTheSettingsReachBothHives) {
    ScopedXdgDirs dirs;
    QDir().mkpath(QFileInfo(dirs.machineSettingsFile()).absolutePath());
    QFile machine(dirs.machineSettingsFile());
    ASSERT_TRUE(machine.open(QIODevice::WriteOnly));
    machine.close();

    SettingsRecords settings;
    FakeClock clock;
    TOptionsSheet sheet(settings, QuietHooks(), clock);
    EditEveryPage(sheet);
    sheet.accept();
    EXPECT_EQ(sheet.result(), QDialog::Accepted);
    EXPECT_TRUE(settings.general.trayIcon);
    EXPECT_TRUE(settings.formats.stereo);
    EXPECT_FALSE(settings.formats.mp3EnableTag);
    EXPECT_FALSE(settings.formats.vorStereo);
    EXPECT_EQ(settings.files.defaultDirectory, "/tmp/recordings/");
    EXPECT_NE(settings.radio.vendor, kNoRadioModel);
    EXPECT_TRUE(settings.sound.mixerStream);

    EXPECT_EQ(settings_store::SaveAll(settings, std::nullopt, "/usr/bin/plumora"), 2);
    for (const QString& file : {dirs.userSettingsFile(), dirs.machineSettingsFile()}) {
        QSettings hive(file, QSettings::IniFormat);
        EXPECT_EQ(hive.value("DefaultDirectory").toString(), "/tmp/recordings/")
            << file.toStdString();
    }
    for (const bool machineWide : {false, true}) {
        const auto key =
            machineWide ? SettingsKey::OpenMachineWide() : SettingsKey::OpenPerUserReadOnly();
        ASSERT_NE(key, nullptr);
        RadioSettings radio;
        radio.Load(*key);
        EXPECT_EQ(radio.vendor, settings.radio.vendor);
    }
}

TEST(OptionsSheet, BadSampleRateKeepsTheSheetOpenOnItsPage) {
    SettingsRecords settings;
    const SettingsRecords before = settings;
    FakeClock clock;
    TOptionsSheet sheet(settings, QuietHooks(), clock);
    EditEveryPage(sheet);
    QLineEdit* rate =
        sheet.findChild<QWidget*>("Mp3")->findChild<QComboBox*>("sampleRate")->lineEdit();
    rate->selectAll();
    QTest::keyClicks(rate, "0");
    MessageBoxRecorder boxes;
    sheet.accept();
    EXPECT_NE(sheet.result(), QDialog::Accepted);
    EXPECT_EQ(sheet.tabs()->currentWidget()->objectName(), "Mp3");
    ASSERT_EQ(boxes.calls().size(), 1u);
    EXPECT_EQ(boxes.calls()[0].text, "Sample rate out of bounds \n(setwave apply)");
    EXPECT_TRUE(SameSettings(settings, before)) << "no page stored anything";
}

TEST(OptionsSheet, DefaultFormatIsStoredOnConfirm) {
    SettingsRecords settings;
    FakeClock clock;
    TOptionsSheet sheet(settings, QuietHooks(), clock);
    sheet.findChild<QWidget*>("Mp3")->findChild<QCheckBox*>("defaultFormat")->click();
    EXPECT_EQ(settings.formats.defaultAudioFormat, kFormatWav);
    sheet.accept();
    EXPECT_EQ(settings.formats.defaultAudioFormat, kFormatMp3);
}

}  // namespace
