#include "prefs/general_settings.h"

#include "platform/autostart.h"
#include "platform/settings_hive.h"
#include "prefs/settings_values.h"

using settings_values::ReadFlag;

void GeneralSettings::Load(const SettingsKey& key) {
    const GeneralSettings defaults;
    alwaysStart = ReadFlag(key, "AlwaysStart", defaults.alwaysStart);
    minimizeOnStart = ReadFlag(key, "MinimizeOnStart", defaults.minimizeOnStart);
    trayIcon = ReadFlag(key, "TrayIcon", defaults.trayIcon);
    showMenu = ReadFlag(key, "ShowMenu", defaults.showMenu);
    onTop = ReadFlag(key, "OnTop", defaults.onTop);
}

void GeneralSettings::Save(SettingsKey& key, const QString& programPath) const {
    key.SetByte("MinimizeOnStart", minimizeOnStart ? 1 : 0);
    key.SetByte("OnTop", onTop ? 1 : 0);
    key.SetByte("TrayIcon", trayIcon ? 1 : 0);
    key.SetByte("ShowMenu", showMenu ? 1 : 0);
    key.SetByte("AlwaysStart", alwaysStart ? 1 : 0);

    RemoveStartAtLoginEntries();
    if (!alwaysStart) {
        return;
    }
    const QString arguments = minimizeOnStart ? QStringLiteral("-m") : QString();
    if (!autostart::WriteEntry(autostart::Scope::MachineWide, kStartAtLoginName, programPath,
                               arguments)) {
        autostart::WriteEntry(autostart::Scope::PerUser, kStartAtLoginName, programPath, arguments);
    }
}

void RemoveStartAtLoginEntries() {
    autostart::RemoveEntry(autostart::Scope::MachineWide, kStartAtLoginName);
    autostart::RemoveEntry(autostart::Scope::PerUser, kStartAtLoginName);
}
