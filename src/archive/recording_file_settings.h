#pragma once

#include <QString>

class SettingsKey;

// Instance numbering of new recordings, bit 0 of "FileInstanceMode".
enum FileInstanceMode : quint8 {
    InstanceAlways = 0,        // every name gets "_n"
    InstanceWhenRequired = 1,  // "_n" only when the plain name is taken
};

// Where new recordings go and how they are named and limited.
struct RecordingFileSettings {
    static constexpr int kDefaultFileSizeMb = 200;

    // Where recordings go when no folder was chosen: the music folder plus
    // "/Plumora", or the fallback when the desktop names no music folder.
    // It is created when the first recording starts.
    static QString DefaultRecordingDirectory();
    // The user's music folder plus "/Plumora"; empty without a music folder.
    static QString MusicRecordingDirectory();
    // The current directory, or the temporary directory when the current
    // one cannot be read.
    static QString FallbackRecordingDirectory();

    QString defaultDirectory = DefaultRecordingDirectory();  // may end with a separator
    int fileSize = kDefaultFileSizeMb;         // size limit in MB (1,048,576 bytes), at least 1
    QString improvedFilePattern;               // literal text and strftime codes, no extension
    quint8 fileInstanceMode = InstanceAlways;  // only bit 0 has a meaning

    FileInstanceMode instanceMode() const {
        return (fileInstanceMode & 1) ? InstanceWhenRequired : InstanceAlways;
    }
    // Sets bit 0, keeping the other bits.
    void setInstanceMode(FileInstanceMode mode) {
        fileInstanceMode = static_cast<quint8>((fileInstanceMode & ~1) | mode);
    }

    // Replaces every value; a missing or unreadable one gives its default.
    void Load(const SettingsKey& key);
    void Save(SettingsKey& key) const;

    bool operator==(const RecordingFileSettings&) const = default;
};
