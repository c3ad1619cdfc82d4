#include "app/record_control.h"

#include <QFile>
#include <QFileInfo>
#include <QTimer>
#include <QWidget>

#include "app/command_ids.h"
#include "app/recent_recordings.h"
#include "app/recorder_job.h"
#include "app/recording_items.h"
#include "app/settings_records.h"
#include "archive/recording_directory.h"
#include "archive/recording_path.h"
#include "audio/log.h"
#include "audio/smixer.h"
#include "audio/srecord.h"
#include "platform/clock.h"
#include "platform/message_box.h"
#include "platform/post_message.h"
#include "platform/window_messages.h"
#include "radio/radio_models.h"

namespace {

constexpr double kBytesPerMb = 1048576.0;
constexpr const char* kCaption = "Plumora";
constexpr const char* kCannotMakeFile = "Can't make new file.\nDisk full or directory problem?";
constexpr const char* kCannotRecord =
    "Can't record.\nWave input device or compression codec already in use or disabled?";

std::string LocalPath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

QByteArray Utf8(const QString& text) {
    return text.toUtf8();
}

bool IsPlaybackCommand(unsigned command) {
    return command == cmd::kPlayArchive || command == cmd::kStopPlayback ||
           (command >= cmd::kBackMinute && command <= cmd::kTogglePlayback);
}

}  // namespace

RecordControl::RecordControl(RecordControlView& view, SettingsRecords& settings, QObject* parent)
    : QObject(parent),
      view_(view),
      settings_(settings),
      clock_(&Clock::System()),
      schedule_(std::make_unique<ScheduleCheck>(settings.events, *clock_)),
      job_(new RecorderJob(this)),
      makeRecorder_(MakeRecorder) {}

RecordControl::~RecordControl() {
    EndRecording();
}

void RecordControl::SetClock(Clock& clock) {
    clock_ = &clock;
    schedule_ = std::make_unique<ScheduleCheck>(settings_.events, clock);
}

void RecordControl::SetArchivePanel(QWidget* archivePanel) {
    archivePanel_ = archivePanel;
}

bool RecordControl::ForwardPlaybackCommand(unsigned command) {
    if (!IsPlaybackCommand(command)) {
        return false;
    }
    if (archivePanel_) {
        PostMessage(archivePanel_, WM_COMMAND, command);
    }
    return true;
}

int RecordControl::activeEvent() const {
    const QString name = sequencer_.runningEvent();
    return name.isEmpty() ? -1 : settings_.events.Find(name);
}

// --- Requests ------------------------------------------------------------------

void RecordControl::StartEvent(int event) {
    LogWarning("record");
    RecordRequest request;
    request.kind = RecordRequest::kStart;
    if (event != -1) {
        const EventTable& table = settings_.events;
        if (event < 0 || event >= table.count() || table.at(event).name.isEmpty() ||
            table.at(event).action == kActionNone) {
            return;  // "no action" never starts anything
        }
        request.byHand = false;
        request.event = table.at(event).name;
    }
    sequencer_.Request(std::move(request));
}

void RecordControl::StopEvent(int event) {
    RecordRequest request;
    request.kind = RecordRequest::kStop;
    if (event != -1) {
        const EventTable& table = settings_.events;
        if (event < 0 || event >= table.count() || table.at(event).name.isEmpty() ||
            table.at(event).action == kActionNone) {
            return;  // "no action" never ends anything
        }
        request.byHand = false;
        request.event = table.at(event).name;
    }
    sequencer_.Request(std::move(request));
}

void RecordControl::RequestExit() {
    RecordRequest request;
    request.kind = RecordRequest::kExit;
    sequencer_.Request(std::move(request));
}

void RecordControl::EndRecording() {
    // From here on every step runs at once; a step under way is finished
    // first (a device open ends within its time-out).
    const bool wasSynchronous = synchronous_;
    synchronous_ = true;
    while (job_->busy() || next_) {
        job_->Finish();
        if (next_) {
            RunNext(nextGeneration_);
        }
    }
    if (recording_ || recorder_ || sequencer_.state() != RecordState::kIdle) {
        LogWarning("ending the recording before exit");
    }
    RecordRequest request;
    request.kind = RecordRequest::kExit;
    request.byHand = false;
    sequencer_.Request(std::move(request));
    synchronous_ = wasSynchronous;
}

void RecordControl::Tick() {
    NoticeFailedRecorder();
    const ScheduleDecision decision = schedule_->Tick(sequencer_.runningEvent());
    for (const QString& name : decision.missed) {
        // Reported as a start that failed: nobody is there to answer.
        const QString reason =
            name + QStringLiteral(" was missed: the computer was asleep or its clock changed");
        LogWarning("Scheduled event %s", Utf8(reason).constData());
        view_.SetStatusText(reason);
        emit recordingFailed(settings_.events.Find(name), name, reason);
    }
    if (decision.kind == ScheduleDecision::kStart) {
        const int index = settings_.events.Find(decision.event);
        if (index >= 0) {
            StartEvent(index);
        }
    } else if (decision.kind == ScheduleDecision::kStop) {
        // By name: the recording of an event that was deleted, renamed or
        // set to "no action" meanwhile ends too.
        RecordRequest request;
        request.kind = RecordRequest::kStop;
        request.byHand = false;
        request.event = decision.event;
        sequencer_.Request(std::move(request));
    }
}

void RecordControl::Dropped(const RecordRequest& request, const char* why) {
    static constexpr const char* kKinds[] = {"start", "stop", "restart", "end", "exit"};
    LogWarning("%s %s dropped: %s", kKinds[request.kind],
               request.event.isEmpty() ? "" : Utf8(request.event).constData(), why);
}

void RecordControl::ExitReady() {
    emit readyToExit();
}

// --- Posted steps -----------------------------------------------------------------

void RecordControl::Continue(std::function<void()> step) {
    next_ = std::move(step);
    const unsigned generation = ++nextGeneration_;
    if (synchronous_) {
        RunNext(generation);
        return;
    }
    QMetaObject::invokeMethod(
        this, [this, generation] { RunNext(generation); }, Qt::QueuedConnection);
}

void RecordControl::RunNext(unsigned generation) {
    if (generation != nextGeneration_ || !next_) {
        return;
    }
    std::function<void()> step = std::move(next_);
    next_ = nullptr;
    step();
}

void RecordControl::RunJob(std::function<void()> work, std::function<void()> done) {
    if (synchronous_) {
        work();
        done();
        return;
    }
    job_->Run(std::move(work), std::move(done));
}

// --- Start -----------------------------------------------------------------------

void RecordControl::BeginStart(const RecordRequest& request) {
    const EventTable& table = settings_.events;
    int action = kActionRecord;
    int keep = -1;
    eventIndex_ = -1;
    if (!request.event.isEmpty()) {
        eventIndex_ = table.Find(request.event);
        if (eventIndex_ < 0 || table.at(eventIndex_).action == kActionNone) {
            LogWarning("Scheduled event %s is no longer there or does nothing",
                       Utf8(request.event).constData());
            sequencer_.StartDone(false);
            return;
        }
        action = table.at(eventIndex_).action;
        keep = table.at(eventIndex_).keep;
    }
    if (!view_.AskTuner()) {
        if (!request.event.isEmpty()) {
            LogWarning("Scheduled event %s not started: the TV application keeps the tuner",
                       Utf8(request.event).constData());
        }
        sequencer_.StartDone(false);
        return;
    }
    starting_ = true;
    byHand_ = request.byHand;
    eventName_ = request.event;
    fileTitle_.clear();
    filePath_.clear();
    if (eventIndex_ >= 0) {
        view_.TuneTo(table.at(eventIndex_).frequency);
    }
    Continue([this, action, keep] { StartMute(action, keep); });
}

void RecordControl::StartMute(int action, int keep) {
    const bool records = ActionRecords(action);
    if (records) {
        view_.HideRecordButtons();
        // One capture device, one user: the pass-through lets go of it
        // before the recorder opens it, and takes it again when the
        // recorder has closed it.
        passthroughLetGo_ = view_.PausePassthrough();
        passthroughPaused_ = true;
    }
    mutedAtStart_ = view_.muted();
    view_.SetMute(false, mutedAtStart_ && !ActionAudible(action));
    if (records) {
        Continue([this, keep] { StartRecorder(keep); });
    } else {
        Continue([this] { FinishStart(); });
    }
}

void RecordControl::StartRecorder(int keep) {
    SelectRecordingSource();
    const QString directoryError = PrepareRecordingDirectory(settings_.files);
    if (!directoryError.isEmpty()) {
        FailStart(kCannotMakeFile, directoryError);
        return;
    }
    const RecordingPath path =
        MakeRecordingPath(settings_.files, *clock_,
                          RecordingBaseName(eventName_, settings_.files.improvedFilePattern),
                          RecordingExtension(settings_.formats.defaultAudioFormat));
    if (!path.ok()) {
        FailStart(kCannotMakeFile, path.error);
        return;
    }
    plan_ = PlanRecorder(settings_.formats);
    recorder_ = makeRecorder_(
        plan_, this, LocalPath(path.path),
        CaptureDeviceFor(settings_.radio.vendor, settings_.sound.waveInDriver).toStdString());
    LogWarning("Record %s", LocalPath(path.path).c_str());
    ++serial_;
    endAsked_ = false;
    filePath_ = path.path;
    if (!recorder_ || !recorder_->IsOpen()) {
        FailStart(kCannotMakeFile, QStringLiteral("cannot create ") + path.path);
        return;
    }
    startTime_ = clock_->Now();
    // What the end writes, kept beside the recording until then.
    recorder_->SetRecoveryItem(
        recording_items::TimecodeItem(startTime_, eventName_, view_.frequency()).toStdString());
    recorder_->KeepMessages();
    SRecord* recorder = recorder_.get();
    auto ok = std::make_shared<bool>(false);
    RunJob(
        [recorder, ok, letGo = std::move(passthroughLetGo_)] {
            if (letGo && !letGo()) {
                LogWarning("the pass-through still holds its sound devices");
            }
            *ok = recorder->Start();
        },
        [this, ok, keep] { RecorderStarted(*ok, keep); });
}

void RecordControl::RecorderStarted(bool ok, int keep) {
    TellRecorderMessages();
    if (!ok) {
        const std::string failure = recorder_->StartFailure();
        FailStart(kCannotRecord,
                  failure.empty()
                      ? QStringLiteral("the sound input device \"") +
                            CaptureDeviceFor(settings_.radio.vendor, settings_.sound.waveInDriver) +
                            QStringLiteral("\" or the codec cannot be used")
                      : QString::fromStdString(failure));
        return;
    }
    fileTitle_ = QFileInfo(filePath_).fileName();
    view_.SetStatusText(fileTitle_);
    view_.ShowRecordButtons(true, true);
    recording_ = true;
    progress_.Begin(eventName_.isEmpty() ? fileTitle_ : eventName_, plan_.captureFormat);
    // Older recordings of the event go only now that the new one runs.
    PruneOlderRecordings(filePath_, keep);
    emit recordingStarted(eventIndex_, eventName_, filePath_);
    FinishStart();
}

void RecordControl::FinishStart() {
    PostStateIcons();
    starting_ = false;
    sequencer_.StartDone(true);
}

void RecordControl::FailStart(const QString& message, const QString& reason) {
    const int event = eventIndex_;
    const QString name = eventName_;
    if (!name.isEmpty()) {
        LogWarning("Scheduled event %s could not record: %s", Utf8(name).constData(),
                   Utf8(reason).constData());
    } else {
        LogWarning("Recording could not start: %s", Utf8(reason).constData());
    }
    if (recorder_) {
        // It never recorded: no empty file is left behind.
        const QString path = QFile::decodeName(QByteArray::fromStdString(recorder_->GetFileName()));
        recorder_.reset();
        QFile::remove(path);
    }
    ResetControls(false);
    ResumePassthrough();
    view_.SetStatusText((name.isEmpty() ? QStringLiteral("Recording") : name) +
                        QStringLiteral(" could not start: ") + reason);
    if (byHand_) {
        TellUser(message, kCaption);
    }
    starting_ = false;
    emit recordingFailed(event, name, reason);
    sequencer_.StartDone(false);
}

void RecordControl::SelectRecordingSource() {
    SMixer* mixer = view_.inputMixer();
    if (mixer == nullptr) {
        return;
    }
    std::string line = settings_.sound.mixerInput.toStdString();
    if (settings_.sound.mixerInput.compare(SoundDeviceSettings::kNotConnected,
                                           Qt::CaseInsensitive) == 0) {
        // Record what the card plays.
        line.clear();
        const int count = mixer->GetRecordingSourceCount();
        for (int i = 0; i < count; ++i) {
            std::string name;
            mixer->GetRecordingSourceName(i, name);
            if (mixer->IsRecordingMixSource(name)) {
                line = name;
                break;
            }
        }
        if (line.empty()) {
            return;
        }
    }
    mixer->SelectRecordingSource(line);
    if (mixer->GetRecordingLevel(line) == 0) {
        mixer->SetRecordingLevel(line, kRecordingLevel);
    }
}

void RecordControl::TellRecorderMessages() {
    if (!recorder_) {
        return;
    }
    for (const SRecord::UserMessage& message : recorder_->TakeMessages()) {
        LogWarning("%s: %s", Utf8(message.second).constData(), Utf8(message.first).constData());
        if (byHand_) {
            TellUser(message.first, message.second);
        }
    }
}

void RecordControl::TellUser(const QString& text, const QString& caption) {
    if (synchronous_) {
        return;  // ending: nobody to tell
    }
    // Shown once the current step has returned: the box never holds a start,
    // a stop or the schedule.
    QTimer::singleShot(0, this, [text, caption] { MessageBox(text, caption, MessageIcon::Error); });
}

// --- Stop ------------------------------------------------------------------------

void RecordControl::BeginStop(const RecordRequest& request) {
    LogWarning("stop record");
    stopRequest_ = request;
    view_.HideRecordButtons();
    if (!recorder_) {
        FinishStop(true, QString());
        return;
    }
    RecordingItemsInput input;
    input.startTime = startTime_;
    input.eventName = eventName_;
    input.frequency = view_.frequency();
    input.start = clock_->LocalTime(startTime_);
    input.today = clock_->LocalNow();
    const RecordingItems items = recording_items::Make(input);
    // The device closes and the file is completed on the job's thread; the
    // recorder goes with it.
    std::shared_ptr<SRecord> recorder(recorder_.release());
    struct Result {
        bool ok = true;
        std::string path;
    };
    auto result = std::make_shared<Result>();
    RunJob(
        [recorder, items, result]() mutable {
            result->ok = recorder->Stop();
            recording_items::Write(*recorder, items);
            result->path = recorder->GetFileName();
            recorder.reset();  // completes the file
        },
        [this, result] {
            FinishStop(result->ok, QFile::decodeName(QByteArray::fromStdString(result->path)));
        });
}

void RecordControl::FinishStop(bool stopOk, const QString& path) {
    const RecordRequest request = stopRequest_;
    const int event = eventIndex_;
    const QString name = eventName_;
    const bool hadRecorder = !path.isEmpty();
    if (!stopOk) {
        LogWarning("Can't stop wavein");
        if (byHand_) {
            TellUser("Can't stop wavein", kCaption);
        }
    }
    if (hadRecorder) {
        if (recent_ != nullptr) {
            recent_->Add(path);
        }
        progress_.End();
    }
    // A stop by hand follows the mute state of now; any other end (the
    // event's, a failure, the exit, a new start) restores the event's.
    const bool stopByHand = request.kind == RecordRequest::kStop && request.byHand;
    ResetControls(!name.isEmpty() && !stopByHand);
    ResumePassthrough();

    QString status;
    if (request.kind == RecordRequest::kEndAfterFailure && hadRecorder) {
        if (request.sizeLimit) {
            status =
                fileTitle_ +
                QStringLiteral(" ended at the size limit of %1 MB").arg(settings_.files.fileSize);
        } else {
            status = fileTitle_ + QStringLiteral(" stopped: ") + request.reason;
        }
        LogWarning("Recording %s", Utf8(status).constData());
    }
    view_.SetStatusText(status);
    eventName_.clear();
    recording_ = false;
    if (hadRecorder) {
        if (request.kind != RecordRequest::kEndAfterFailure) {
            emit recordingEnded(event, name, path);
        } else if (request.sizeLimit) {
            emit recordingLimited(event, name, path);
        } else {
            emit recordingFailed(event, name, request.reason);
        }
    }
    sequencer_.StopDone();
}

void RecordControl::ResetControls(bool eventRule) {
    if ((eventRule && mutedAtStart_) || (!eventRule && view_.muted())) {
        view_.SetMute(true, true);
    }
    view_.SetStatusText(QString());
    view_.ShowRecordButtons(false, true);
    recording_ = false;
    PostStateIcons();
}

// --- While it runs -------------------------------------------------------------------

void RecordControl::BeginRestart() {
    if (!recorder_) {
        sequencer_.StartDone(true);
        return;
    }
    LogWarning("restarting the recorder");
    SRecord* recorder = recorder_.get();
    auto ok = std::make_shared<bool>(false);
    RunJob(
        [recorder, ok] {
            recorder->Stop();
            *ok = recorder->Start();
        },
        [this, ok] { RecorderRestarted(*ok); });
}

void RecordControl::RecorderRestarted(bool ok) {
    TellRecorderMessages();
    sequencer_.StartDone(true);
    if (!ok) {
        RecordRequest end;
        end.kind = RecordRequest::kEndAfterFailure;
        end.byHand = false;
        end.reason = QStringLiteral("the sound input device could not be started again");
        endAsked_ = true;
        sequencer_.Request(std::move(end));
    }
}

bool RecordControl::event(QEvent* event) {
    const WindowMessage* m = AsWindowMessage(event);
    if (m == nullptr) {
        return QObject::event(event);
    }
    switch (m->msg) {
        case WM_AUDIO_PROGRESS:
            OnProgress();
            break;
        case WM_RECORDER_RESTART:
            if (sequencer_.state() == RecordState::kRecording && !endAsked_) {
                RecordRequest restart;
                restart.kind = RecordRequest::kRestart;
                restart.byHand = false;
                sequencer_.Request(std::move(restart));
            }
            break;
        default:
            break;
    }
    return true;
}

void RecordControl::OnProgress() {
    if (!recorder_ || !recording_ || sequencer_.state() != RecordState::kRecording || endAsked_) {
        return;
    }
    NoticeFailedRecorder();
    if (endAsked_) {
        return;
    }
    const int64_t bytes = recorder_->GetBytesWritten();
    progress_.Report(bytes, recorder_->GetBytesPerSecond(), recorder_->GetLastBuffer());
    if (settings_.files.fileSize <= bytes / kBytesPerMb && recorder_->IsRecording()) {
        endAsked_ = true;
        RecordRequest end;
        end.kind = RecordRequest::kEndAfterFailure;
        end.byHand = false;
        end.sizeLimit = true;
        end.reason = QStringLiteral("size limit of %1 MB reached").arg(settings_.files.fileSize);
        sequencer_.Request(std::move(end));
    }
}

void RecordControl::NoticeFailedRecorder() {
    if (!recorder_ || !recording_ || endAsked_ || sequencer_.state() != RecordState::kRecording) {
        return;
    }
    if (!recorder_->HasFailed() && recorder_->IsRecording()) {
        return;
    }
    const std::string failure = recorder_->GetFailure();
    endAsked_ = true;
    RecordRequest end;
    end.kind = RecordRequest::kEndAfterFailure;
    end.byHand = false;
    end.reason =
        failure.empty() ? QStringLiteral("the recorder stopped") : QString::fromStdString(failure);
    sequencer_.Request(std::move(end));
}

void RecordControl::ResumePassthrough() {
    if (passthroughPaused_) {
        passthroughPaused_ = false;
        view_.ResumePassthrough();
    }
}

void RecordControl::PostStateIcons() {
    if (QObject* receiver = view_.stateIconReceiver()) {
        PostMessage(receiver, WM_STATE_ICONS);
    }
}
