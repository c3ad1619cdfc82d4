#pragma once

#include <QObject>
#include <functional>
#include <mutex>
#include <thread>

// Runs one piece of work at a time on a thread of its own (opening or
// closing a sound device, completing a file), so that the user-interface
// thread never waits for a device. When the work is done, its continuation
// runs on this object's thread, posted like any other message.
class RecorderJob : public QObject {
    Q_OBJECT
  public:
    explicit RecorderJob(QObject* parent = nullptr) : QObject(parent) {}
    // Waits for the work that runs (see Finish).
    ~RecorderJob() override;

    // False while earlier work has not finished (its continuation has not run).
    bool Run(std::function<void()> work, std::function<void()> done);
    bool busy() const { return static_cast<bool>(done_); }
    // Waits for the work that runs, then runs its continuation at once (the
    // owner is going away and cannot wait for a posted message).
    void Finish();

  private:
    void Complete(unsigned generation);

    std::thread thread_;
    std::function<void()> done_;
    unsigned generation_ = 0;
};
