#pragma once

class Clock;
class EventTable;

// The once-a-minute decision which scheduled event starts or ends. Each
// minute of the local clock is examined once; at most one event starts per
// minute (the first in table order whose day and start time match), only
// the active event can end (at its end time, whatever the day), and a start
// always wins over an end in the same minute.
class ScheduleCheck {
  public:
    ScheduleCheck(const EventTable& table, Clock& clock);

    // 0 when there is nothing to do, i + 1 when event i starts, -(i + 1)
    // when event i ends. forget drops the active event first; the caller
    // passes true when no event is running any more.
    int CheckSchedule(bool forget);

    // One tick of the main window's timer: nothing while the table's timer
    // switch is off, else CheckSchedule, forgetting the active event unless
    // the record control still runs one.
    int Tick(bool eventRunning);

    // Index of the event started last and not yet ended, or -1.
    int activeEvent() const { return activeEvent_; }
    int lastHour() const { return lastHour_; }
    int lastMinute() const { return lastMinute_; }

  private:
    const EventTable& table_;
    Clock& clock_;
    int lastHour_ = -1;
    int lastMinute_ = -1;
    int activeEvent_ = -1;
};
