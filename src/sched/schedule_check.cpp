#include "sched/schedule_check.h"

#include <algorithm>
#include <cstdlib>
#include <utility>
#include <vector>

#include "platform/clock.h"
#include "sched/event_table.h"

namespace {

constexpr int kMinutesPerDay = 24 * 60;
// The clocks go back by at most this much on a change of daylight saving.
constexpr int kLargestClockChangeMinutes = 60;
// Windows last at most a day, so the one that began last lies at most a
// week back.
constexpr int kDaysToLookBack = 7;

// Days since 1 January 1970 of a calendar date (proleptic Gregorian).
int64_t DayNumber(int year, int month, int day) {
    year -= month <= 2 ? 1 : 0;
    const int64_t era = (year >= 0 ? year : year - 399) / 400;
    const int64_t yearOfEra = year - era * 400;
    const int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

int StartMinute(const ScheduledEvent& event) {
    return event.startHour * 60 + event.startMinute;
}

// Minutes from the start to the end; a day when they are equal.
int WindowLength(const ScheduledEvent& event) {
    const int length =
        (event.endHour * 60 + event.endMinute - StartMinute(event) + kMinutesPerDay) %
        kMinutesPerDay;
    return length == 0 ? kMinutesPerDay : length;
}

bool RunsOnWeekday(const ScheduledEvent& event, int weekday) {
    return (event.days & (1 << weekday)) != 0;
}

int64_t FloorDiv(int64_t a, int64_t b) {
    return a / b - ((a % b != 0 && (a < 0) != (b < 0)) ? 1 : 0);
}

QString Key(const QString& name) {
    return name.toLower();
}

}  // namespace

ScheduleCheck::ScheduleCheck(const EventTable& table, Clock& clock)
    : table_(table), clock_(clock) {}

ScheduleDecision ScheduleCheck::Tick(const QString& runningEvent) {
    const std::time_t now = clock_.Now();
    const int64_t monotonicMs = clock_.MonotonicMs();
    const std::tm local = clock_.LocalTime(now);
    const QString zone = local.tm_zone != nullptr ? QString::fromLatin1(local.tm_zone) : QString();
    // A gap whose start is known: a resume or a jump since the tick before.
    bool gap = ticked_ && resumed_;
    resumed_ = false;
    if (ticked_) {
        const int64_t drift =
            (static_cast<int64_t>(now) - lastWall_) * 1000 - (monotonicMs - lastMonotonicMs_);
        const bool jumped = std::llabs(drift) > int64_t{kJumpSeconds} * 1000;
        gap = gap || jumped;
        if (jumped || local.tm_gmtoff != lastOffset_ || zone != lastZone_) {
            catchUp_ = true;
        }
    }
    ticked_ = true;
    const long previousOffset = lastOffset_;
    lastWall_ = now;
    lastMonotonicMs_ = monotonicMs;
    lastOffset_ = local.tm_gmtoff;
    lastZone_ = zone;

    if (!table_.timerEnable()) {
        lastTickMinute_ = -1;
        return {};
    }
    const int64_t day = DayNumber(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
    const int minute = local.tm_hour * 60 + local.tm_min;
    const int64_t wall = day * kMinutesPerDay + minute;
    const int64_t previous = lastTickMinute_;
    lastTickMinute_ = wall;
    if (wall == lastExamined_ && !catchUp_) {
        return {};
    }
    lastExamined_ = wall;
    const QStringList missed = gap && previous >= 0 ? Missed(previous, previousOffset, day,
                                                             local.tm_wday, wall, local.tm_gmtoff)
                                                    : QStringList();
    ScheduleDecision decision = Examine(runningEvent, day, local.tm_wday, minute);
    decision.missed = missed;
    return decision;
}

QStringList ScheduleCheck::Missed(int64_t after, long afterOffset, int64_t day, int weekday,
                                  int64_t now, long nowOffset) const {
    std::vector<std::pair<int64_t, int>> windows;  // start, index
    const int64_t firstDay = std::max(FloorDiv(after, kMinutesPerDay), day - int64_t{kMissedDays});
    for (int i = 0; i < table_.count(); ++i) {
        const ScheduledEvent& event = table_.at(i);
        if (!CanStart(event)) {
            continue;
        }
        for (int64_t d = firstDay; d <= day; ++d) {
            const int64_t start = d * kMinutesPerDay + StartMinute(event);
            const int dayOfWeek = static_cast<int>(((weekday - (day - d)) % 7 + 7) % 7);
            const int64_t end = start + WindowLength(event);
            if (start <= after || end > now || !RunsOnWeekday(event, dayOfWeek) ||
                started_.value(Key(event.name), -1) == start) {
                continue;
            }
            // A window wholly inside the hour the clocks skipped never came.
            if (afterOffset == nowOffset || Shown(start, afterOffset, nowOffset) ||
                Shown(end - 1, afterOffset, nowOffset)) {
                windows.emplace_back(start, i);
            }
        }
    }
    std::sort(windows.begin(), windows.end());
    QStringList names;
    for (const auto& [start, index] : windows) {
        const QString& name = table_.at(index).name;
        if (!names.contains(name, Qt::CaseInsensitive)) {
            names.append(name);
        }
    }
    return names;
}

bool ScheduleCheck::Shown(int64_t wall, long offset1, long offset2) const {
    for (const long offset : {offset1, offset2}) {
        const std::tm local = clock_.LocalTime(static_cast<std::time_t>(wall * 60 - offset));
        const int64_t shown =
            DayNumber(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday) * kMinutesPerDay +
            local.tm_hour * 60 + local.tm_min;
        if (shown == wall) {
            return true;
        }
    }
    return false;
}

ScheduleDecision ScheduleCheck::Examine(const QString& runningEvent, int64_t day, int weekday,
                                        int minute) {
    const int64_t now = day * kMinutesPerDay + minute;

    for (int i = 0; i < table_.count(); ++i) {
        const ScheduledEvent& event = table_.at(i);
        if (CanStart(event) && RunsOnWeekday(event, weekday) && StartMinute(event) == minute &&
            started_.value(Key(event.name), -1) != now) {
            catchUp_ = false;
            return Start(i, now);
        }
    }

    if (!runningEvent.isEmpty()) {
        const int index = table_.Find(runningEvent);
        bool ends = index < 0 || !CanStart(table_.at(index));
        if (!ends) {
            const ScheduledEvent& event = table_.at(index);
            int64_t windowStart = started_.value(Key(runningEvent), -1);
            if (windowStart >= 0) {
                // The day it started, with the times the event has now.
                windowStart =
                    FloorDiv(windowStart, kMinutesPerDay) * kMinutesPerDay + StartMinute(event);
            } else {
                windowStart = LatestWindowStart(index, day, weekday, now);
            }
            ends = windowStart < 0 || now >= windowStart + WindowLength(event) ||
                   now < windowStart - kLargestClockChangeMinutes;
        }
        if (ends) {
            // Examine this minute again on the next tick: an event whose
            // window holds it may start then.
            lastExamined_ = -1;
            return {ScheduleDecision::kStop, runningEvent, {}};
        }
    }

    if (!catchUp_) {
        return {};
    }
    catchUp_ = false;
    int best = -1;
    int64_t bestStart = -1;
    for (int i = 0; i < table_.count(); ++i) {
        const int64_t start = LatestWindowStart(i, day, weekday, now);
        if (start > bestStart && now < start + WindowLength(table_.at(i))) {
            best = i;
            bestStart = start;
        }
    }
    if (best < 0) {
        return {};
    }
    const QString& name = table_.at(best).name;
    const bool runs = runningEvent.compare(name, Qt::CaseInsensitive) == 0;
    if (runs || started_.value(Key(name), -1) == bestStart) {
        return {};
    }
    return Start(best, bestStart);
}

int64_t ScheduleCheck::LatestWindowStart(int index, int64_t day, int weekday, int64_t now) const {
    const ScheduledEvent& event = table_.at(index);
    if (!CanStart(event)) {
        return -1;
    }
    for (int back = 0; back <= kDaysToLookBack; ++back) {
        const int64_t start = (day - back) * kMinutesPerDay + StartMinute(event);
        if (start <= now && RunsOnWeekday(event, ((weekday - back) % 7 + 7) % 7)) {
            return start;
        }
    }
    return -1;
}

ScheduleDecision ScheduleCheck::Start(int index, int64_t windowStart) {
    const QString& name = table_.at(index).name;
    started_.insert(Key(name), windowStart);
    return {ScheduleDecision::kStart, name, {}};
}
