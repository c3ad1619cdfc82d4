#include <gtest/gtest.h>

#include "sched/event_table.h"
#include "sched/schedule_conflicts.h"
#include "support/message_box_recorder.h"

namespace {

constexpr int kMonday = 1 << 1;
constexpr int kFriday = 1 << 5;

ScheduledEvent Event(const QString& name, int days, int startHour, int startMinute, int endHour,
                     int endMinute, int action = kActionRecord) {
    ScheduledEvent e;
    e.name = name;
    e.frequency = 101.3f;
    e.days = days;
    e.startHour = startHour;
    e.startMinute = startMinute;
    e.endHour = endHour;
    e.endMinute = endMinute;
    e.action = action;
    return e;
}

QString Line(const QString& a, const QString& b) {
    return QStringLiteral("\nSchedule conflict between events \"%1\" and \"%2\".").arg(a, b);
}

TEST(ScheduleConflicts, LaterEventIsNamedFirstAndTouchingEventsDoNotConflict) {
    EventTable table;
    table.Add(Event("A", kMonday, 8, 0, 9, 0));
    table.Add(Event("B", kMonday, 8, 30, 10, 0));
    table.Add(Event("C", kMonday, 10, 0, 11, 0));  // starts when B ends
    table.Add(Event("D", kMonday | kFriday, 7, 0, 12, 0));
    EXPECT_EQ(ScheduleConflictReport(table),
              Line("B", "A") + Line("D", "A") + Line("D", "B") + Line("D", "C"));

    MessageBoxRecorder boxes;
    EXPECT_TRUE(CheckConflicts(table));
    ASSERT_EQ(boxes.calls().size(), 1u);
    EXPECT_EQ(boxes.calls()[0].caption, "Schedule conflict");
    EXPECT_EQ(boxes.calls()[0].buttons, MessageButtons::Ok);
    EXPECT_EQ(boxes.calls()[0].text, ScheduleConflictReport(table));
    EXPECT_EQ(table.count(), 4);  // the events are kept
}

TEST(ScheduleConflicts, OnlyNamedEventsWithActionsOnACommonDayCount) {
    EventTable table;
    table.Add(Event("Base", kMonday, 8, 0, 9, 0));
    table.Add(Event("Idle", kMonday, 8, 0, 9, 0, kActionNone));
    table.Add(Event(QString(), kMonday, 8, 0, 9, 0));
    table.Add(Event("Friday", kFriday, 8, 0, 9, 0));
    table.Add(Event("Listen", kMonday, 8, 59, 9, 30, kActionRadioOn));
    EXPECT_EQ(ScheduleConflictReport(table), Line("Listen", "Base"));
}

TEST(ScheduleConflicts, EventPastMidnightIsComparedWithinOneDay) {
    EventTable table;
    table.Add(Event("Late", kFriday, 23, 0, 1, 0));
    table.Add(Event("Short", kFriday, 23, 30, 23, 45));
    table.Add(Event("Early", kFriday, 0, 0, 0, 30));
    EXPECT_EQ(ScheduleConflictReport(table), QString());

    MessageBoxRecorder boxes;
    EXPECT_FALSE(CheckConflicts(table));
    EXPECT_TRUE(boxes.calls().empty());
}

TEST(ScheduleConflicts, ReportKeepsToItsLengthAndDropsLinesThatDoNotFit) {
    EventTable table;
    const QString longName(200, 'x');
    for (int i = 0; i < 12; ++i) {
        table.Add(Event(longName + QString::number(i), kMonday, 8, 0, 9, 0));
    }
    table.Add(Event("Z", kFriday, 8, 0, 9, 0));
    table.Add(Event("Y", kFriday, 8, 30, 9, 0));
    const QString report = ScheduleConflictReport(table);
    EXPECT_LE(report.size(), kMaxConflictReportLength);
    // Whole lines only: the first four long ones fit, then only the short one.
    const auto name = [&](int i) { return longName + QString::number(i); };
    EXPECT_EQ(report, Line(name(1), name(0)) + Line(name(2), name(0)) + Line(name(2), name(1)) +
                          Line(name(3), name(0)) + Line("Y", "Z"));
}

}  // namespace
