#pragma once

#include <QString>
#include <cstdint>
#include <ctime>
#include <functional>
#include <optional>
#include <vector>

// How the recording directory is shown: recordings grouped by the event
// that made them, each group labelled with the event's times, each
// recording with the time it was made and its name, newest first.

// Group of the recordings made by hand, and of names without a group part.
inline constexpr const char* kUnscheduledGroup = "<unscheduled>";

// Start time and days of the event a group is named after.
struct ArchiveEventTimes {
    int startHour = 0;
    int startMinute = 0;
    int days = 0;  // bit 0 Sunday ... bit 6 Saturday
};

// The times of the event of that name (case ignored), nothing when there
// is no such event.
using ArchiveEventLookup = std::function<std::optional<ArchiveEventTimes>(const QString& name)>;

struct ArchiveRecording {
    QString fileName;
    QString label;
    uint32_t itemData = 0;  // see RecordingItemData
    int64_t createdNs = 0;  // creation time, nanoseconds since 1970 (UTC)
};

struct ArchiveGroup {
    QString name;
    QString label;
    std::vector<ArchiveRecording> recordings;
};

// The text after the first "." of the name, in lower case; empty without ".".
QString RecordingExtension(const QString& fileName);
// True for names whose text after the first "." is wav, mp3 or ogg (any
// case); "a.b.wav" is not one.
bool IsRecordingName(const QString& fileName);
// The name up to its first "_", or without one up to its first "."; "lstav"
// (any case) and an empty name give "<unscheduled>".
QString GroupNameOf(const QString& fileName);
// The group name, and for an event its start "  %d:%2.2d " and its day
// abbreviations (Su M Tu W Th F Sa) run together.
QString GroupLabel(const QString& groupName, const std::optional<ArchiveEventTimes>& event);
// "7-Dec-2026 22:05" for the local time.
QString RecordingDateText(const std::tm& localTime);
// The date text, three blanks and the file name in double quotes.
QString RecordingLabel(const std::tm& localTime, const QString& fileName);
// The upper 32 bits of the local time as a count of 100 ns units since
// 1 January 1601; it changes every 429.4967296 seconds.
uint32_t RecordingItemData(int64_t unixNs, long utcOffsetSeconds);
// 1 when a < b, -1 when a > b, 0 when equal: newer recordings first.
int FileCompare(uint32_t a, uint32_t b);
// The text between the label's first and second double quote; empty when
// there is none.
QString QuotedFileName(const QString& label);

// The recordings of the directory, grouped: groups sorted by label (case
// ignored), recordings by FileCompare, recordings of one key newest first
// by their exact creation time. Only names are listed and file times read;
// no file is opened. A directory that cannot be read gives no groups.
std::vector<ArchiveGroup> ListArchive(const QString& directory, const ArchiveEventLookup& events);

// directory + separator (unless it ends with one) + name.
QString RecordingPathIn(const QString& directory, const QString& fileName);
