#pragma once

#include <cstdint>
#include <ctime>

// Time as the program sees it: the calendar, local time, a monotonic clock
// and sleeping. Code that waits for hardware or looks at the time of day
// takes a Clock so that tests can set the day and minute and record the
// delays instead of waiting for them.
class Clock {
  public:
    virtual ~Clock() = default;

    // Seconds since 1970 (UTC).
    virtual std::time_t Now() const;
    // Broken-down local time of a calendar time, in the time zone the
    // system has now.
    virtual std::tm LocalTime(std::time_t time) const;
    // Milliseconds of a clock that never goes back; only differences count.
    virtual int64_t MonotonicMs() const;
    // Blocks the calling thread.
    virtual void SleepMs(int ms);

    std::tm LocalNow() const { return LocalTime(Now()); }

    // The real clock of the machine.
    static Clock& System();
};
