#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "sched/event_table.h"
#include "sched/schedule_check.h"
#include "support/fake_clock.h"

namespace {

constexpr int kSunday = 1 << 0;
constexpr int kMonday = 1 << 1;
constexpr int kFriday = 1 << 5;
using V = std::vector<std::string>;

ScheduledEvent Event(const QString& name, int days, int startHour, int startMinute, int endHour,
                     int endMinute, int action = kActionRecordOn) {
    return ScheduledEvent{name,    94.5f,     days, startHour, startMinute,
                          endHour, endMinute, -1,   action};
}

std::string Text(const ScheduleDecision& d) {
    return (d.kind == ScheduleDecision::kStart ? "+" : "-") + d.event.toStdString();
}

// The main window's timer on a clock the test sets. In December 2026 the 7th
// is a Monday and the 11th a Friday. Local time is UTC here.
class ScheduleCheckTest : public testing::Test {
  protected:
    // Ticks every two seconds from one minute to another, the last included;
    // the record control runs what the check started, until the check ends
    // it or it is stopped by hand. Returns the decisions.
    V Run(int day, int hour, int minute, int toDay, int toHour, int toMinute,
          bool stoppedByHand = false) {
        V fired;
        const std::time_t end = Time(toDay, toHour, toMinute) + 59;
        for (std::time_t t = Time(day, hour, minute); t <= end; t += 2) {
            std::tm tm{};
            gmtime_r(&t, &tm);
            clock.Set(2026, 12, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec);
            if (stoppedByHand) {
                running.clear();
            }
            if (const ScheduleDecision d = check.Tick(running); d.kind != ScheduleDecision::kNone) {
                running = d.kind == ScheduleDecision::kStart ? d.event : QString();
                fired.push_back(Text(d));
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
    QString running;
};

TEST_F(ScheduleCheckTest, EventAcrossMidnightStartsOnItsDayAndEndsNextMorning) {
    table.Add(Event("Late", kFriday, 23, 0, 1, 0));
    EXPECT_EQ(Run(10, 22, 0, 11, 22, 59), V{});  // Thursday is not its day
    EXPECT_EQ(Run(11, 23, 0, 12, 0, 59), V{"+Late"});
    EXPECT_EQ(Minute(12, 1, 0), V{"-Late"});  // the end ignores the day
    EXPECT_EQ(Run(12, 1, 1, 12, 23, 59), V{});
}

TEST_F(ScheduleCheckTest, OnlyTheRunningEventCanEnd) {
    table.Add(Event("Morning", kMonday, 8, 0, 9, 0));
    EXPECT_EQ(Minute(7, 8, 0), V{"+Morning"});
    // Stopped by hand: a later catch-up does not join it again.
    EXPECT_EQ(Run(7, 8, 30, 7, 9, 0, /*stoppedByHand=*/true), V{});
    EXPECT_EQ(Minute(8, 9, 0), V{});
}

TEST_F(ScheduleCheckTest, OfTwoEventsInOneMinuteOnlyTheFirstRealOneStarts) {
    table.Add(Event(QString(), kMonday, 8, 0, 9, 0));              // a free slot is no event
    table.Add(Event("Quiet", kMonday, 8, 0, 9, 30, kActionNone));  // nor is "no action"
    table.Add(Event("A", kMonday, 8, 0, 9, 0));
    table.Add(Event("B", kMonday, 8, 0, 8, 30));
    EXPECT_EQ(Run(7, 8, 0, 7, 9, 40), (V{"+A", "-A"}));  // B never started, so never ends
}

TEST_F(ScheduleCheckTest, StartWinsOverEndInTheSameMinute) {
    table.Add(Event("A", kMonday, 7, 0, 8, 0));
    table.Add(Event("B", kMonday, 8, 0, 9, 0));
    EXPECT_EQ(Run(7, 7, 0, 7, 9, 0), (V{"+A", "+B", "-B"}));
}

TEST_F(ScheduleCheckTest, MinuteOfAnEndIsExaminedAgainForStarts) {
    table.Add(Event("A", kMonday, 7, 0, 8, 0));
    table.Add(Event("B", kFriday, 8, 0, 9, 0));
    EXPECT_EQ(Minute(7, 7, 0), V{"+A"});
    clock.Set(2026, 12, 7, 8, 0, 0);
    EXPECT_EQ(check.Tick("A"), (ScheduleDecision{ScheduleDecision::kStop, "A", {}}));
    // B is moved to today while that minute lasts: the next tick starts it.
    ScheduledEvent b = table.at(1);
    b.days |= kMonday;
    table.Replace(1, b);
    clock.Set(2026, 12, 7, 8, 0, 2);
    EXPECT_EQ(check.Tick(""), (ScheduleDecision{ScheduleDecision::kStart, "B", {}}));
}

TEST_F(ScheduleCheckTest, StartEqualToEndRunsADay) {
    table.Add(Event("Same", kMonday, 8, 0, 8, 0));
    EXPECT_EQ(Run(7, 7, 0, 8, 7, 59), (V{"+Same"}));
    EXPECT_EQ(Minute(8, 8, 0), (V{"-Same"}));
}

TEST_F(ScheduleCheckTest, EventWithoutDayBitsNeverStarts) {
    table.Add(Event("Never", 0, 8, 0, 9, 0));
    table.Add(Event("NoRealDay", 1 << 7, 8, 0, 9, 0));
    table.Add(Event("BadHour", kEveryDay, 24, 0, 9, 0));
    EXPECT_EQ(Run(6, 7, 59, 12, 8, 0), V{});
}

TEST_F(ScheduleCheckTest, NothingFiresWhileTimersAreDisabled) {
    table.Add(Event("A", kMonday, 8, 0, 9, 0));
    table.setTimerEnable(false);
    EXPECT_EQ(Run(7, 7, 59, 7, 8, 0), V{});
    table.setTimerEnable(true);  // still 08:00: the minute was not used up
    EXPECT_EQ(check.Tick(""), (ScheduleDecision{ScheduleDecision::kStart, "A", {}}));
}

TEST_F(ScheduleCheckTest, EditsOfTheListNeverMoveTheRunningEvent) {
    table.Add(Event("A", kMonday, 7, 0, 8, 0));
    table.Add(Event("B", kMonday, 7, 30, 9, 0));
    table.Add(Event("C", kMonday, 7, 45, 10, 0));
    EXPECT_EQ(Minute(7, 7, 30), V{"+B"});
    table.Remove("A");  // B moves to index 0, where A's times no longer count
    EXPECT_EQ(Run(7, 7, 31, 7, 7, 44), V{});
    EXPECT_EQ(Run(7, 7, 45, 7, 9, 59), (V{"+C"}));
    table.Remove("C");  // the running event goes: its recording ends
    EXPECT_EQ(Minute(7, 10, 0), V{"-C"});
}

struct ZoneCase {
    const char* name;
    std::vector<ScheduledEvent> events;
    // Steps: "run <UTC>" ticks every 2 s, "jump <UTC>" sets the wall clock
    // only, "zone <TZ>", "hand" (stopped by hand), "resume".
    const char* steps;
    V expected;  // "<local weekday, time, zone> +/-event", "!event" when missed
};

TEST(ScheduleCheckZones, ClockChangesJumpsResumesAndZoneChanges) {
    const BerlinZone berlin;
    // Europe/Berlin: the clocks go forward on Sunday 28 March 2027 and back
    // on Sunday 25 October 2026, at 01:00 UTC.
    const ZoneCase cases[] = {
        {"skipped hour",
         {Event("Early", kSunday, 1, 30, 2, 30), Event("Gone", kSunday, 2, 10, 2, 40),
          Event("Night", kSunday, 2, 30, 4, 0)},
         "jump 2027-03-28 00:20; run 2027-03-28 03:10",
         {"Sun 01:30 CET +Early", "Sun 03:00 CEST -Early", "Sun 03:00 CEST +Night",
          "Sun 04:00 CEST -Night"}},
        {"repeated hour",
         {Event("Twice", kSunday, 2, 10, 2, 20), Event("Span", kSunday, 2, 30, 3, 30),
          Event("Before", kSunday, 1, 30, 2, 15)},
         "jump 2026-10-24 23:20; run 2026-10-25 03:00",
         {"Sun 01:30 CEST +Before", "Sun 02:10 CEST +Twice", "Sun 02:20 CEST -Twice",
          "Sun 02:30 CEST +Span", "Sun 03:30 CET -Span"}},
        {"started inside a window; clock set an hour on: missed end, window joined",
         {Event("News", kMonday, 10, 0, 10, 30), Event("Talk", kMonday, 11, 0, 12, 0)},
         "jump 2026-12-07 09:12; run 2026-12-07 09:20; jump 2026-12-07 10:20; "
         "run 2026-12-07 11:05",
         {"Mon 10:12 CET +News", "Mon 11:20 CET -News", "Mon 11:20 CET +Talk",
          "Mon 12:00 CET -Talk"}},
        {"suspended through a start: the window that began last wins",
         {Event("Long", kMonday, 9, 0, 12, 0), Event("Short", kMonday, 10, 0, 11, 0)},
         "jump 2026-12-07 07:58; run 2026-12-07 08:05; jump 2026-12-07 09:20; "
         "run 2026-12-07 10:30",
         {"Mon 09:00 CET +Long", "Mon 10:20 CET +Short", "Mon 11:00 CET -Short"}},
        {"a resume joins a window; one stopped by hand stays stopped",
         {Event("P", kMonday, 10, 0, 10, 10), Event("Q", kMonday, 10, 0, 11, 0)},
         "jump 2026-12-07 08:58; run 2026-12-07 09:15; resume; run 2026-12-07 09:20; hand; "
         "jump 2026-12-07 09:25; run 2026-12-07 10:05",
         {"Mon 10:00 CET +P", "Mon 10:10 CET -P", "Mon 10:16 CET +Q"}},
        {"a resume reports windows wholly in its gap, joins the one holding now",
         {Event("Gone", kMonday, 9, 30, 10, 0), Event("Quiet", kMonday, 9, 30, 9, 40, kActionNone),
          Event("Held", kMonday, 9, 45, 11, 0), Event("Ends", kMonday, 9, 50, 10, 20)},
         "jump 2026-12-07 07:58; run 2026-12-07 08:05; resume; jump 2026-12-07 09:20; "
         "run 2026-12-07 09:25",
         {"Mon 10:20 CET !Gone", "Mon 10:20 CET !Ends", "Mon 10:20 CET +Held"}},
        {"the first tick knows no gap",
         {Event("Early", kMonday, 9, 0, 9, 30), Event("Now", kMonday, 9, 0, 11, 0)},
         "jump 2026-12-07 09:20; run 2026-12-07 09:25",
         {"Mon 10:20 CET +Now"}},
        {"two days set on: each missed event once",
         {Event("Daily", kEveryDay, 12, 0, 12, 30), Event("Friday", kFriday, 12, 0, 12, 30)},
         "jump 2026-12-07 07:58; run 2026-12-07 08:00; jump 2026-12-09 13:00; "
         "run 2026-12-09 13:01",
         {"Wed 14:00 CET !Daily"}},
        {"suspended through the skipped hour: what never came is not missed",
         {Event("Gone", kSunday, 2, 10, 2, 40), Event("Night", kSunday, 2, 30, 3, 10),
          Event("Early", kSunday, 1, 30, 1, 50)},
         "jump 2027-03-27 23:50; run 2027-03-27 23:52; resume; jump 2027-03-28 02:10; "
         "run 2027-03-28 02:11",
         {"Sun 04:10 CEST !Early", "Sun 04:10 CEST !Night"}},
        {"zone changed to one further east",
         {Event("Morning", kMonday, 7, 0, 9, 0)},
         "jump 2026-12-07 05:20; run 2026-12-07 05:30; zone Europe/Moscow; run 2026-12-07 06:10",
         {"Mon 08:31 MSK +Morning", "Mon 09:00 MSK -Morning"}},
    };
    for (const ZoneCase& c : cases) {
        SCOPED_TRACE(c.name);
        qputenv("TZ", "Europe/Berlin");
        EventTable table;
        for (const ScheduledEvent& event : c.events) {
            table.Add(event);
        }
        ZoneClock clock;
        std::unique_ptr<ScheduleCheck> check;  // made at the first step's time
        QString running;
        V fired;
        auto tick = [&] {
            const ScheduleDecision d = check->Tick(running);
            const std::tm local = clock.LocalNow();
            char when[64];
            std::strftime(when, sizeof when, "%a %H:%M %Z ", &local);
            for (const QString& name : d.missed) {
                fired.push_back(when + ("!" + name.toStdString()));
            }
            if (d.kind != ScheduleDecision::kNone) {
                running = d.kind == ScheduleDecision::kStart ? d.event : QString();
                fired.push_back(when + Text(d));
            }
        };
        for (const QString& step : QString(c.steps).split(';')) {
            const QString op = step.trimmed().section(' ', 0, 0);
            const QString arg = step.trimmed().section(' ', 1);
            if (op == "run") {
                while (clock.Now() < Utc(arg.toLatin1().constData()) + 59) {
                    clock.Advance(2000);
                    tick();
                }
            } else if (op == "jump") {
                clock.SetTime(Utc(arg.toLatin1().constData()));
                if (!check) {
                    check = std::make_unique<ScheduleCheck>(table, clock);
                }
                tick();
            } else if (op == "zone") {
                qputenv("TZ", arg.toUtf8());
            } else if (op == "hand") {
                running.clear();
            } else if (op == "resume") {
                check->RequestCatchUp();
            }
        }
        EXPECT_EQ(fired, c.expected);
    }
}

}  // namespace
