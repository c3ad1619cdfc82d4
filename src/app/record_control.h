#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <cstdint>
#include <ctime>
#include <functional>
#include <memory>
#include <string>

#include "app/record_progress.h"
#include "app/record_sequencer.h"
#include "app/recorder_factory.h"
#include "sched/schedule_check.h"

class Clock;
class RecentRecordings;
class RecorderJob;
class SMixer;
class SRecord;
class QWidget;
struct SettingsRecords;

// What the record control needs of the panel it works in: the tuner, the
// mute state, the input mixer, the pass-through, the Rec/Stop buttons, the
// status line and the level meter.
class RecordControlView : public RecordProgress::Sink {
  public:
    virtual void TuneTo(float frequency) = 0;
    virtual void SetMute(bool radioMute, bool lineMute) = 0;
    virtual bool muted() const = 0;
    virtual float frequency() const = 0;
    // Asks the TV application for the tuner; false when it keeps it.
    virtual bool AskTuner() = 0;
    // The mixer of the wave input device; null when there is none.
    virtual SMixer* inputMixer() = 0;
    // The pass-through gives up the capture device while a recorder holds
    // it, and takes it again after. Pausing returns at once, with the wait
    // (run on the job's thread before the recorder opens) until it has let
    // go; empty when there is nothing to wait for.
    virtual std::function<bool()> PausePassthrough() { return {}; }
    virtual void ResumePassthrough() {}
    // recording: Stop shown, else Rec shown; the shown one is enabled and,
    // with focus set, takes the keyboard focus.
    virtual void ShowRecordButtons(bool recording, bool focus) = 0;
    // Hides and disables both buttons while a start or stop is under way.
    virtual void HideRecordButtons() = 0;
    // Receives WM_STATE_ICONS.
    virtual QObject* stateIconReceiver() = 0;
};

// Starts and stops recordings, by hand and for scheduled events. Every
// start, stop, restart and exit is a request taken in order by a
// RecordSequencer; the steps of a start or a stop are posted one after the
// other, and the recorder's device is opened and closed (and its file
// completed) on a RecorderJob's thread, so that nothing here waits or runs
// the event loop. Failures of scheduled recordings are logged, shown in the
// status line and signalled; only a recording started by hand also gets
// its message box, shown once the control is idle again.
class RecordControl : public QObject, private RecordSequencer::Steps {
    Q_OBJECT
  public:
    // Recording source level set when the source reads 0 (of 127).
    static constexpr int kRecordingLevel = 110;

    RecordControl(RecordControlView& view, SettingsRecords& settings, QObject* parent = nullptr);
    // Ends a recording that still runs, so that its file is complete.
    ~RecordControl() override;

    // -1: a recording by hand; else the scheduled event of that index (its
    // name is what counts from here on). Both only ask: the request is
    // taken when what is under way is done.
    void StartEvent(int event);
    void StopEvent(int event);
    // The program is to end: what records ends completely, then
    // readyToExit() is emitted (also when nothing records). Later starts
    // are refused.
    void RequestExit();
    // Ends whatever runs at once, waiting for the devices (the panel is
    // being destroyed and cannot wait for posted steps).
    void EndRecording();

    // One tick of the periodic or the scan timer: a recorder that stopped
    // by itself is ended, then the schedule is checked.
    void Tick();

    // Playback commands go to this panel as posted WM_COMMAND.
    void SetArchivePanel(QWidget* archivePanel);
    QWidget* archivePanel() const { return archivePanel_; }
    // True when the command is one of the playback commands (and was sent
    // on to the archive panel if there is one).
    bool ForwardPlaybackCommand(unsigned command);
    void SetRecentRecordings(RecentRecordings* recent) { recent_ = recent; }
    // The clock for file names, start times and the schedule.
    void SetClock(Clock& clock);
    // Makes the recorder of each recording from now on; MakeRecorder unless
    // replaced.
    using RecorderMaker =
        std::function<std::unique_ptr<SRecord>(const RecorderPlan& plan, QObject* owner,
                                               const std::string& path, const std::string& device)>;
    void SetRecorderMaker(RecorderMaker make) { makeRecorder_ = std::move(make); }

    RecordState state() const { return sequencer_.state(); }
    // No start or stop under way and none waiting.
    bool settled() const { return !sequencer_.busy() && sequencer_.waiting() == 0; }
    bool recording() const { return recording_; }
    bool starting() const { return starting_; }
    // The event that runs (starting, recording or stopping) by name; empty
    // for a recording by hand or none.
    QString runningEvent() const { return sequencer_.runningEvent(); }
    // Its index in the event table now, or -1.
    int activeEvent() const;
    const QString& eventName() const { return eventName_; }
    const QString& fileTitle() const { return fileTitle_; }
    SRecord* recorder() const { return recorder_.get(); }
    const ScheduleCheck& schedule() const { return *schedule_; }
    ScheduleCheck& schedule() { return *schedule_; }
    const RecordProgress& progress() const { return progress_; }
    RecordProgress& progress() { return progress_; }
    // The view shows again: the status line and the meter catch up.
    void RefreshProgress() { progress_.Refresh(); }

  signals:
    void recordingStarted(int event, QString eventName, QString filePath);
    void recordingEnded(int event, QString eventName, QString filePath);
    // The recording reached the size limit and ended there.
    void recordingLimited(int event, QString eventName, QString filePath);
    // A start failed, a recording failed on the way, or a scheduled event was
    // missed while the computer slept or its clock was set on.
    void recordingFailed(int event, QString eventName, QString reason);
    void readyToExit();

  protected:
    bool event(QEvent* event) override;

  private:
    // RecordSequencer::Steps
    void BeginStart(const RecordRequest& request) override;
    void BeginStop(const RecordRequest& request) override;
    void BeginRestart() override;
    void Dropped(const RecordRequest& request, const char* why) override;
    void ExitReady() override;

    // The steps of a start, each posted after the one before.
    void StartMute(int action, int keep);
    void StartRecorder(int keep);
    void RecorderStarted(bool ok, int keep);
    void FinishStart();
    void FailStart(const QString& message, const QString& reason);
    void FinishStop(bool stopOk, const QString& path);
    void RecorderRestarted(bool ok);

    void SelectRecordingSource();
    void OnProgress();
    // Asks to end a recorder that stopped by itself.
    void NoticeFailedRecorder();
    // Shows (by hand) or logs (scheduled) what the recorder had to say.
    void TellRecorderMessages();
    void TellUser(const QString& text, const QString& caption);
    void ResetControls(bool eventRule);
    void ResumePassthrough();
    void PostStateIcons();

    // Posts the next step (runs it at once while ending synchronously).
    void Continue(std::function<void()> step);
    void RunNext(unsigned generation);
    // Runs work on the job thread, then done on this thread.
    void RunJob(std::function<void()> work, std::function<void()> done);

    RecordControlView& view_;
    SettingsRecords& settings_;
    Clock* clock_;
    std::unique_ptr<ScheduleCheck> schedule_;
    RecordSequencer sequencer_{*this};
    RecordProgress progress_{view_};
    RecorderJob* job_;
    std::unique_ptr<SRecord> recorder_;
    RecorderPlan plan_;
    RecorderMaker makeRecorder_;
    RecentRecordings* recent_ = nullptr;
    QPointer<QWidget> archivePanel_;

    std::function<void()> next_;
    unsigned nextGeneration_ = 0;
    bool synchronous_ = false;

    // The recording under way.
    bool byHand_ = true;
    int eventIndex_ = -1;  // at its start, for the signals
    QString eventName_;
    QString fileTitle_;
    QString filePath_;
    bool mutedAtStart_ = false;
    std::time_t startTime_ = 0;
    bool recording_ = false;
    bool starting_ = false;
    bool endAsked_ = false;
    bool passthroughPaused_ = false;
    std::function<bool()> passthroughLetGo_;
    quintptr serial_ = 0;
    RecordRequest stopRequest_;
};
