#include <gtest/gtest.h>

#include "sched/event_table.h"
#include "sched/sleep_rule.h"
#include "support/fake_clock.h"

namespace {

TEST(SleepBlockWanted, WhileRecordingAndFromTwoMinutesBeforeAnEventThatCanStart) {
    EventTable table;
    table.Add(ScheduledEvent{"News", 94.5f, 1 << 1, 8, 0, 9, 0, -1, kActionRecord});  // Monday
    table.Add(ScheduledEvent{"Quiet", 94.5f, 1 << 1, 9, 0, 9, 30, -1, kActionNone});
    table.Add(ScheduledEvent{"Night", 94.5f, 1 << 6, 0, 1, 1, 0, -1, kActionRadioOn});  // Saturday
    const struct {
        int day, hour, minute, second;  // December 2026: the 7th is a Monday
        bool recording;
        bool timers;
        bool wanted;
    } cases[] = {
        {7, 7, 57, 59, false, true, false},  {7, 7, 58, 0, false, true, true},
        {7, 8, 0, 59, false, true, true},    {7, 8, 1, 0, false, true, false},
        {7, 8, 30, 0, true, true, true},     {7, 8, 58, 30, false, true, false},
        {11, 23, 59, 30, false, true, true},  // Saturday's event, across midnight
        {13, 8, 0, 0, false, true, false},    // Sunday is not News's day
        {7, 7, 59, 0, false, false, false},  {7, 7, 59, 0, true, false, true},
    };
    FakeClock clock;
    for (const auto& c : cases) {
        clock.Set(2026, 12, c.day, c.hour, c.minute, c.second);
        table.setTimerEnable(c.timers);
        EXPECT_EQ(SleepBlockWanted(table, clock, c.recording), c.wanted)
            << c.day << " " << c.hour << ":" << c.minute << ":" << c.second << " recording "
            << c.recording << " timers " << c.timers;
    }
}

}  // namespace
