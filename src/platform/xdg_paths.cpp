#include "platform/xdg_paths.h"

#include <QDir>
#include <QFileInfo>

namespace xdg {
namespace {

QString FromEnv(const char* name, const QString& fallback) {
    const QString value = qEnvironmentVariable(name);
    return value.isEmpty() ? fallback : value;
}

}  // namespace

QString ConfigHome() {
    return FromEnv("XDG_CONFIG_HOME", QDir::homePath() + "/.config");
}

QString FirstConfigDir() {
    const QString dirs = qEnvironmentVariable("XDG_CONFIG_DIRS");
    const QString first = dirs.section(':', 0, 0);
    return first.isEmpty() ? QStringLiteral("/etc/xdg") : first;
}

QString DataHome() {
    return FromEnv("XDG_DATA_HOME", QDir::homePath() + "/.local/share");
}

QString StateHome() {
    return FromEnv("XDG_STATE_HOME", QDir::homePath() + "/.local/state");
}

QString RuntimeDir() {
    const QString dir = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return (!dir.isEmpty() && QFileInfo(dir).isDir()) ? dir : QString();
}

}  // namespace xdg
