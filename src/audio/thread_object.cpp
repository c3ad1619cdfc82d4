#include "audio/thread_object.h"

#include <chrono>

#include "audio/log.h"

ThreadObject::~ThreadObject() {
    if (thread_.joinable()) {
        stopRequest_.fetch_add(1);
        thread_.join();
    }
}

void ThreadObject::ResumeThread() {
    if (!thread_.joinable()) {
        thread_ = std::thread([this] { ThreadStart(); });
    }
}

void ThreadObject::ThreadStart() {
    OnThreadStart();
    Run();
    std::lock_guard lock(endMutex_);
    finished_ = true;
    ended_.notify_all();
}

bool ThreadObject::StopThread() {
    if (!thread_.joinable()) {
        return true;
    }
    if (thread_.get_id() == std::this_thread::get_id()) {
        stopRequest_.fetch_add(1);
        return false;  // the thread cannot wait for itself
    }
    stopRequest_.fetch_add(1);
    Wake();
    bool inTime = false;
    {
        std::unique_lock lock(endMutex_);
        inTime = ended_.wait_for(lock, std::chrono::milliseconds(kStopWaitMs),
                                 [this] { return finished_; });
    }
    if (!inTime) {
        LogWarning("Worker thread did not end within %d ms", kStopWaitMs);
    }
    thread_.join();
    return inTime;
}
