#include "sched/event_defaults.h"

ScheduledEvent DefaultEvent(float frequency, const std::tm& now) {
    ScheduledEvent event;
    event.frequency = frequency;
    event.days = kDaySunday << (now.tm_wday % 7);
    event.startHour = now.tm_hour;
    event.startMinute = 0;
    event.endHour = (now.tm_hour + 1) % 24;
    event.endMinute = 0;
    event.keep = -1;
    event.action = kActionRecordOn;
    return event;
}
