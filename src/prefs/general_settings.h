#pragma once

#include <QString>

class SettingsKey;

// Name of the program's start-at-login entry.
inline constexpr const char* kStartAtLoginName = "Plumora";

// How the program starts and shows itself.
struct GeneralSettings {
    bool alwaysStart = false;      // keep the program in the start-at-login list
    bool minimizeOnStart = false;  // the start-at-login entry starts it minimized
    bool trayIcon = false;
    bool showMenu = true;
    bool onTop = false;

    // Replaces every value; a missing or unreadable one gives its default.
    void Load(const SettingsKey& key);

    // Writes the five values, then renews the start-at-login entry: any entry
    // is removed (machine-wide, then per-user); with alwaysStart the entry
    // runs programPath, with " -m" when minimizeOnStart, and is written
    // machine-wide, or per-user when that is not possible.
    void Save(SettingsKey& key, const QString& programPath) const;

    bool operator==(const GeneralSettings&) const = default;
};

// Removes the start-at-login entry machine-wide, then per-user.
void RemoveStartAtLoginEntries();
