#include <gtest/gtest.h>
#include <sys/resource.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <csignal>

#include "app/settings_records.h"
#include "app/settings_store.h"
#include "platform/autostart.h"
#include "platform/settings_hive.h"
#include "support/file_size_limit.h"
#include "support/message_box_recorder.h"
#include "support/scoped_xdg_dirs.h"

namespace {

const QSize kScreen(1024, 768);

void WriteHive(const QString& path, const QByteArray& text) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
}

SettingsRecords Loaded() {
    SettingsRecords records;
    settings_store::LoadAll(records, kScreen);
    return records;
}

TEST(SettingsStore, FreshInstallGivesDefaults) {
    ScopedXdgDirs dirs;
    const SettingsRecords r = Loaded();
    EXPECT_EQ(r.volume, 50);
    EXPECT_EQ(r.windowPosition, QPoint(100, 100));
    EXPECT_FLOAT_EQ(r.radioPanel.frequency, 89.9f);
    EXPECT_FALSE(r.radioPanel.muted);
    EXPECT_EQ(r.radioPanel.bank, 1);
    EXPECT_EQ(r.radio.vendor, -1);
    EXPECT_EQ(r.events.count(), 0);
    EXPECT_TRUE(r.events.timerEnable());
    EXPECT_TRUE(r.general.showMenu);
    EXPECT_FALSE(QFileInfo::exists(dirs.userSettingsFile())) << "loading writes nothing";
}

TEST(SettingsStore, WindowPositionRules) {
    using settings_store::WindowCoordinate;
    EXPECT_EQ(WindowCoordinate(std::nullopt, 1024), 100);
    EXPECT_EQ(WindowCoordinate(-1, 1024), 100);
    EXPECT_EQ(WindowCoordinate(5000, 1024), 100);
    EXPECT_EQ(WindowCoordinate(925, 1024), 100);
    EXPECT_EQ(WindowCoordinate(924, 1024), 924);
    EXPECT_EQ(WindowCoordinate(0, 1024), 0);

    ScopedXdgDirs dirs;
    WriteHive(dirs.userSettingsFile(),
              "[General]\nWindowX=@ByteArray(\\x88\\x13\\0\\0)\n"  // 5000
              "WindowY=@ByteArray(\\xff\\xff\\xff\\xff)\n");       // -1
    EXPECT_EQ(Loaded().windowPosition, QPoint(100, 100));
    WriteHive(
        dirs.userSettingsFile(),
        "[General]\nWindowX=@ByteArray(\\x2c\\x1\\0\\0)\nWindowY=@ByteArray(\\x32\\0\\0\\0)\n");
    EXPECT_EQ(Loaded().windowPosition, QPoint(300, 50));
}

TEST(SettingsStore, MachineWideFileWinsWhenWritable) {
    ScopedXdgDirs dirs;
    WriteHive(dirs.userSettingsFile(), "[General]\nFrequency=101.1000\nVolume=@ByteArray(\\x14)\n");
    WriteHive(dirs.machineSettingsFile(), "[General]\nFrequency=95.5000\n");
    SettingsRecords r = Loaded();
    EXPECT_FLOAT_EQ(r.radioPanel.frequency, 95.5f);
    EXPECT_EQ(r.volume, 50) << "values missing from the machine-wide key are defaults";

    QFile::setPermissions(dirs.machineSettingsFile(), QFile::ReadOwner | QFile::ReadOther);
    r = Loaded();
    EXPECT_FLOAT_EQ(r.radioPanel.frequency, 101.1f) << "read-only machine-wide file";
    EXPECT_EQ(r.volume, 20);
}

TEST(SettingsStore, SaveWritesBothHivesAndSkipsAReadOnlyOne) {
    ScopedXdgDirs dirs;
    SettingsRecords r;
    r.volume = 77;
    r.radioPanel.frequency = 104.3f;
    EXPECT_EQ(settings_store::SaveAll(r, QPoint(321, 123), "/usr/bin/plumora"), 2);
    for (const QString& file : {dirs.userSettingsFile(), dirs.machineSettingsFile()}) {
        QSettings hive(file, QSettings::IniFormat);
        EXPECT_EQ(hive.value("Volume").toByteArray(), QByteArray(1, 77)) << file.toStdString();
        EXPECT_EQ(hive.value("Frequency").toString(), "104.3000");
        EXPECT_EQ(hive.value("WindowX").toByteArray(), QByteArray("\x41\x01\0\0", 4));
    }

    QFile::setPermissions(dirs.machineSettingsFile(), QFile::ReadOwner);
    r.volume = 5;
    EXPECT_EQ(settings_store::SaveAll(r, std::nullopt, "/usr/bin/plumora"), 1);
    QFile::setPermissions(dirs.machineSettingsFile(), QFile::ReadOwner | QFile::WriteOwner);
    EXPECT_EQ(QSettings(dirs.machineSettingsFile(), QSettings::IniFormat).value("Volume"),
              QByteArray(1, 77));
    EXPECT_EQ(QSettings(dirs.userSettingsFile(), QSettings::IniFormat).value("Volume"),
              QByteArray(1, 5));
}

TEST(SettingsStore, EveryGroupSurvivesASaveAndLoad) {
    ScopedXdgDirs dirs;
    SettingsRecords r;
    r.volume = 33;
    r.presets.Set(2, 99.1f, "Jazz");
    r.radioPanel = {101.7f, true, 6};
    ScheduledEvent news;
    news.name = "News";
    news.frequency = 0.54f;
    news.days = 62;
    news.startHour = 7;
    r.events.Add(news);
    r.events.setTimerEnable(false);
    r.general.trayIcon = true;
    r.formats.defaultAudioFormat = 2;
    r.formats.vorSampleRate = 22050;
    r.files.improvedFilePattern = "%Y%m%d";
    r.radio.vendor = 4;
    r.radio.portAddress = 2;
    r.sound.mixerInput = "<not connected>";
    settings_store::SaveAll(r, QPoint(200, 150), "/usr/bin/plumora");

    // Only the per-user file is left, so the loader must fall back to it.
    QFile::remove(dirs.machineSettingsFile());
    const SettingsRecords back = Loaded();
    EXPECT_EQ(back.volume, 33);
    EXPECT_EQ(back.windowPosition, QPoint(200, 150));
    EXPECT_EQ(back.presets.GetName(2), "Jazz");
    EXPECT_FLOAT_EQ(back.radioPanel.frequency, 101.7f);
    EXPECT_TRUE(back.radioPanel.muted);
    EXPECT_EQ(back.radioPanel.bank, 6);
    ASSERT_EQ(back.events.count(), 1);
    EXPECT_EQ(back.events.at(0).name, "News");
    EXPECT_EQ(back.events.at(0).days, 62);
    EXPECT_FALSE(back.events.timerEnable());
    EXPECT_TRUE(back.general.trayIcon);
    EXPECT_EQ(back.formats.defaultAudioFormat, 2);
    EXPECT_EQ(back.formats.vorSampleRate, 22050);
    EXPECT_EQ(back.files.improvedFilePattern, "%Y%m%d");
    EXPECT_EQ(back.radio.vendor, 4);
    EXPECT_EQ(back.radio.portAddress, 2);
    EXPECT_EQ(back.sound.mixerInput, "<not connected>");
}

TEST(SettingsStore, GarbageLoadsAsDefaults) {
    ScopedXdgDirs dirs;
    WriteHive(dirs.userSettingsFile(),
              "[General]\n"
              "Volume=loud\n"
              "Frequency=abc\n"
              "Mute=@ByteArray()\n"
              "Bank=@ByteArray(\\x1\\x2\\x3)\n"
              "Vendor=four\n"
              "WindowX=@ByteArray(\\x1)\n"
              "EventCount=many\n");
    const SettingsRecords r = Loaded();
    EXPECT_EQ(r.volume, 50);
    EXPECT_FLOAT_EQ(r.radioPanel.frequency, 89.9f);
    EXPECT_FALSE(r.radioPanel.muted);
    EXPECT_EQ(r.radioPanel.bank, 1);
    EXPECT_EQ(r.radio.vendor, -1);
    EXPECT_EQ(r.windowPosition.x(), 100);
    EXPECT_EQ(r.events.count(), 0);
}

TEST(SettingsStore, SavingMaintainsTheLoginEntry) {
    ScopedXdgDirs dirs;
    SettingsRecords r;
    r.general.alwaysStart = true;
    r.general.minimizeOnStart = true;
    settings_store::SaveAll(r, std::nullopt, "/usr/bin/plumora");
    EXPECT_EQ(autostart::ReadExec(autostart::Scope::MachineWide, "Plumora"), "/usr/bin/plumora -m");
    r.general.alwaysStart = false;
    settings_store::SaveAll(r, std::nullopt, "/usr/bin/plumora");
    EXPECT_FALSE(autostart::ReadExec(autostart::Scope::MachineWide, "Plumora").has_value());
    EXPECT_FALSE(autostart::ReadExec(autostart::Scope::PerUser, "Plumora").has_value());
}

TEST(SettingsStore, FailedVolumeWriteIsReportedAndTheSaveGoesOn) {
    ScopedXdgDirs dirs;
    MessageBoxRecorder messages;
    SettingsRecords r;
    int written;
    {
        FileSizeLimit limit(4);
        written = settings_store::SaveAll(r, std::nullopt, "/usr/bin/plumora");
    }
    EXPECT_EQ(written, 0);
    ASSERT_EQ(messages.calls().size(), 2u) << "once per hive";
    EXPECT_EQ(messages.calls()[0].text, "can't save vol subkey");
    EXPECT_EQ(messages.calls()[0].caption, "savesettings");
}

TEST(SettingsStore, SyntaxErrorInThePerUserFileNeitherWarnsNorStopsTheSave) {
    ScopedXdgDirs dirs;
    WriteHive(dirs.userSettingsFile(), "[General]\nVolume=@ByteArray(\\x14)\n\"Mute\n");
    WriteHive(dirs.machineSettingsFile(), "[General]\n");
    MessageBoxRecorder messages;
    SettingsRecords r;
    r.volume = 61;
    EXPECT_EQ(settings_store::SaveAll(r, std::nullopt, "/usr/bin/plumora"), 2);
    EXPECT_TRUE(messages.calls().empty());
    for (const QString& file : {dirs.userSettingsFile(), dirs.machineSettingsFile()}) {
        EXPECT_EQ(QSettings(file, QSettings::IniFormat).value("Volume"), QByteArray(1, 61))
            << file.toStdString();
    }
}

}  // namespace
