#pragma once

#include <QString>
#include <deque>

// What is asked of the record control. Requests are taken one after the
// other, in the order they came; a start or a stop that is under way is
// never interrupted, the next request waits for it.
struct RecordRequest {
    enum Kind {
        kStart,            // start a recording (by hand, or the named event)
        kStop,             // end it (by hand: whatever runs; an event: only that event)
        kRestart,          // stop and start the recorder again (its buffers ran out)
        kEndAfterFailure,  // end the recording, which cannot go on (reason)
        kExit,             // end whatever runs; nothing starts any more
    };
    Kind kind = kStart;
    // A request of the user (buttons, keys, command line), not of the schedule.
    bool byHand = true;
    // The scheduled event's name; empty for a recording by hand.
    QString event;
    // kEndAfterFailure: why it ends.
    QString reason;
    // kEndAfterFailure: the recording reached the size limit.
    bool sizeLimit = false;
};

enum class RecordState { kIdle, kStarting, kRecording, kStopping };

const char* RecordStateName(RecordState state);

// The order of starts and stops: idle -> starting -> recording -> stopping ->
// idle. The steps themselves are the owner's; each one it begins it ends
// later (or at once) with StartDone or StopDone.
//
// - A start while something records first stops it, then starts.
// - A stop that comes during a start is taken when the start is done: the
//   recording ends as soon as it began.
// - A scheduled stop ends only the event that runs; a stop by hand ends
//   whatever runs and, with nothing running, still resets the controls.
// - A restart or an end after a failure with nothing recording is dropped.
// - An exit waits for a start or stop under way, ends what records, then
//   reports ExitReady; requests after it are dropped.
class RecordSequencer {
  public:
    class Steps {
      public:
        virtual ~Steps() = default;
        virtual void BeginStart(const RecordRequest& request) = 0;
        // request is what ends it: a stop, an end after a failure, or (kind
        // kStart / kExit) the start or exit that needs the recorder gone.
        virtual void BeginStop(const RecordRequest& request) = 0;
        virtual void BeginRestart() = 0;
        virtual void Dropped(const RecordRequest& request, const char* why) = 0;
        virtual void ExitReady() = 0;
    };

    explicit RecordSequencer(Steps& steps) : steps_(steps) {}

    void Request(RecordRequest request);
    // The start (or restart) begun last is done: recording or not.
    void StartDone(bool recording);
    void StopDone();

    RecordState state() const { return state_; }
    bool busy() const {
        return state_ == RecordState::kStarting || state_ == RecordState::kStopping;
    }
    // The event being started or recorded; empty for a hand recording or none.
    const QString& runningEvent() const { return runningEvent_; }
    bool exiting() const { return exiting_; }
    size_t waiting() const { return queue_.size(); }

  private:
    void Pump();
    // Takes the first request; false when it has to wait.
    void Take();

    Steps& steps_;
    std::deque<RecordRequest> queue_;
    RecordState state_ = RecordState::kIdle;
    QString runningEvent_;
    bool exiting_ = false;
    bool pumping_ = false;
};
