#include "platform/clock.h"

#include <chrono>
#include <thread>

std::time_t Clock::Now() const {
    return std::time(nullptr);
}

std::tm Clock::LocalTime(std::time_t time) const {
    // The zone is read again each time (TZ, or /etc/localtime when it was
    // replaced), so that a change of the time zone is seen while running.
    tzset();
    std::tm local{};
    localtime_r(&time, &local);
    return local;
}

int64_t Clock::MonotonicMs() const {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

void Clock::SleepMs(int ms) {
    if (ms > 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    }
}

Clock& Clock::System() {
    static Clock clock;
    return clock;
}
