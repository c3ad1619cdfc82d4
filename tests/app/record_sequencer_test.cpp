#include "app/record_sequencer.h"

#include <gtest/gtest.h>

#include <QStringList>

namespace {

const char* KindName(RecordRequest::Kind kind) {
    static constexpr const char* kNames[] = {"start", "stop", "restart", "end", "exit"};
    return kNames[kind];
}

// Logs each step; the steps end only when the script says so.
class ScriptedSteps : public RecordSequencer::Steps {
  public:
    void BeginStart(const RecordRequest& r) override {
        log << "BeginStart(" + (r.event.isEmpty() ? QString("hand") : r.event) + ")";
    }
    void BeginStop(const RecordRequest& r) override {
        log << QString("BeginStop(%1)").arg(KindName(r.kind));
    }
    void BeginRestart() override { log << "BeginRestart"; }
    void Dropped(const RecordRequest& r, const char*) override {
        log << QString("Dropped(%1)").arg(KindName(r.kind));
    }
    void ExitReady() override { log << "ExitReady"; }
    QStringList log;
};

struct Script {
    const char* name;
    // Requests: start, stop (by hand), start:X / stop:X (event X), restart,
    // fail, exit. Step ends: started, notstarted, stopped.
    QStringList actions;
    QStringList expectedLog;
    RecordState finalState;
    QString runningEvent;
};

void Play(RecordSequencer& sequencer, const QString& action) {
    RecordRequest request;
    const QString kind = action.section(':', 0, 0);
    request.event = action.section(':', 1);
    request.byHand = request.event.isEmpty();
    if (kind == "started" || kind == "notstarted") {
        sequencer.StartDone(kind == "started");
        return;
    }
    if (kind == "stopped") {
        sequencer.StopDone();
        return;
    }
    if (kind == "start") {
        request.kind = RecordRequest::kStart;
    } else if (kind == "stop") {
        request.kind = RecordRequest::kStop;
    } else if (kind == "restart") {
        request.kind = RecordRequest::kRestart;
    } else if (kind == "fail") {
        request.kind = RecordRequest::kEndAfterFailure;
    } else {
        request.kind = RecordRequest::kExit;
    }
    sequencer.Request(request);
}

TEST(RecordSequencer, RequestsArrivingInEveryStateAreTakenInOrder) {
    const Script scripts[] = {
        {"stop during a start ends the recording as soon as it began",
         {"start", "stop", "started", "stopped"},
         {"BeginStart(hand)", "BeginStop(stop)"},
         RecordState::kIdle,
         ""},
        {"a failed start with a stop waiting still resets the controls",
         {"start", "stop", "notstarted"},
         {"BeginStart(hand)", "BeginStop(stop)"},
         RecordState::kStopping,
         ""},
        {"exit during a stop waits for it, then nothing starts",
         {"start", "started", "stop", "exit", "start", "stopped", "start"},
         {"BeginStart(hand)", "BeginStop(stop)", "Dropped(start)", "ExitReady", "Dropped(start)"},
         RecordState::kIdle,
         ""},
        {"exit during a start ends the new recording",
         {"start:News", "exit", "started", "stopped"},
         {"BeginStart(News)", "BeginStop(exit)", "ExitReady"},
         RecordState::kIdle,
         ""},
        {"exit with nothing running is ready at once",
         {"exit"},
         {"ExitReady"},
         RecordState::kIdle,
         ""},
        {"restart during a stop is dropped",
         {"start", "started", "stop", "restart", "stopped"},
         {"BeginStart(hand)", "BeginStop(stop)", "Dropped(restart)"},
         RecordState::kIdle,
         ""},
        {"restart while recording stops and starts the recorder, the event stays",
         {"start:News", "started", "restart", "started"},
         {"BeginStart(News)", "BeginRestart"},
         RecordState::kRecording,
         "News"},
        {"a start while recording first stops the running recording",
         {"start", "started", "start:News", "stopped"},
         {"BeginStart(hand)", "BeginStop(start)", "BeginStart(News)"},
         RecordState::kStarting,
         "News"},
        {"a scheduled stop ends only its own event, named in any case",
         {"start:News", "started", "stop:Jazz", "stop:NEWS"},
         {"BeginStart(News)", "Dropped(stop)", "BeginStop(stop)"},
         RecordState::kStopping,
         "News"},
        {"a scheduled stop does not end a recording by hand",
         {"start", "started", "stop:News"},
         {"BeginStart(hand)", "Dropped(stop)"},
         RecordState::kRecording,
         ""},
        {"an end after a failure with nothing recording is dropped",
         {"fail", "start", "notstarted", "fail"},
         {"Dropped(end)", "BeginStart(hand)", "Dropped(end)"},
         RecordState::kIdle,
         ""},
        {"an end after a failure stops the recording",
         {"start", "started", "fail", "stopped"},
         {"BeginStart(hand)", "BeginStop(end)"},
         RecordState::kIdle,
         ""},
    };
    for (const Script& script : scripts) {
        ScriptedSteps steps;
        RecordSequencer sequencer(steps);
        for (const QString& action : script.actions) {
            Play(sequencer, action);
        }
        EXPECT_EQ(steps.log, script.expectedLog) << script.name << "\n"
                                                 << steps.log.join(", ").toStdString();
        EXPECT_STREQ(RecordStateName(sequencer.state()), RecordStateName(script.finalState))
            << script.name;
        EXPECT_EQ(sequencer.runningEvent(), script.runningEvent) << script.name;
    }
}

// Steps that end at once, as a stop with nothing to stop does.
class ImmediateSteps : public RecordSequencer::Steps {
  public:
    RecordSequencer* sequencer = nullptr;
    int starts = 0;
    int stops = 0;
    void BeginStart(const RecordRequest&) override {
        ++starts;
        sequencer->StartDone(true);
    }
    void BeginStop(const RecordRequest&) override {
        ++stops;
        sequencer->StopDone();
    }
    void BeginRestart() override { sequencer->StartDone(true); }
    void Dropped(const RecordRequest&, const char*) override {}
    void ExitReady() override {}
};

TEST(RecordSequencer, StepsThatEndAtOnceLeaveTheQueueEmpty) {
    ImmediateSteps steps;
    RecordSequencer sequencer(steps);
    steps.sequencer = &sequencer;
    for (const char* action : {"start", "start", "stop", "stop", "start"}) {
        Play(sequencer, action);
    }
    EXPECT_EQ(steps.starts, 3);
    EXPECT_EQ(steps.stops, 3) << "two ends of a recording, one reset with nothing recording";
    EXPECT_EQ(sequencer.state(), RecordState::kRecording);
    EXPECT_EQ(sequencer.waiting(), 0u);
}

}  // namespace
