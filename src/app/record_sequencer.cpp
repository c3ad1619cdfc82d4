#include "app/record_sequencer.h"

const char* RecordStateName(RecordState state) {
    switch (state) {
        case RecordState::kIdle:
            return "idle";
        case RecordState::kStarting:
            return "starting";
        case RecordState::kRecording:
            return "recording";
        case RecordState::kStopping:
            return "stopping";
    }
    return "?";
}

void RecordSequencer::Request(RecordRequest request) {
    queue_.push_back(std::move(request));
    Pump();
}

void RecordSequencer::StartDone(bool recording) {
    if (state_ != RecordState::kStarting) {
        return;
    }
    state_ = recording ? RecordState::kRecording : RecordState::kIdle;
    if (!recording) {
        runningEvent_.clear();
    }
    Pump();
}

void RecordSequencer::StopDone() {
    if (state_ != RecordState::kStopping) {
        return;
    }
    state_ = RecordState::kIdle;
    runningEvent_.clear();
    Pump();
}

void RecordSequencer::Pump() {
    // A step that ends at once calls back in here; the loop below goes on.
    if (pumping_) {
        return;
    }
    pumping_ = true;
    while (!busy() && !queue_.empty()) {
        Take();
    }
    pumping_ = false;
}

void RecordSequencer::Take() {
    RecordRequest& front = queue_.front();
    const bool recording = state_ == RecordState::kRecording;
    switch (front.kind) {
        case RecordRequest::kStart:
            if (exiting_) {
                steps_.Dropped(front, "the program is ending");
                queue_.pop_front();
            } else if (recording) {
                // The start stays first and is taken once the stop is done.
                state_ = RecordState::kStopping;
                steps_.BeginStop(front);
            } else {
                RecordRequest request = std::move(front);
                queue_.pop_front();
                state_ = RecordState::kStarting;
                runningEvent_ = request.event;
                steps_.BeginStart(request);
            }
            return;
        case RecordRequest::kStop: {
            RecordRequest request = std::move(front);
            queue_.pop_front();
            const bool ownEvent =
                request.byHand || (recording && !request.event.isEmpty() &&
                                   request.event.compare(runningEvent_, Qt::CaseInsensitive) == 0);
            if (!ownEvent) {
                steps_.Dropped(request, "that event is not the one running");
                return;
            }
            state_ = RecordState::kStopping;
            steps_.BeginStop(request);
            return;
        }
        case RecordRequest::kRestart:
        case RecordRequest::kEndAfterFailure: {
            RecordRequest request = std::move(front);
            queue_.pop_front();
            if (!recording) {
                steps_.Dropped(request, "nothing records");
            } else if (request.kind == RecordRequest::kRestart) {
                state_ = RecordState::kStarting;
                steps_.BeginRestart();
            } else {
                state_ = RecordState::kStopping;
                steps_.BeginStop(request);
            }
            return;
        }
        case RecordRequest::kExit:
            exiting_ = true;
            if (recording) {
                state_ = RecordState::kStopping;
                steps_.BeginStop(front);
                return;
            }
            queue_.pop_front();
            // What came after the exit is not done any more.
            while (!queue_.empty()) {
                steps_.Dropped(queue_.front(), "the program is ending");
                queue_.pop_front();
            }
            steps_.ExitReady();
            return;
    }
}
