#include "radio/program_window_search.h"

#include <QCoreApplication>
#include <QFileInfo>

bool WaitUntilGone(WindowAutomation& automation, Clock& clock, WindowHandle window, int tries,
                   int intervalMs) {
    for (int attempt = 0; attempt < tries; ++attempt) {
        if (!automation.IsWindow(window)) {
            return true;
        }
        clock.SleepMs(intervalMs);
    }
    return !automation.IsWindow(window);
}

QString ProgramFolder() {
    if (QCoreApplication::instance() != nullptr) {
        return QCoreApplication::applicationDirPath();
    }
    return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath().section('/', 0, -2);
}

QString WithDrive(const QString& path, QChar drive) {
    QString result = path;
    if (!result.isEmpty()) {
        result[0] = drive;
    }
    return result;
}
