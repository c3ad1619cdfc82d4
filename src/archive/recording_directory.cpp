#include "archive/recording_directory.h"

#include <QDir>
#include <QFileInfo>

#include "archive/recording_file_settings.h"

namespace {

bool MakeDirectory(const QString& path) {
    return QFileInfo(path).isDir() || QDir().mkpath(path);
}

bool SamePath(const QString& a, const QString& b) {
    return QDir::cleanPath(a) == QDir::cleanPath(b);
}

}  // namespace

QString PrepareRecordingDirectory(RecordingFileSettings& settings) {
    if (settings.defaultDirectory.isEmpty()) {
        settings.defaultDirectory = RecordingFileSettings::DefaultRecordingDirectory();
    }
    if (MakeDirectory(settings.defaultDirectory)) {
        return {};
    }
    const QString music = RecordingFileSettings::MusicRecordingDirectory();
    if (!music.isEmpty() && SamePath(settings.defaultDirectory, music)) {
        const QString fallback = RecordingFileSettings::FallbackRecordingDirectory();
        if (MakeDirectory(fallback)) {
            settings.defaultDirectory = fallback;
            return {};
        }
    }
    return QStringLiteral("cannot create the recording folder ") + settings.defaultDirectory;
}
