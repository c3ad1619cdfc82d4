#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

// The worker thread of a recorder or player. The thread is created when the
// most derived constructor calls ResumeThread() as its last step, after the
// buffers, the file and the event exist; it calls OnThreadStart(), then
// Run(), then ends.
//
// A derived class stops the thread (Stop(), then StopThread()) in its own
// destructor, before anything Run() uses is destroyed.
class ThreadObject {
  public:
    static constexpr int kStopWaitMs = 2000;

    ThreadObject() = default;
    // Joins a thread that is still running; the derived destructor should
    // have stopped it already.
    virtual ~ThreadObject();
    ThreadObject(const ThreadObject&) = delete;
    ThreadObject& operator=(const ThreadObject&) = delete;

    virtual void OnThreadStart() {}
    // The thread body.
    virtual void Run() = 0;
    // Sets the object's event.
    virtual void Wake() = 0;

    // Asks the thread to end, wakes it and waits for it. True when it ended
    // within kStopWaitMs. A thread that takes longer is logged and still
    // waited for: the object must not go away under a running thread.
    bool StopThread();

  protected:
    // Creates and starts the thread; once only.
    void ResumeThread();
    // True once StopThread() has asked the thread to end.
    bool StopRequested() const { return stopRequest_.load() != 0; }
    // Held by the worker around every buffer it handles.
    std::mutex& CriticalSection() { return criticalSection_; }

  private:
    void ThreadStart();

    std::atomic<int32_t> stopRequest_{0};
    std::thread thread_;
    std::mutex endMutex_;
    std::condition_variable ended_;
    bool finished_ = false;
    std::mutex criticalSection_;
};
