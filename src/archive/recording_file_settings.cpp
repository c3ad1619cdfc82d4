#include "archive/recording_file_settings.h"

#include <QDir>
#include <algorithm>

#include "platform/settings_hive.h"
#include "prefs/settings_values.h"

QString RecordingFileSettings::DefaultRecordingDirectory() {
    const QString current = QDir::currentPath();
    return current.isEmpty() ? QDir::tempPath() : current.left(settings_values::kMaxTextLength);
}

void RecordingFileSettings::Load(const SettingsKey& key) {
    // An empty directory would put recordings at the root of the file system.
    if (const auto dir = key.QueryString("DefaultDirectory"); dir && !dir->isEmpty()) {
        defaultDirectory = dir->left(settings_values::kMaxTextLength);
    }
    if (const auto text = key.QueryString("FileSize")) {
        if (const auto size = settings_values::ParseInt(*text)) {
            // The File page never stores less than 1; a hand-edited 0 or
            // negative limit would end every recording at once.
            fileSize = std::max(*size, 1);
        }
    }
    settings_values::ReadText(key, "ImprovedFilePattern", improvedFilePattern);
    if (const auto mode = key.QueryByte("FileInstanceMode")) {
        fileInstanceMode = *mode;
    }
}

void RecordingFileSettings::Save(SettingsKey& key) const {
    key.SetString("FileSize", QString::number(fileSize));
    key.SetString("DefaultDirectory", defaultDirectory);
    key.SetString("ImprovedFilePattern", improvedFilePattern);
    key.SetByte("FileInstanceMode", fileInstanceMode);
}
