#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>
#include <vector>

// One point of a recording's timeline: the byte of the audio data at
// `position` was recorded at calendar time `time` (seconds since 1970).
struct TimecodeEntry {
    std::time_t time = 0;
    int64_t position = 0;  // past 4 GiB in an RF64 recording

    bool operator==(const TimecodeEntry&) const = default;
};

// A comment over a stretch of the recording; an end of 0 or kOpenEnd is open.
struct RecComment {
    static constexpr uint32_t kOpenEnd = 0xFFFFFFFF;

    std::string text;
    uint32_t start = 0;
    uint32_t end = kOpenEnd;

    bool operator==(const RecComment&) const = default;
};

// What the metadata item's lines hold, in the order they were read.
struct MetadataLines {
    static constexpr std::size_t kMaxTimecodes = 20000;
    static constexpr std::size_t kMaxLineLength = 259;

    std::vector<TimecodeEntry> timecodes;  // at most kMaxTimecodes
    std::vector<RecComment> comments;      // as written, ends not adjusted
};

// Reads the metadata item's text: header, timecode, EVENT, STATION and
// COMMENT lines. Parsing stops at the first line that starts with another
// word; what was read up to there is returned.
MetadataLines ParseMetadataItem(std::string_view text);

// The item as a recording file stores it: the header line, one line per
// timecode entry and one per comment, each ending in CR LF.
std::string BuildMetadataItem(const std::vector<TimecodeEntry>& timecodes,
                              const std::vector<RecComment>& comments);
