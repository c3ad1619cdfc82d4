#include "audio/thread_object.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "platform/auto_reset_event.h"
#include "process_log_watch.h"

namespace {

using namespace std::chrono_literals;

// A worker that waits for its event without limit and counts its wakes.
class Worker : public ThreadObject {
  public:
    explicit Worker(std::chrono::milliseconds lingerAfterStop = 0ms, bool resume = true)
        : linger_(lingerAfterStop) {
        if (resume) {
            Resume();
        }
    }
    ~Worker() override { StopThread(); }

    void Resume() { ResumeThread(); }

    void OnThreadStart() override {
        startThread = std::this_thread::get_id();
        started = true;
    }
    void Run() override {
        runAfterStart = started.load();
        running = true;
        for (;;) {
            event_.Wait();
            if (StopRequested()) {
                std::this_thread::sleep_for(linger_);
                ended = true;
                return;
            }
            std::lock_guard lock(CriticalSection());
            ++wakes;
        }
    }
    void Wake() override { event_.Set(); }

    bool WaitRunning() {
        for (int i = 0; i < 500 && !running; ++i) {
            std::this_thread::sleep_for(10ms);
        }
        return running;
    }

    std::atomic<bool> started{false};
    std::atomic<bool> runAfterStart{false};
    std::atomic<bool> running{false};
    std::atomic<bool> ended{false};
    std::atomic<int> wakes{0};
    std::thread::id startThread;

  private:
    AutoResetEvent event_;
    std::chrono::milliseconds linger_;
};

TEST(ThreadObject, ThreadRunsOnlyOnceResumedAndCallsOnThreadStartFirst) {
    Worker worker(0ms, false);
    std::this_thread::sleep_for(50ms);
    EXPECT_FALSE(worker.started) << "the thread waits for the most derived constructor";
    worker.Resume();
    ASSERT_TRUE(worker.WaitRunning());
    EXPECT_TRUE(worker.runAfterStart);
    EXPECT_NE(worker.startThread, std::this_thread::get_id());
}

TEST(ThreadObject, StopThreadWakesABlockedWorkerAndWaitsForItsEnd) {
    Worker worker;
    ASSERT_TRUE(worker.WaitRunning());
    EXPECT_TRUE(worker.StopThread());
    EXPECT_TRUE(worker.ended);
    EXPECT_EQ(worker.wakes, 0) << "the stop wake-up is not handled as work";
    EXPECT_TRUE(worker.StopThread()) << "a second stop finds no thread";
}

TEST(ThreadObject, WorkerSlowerThanTheLimitIsLoggedAndStillWaitedFor) {
    ProcessLogWatch log;
    Worker worker(std::chrono::milliseconds(ThreadObject::kStopWaitMs + 300));
    ASSERT_TRUE(worker.WaitRunning());
    EXPECT_FALSE(worker.StopThread());
    // The object may now be destroyed: nothing runs on it any more.
    EXPECT_TRUE(worker.ended);
    EXPECT_THAT(log.Since(), ::testing::HasSubstr("did not end within 2000 ms"));
}

}  // namespace
