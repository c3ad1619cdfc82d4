#include "app/recorder_job.h"

RecorderJob::~RecorderJob() {
    if (thread_.joinable()) {
        thread_.join();
    }
}

bool RecorderJob::Run(std::function<void()> work, std::function<void()> done) {
    if (done_) {
        return false;
    }
    if (thread_.joinable()) {
        thread_.join();  // its work has ended: its continuation ran
    }
    done_ = std::move(done);
    const unsigned generation = ++generation_;
    thread_ = std::thread([this, work = std::move(work), generation] {
        work();
        QMetaObject::invokeMethod(
            this, [this, generation] { Complete(generation); }, Qt::QueuedConnection);
    });
    return true;
}

void RecorderJob::Complete(unsigned generation) {
    if (generation != generation_ || !done_) {
        return;  // already finished by Finish()
    }
    if (thread_.joinable()) {
        thread_.join();
    }
    std::function<void()> done = std::move(done_);
    done_ = nullptr;
    done();
}

void RecorderJob::Finish() {
    if (!done_) {
        return;
    }
    Complete(generation_);
}
