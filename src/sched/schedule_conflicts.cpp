#include "sched/schedule_conflicts.h"

#include "platform/message_box.h"
#include "sched/event_table.h"

namespace {

int StartOfDay(const ScheduledEvent& e) {
    return e.startHour * 60 + e.startMinute;
}
int EndOfDay(const ScheduledEvent& e) {
    return e.endHour * 60 + e.endMinute;
}

bool Takes(const ScheduledEvent& e) {
    return !e.name.isEmpty() && e.action != kActionNone;
}

bool Overlap(const ScheduledEvent& a, const ScheduledEvent& b) {
    // Only the seven day bits name days.
    return (a.days & b.days & kEveryDay) != 0 && StartOfDay(a) < EndOfDay(b) &&
           StartOfDay(b) < EndOfDay(a);
}

}  // namespace

QString ScheduleConflictReport(const EventTable& table) {
    QString report;
    for (int a = 0; a < table.count(); ++a) {
        const ScheduledEvent& later = table.at(a);
        if (!Takes(later)) {
            continue;
        }
        for (int b = 0; b < a; ++b) {
            const ScheduledEvent& earlier = table.at(b);
            if (!Takes(earlier) || !Overlap(later, earlier)) {
                continue;
            }
            const QString line =
                QStringLiteral("\nSchedule conflict between events \"%1\" and \"%2\".")
                    .arg(later.name, earlier.name);
            if (report.size() + line.size() <= kMaxConflictReportLength) {
                report += line;
            }
        }
    }
    return report;
}

bool CheckConflicts(const EventTable& table) {
    const QString report = ScheduleConflictReport(table);
    if (report.isEmpty()) {
        return false;
    }
    MessageBox(report, QStringLiteral("Schedule conflict"), MessageIcon::Warning,
               MessageButtons::Ok);
    return true;
}
