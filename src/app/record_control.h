#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <cstdint>
#include <ctime>
#include <memory>

#include "platform/wave_format.h"
#include "sched/schedule_check.h"

class Clock;
class RecentRecordings;
class SMeter;
class SMixer;
class SRecord;
class QWidget;
struct SettingsRecords;

// What the record control needs of the panel it works in: the tuner, the
// mute state, the input mixer, the Rec/Stop buttons, the status line and
// the level meter.
class RecordControlView {
  public:
    virtual ~RecordControlView() = default;

    virtual void TuneTo(float frequency) = 0;
    virtual void SetMute(bool radioMute, bool lineMute) = 0;
    virtual bool muted() const = 0;
    virtual float frequency() const = 0;
    // Asks the TV application for the tuner; false when it keeps it.
    virtual bool AskTuner() = 0;
    // The mixer of the wave input device; null when there is none.
    virtual SMixer* inputMixer() = 0;
    // recording: Stop shown, else Rec shown; the shown one is enabled and,
    // with focus set, takes the keyboard focus.
    virtual void ShowRecordButtons(bool recording, bool focus) = 0;
    // Hides and disables both buttons while a start or stop is under way.
    virtual void HideRecordButtons() = 0;
    virtual void SetStatusText(const QString& text) = 0;
    virtual SMeter* levelMeter() = 0;
    // Receives WM_STATE_ICONS.
    virtual QObject* stateIconReceiver() = 0;
};

// Starts and stops recordings, by hand and for scheduled events: the file
// name, the mixer's recording source, the recorder for the default format,
// the status line, the size limit, the level meter, the metadata at the end
// and the recent-recordings list. Recorders post their progress here.
class RecordControl : public QObject {
    Q_OBJECT
  public:
    // Recording source level set when the source reads 0 (of 127).
    static constexpr int kRecordingLevel = 110;

    RecordControl(RecordControlView& view, SettingsRecords& settings, QObject* parent = nullptr);
    // Ends a recording that still runs, so that its file is complete.
    ~RecordControl() override;

    // -1: a recording by hand; else the scheduled event of that index.
    void StartEvent(int event);
    void StopEvent(int event);
    // Ends whatever runs (the program is about to end).
    void EndRecording();

    // One tick of the periodic or the scan timer: a recorder that stopped by
    // itself is ended, then the schedule is checked.
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

    bool recording() const { return recording_; }
    bool starting() const { return starting_; }
    int activeEvent() const { return activeEvent_; }
    const QString& eventName() const { return eventName_; }
    const QString& fileTitle() const { return fileTitle_; }
    SRecord* recorder() const { return recorder_.get(); }
    const ScheduleCheck& schedule() const { return *schedule_; }
    ScheduleCheck& schedule() { return *schedule_; }

    // The status line of a recording: name, size in MB, duration.
    static QString StatusText(const QString& name, int64_t bytesWritten, uint32_t bytesPerSecond);
    // The text of the metadata item written at the end of a recording.
    static QString TimecodeItem(std::time_t startTime, const QString& eventName, float frequency);
    // The title item: for a recording by hand (empty event name) frequency,
    // start time and date; for an event its name and the date.
    static QString TitleText(const QString& eventName, float frequency, const std::tm& start,
                             const std::tm& today);

  signals:
    void recordingStarted(int event, QString eventName, QString filePath);
    void recordingEnded(int event, QString eventName, QString filePath);
    void recordingFailed(int event, QString eventName, QString reason);

  protected:
    bool event(QEvent* event) override;

  private:
    // The steps of StartEvent that need a recorder; false when it failed.
    bool StartRecorder(int event, int keep);
    std::unique_ptr<SRecord> MakeRecorder(const std::string& path);
    void SelectRecordingSource();
    void OnProgress();
    void ShowLevel();
    void RestartRecorder();
    // Ends a recorder that stopped by itself; true when it did.
    bool EndFailedRecorder();
    // Ends the recording for stopReason_ and tells the user why.
    void EndWithReason();
    void FailStart(const QString& message, const QString& reason);
    void WriteMetadata();
    void PostStateIcons();

    RecordControlView& view_;
    SettingsRecords& settings_;
    Clock* clock_;
    std::unique_ptr<ScheduleCheck> schedule_;
    std::unique_ptr<SRecord> recorder_;
    WaveFormat captureFormat_;
    RecentRecordings* recent_ = nullptr;
    QPointer<QWidget> archivePanel_;

    int activeEvent_ = -1;
    QString eventName_;
    QString fileTitle_;
    bool mutedAtStart_ = false;
    std::time_t startTime_ = 0;
    bool recording_ = false;
    bool starting_ = false;
    // Inside StartEvent or StopEvent: ticks and progress wait.
    bool busy_ = false;
    // The recorder never recorded: its file goes, unlisted.
    bool discardFile_ = false;
    // Numbers each recording, so that a late size-limit message cannot end
    // the next one.
    quintptr serial_ = 0;
    bool limitPosted_ = false;
    int shownLevel_ = -1;
    // Why the running recording ends by itself; empty for a normal end.
    QString stopReason_;
};
