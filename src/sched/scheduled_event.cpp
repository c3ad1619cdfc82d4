#include "sched/scheduled_event.h"

QString EventActionText(int action) {
    switch (action) {
        case kActionNone:
            return QStringLiteral("no action");
        case kActionRecord:
            return QStringLiteral("Record");
        case kActionRadioOn:
            return QStringLiteral("Radio On");
        case kActionRecordOn:
            return QStringLiteral("Record+On");
        default:
            return QStringLiteral("<undefined>");
    }
}

bool CanStart(const ScheduledEvent& event) {
    const auto validTime = [](int hour, int minute) {
        return hour >= 0 && hour < 24 && minute >= 0 && minute < 60;
    };
    return !event.name.isEmpty() && event.action != kActionNone &&
           validTime(event.startHour, event.startMinute) &&
           validTime(event.endHour, event.endMinute);
}
