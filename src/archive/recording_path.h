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
// to kMaxRecordingNameLength characters. Every "/" of the result becomes
// "-", so that neither a name nor a code such as "%D" can leave the
// recording directory.
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
    PruneResult prune = PruneResult::kDone;
    QString warning;  // what went wrong while deleting old recordings, for the user

    bool ok() const { return !path.isEmpty(); }
};

// The full path of a new recording in the recording directory: the base
// (empty for a recording started by hand) with its time codes expanded, an
// instance number "_n" as the instance mode asks, and "." + extension ("wav",
// "mp3" or "ogg"). keep is the event's keep count: before naming, the
// event's oldest recordings are deleted so that keep - 1 remain; keep below
// 1 deletes nothing. The expanded name is shortened where needed so that the
// file name, instance number and extension included, fits the file system's
// limit. A name that exists (even as a dangling link) is never returned;
// when instance numbers 1 to 9999 are all taken there is no path. Creates no
// file.
RecordingPath MakeRecordingPath(const RecordingFileSettings& settings, Clock& clock,
                                const QString& base, const QString& extension, int keep);

// The sample name shown for a pattern: "Event", "_" and the pattern when
// there is one, "_1" when every name gets an instance number, and the
// extension of the default recording format, expanded for the current time.
QString FormatPatternPreview(const QString& pattern, FileInstanceMode mode, int defaultAudioFormat,
                             Clock& clock);
