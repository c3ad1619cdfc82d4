#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <ctime>

class Clock;
class EventTable;

// What the record control is to do after a tick: start or end the event of
// that name, or nothing; and the events whose windows passed unseen.
struct ScheduleDecision {
    enum Kind { kNone, kStart, kStop } kind = kNone;
    QString event;
    // Names of the events missed in a gap, earliest window first, each once.
    QStringList missed;

    bool operator==(const ScheduleDecision&) const = default;
};

// The decision which scheduled event starts or ends, on the local
// wall-clock time. Events are known by their name, so edits of the list
// never move the one that runs; an event with "no action" (or without a
// name, or with times out of range) never starts, ends or blocks anything.
//
// An event's window begins on each of its days at its start time and ends
// when the clock shows its end time after that: later the same day, on the
// next day when the end is earlier than the start (the end's day is not
// checked), or 24 hours on when start and end are equal. Times are compared
// as the clock shows them, so on the night the clocks go forward a window
// that starts in the skipped hour begins when the clock jumps (at 03:00),
// one that ends in it ends then, and one wholly inside it never comes; on
// the night they go back, each window starts at most once (the first time
// the clock shows its start) and ends the first time the clock shows its end
// after that, so one that spans the change lasts an hour longer.
//
// Each minute is examined once: the first real event in table order whose
// day and start minute are now starts (a start wins over an end, and a new
// window of the running event starts it again), else the running event ends
// once the clock is at or past its window's end (a missed end minute never
// lets it run on), once the clock is set back more than an hour before its
// start, or when the list no longer holds it as a real event.
//
// The schedule catches up at the first tick, after RequestCatchUp (a
// resume), after the wall clock moved more than kJumpSeconds away from the
// monotonic clock between two ticks (a clock change, or a suspend the
// program did not hear of), and after the time zone or its offset changed:
// of the real events whose window holds the present minute, the one whose
// window began last (the first in table order on a tie) is joined for its
// remaining time, unless it runs already or that window was started once
// before (a recording stopped by hand, or whose start failed, stays ended).
//
// After a resume or a jump of the wall clock between two ticks (not at the
// first tick, nor for a change of the time zone or its offset alone), the
// real events with a window that began after the minute of the tick before
// and ended at or before the present minute are reported as missed: at most
// kMissedDays days back, once per event, in the order the windows began. The
// window that holds the present minute is joined, not missed, and one wholly
// inside an hour the clocks skipped never came, so it is not missed either.
class ScheduleCheck {
  public:
    static constexpr int kJumpSeconds = 90;
    static constexpr int kMissedDays = 8;

    ScheduleCheck(const EventTable& table, Clock& clock);

    // One tick of the main window's timer. runningEvent is the name of the
    // event the record control runs; empty for none or a recording started
    // by hand. Nothing happens while the table's timer switch is off.
    ScheduleDecision Tick(const QString& runningEvent);

    // The next tick catches up, as after a resume.
    void RequestCatchUp() {
        catchUp_ = true;
        resumed_ = true;
    }

  private:
    ScheduleDecision Examine(const QString& runningEvent, int64_t day, int weekday, int minute);
    // The event's window started last at or before now: its start as a
    // wall minute count, or -1.
    int64_t LatestWindowStart(int index, int64_t day, int weekday, int64_t now) const;
    ScheduleDecision Start(int index, int64_t windowStart);
    // The real events whose windows lie wholly in (after, now]; the offsets
    // from UTC (seconds) at both ends tell the hour the clocks skipped.
    QStringList Missed(int64_t after, long afterOffset, int64_t day, int weekday, int64_t now,
                       long nowOffset) const;
    // Whether the clock showed this wall minute, given the offsets in force
    // before and after it.
    bool Shown(int64_t wall, long offset1, long offset2) const;

    const EventTable& table_;
    Clock& clock_;
    bool catchUp_ = true;
    bool ticked_ = false;
    bool resumed_ = false;
    std::time_t lastWall_ = 0;
    int64_t lastMonotonicMs_ = 0;
    long lastOffset_ = 0;
    QString lastZone_;
    // Wall minutes since 1970 (local date and time as the clock shows it) of
    // the minute examined last; -1 examines the next tick's minute again.
    int64_t lastExamined_ = -1;
    // Wall minute of the tick before, while the timer switch was on; -1 for
    // none (the gap since is unknown, or nothing was due in it).
    int64_t lastTickMinute_ = -1;
    // Lower-case event name -> start (wall minutes) of the window started
    // last for it.
    QHash<QString, int64_t> started_;
};
