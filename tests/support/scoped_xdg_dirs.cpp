#include "support/scoped_xdg_dirs.h"

#include <QDir>
#include <QFile>

ScopedXdgDirs::ScopedXdgDirs() {
    const std::pair<const char*, QString> vars[] = {
        {"XDG_CONFIG_HOME", configHome()},
        {"XDG_CONFIG_DIRS", machineConfigDir()},
        {"XDG_STATE_HOME", stateHome()},
        {"XDG_RUNTIME_DIR", runtimeDir()},
    };
    for (const auto& [name, path] : vars) {
        saved_[name] = {qEnvironmentVariableIsSet(name), qgetenv(name)};
        QDir().mkpath(path);
        qputenv(name, QFile::encodeName(path));
    }
    QFile::setPermissions(runtimeDir(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

ScopedXdgDirs::~ScopedXdgDirs() {
    for (const auto& [name, value] : saved_) {
        if (value.first) {
            qputenv(name.constData(), value.second);
        } else {
            qunsetenv(name.constData());
        }
    }
}
