#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>

#include "platform/autostart.h"
#include "prefs/general_settings.h"
#include "prefs/sound_device_settings.h"
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
};

TEST_F(GeneralSettingsTest, FreshInstallationShowsTheMenuAndNothingElse) {
    GeneralSettings s{true, true, true, false, true};
    s.Load(Reader());
    EXPECT_FALSE(s.alwaysStart);
    EXPECT_FALSE(s.minimizeOnStart);
    EXPECT_FALSE(s.trayIcon);
    EXPECT_TRUE(s.showMenu);
    EXPECT_FALSE(s.onTop);
}

TEST_F(GeneralSettingsTest, EachFlagSurvivesARoundTripOnItsOwn) {
    for (int flag = 0; flag < 5; ++flag) {
        GeneralSettings saved;
        bool* const flags[] = {&saved.alwaysStart, &saved.minimizeOnStart, &saved.trayIcon,
                               &saved.showMenu, &saved.onTop};
        *flags[flag] = !*flags[flag];
        saved.Save(Writer(), kProgram);
        GeneralSettings loaded;
        loaded.Load(Reader());
        EXPECT_EQ(loaded, saved) << flag;
    }
}

TEST_F(GeneralSettingsTest, DamagedFlagsLoadAsDefaults) {
    Writer().SetString("ShowMenu", "0");
    Writer().SetInt32("OnTop", 1);
    Writer().SetBinary("TrayIcon", QByteArray());
    Writer().SetByte("AlwaysStart", 7);  // any byte but 0 is set
    GeneralSettings s;
    s.Load(Reader());
    EXPECT_EQ(s, (GeneralSettings{.alwaysStart = true}));
}

TEST_F(GeneralSettingsTest, AlwaysStartWritesOneMachineWideEntry) {
    ASSERT_TRUE(autostart::WriteEntry(Scope::PerUser, "Plumora", "/old/plumora", ""));
    GeneralSettings s;
    s.alwaysStart = true;
    s.Save(Writer(), kProgram);
    EXPECT_EQ(Exec(Scope::MachineWide), kProgram);
    EXPECT_FALSE(EntryExists(Scope::PerUser));  // the old per-user entry is gone

    s.minimizeOnStart = true;
    s.Save(Writer(), "/opt/My Radio/plumora");
    EXPECT_EQ(Exec(Scope::MachineWide), "\"/opt/My Radio/plumora\" -m");
}

TEST_F(GeneralSettingsTest, ClearingAlwaysStartRemovesBothEntries) {
    ASSERT_TRUE(autostart::WriteEntry(Scope::MachineWide, "Plumora", kProgram, ""));
    ASSERT_TRUE(autostart::WriteEntry(Scope::PerUser, "Plumora", kProgram, "-m"));
    GeneralSettings{.minimizeOnStart = true}.Save(Writer(), kProgram);
    EXPECT_FALSE(EntryExists(Scope::MachineWide));
    EXPECT_FALSE(EntryExists(Scope::PerUser));
}

TEST_F(GeneralSettingsTest, WithoutMachineWideAccessTheEntryGoesToTheUser) {
    // A plain file where the folder belongs: permissions alone do not stop
    // the superuser the tests may run as.
    QFile blocker(dirs_.machineConfigDir() + "/autostart");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    GeneralSettings s{.alwaysStart = true, .minimizeOnStart = true};
    s.Save(Writer(), kProgram);
    EXPECT_FALSE(EntryExists(Scope::MachineWide));
    EXPECT_EQ(Exec(Scope::PerUser), QString(kProgram) + " -m");

    s.alwaysStart = false;
    s.Save(Writer(), kProgram);
    EXPECT_FALSE(EntryExists(Scope::PerUser));
}

TEST_F(GeneralSettingsTest, RemovingTheEntriesClearsBothScopes) {
    ASSERT_TRUE(autostart::WriteEntry(Scope::MachineWide, "Plumora", kProgram, ""));
    ASSERT_TRUE(autostart::WriteEntry(Scope::PerUser, "Plumora", kProgram, ""));
    RemoveStartAtLoginEntries();
    EXPECT_FALSE(EntryExists(Scope::MachineWide));
    EXPECT_FALSE(EntryExists(Scope::PerUser));
}

class SoundDeviceSettingsTest : public SettingsStoreTest {};

TEST_F(SoundDeviceSettingsTest, FreshInstallationUsesTheDefaultDevicesAndLineIn) {
    SoundDeviceSettings s{"hw:1", "hw:2", "Mic", false, true};
    s.Load(Reader());
    EXPECT_EQ(s.waveInDriver, "-1");
    EXPECT_EQ(s.waveOutDriver, "-1");
    EXPECT_EQ(s.mixerInput, "Line-In");
    EXPECT_TRUE(s.changeMixer);
    EXPECT_FALSE(s.mixerStream);
}

TEST_F(SoundDeviceSettingsTest, EveryValueSurvivesARoundTrip) {
    const SoundDeviceSettings saved{"USB Audio, capture", "<default>", "<not connected>", false,
                                    true};
    saved.Save(Writer());
    SoundDeviceSettings s;
    s.Load(Reader());
    EXPECT_EQ(s, saved);
}

TEST_F(SoundDeviceSettingsTest, DamagedValuesLoadAsDefaultsAndLongNamesAreCut) {
    Writer().SetBinary("WaveInDriver", "hw:0");
    Writer().SetString("WaveOutDriver", QString(400, 'o'));
    Writer().SetString("ChangeMixer", "0");
    Writer().SetBinary("MixerStream", QByteArray(4, '\1'));
    SoundDeviceSettings s;
    s.Load(Reader());
    EXPECT_EQ(s, (SoundDeviceSettings{.waveOutDriver = QString(259, 'o')}));
}

}  // namespace
