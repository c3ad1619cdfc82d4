#include <gtest/gtest.h>

#include "sched/event_table.h"
#include "sched/schedule_check.h"
#include "support/fake_clock.h"

namespace {

constexpr int kMonday = 1 << 1;
constexpr int kFriday = 1 << 5;

ScheduledEvent Event(const QString& name, int days, int startHour, int startMinute, int endHour,
                     int endMinute) {
    ScheduledEvent e;
    e.name = name;
    e.frequency = 94.5f;
    e.days = days;
    e.startHour = startHour;
    e.startMinute = startMinute;
    e.endHour = endHour;
    e.endMinute = endMinute;
    e.keep = -1;
    e.action = kActionRecordOn;
    return e;
}

// The timer of the main window, ticking on a clock the test sets. December
// 2026: the 7th is a Monday, the 11th a Friday.
class ScheduleCheckTest : public testing::Test {
  protected:
    // Every tick of one minute: the results that were not 0.
    std::vector<int> Minute(int day, int hour, int minute, bool running = true) {
        std::vector<int> fired;
        for (int second = 0; second < 60; second += 2) {
            clock.Set(2026, 12, day, hour, minute, second);
            if (const int r = check.Tick(running); r != 0) {
                fired.push_back(r);
            }
        }
        return fired;
    }
    // Ticks once per minute from one time to another, the end included.
    std::vector<int> Span(int day, int hour, int minute, int toDay, int toHour, int toMinute) {
        std::vector<int> fired;
        for (std::time_t t = Time(day, hour, minute); t <= Time(toDay, toHour, toMinute); t += 60) {
            std::tm tm{};
            gmtime_r(&t, &tm);
            clock.Set(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min);
            if (const int r = check.Tick(check.activeEvent() >= 0); r != 0) {
                fired.push_back(r);
            }
        }
        return fired;
    }
    static std::time_t Time(int day, int hour, int minute) {
        FakeClock c;
        c.Set(2026, 12, day, hour, minute);
        return c.Now();
    }

    EventTable table;
    FakeClock clock;
    ScheduleCheck check{table, clock};
};

using V = std::vector<int>;

TEST_F(ScheduleCheckTest, EventAcrossMidnightStartsOnItsDayAndEndsNextMorning) {
    table.Add(Event("Late", kFriday, 23, 0, 1, 0));

    EXPECT_EQ(Span(10, 22, 0, 11, 22, 59), V{});  // Thursday 23:00 is not its day
    EXPECT_EQ(Minute(11, 23, 0), V{1});
    EXPECT_EQ(check.activeEvent(), 0);
    EXPECT_EQ(Span(11, 23, 1, 12, 0, 59), V{});
    EXPECT_EQ(Minute(12, 1, 0), V{-1});  // Saturday: the end ignores the day
    EXPECT_EQ(check.activeEvent(), -1);
    EXPECT_EQ(Span(12, 1, 1, 12, 23, 59), V{});  // and it does not start on Saturday
}

TEST_F(ScheduleCheckTest, OnlyTheRunningEventCanEnd) {
    table.Add(Event("Morning", kMonday, 8, 0, 9, 0));
    EXPECT_EQ(Minute(7, 8, 0), V{1});
    // The recording was stopped by hand: the record control runs nothing.
    EXPECT_EQ(Minute(7, 8, 30, false), V{});
    EXPECT_EQ(Minute(7, 9, 0, false), V{});
    // Without a start the end time means nothing.
    EXPECT_EQ(Minute(14, 9, 0), V{});
}

TEST_F(ScheduleCheckTest, OfTwoEventsInOneMinuteOnlyTheFirstNamedOneStarts) {
    table.Add(Event(QString(), kMonday, 8, 0, 9, 0));  // a free slot is never an event
    table.Add(Event("A", kMonday, 8, 0, 9, 0));
    table.Add(Event("B", kMonday, 8, 0, 8, 30));
    EXPECT_EQ(Minute(7, 8, 0), V{2});
    EXPECT_EQ(Minute(7, 8, 30), V{});  // B never started, so its end does nothing
    EXPECT_EQ(Minute(7, 9, 0), V{-2});
}

TEST_F(ScheduleCheckTest, StartWinsOverEndInTheSameMinute) {
    table.Add(Event("A", kMonday, 7, 0, 8, 0));
    table.Add(Event("B", kMonday, 8, 0, 9, 0));
    EXPECT_EQ(Minute(7, 7, 0), V{1});
    EXPECT_EQ(Minute(7, 8, 0), V{2});
    EXPECT_EQ(check.activeEvent(), 1);
    EXPECT_EQ(Minute(7, 9, 0), V{-2});
}

TEST_F(ScheduleCheckTest, MinuteOfAnEndIsExaminedAgainForStarts) {
    table.Add(Event("A", kMonday, 7, 0, 8, 0));
    table.Add(Event("B", kFriday, 8, 0, 9, 0));
    EXPECT_EQ(Minute(7, 7, 0), V{1});
    clock.Set(2026, 12, 7, 8, 0, 0);
    EXPECT_EQ(check.Tick(true), -1);
    // B is moved to today while the minute lasts: the next tick starts it.
    ScheduledEvent b = table.at(1);
    b.days |= kMonday;
    table.Replace(1, b);
    clock.Set(2026, 12, 7, 8, 0, 2);
    EXPECT_EQ(check.Tick(false), 2);
    clock.Set(2026, 12, 7, 8, 0, 4);
    EXPECT_EQ(check.Tick(true), 0);
}

TEST_F(ScheduleCheckTest, EventWithStartEqualToEndIsNotEndedThatDay) {
    table.Add(Event("Same", kMonday, 8, 0, 8, 0));
    EXPECT_EQ(Span(7, 7, 0, 7, 23, 59), V{1});
    EXPECT_EQ(check.activeEvent(), 0);
}

TEST_F(ScheduleCheckTest, EventWithoutDayBitsNeverStarts) {
    table.Add(Event("Never", 0, 8, 0, 9, 0));
    table.Add(Event("NoRealDay", 1 << 7, 8, 0, 9, 0));
    for (int day = 6; day <= 12; ++day) {
        EXPECT_EQ(Minute(day, 8, 0), V{}) << day;
    }
}

TEST_F(ScheduleCheckTest, NothingFiresWhileTimersAreDisabled) {
    table.Add(Event("A", kMonday, 8, 0, 9, 0));
    table.setTimerEnable(false);
    clock.Set(2026, 12, 7, 8, 0, 0);
    EXPECT_EQ(check.Tick(false), 0);
    table.setTimerEnable(true);
    clock.Set(2026, 12, 7, 8, 0, 40);
    EXPECT_EQ(check.Tick(false), 1);  // the disabled ticks did not use the minute up
}

TEST_F(ScheduleCheckTest, RemovedActiveEventIsNotEnded) {
    table.Add(Event("A", kMonday, 7, 0, 8, 0));
    table.Add(Event("B", kMonday, 7, 30, 9, 0));
    EXPECT_EQ(Minute(7, 7, 30), V{2});
    table.Remove("B");
    // The freed slot reads as 00:00 to 00:00; nothing may end at midnight
    // or at B's old end.
    EXPECT_EQ(Span(7, 7, 31, 8, 0, 30), (V{}));
    EXPECT_EQ(check.activeEvent(), -1);
}

}  // namespace
