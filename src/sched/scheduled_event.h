#pragma once

#include <QString>

// What an event does at its start time. Bit 0 records, bit 2 makes the radio
// audible; other values act by their bits.
enum EventAction : int {
    kActionNone = 0,
    kActionRecord = 1,
    kActionRadioOn = 4,
    kActionRecordOn = 5,
};

inline constexpr int kActionRecordBit = 0x01;
inline constexpr int kActionAudibleBit = 0x04;

inline bool ActionRecords(int action) {
    return (action & kActionRecordBit) != 0;
}
inline bool ActionAudible(int action) {
    return (action & kActionAudibleBit) != 0;
}

// "no action", "Record", "Radio On", "Record+On", else "<undefined>".
QString EventActionText(int action);

// Day bits of ScheduledEvent::days.
inline constexpr int kDaySunday = 0x01;  // bit n is day n, 0 = Sunday
inline constexpr int kEveryDay = 127;
inline constexpr int kWeekdays = 62;
inline constexpr int kWeekend = 65;

// One scheduled event. An empty name marks a free slot.
struct ScheduledEvent {
    static constexpr int kMaxNameLength = 259;

    QString name;
    float frequency = 0.0f;  // MHz; below 2 is AM
    int days = 0;            // bit 0 Sunday ... bit 6 Saturday
    int startHour = 0;
    int startMinute = 0;
    int endHour = 0;
    int endMinute = 0;
    int keep = 0;  // recordings to keep; -1 keeps all
    int action = kActionNone;

    bool operator==(const ScheduledEvent&) const = default;
};

// An event the schedule can start: named, with an action other than "no
// action", with start and end times of the day (hour 0 to 23, minute 0 to
// 59).
bool CanStart(const ScheduledEvent& event);
