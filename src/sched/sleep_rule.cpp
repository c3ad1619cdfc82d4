#include "sched/sleep_rule.h"

#include "platform/clock.h"
#include "sched/event_table.h"

bool SleepBlockWanted(const EventTable& table, const Clock& clock, bool recording) {
    if (recording) {
        return true;
    }
    if (!table.timerEnable()) {
        return false;
    }
    const std::time_t now = clock.Now();
    for (int ahead = 0; ahead <= kSleepBlockLeadMinutes; ++ahead) {
        const std::tm local = clock.LocalTime(now + ahead * 60);
        for (int i = 0; i < table.count(); ++i) {
            const ScheduledEvent& event = table.at(i);
            if (CanStart(event) && (event.days & (1 << local.tm_wday)) != 0 &&
                event.startHour == local.tm_hour && event.startMinute == local.tm_min) {
                return true;
            }
        }
    }
    return false;
}
