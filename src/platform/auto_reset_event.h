#pragma once

#include <condition_variable>
#include <mutex>

// An event that wakes one waiter and then resets itself.
class AutoResetEvent {
  public:
    void Set();
    // Waits until the event is set or the time-out (milliseconds, negative
    // for no limit) passes. True when the event was set; it is reset again.
    bool Wait(int timeoutMs = -1);

  private:
    std::mutex mutex_;
    std::condition_variable signal_;
    bool set_ = false;
};
