#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <map>

// Points the XDG base directories (config home, config dirs, state home,
// runtime dir) at fresh folders of a temporary directory for the lifetime of
// the object, and restores the previous environment afterwards.
class ScopedXdgDirs {
  public:
    ScopedXdgDirs();
    ~ScopedXdgDirs();
    ScopedXdgDirs(const ScopedXdgDirs&) = delete;
    ScopedXdgDirs& operator=(const ScopedXdgDirs&) = delete;

    QString root() const { return dir_.path(); }
    QString configHome() const { return dir_.path() + "/config"; }
    QString machineConfigDir() const { return dir_.path() + "/etc-xdg"; }
    QString stateHome() const { return dir_.path() + "/state"; }
    QString runtimeDir() const { return dir_.path() + "/run"; }

    QString userSettingsFile() const { return configHome() + "/Quillmoor/Loomstave.conf"; }
    QString machineSettingsFile() const { return machineConfigDir() + "/Quillmoor/Loomstave.conf"; }

  private:
    QTemporaryDir dir_;
    std::map<QByteArray, std::pair<bool, QByteArray>> saved_;
};
