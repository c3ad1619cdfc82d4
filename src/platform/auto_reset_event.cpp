#include "platform/auto_reset_event.h"

#include <chrono>

void AutoResetEvent::Set() {
    {
        std::lock_guard lock(mutex_);
        set_ = true;
    }
    signal_.notify_one();
}

bool AutoResetEvent::Wait(int timeoutMs) {
    std::unique_lock lock(mutex_);
    if (timeoutMs < 0) {
        signal_.wait(lock, [this] { return set_; });
    } else if (!signal_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                 [this] { return set_; })) {
        return false;
    }
    set_ = false;
    return true;
}
