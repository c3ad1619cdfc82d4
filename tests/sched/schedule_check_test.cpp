#include <gtest/gtest.h>

#include "sched/event_table.h"
#include "sched/schedule_check.h"
#include "support/fake_clock.h"

namespace {

constexpr int kMonday = 1 << 1;
constexpr int kFriday = 1 << 5;
using V = std::vector<int>;

ScheduledEvent Event(const QString& name, int days, int startHour, int startMinute, int endHour,
                     int endMinute) {
    return ScheduledEvent{name,    94.5f,     days, startHour,      startMinute,
                          endHour, endMinute, -1,   kActionRecordOn};
}

// The main window's timer on a clock the test sets. In December 2026 the 7th
// is a Monday and the 11th a Friday.
class ScheduleCheckTest : public testing::Test {
  protected:
    // Ticks every two seconds from one minute to another, the last included;
    // the record control runs an event while the check has one active,
    // unless stopped by hand. Returns the results that were not 0.
    V Run(int day, int hour, int minute, int toDay, int toHour, int toMinute,
          bool stoppedByHand = false) {
        V fired;
        const std::time_t end = Time(toDay, toHour, toMinute) + 59;
        for (std::time_t t = Time(day, hour, minute); t <= end; t += 2) {
            std::tm tm{};
            gmtime_r(&t, &tm);
            clock.Set(2026, 12, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec);
            if (const int r = check.Tick(!stoppedByHand && check.activeEvent() >= 0); r != 0) {
                fired.push_back(r);
            }
        }
        return fired;
    }
    V Minute(int day, int hour, int minute) { return Run(day, hour, minute, day, hour, minute); }
    static std::time_t Time(int day, int hour, int minute) {
        FakeClock c;
        c.Set(2026, 12, day, hour, minute);
        return c.Now();
    }

    EventTable table;
    FakeClock clock;
    ScheduleCheck check{table, clock};
};

TEST_F(ScheduleCheckTest, EventAcrossMidnightStartsOnItsDayAndEndsNextMorning) {
    table.Add(Event("Late", kFriday, 23, 0, 1, 0));
    EXPECT_EQ(Run(10, 22, 0, 11, 22, 59), V{});  // Thursday is not its day
    EXPECT_EQ(Run(11, 23, 0, 12, 0, 59), V{1});
    EXPECT_EQ(Minute(12, 1, 0), V{-1});  // the end ignores the day
    EXPECT_EQ(check.activeEvent(), -1);
    EXPECT_EQ(Run(12, 1, 1, 12, 23, 59), V{});
}

TEST_F(ScheduleCheckTest, OnlyTheRunningEventCanEnd) {
    table.Add(Event("Morning", kMonday, 8, 0, 9, 0));
    EXPECT_EQ(Minute(7, 8, 0), V{1});
    EXPECT_EQ(Run(7, 8, 30, 7, 9, 0, /*stoppedByHand=*/true), V{});
    EXPECT_EQ(Minute(8, 9, 0), V{});
}

TEST_F(ScheduleCheckTest, OfTwoEventsInOneMinuteOnlyTheFirstNamedOneStarts) {
    table.Add(Event(QString(), kMonday, 8, 0, 9, 0));  // a free slot is no event
    table.Add(Event("A", kMonday, 8, 0, 9, 0));
    table.Add(Event("B", kMonday, 8, 0, 8, 30));
    EXPECT_EQ(Run(7, 8, 0, 7, 9, 0), (V{2, -2}));  // B never started, so never ends
}

TEST_F(ScheduleCheckTest, StartWinsOverEndInTheSameMinute) {
    table.Add(Event("A", kMonday, 7, 0, 8, 0));
    table.Add(Event("B", kMonday, 8, 0, 9, 0));
    EXPECT_EQ(Run(7, 7, 0, 7, 9, 0), (V{1, 2, -2}));
}

TEST_F(ScheduleCheckTest, MinuteOfAnEndIsExaminedAgainForStarts) {
    table.Add(Event("A", kMonday, 7, 0, 8, 0));
    table.Add(Event("B", kFriday, 8, 0, 9, 0));
    EXPECT_EQ(Minute(7, 7, 0), V{1});
    clock.Set(2026, 12, 7, 8, 0, 0);
    EXPECT_EQ(check.Tick(true), -1);
    // B is moved to today while that minute lasts: the next tick starts it.
    ScheduledEvent b = table.at(1);
    b.days |= kMonday;
    table.Replace(1, b);
    clock.Set(2026, 12, 7, 8, 0, 2);
    EXPECT_EQ(check.Tick(false), 2);
}

TEST_F(ScheduleCheckTest, StartEqualToEndStartsAndDoesNotEndThatDay) {
    table.Add(Event("Same", kMonday, 8, 0, 8, 0));
    EXPECT_EQ(Run(7, 7, 0, 7, 23, 59), V{1});
}

TEST_F(ScheduleCheckTest, EventWithoutDayBitsNeverStarts) {
    table.Add(Event("Never", 0, 8, 0, 9, 0));
    table.Add(Event("NoRealDay", 1 << 7, 8, 0, 9, 0));
    EXPECT_EQ(Run(6, 7, 59, 12, 8, 0), V{});
}

TEST_F(ScheduleCheckTest, NothingFiresWhileTimersAreDisabled) {
    table.Add(Event("A", kMonday, 8, 0, 9, 0));
    table.setTimerEnable(false);
    EXPECT_EQ(Run(7, 7, 59, 7, 8, 0), V{});
    table.setTimerEnable(true);  // still 08:00: the minute was not used up
    EXPECT_EQ(check.Tick(false), 1);
}

TEST_F(ScheduleCheckTest, RemovedActiveEventIsNotEnded) {
    table.Add(Event("A", kMonday, 7, 0, 8, 0));
    table.Add(Event("B", kMonday, 7, 30, 9, 0));
    EXPECT_EQ(Minute(7, 7, 30), V{2});
    table.Remove("B");
    // The freed slot reads 00:00 to 00:00: nothing ends then or at B's end.
    EXPECT_EQ(Run(7, 7, 31, 8, 0, 1), V{});
}

}  // namespace
