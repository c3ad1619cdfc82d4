#include "sched/schedule_check.h"

#include "platform/clock.h"
#include "sched/event_table.h"

ScheduleCheck::ScheduleCheck(const EventTable& table, Clock& clock)
    : table_(table), clock_(clock) {}

int ScheduleCheck::CheckSchedule(bool forget) {
    if (forget) {
        activeEvent_ = -1;
    }
    const std::tm now = clock_.LocalNow();
    if (now.tm_hour == lastHour_ && now.tm_min == lastMinute_) {
        return 0;
    }
    lastHour_ = now.tm_hour;
    lastMinute_ = now.tm_min;

    const int todayBit = 1 << now.tm_wday;
    for (int i = 0; i < table_.count(); ++i) {
        const ScheduledEvent& event = table_.at(i);
        if (!event.name.isEmpty() && (event.days & todayBit) != 0 &&
            event.startHour == now.tm_hour && event.startMinute == now.tm_min) {
            activeEvent_ = i;
            return i + 1;
        }
    }

    // The table may have shrunk since the event started; an index that no
    // longer names an event ends nothing.
    if (activeEvent_ >= table_.count()) {
        activeEvent_ = -1;
    }
    if (activeEvent_ >= 0) {
        const ScheduledEvent& event = table_.at(activeEvent_);
        if (event.endHour == now.tm_hour && event.endMinute == now.tm_min) {
            const int ended = activeEvent_;
            activeEvent_ = -1;
            // Examine this minute again on the next tick, so that an event
            // starting in it still starts.
            lastMinute_ = -1;
            return -(ended + 1);
        }
    }
    return 0;
}

int ScheduleCheck::Tick(bool eventRunning) {
    if (!table_.timerEnable()) {
        return 0;
    }
    return CheckSchedule(!eventRunning);
}
