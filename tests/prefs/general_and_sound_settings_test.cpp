#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "platform/autostart.h"
#include "prefs/general_settings.h"
#include "settings_store_fixture.h"

namespace {

using autostart::Scope;

constexpr const char* kProgram = "/opt/plumora/bin/plumora";

class GeneralSettingsTest : public SettingsStoreTest {
  protected:
    static bool EntryExists(Scope scope) {
        return QFileInfo::exists(autostart::EntryPath(scope, "Plumora"));
    }
    static std::optional<QString> Exec(Scope scope) {
        return autostart::ReadExec(scope, "Plumora");
    }
    // Makes the machine-wide autostart folder impossible to create: a plain
    // file takes its place (permissions alone do not stop the superuser).
    void BlockMachineWideFolder() {
        QFile blocker(dirs_.machineConfigDir() + "/autostart");
        ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    }
};

TEST_F(GeneralSettingsTest, FreshInstallationGivesTheDefaults) {
    GeneralSettings s;
    s.alwaysStart = s.minimizeOnStart = s.trayIcon = s.onTop = true;
    s.showMenu = false;
    s.Load(Reader());
    EXPECT_FALSE(s.alwaysStart);
    EXPECT_FALSE(s.minimizeOnStart);
    EXPECT_FALSE(s.trayIcon);
    EXPECT_TRUE(s.showMenu);
    EXPECT_FALSE(s.onTop);
}

TEST_F(GeneralSettingsTest, EveryFlagSurvivesARoundTrip) {
    // Each flag away from its default in turn, so that swapped keys show.
    for (int flag = 0; flag < 5; ++flag) {
        GeneralSettings saved;
        bool* const flags[] = {&saved.alwaysStart, &saved.minimizeOnStart, &saved.trayIcon,
                               &saved.showMenu, &saved.onTop};
        *flags[flag] = !*flags[flag];
        saved.Save(Writer(), kProgram);
        GeneralSettings loaded;
        loaded.Load(Reader());
        EXPECT_EQ(loaded.alwaysStart, saved.alwaysStart) << flag;
        EXPECT_EQ(loaded.minimizeOnStart, saved.minimizeOnStart) << flag;
        EXPECT_EQ(loaded.trayIcon, saved.trayIcon) << flag;
        EXPECT_EQ(loaded.showMenu, saved.showMenu) << flag;
        EXPECT_EQ(loaded.onTop, saved.onTop) << flag;
    }
}

TEST_F(GeneralSettingsTest, DamagedFlagsLoadAsDefaults) {
    Writer().SetString("ShowMenu", "0");
    Writer().SetInt32("OnTop", 1);
    Writer().SetBinary("TrayIcon", QByteArray());
    Writer().SetByte("AlwaysStart", 7);  // any byte but 0 is set
    GeneralSettings s;
    s.Load(Reader());
    EXPECT_TRUE(s.showMenu);
    EXPECT_FALSE(s.onTop);
    EXPECT_FALSE(s.trayIcon);
    EXPECT_TRUE(s.alwaysStart);
}

TEST_F(GeneralSettingsTest, AlwaysStartWritesTheMachineWideEntry) {
    GeneralSettings s;
    s.alwaysStart = true;
    s.Save(Writer(), kProgram);
    EXPECT_EQ(Exec(Scope::MachineWide), kProgram);
    EXPECT_FALSE(EntryExists(Scope::PerUser));

    s.minimizeOnStart = true;
    s.Save(Writer(), "/opt/My Radio/plumora");
    EXPECT_EQ(Exec(Scope::MachineWide), "\"/opt/My Radio/plumora\" -m");
    EXPECT_FALSE(EntryExists(Scope::PerUser));
}

TEST_F(GeneralSettingsTest, ClearingAlwaysStartRemovesBothEntries) {
    ASSERT_TRUE(autostart::WriteEntry(Scope::MachineWide, "Plumora", kProgram, ""));
    ASSERT_TRUE(autostart::WriteEntry(Scope::PerUser, "Plumora", kProgram, "-m"));
    GeneralSettings s;
    s.alwaysStart = false;
    s.minimizeOnStart = true;
    s.Save(Writer(), kProgram);
    EXPECT_FALSE(EntryExists(Scope::MachineWide));
    EXPECT_FALSE(EntryExists(Scope::PerUser));
    // The values themselves are still written.
    EXPECT_EQ(Writer().QueryByte("AlwaysStart"), 0);
    EXPECT_EQ(Writer().QueryByte("MinimizeOnStart"), 1);
}

TEST_F(GeneralSettingsTest, AnOldPerUserEntryGivesWayToTheMachineWideOne) {
    ASSERT_TRUE(autostart::WriteEntry(Scope::PerUser, "Plumora", "/old/plumora", ""));
    GeneralSettings s;
    s.alwaysStart = true;
    s.Save(Writer(), kProgram);
    EXPECT_EQ(Exec(Scope::MachineWide), kProgram);
    EXPECT_FALSE(EntryExists(Scope::PerUser));
}

TEST_F(GeneralSettingsTest, WithoutMachineWideAccessTheEntryGoesToTheUser) {
    BlockMachineWideFolder();
    GeneralSettings s;
    s.alwaysStart = true;
    s.minimizeOnStart = true;
    s.Save(Writer(), kProgram);
    EXPECT_FALSE(EntryExists(Scope::MachineWide));
    EXPECT_EQ(Exec(Scope::PerUser), QString(kProgram) + " -m");

    // Clearing the option still removes the per-user entry.
    s.alwaysStart = false;
    s.Save(Writer(), kProgram);
    EXPECT_FALSE(EntryExists(Scope::PerUser));
}

TEST_F(GeneralSettingsTest, RemovingTheEntriesClearsBothScopes) {
    ASSERT_TRUE(autostart::WriteEntry(Scope::MachineWide, "Plumora", kProgram, ""));
    ASSERT_TRUE(autostart::WriteEntry(Scope::PerUser, "Plumora", kProgram, ""));
    ASSERT_TRUE(autostart::WriteEntry(Scope::PerUser, "Other", kProgram, ""));
    RemoveStartAtLoginEntries();
    EXPECT_FALSE(EntryExists(Scope::MachineWide));
    EXPECT_FALSE(EntryExists(Scope::PerUser));
    EXPECT_TRUE(QFileInfo::exists(autostart::EntryPath(Scope::PerUser, "Other")));
}

}  // namespace
