#pragma once

#include <QString>
#include <ctime>

#include "archive/event_recordings.h"
#include "archive/recording_file_settings.h"

class Clock;

// Base name of a recording started by hand.
inline constexpr const char* kHandRecordingBase = "lstav";
// Longest file name made from a base or pattern, without directory.
inline constexpr int kMaxRecordingNameLength = 259;
// Instance numbers run from 1 to this.
inline constexpr int kMaxInstanceNumber = 9999;

// The text with its strftime codes expanded for the given local time, cut
// to kMaxRecordingNameLength characters, made fit for a recording's name:
// "/", "\\", ":", "*", "?" and control characters become "-", and a "." becomes
// "-" before a letter or digit and is dropped elsewhere (so the French "%b"
// of December, "déc.", gives "déc"). A recording's name thus never leaves
// the recording directory and has its only "." before the extension, as the
// archive needs to list it.
QString ExpandNameCodes(const QString& text, const std::tm& localTime);

// The base of a new recording: the event's name, or "lstav" for a recording
// started by hand (empty name), followed by "_" and the pattern when there is
// one.
QString RecordingBaseName(const QString& eventName, const QString& pattern);

// The part of a base name that names the event: up to the first "_", or
// when there is none up to the first "."; "/" becomes "-" as in file names.
QString EventPrefix(const QString& base);

struct RecordingPath {
    QString path;   // full path of the new recording; empty when no name is free
    QString error;  // why there is no path, for the user

    bool ok() const { return !path.isEmpty(); }
};

// The full path of a new recording in the recording directory: the base
// (empty for a recording started by hand) with its time codes expanded, an
// instance number "_n" as the instance mode asks, and "." + extension ("wav",
// "mp3" or "ogg"). The expanded name is shortened where needed so that the
// file name, instance number and extension included, fits the file system's
// limit. A name that exists (even as a dangling link) is never returned;
// when instance numbers 1 to 9999 are all taken there is no path. Creates and
// deletes no file.
RecordingPath MakeRecordingPath(const RecordingFileSettings& settings, Clock& clock,
                                const QString& base, const QString& extension);

// Called once the recording at newRecording has started: deletes the oldest
// recordings of its event (the names that start with the part of its name
// before the first "_", then "_") so that, the new one included, keep
// remain. keep below 1 deletes nothing. What went wrong goes to the log
// and is returned; empty when all went well.
QString PruneOlderRecordings(const QString& newRecording, int keep);

// The sample name shown for a pattern: "Event", "_" and the pattern when
// there is one, "_1" when every name gets an instance number, and the
// extension of the default recording format, expanded for the current time.
QString FormatPatternPreview(const QString& pattern, FileInstanceMode mode, int defaultAudioFormat,
                             Clock& clock);
