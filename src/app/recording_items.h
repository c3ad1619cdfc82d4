#pragma once

#include <QString>
#include <ctime>
#include <string>
#include <utility>
#include <vector>

class SRecord;

// The metadata items written into a recording when it ends, in the order
// they are written: the timecode item (start time, event, station), the
// title, the year and the comment.
struct RecordingItemsInput {
    std::time_t startTime = 0;
    QString eventName;  // empty for a recording by hand
    float frequency = 0;
    std::tm start{};  // the start time in local time
    std::tm today{};  // the local date when it ends
};

using RecordingItems = std::vector<std::pair<std::string, std::string>>;

namespace recording_items {

// The text of the timecode item.
QString TimecodeItem(std::time_t startTime, const QString& eventName, float frequency);
// The title item: for a recording by hand (empty event name) frequency,
// start time and date; for an event its name and the date.
QString TitleText(const QString& eventName, float frequency, const std::tm& start,
                  const std::tm& today);
RecordingItems Make(const RecordingItemsInput& input);
// Stores the items through the recorder's SetTag; false when one failed.
bool Write(SRecord& recorder, const RecordingItems& items);

}  // namespace recording_items
