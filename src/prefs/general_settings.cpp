#include "prefs/general_settings.h"

#include "platform/autostart.h"
#include "platform/settings_hive.h"
#include "prefs/settings_values.h"

using settings_values::ReadFlag;

void GeneralSettings::Load(const SettingsKey& key) {
    ReadFlag(key, "AlwaysStart", alwaysStart);
    ReadFlag(key, "MinimizeOnStart", minimizeOnStart);
    ReadFlag(key, "TrayIcon", trayIcon);
    ReadFlag(key, "ShowMenu", showMenu);
    ReadFlag(key, "OnTop", onTop);
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
