#pragma once

#include <QByteArray>
#include <QtGlobal>
#include <ctime>
#include <vector>

#include "platform/clock.h"

// A clock for tests: the calendar and monotonic time move only when told to
// or when someone sleeps, and every sleep is recorded. Local time is taken
// as UTC so that tests read the same everywhere.
class FakeClock : public Clock {
  public:
    explicit FakeClock(std::time_t start = 1796601600) : now_(start) {}  // 2026-12-07 00:00 UTC

    std::time_t Now() const override { return now_; }
    std::tm LocalTime(std::time_t time) const override {
        std::tm t{};
        gmtime_r(&time, &t);
        return t;
    }
    int64_t MonotonicMs() const override { return monotonicMs_; }
    void SleepMs(int ms) override {
        sleeps.push_back(ms);
        Advance(ms);
    }

    // Sets the calendar time to the given UTC date and time.
    void Set(int year, int month, int day, int hour, int minute, int second = 0) {
        std::tm t{};
        t.tm_year = year - 1900;
        t.tm_mon = month - 1;
        t.tm_mday = day;
        t.tm_hour = hour;
        t.tm_min = minute;
        t.tm_sec = second;
        now_ = timegm(&t);
    }
    // Sets the calendar time; the monotonic clock stays.
    void SetTime(std::time_t time) { now_ = time; }
    void Advance(int64_t ms) {
        monotonicMs_ += ms;
        pendingMs_ += ms;
        now_ += pendingMs_ / 1000;
        pendingMs_ %= 1000;
    }

    std::vector<int> sleeps;

  private:
    std::time_t now_;
    int64_t monotonicMs_ = 0;
    int64_t pendingMs_ = 0;
};

// The real time zone the system reads (TZ), on a clock that runs (wall and
// monotonic time together) or is set.
class ZoneClock : public FakeClock {
  public:
    std::tm LocalTime(std::time_t time) const override { return Clock::LocalTime(time); }
};

// Sets TZ to Europe/Berlin while it lives: the clocks go back on Sunday 25
// October 2026 and forward on Sunday 28 March 2027, at 01:00 UTC.
struct BerlinZone {
    BerlinZone() { qputenv("TZ", "Europe/Berlin"); }
    ~BerlinZone() { old.isNull() ? qunsetenv("TZ") : qputenv("TZ", old); }
    const QByteArray old = qgetenv("TZ");
};

// A UTC date and time ("2026-12-07 10:05") as a calendar time.
inline std::time_t Utc(const char* text) {
    std::tm tm{};
    strptime(text, "%Y-%m-%d %H:%M", &tm);
    return timegm(&tm);
}
