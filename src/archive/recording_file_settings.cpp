#include "archive/recording_file_settings.h"

#include <QDir>
#include <QStandardPaths>
#include <algorithm>

#include "platform/settings_hive.h"
#include "prefs/settings_values.h"

QString RecordingFileSettings::DefaultRecordingDirectory() {
    const QString music = MusicRecordingDirectory();
    return music.isEmpty() ? FallbackRecordingDirectory() : music;
}

QString RecordingFileSettings::MusicRecordingDirectory() {
    const QString music = QStandardPaths::writableLocation(QStandardPaths::MusicLocation);
    if (music.isEmpty()) {
        return {};
    }
    const QString folder = QDir(music).filePath(QStringLiteral("Plumora"));
    return folder.size() > settings_values::kMaxTextLength ? QString() : folder;
}

QString RecordingFileSettings::FallbackRecordingDirectory() {
    const QString current = QDir::currentPath();
    return current.isEmpty() ? QDir::tempPath() : current.left(settings_values::kMaxTextLength);
}

void RecordingFileSettings::Load(const SettingsKey& key) {
    // An empty directory would put recordings at the root of the file system.
    const auto dir = key.QueryString("DefaultDirectory");
    defaultDirectory = (dir && !dir->isEmpty()) ? dir->left(settings_values::kMaxTextLength)
                                                : DefaultRecordingDirectory();

    const auto sizeText = key.QueryString("FileSize");
    const auto size = sizeText ? settings_values::ParseInt(*sizeText) : std::nullopt;
    // The File page never stores less than 1; a hand-edited 0 or negative
    // limit would end every recording at once.
    fileSize = size ? std::max(*size, 1) : kDefaultFileSizeMb;

    improvedFilePattern = settings_values::ReadText(key, "ImprovedFilePattern", QString());
    fileInstanceMode = key.QueryByte("FileInstanceMode").value_or(InstanceAlways);
}

void RecordingFileSettings::Save(SettingsKey& key) const {
    key.SetString("FileSize", QString::number(fileSize));
    key.SetString("DefaultDirectory", defaultDirectory);
    key.SetString("ImprovedFilePattern", improvedFilePattern);
    key.SetByte("FileInstanceMode", fileInstanceMode);
}
