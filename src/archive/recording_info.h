#pragma once

#include <QString>
#include <cstdint>
#include <ctime>
#include <string_view>
#include <vector>

// What the archive reads from a recording's metadata item.
struct RecordingInfo {
    static constexpr int kMaxTimecodes = 2000;

    struct Timecode {
        uint32_t position = 0;
        std::time_t time = 0;
    };

    std::vector<Timecode> timecodes;  // at most kMaxTimecodes
    QString eventName;
    double station = -1;        // MHz; -1 = unknown
    std::time_t startTime = 0;  // the first entry's time; 0 = unknown
};

// Goes through the item line by line: a line whose first word is a number
// is a timecode entry (position, time); "EVENT" takes the next word as the
// event name, "STATION" the next number as the frequency; other lines are
// skipped.
RecordingInfo ParseRecordingInfo(std::string_view item);

// The metadata of a WAVE or MP3 recording; nothing known for an Ogg file,
// a file without the item, or one that cannot be read.
RecordingInfo ReadRecordingInfo(const QString& path);

// What the "Details" box shows about a recording.
struct RecordingDetails {
    QString path;
    RecordingInfo info;
    int64_t length = 0;  // bytes of audio data
    uint32_t bytesPerSecond = 0;
    uint16_t formatTag = 0;
    QString codecName;  // name of the format tag, empty when unknown
};

QString RecordingDetailsText(const RecordingDetails& details);
