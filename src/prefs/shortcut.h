#pragma once

#include <QString>

// Desktop launchers: "<name>.desktop" files in a folder. Folder code
// QuickLaunchFolder is the user's applications folder
// ($XDG_DATA_HOME/applications), whose launchers the desktop's menu shows.
class CShortcut {
  public:
    static constexpr int QuickLaunchFolder = 2457;
    // Target that stands for the program's own file.
    static constexpr const char* kThisProgram = "_this";

    // The folder of a folder code, with a trailing separator; empty for a
    // code this platform has no folder for.
    static QString FolderPath(int folder);

    // True when the launcher exists, can be read and its program exists.
    bool Exists(const QString& name, int folder) const;
    // Writes the launcher for the target (kThisProgram: this program), with
    // the description and icon when given. True on success.
    bool Create(const QString& target, const QString& name, int folder,
                const QString& description = QString(), const QString& icon = QString()) const;
    // Deletes the launcher, silently.
    void Delete(const QString& name, int folder) const;

    static QString LauncherPath(const QString& name, int folder);
};
