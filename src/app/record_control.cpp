#include "app/record_control.h"

#include <QFile>
#include <QFileInfo>
#include <QWidget>

#include "app/command_ids.h"
#include "app/recent_recordings.h"
#include "app/settings_records.h"
#include "archive/recording_directory.h"
#include "archive/recording_path.h"
#include "audio/log.h"
#include "audio/peak_level.h"
#include "audio/smeter.h"
#include "audio/smixer.h"
#include "audio/sstream_wave_in.h"
#include "audio/svorbis_record.h"
#include "media/media_file.h"
#include "platform/clock.h"
#include "platform/codec_manager.h"
#include "platform/message_box.h"
#include "platform/post_message.h"
#include "platform/window_messages.h"
#include "radio/radio_models.h"

namespace {

constexpr double kBytesPerMb = 1048576.0;

// A stored compressed format may lack the codec's extra bytes (the built-in
// MP3 default has none until the Mp3 page is confirmed once); the recorder
// gets the full record the codec manager would write for it, as the format
// pages build it.
WaveFormat CompletedFormat(const WaveFormat& stored) {
    if (stored.formatTag == WaveFormat::kTagPcm ||
        codec::CanOpenStream(SStreamWaveIn::CaptureFormat(stored), stored)) {
        return stored;
    }
    return codec::SuggestFormat(stored).value_or(stored);
}
constexpr const char* kCaption = "Plumora";
constexpr const char* kCannotMakeFile = "Can't make new file.\nDisk full or directory problem?";
constexpr const char* kCannotRecord =
    "Can't record.\nWave input device or compression codec already in use or disabled?";
constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// Sets a flag for the lifetime of the object and restores its old value.
class FlagGuard {
  public:
    explicit FlagGuard(bool& flag) : flag_(flag), previous_(flag) { flag_ = true; }
    ~FlagGuard() { flag_ = previous_; }
    FlagGuard(const FlagGuard&) = delete;
    FlagGuard& operator=(const FlagGuard&) = delete;

  private:
    bool& flag_;
    bool previous_;
};

std::string LocalPath(const QString& path) {
    return QFile::encodeName(path).toStdString();
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
      schedule_(std::make_unique<ScheduleCheck>(settings.events, *clock_)) {}

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

void RecordControl::EndRecording() {
    if (recorder_ || recording_) {
        LogWarning("ending the recording before exit");
        busy_ = false;
        StopEvent(activeEvent_ == -1 ? -1 : activeEvent_);
    }
}

// --- Start -----------------------------------------------------------------

void RecordControl::StartEvent(int event) {
    LogWarning("record");
    if (busy_) {
        LogWarning("record refused: a recording is being started or stopped");
        return;
    }
    const EventTable& table = settings_.events;
    int action = kActionRecord;
    int keep = -1;
    if (event != -1) {
        if (event < 0 || event >= table.count()) {
            return;
        }
        action = table.at(event).action;
        keep = table.at(event).keep;
        if (action == kActionNone) {
            return;
        }
    }

    if (recorder_) {
        if (recorder_->IsRecording()) {
            StopEvent(activeEvent_);
            LetWaitingMessagesRun();
            LetWaitingMessagesRun();
        }
        recorder_.reset();
    }
    FlagGuard busy(busy_);

    if (!view_.AskTuner()) {
        if (event != -1) {
            LogWarning("Scheduled event %s not started: the TV application keeps the tuner",
                       table.at(event).name.toUtf8().constData());
        }
        return;
    }

    starting_ = true;
    activeEvent_ = event;
    eventName_ = event == -1 ? QString() : table.at(event).name;
    if (event != -1) {
        view_.TuneTo(table.at(event).frequency);
        LetWaitingMessagesRun();
        LetWaitingMessagesRun();
    }

    const bool records = ActionRecords(action);
    if (records) {
        view_.HideRecordButtons();
    }

    mutedAtStart_ = view_.muted();
    view_.SetMute(false, mutedAtStart_ && !ActionAudible(action));
    for (int i = 0; i < 3; ++i) {
        LetWaitingMessagesRun();
    }

    if (records) {
        SelectRecordingSource();
        if (!StartRecorder(event, keep)) {
            return;  // starting flag and buttons are reset by the failure path
        }
    }

    PostStateIcons();
    if (recorder_) {
        if (SMeter* meter = view_.levelMeter()) {
            meter->Show(true);
        }
    }
    starting_ = false;
}

bool RecordControl::StartRecorder(int event, int keep) {
    const QString directoryError = PrepareRecordingDirectory(settings_.files);
    if (!directoryError.isEmpty()) {
        FailStart(kCannotMakeFile, directoryError);
        return false;
    }
    const RecordingPath path =
        MakeRecordingPath(settings_.files, *clock_, eventName_,
                          RecordingExtension(settings_.formats.defaultAudioFormat), keep);
    if (!path.warning.isEmpty()) {
        LogWarning("%s", path.warning.toUtf8().constData());
    }
    if (!path.ok()) {
        FailStart(kCannotMakeFile, path.error);
        return false;
    }

    recorder_ = MakeRecorder(LocalPath(path.path));
    LogWarning("Record %s", LocalPath(path.path).c_str());
    ++serial_;
    limitPosted_ = false;
    shownLevel_ = -1;
    discardFile_ = false;

    if (!recorder_ || !recorder_->IsOpen()) {
        FailStart(kCannotMakeFile, QStringLiteral("cannot create ") + path.path);
        return false;
    }
    startTime_ = clock_->Now();
    if (!recorder_->Start()) {
        FailStart(kCannotRecord,
                  QStringLiteral("the sound input device \"") +
                      CaptureDeviceFor(settings_.radio.vendor, settings_.sound.waveInDriver) +
                      QStringLiteral("\" or the codec cannot be used"));
        return false;
    }
    fileTitle_ = QFileInfo(path.path).fileName();
    view_.SetStatusText(fileTitle_);
    view_.ShowRecordButtons(true, true);
    recording_ = true;
    emit recordingStarted(event, eventName_, path.path);
    return true;
}

std::unique_ptr<SRecord> RecordControl::MakeRecorder(const std::string& path) {
    const AudioFormatSettings& formats = settings_.formats;
    const std::string device =
        CaptureDeviceFor(settings_.radio.vendor, settings_.sound.waveInDriver).toStdString();
    switch (formats.defaultAudioFormat) {
        case kFormatMp3: {
            const WaveFormat mp3 = CompletedFormat(formats.mp3Format);
            captureFormat_ = SStreamWaveIn::CaptureFormat(mp3);
            return std::make_unique<SStreamWaveIn>(this, path, mp3, device, formats.mp3EnableTag);
        }
        case kFormatVorbis: {
            WaveFormat vorbis;
            vorbis.formatTag = 0;
            vorbis.channels = formats.vorStereo ? 2 : 1;
            vorbis.samplesPerSec = static_cast<uint32_t>(formats.vorSampleRate);
            vorbis.avgBytesPerSec = static_cast<uint32_t>(formats.vorBitRate / 8);
            captureFormat_ = SVorbisRecord::CaptureFormat(vorbis);
            return std::make_unique<SVorbisRecord>(this, path, vorbis, device);
        }
        default:
            const WaveFormat wave = CompletedFormat(formats.waveFormat);
            captureFormat_ = SStreamWaveIn::CaptureFormat(wave);
            return std::make_unique<SStreamWaveIn>(this, path, wave, device);
    }
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

void RecordControl::FailStart(const QString& message, const QString& reason) {
    const int event = activeEvent_;
    const QString name = eventName_;
    if (event != -1) {
        LogWarning("Scheduled event %s could not record: %s", name.toUtf8().constData(),
                   reason.toUtf8().constData());
    } else {
        LogWarning("Recording could not start: %s", reason.toUtf8().constData());
    }
    MessageBox(message, kCaption, MessageIcon::Error);
    discardFile_ = true;
    busy_ = false;
    StopEvent(-1);
    starting_ = false;
    emit recordingFailed(event, name, reason);
}

// --- Stop ------------------------------------------------------------------

void RecordControl::StopEvent(int event) {
    LogWarning("stop record");
    if (busy_) {
        LogWarning("stop refused: a recording is being started or stopped");
        return;
    }
    const EventTable& table = settings_.events;
    if (event != -1) {
        const bool runsNow = event == activeEvent_ && (recording_ || recorder_);
        if (event < 0 || event >= table.count()) {
            if (!runsNow) {
                return;
            }
        } else if (table.at(event).action == kActionNone && !runsNow) {
            return;
        }
    }
    FlagGuard busy(busy_);

    const int endedEvent = activeEvent_;
    const QString endedName = eventName_;
    const bool wasRecording = recording_;
    QString path;

    view_.HideRecordButtons();
    if (recorder_) {
        if (!recorder_->Stop()) {
            MessageBox("Can't stop wavein", kCaption, MessageIcon::Error);
        }
        LetWaitingMessagesRun();
        path = QFile::decodeName(QByteArray::fromStdString(recorder_->GetFileName()));
        if (!discardFile_) {
            WriteMetadata();
            if (recent_ != nullptr) {
                recent_->Add(path);
            }
        }
        recorder_.reset();
        if (discardFile_) {
            // It never recorded: no empty file is left behind.
            QFile::remove(path);
            path.clear();
            discardFile_ = false;
        }
        if (SMeter* meter = view_.levelMeter()) {
            if (meter->IsStereo()) {
                meter->SetValues(0, 0);
            } else {
                meter->SetValue(0);
            }
            meter->Show(false);
        }
        shownLevel_ = -1;
    }
    LetWaitingMessagesRun();

    if ((event != -1 && mutedAtStart_) || (event == -1 && view_.muted())) {
        view_.SetMute(true, true);
    }

    view_.SetStatusText(QString());
    activeEvent_ = -1;
    eventName_.clear();
    view_.ShowRecordButtons(false, true);
    recording_ = false;
    PostStateIcons();
    if (wasRecording && !path.isEmpty() && stopReason_.isEmpty()) {
        emit recordingEnded(endedEvent, endedName, path);
    }
}

void RecordControl::WriteMetadata() {
    const float frequency = view_.frequency();
    const std::tm start = clock_->LocalTime(startTime_);
    const std::tm today = clock_->LocalNow();
    recorder_->SetTag(kTimecodeTagName,
                      TimecodeItem(startTime_, eventName_, frequency).toStdString());
    recorder_->SetTag("title",
                      TitleText(eventName_, frequency, start, today).toUtf8().toStdString());
    recorder_->SetTag("year", QString::number(today.tm_year + 1900).toStdString());
    recorder_->SetTag("comment", QString::asprintf("%.2f", frequency).toStdString());
}

// --- While it runs -----------------------------------------------------------

bool RecordControl::event(QEvent* event) {
    const WindowMessage* m = AsWindowMessage(event);
    if (m == nullptr) {
        return QObject::event(event);
    }
    switch (m->msg) {
        case WM_AUDIO_PROGRESS:
            OnProgress();
            break;
        case WM_RECORD_LIMIT:
            if (m->wParam == serial_ && recording_ && !busy_) {
                LogWarning("Recording size limit of %d MB reached", settings_.files.fileSize);
                StopEvent(-1);
            }
            break;
        case WM_RECORDER_RESTART:
            RestartRecorder();
            break;
        default:
            break;
    }
    return true;
}

void RecordControl::OnProgress() {
    if (!recorder_ || !recording_ || busy_) {
        return;
    }
    if (EndFailedRecorder()) {
        return;
    }
    const int64_t bytes = recorder_->GetBytesWritten();
    const QString& name = eventName_.isEmpty() ? fileTitle_ : eventName_;
    view_.SetStatusText(StatusText(name, bytes, recorder_->GetBytesPerSecond()));
    if (!limitPosted_ && settings_.files.fileSize <= bytes / kBytesPerMb &&
        recorder_->IsRecording()) {
        limitPosted_ = true;
        PostMessage(this, WM_RECORD_LIMIT, serial_);
    }
    ShowLevel();
}

void RecordControl::ShowLevel() {
    SMeter* meter = view_.levelMeter();
    if (meter == nullptr) {
        return;
    }
    const QByteArray last = recorder_->GetLastBuffer();
    const int level =
        PeakLevel(last.constData(), static_cast<uint32_t>(last.size()), captureFormat_);
    if (level == shownLevel_) {
        return;
    }
    shownLevel_ = level;
    if (captureFormat_.channels >= 2) {
        meter->SetValues(LevelPercent(level >> 8), LevelPercent(level & 0xFF));
    } else {
        meter->SetValue(LevelPercent(level));
    }
}

void RecordControl::RestartRecorder() {
    if (!recorder_ || !recording_ || busy_ || !recorder_->IsRecording()) {
        return;
    }
    LogWarning("restarting the recorder");
    recorder_->Stop();
    LetWaitingMessagesRun();
    if (!recorder_->Start()) {
        stopReason_ = QStringLiteral("the sound input device could not be started again");
        EndWithReason();
    }
}

bool RecordControl::EndFailedRecorder() {
    if (!recorder_ || !recording_ || busy_) {
        return false;
    }
    if (!recorder_->HasFailed() && recorder_->IsRecording()) {
        return false;
    }
    const std::string failure = recorder_->GetFailure();
    stopReason_ =
        failure.empty() ? QStringLiteral("the recorder stopped") : QString::fromStdString(failure);
    EndWithReason();
    return true;
}

void RecordControl::EndWithReason() {
    const int event = activeEvent_;
    const QString name = eventName_;
    const QString title = fileTitle_;
    const QString reason = stopReason_;
    LogWarning("Recording %s stopped by itself: %s", title.toUtf8().constData(),
               reason.toUtf8().constData());
    StopEvent(event);
    stopReason_.clear();
    view_.SetStatusText(title + QStringLiteral(" stopped: ") + reason);
    emit recordingFailed(event, name, reason);
}

void RecordControl::Tick() {
    if (busy_) {
        return;
    }
    EndFailedRecorder();
    const int result = schedule_->Tick(activeEvent_ != -1);
    if (result > 0) {
        StartEvent(result - 1);
    } else if (result < 0) {
        StopEvent(-1 - result);
    }
}

void RecordControl::PostStateIcons() {
    if (QObject* receiver = view_.stateIconReceiver()) {
        PostMessage(receiver, WM_STATE_ICONS);
    }
}

// --- Texts ---------------------------------------------------------------------

QString RecordControl::StatusText(const QString& name, int64_t bytesWritten,
                                  uint32_t bytesPerSecond) {
    const double mb = static_cast<double>(bytesWritten) / kBytesPerMb;
    QString text = name;
    if (mb >= 100) {
        text += QString::asprintf(" %.0fMB", mb);
    } else if (mb >= 1) {
        text += QString::asprintf(" %.2fMB", mb);
    } else {
        text += QString::asprintf(" %.3fMB", mb);
    }
    if (bytesPerSecond > 0) {
        const int64_t s = bytesWritten / bytesPerSecond;
        if (s >= 3600) {
            text += QString::asprintf("  %d:%2.2d:%2.2d", static_cast<int>(s / 3600),
                                      static_cast<int>(s / 60 % 60), static_cast<int>(s % 60));
        } else {
            text +=
                QString::asprintf("  %d:%2.2d", static_cast<int>(s / 60), static_cast<int>(s % 60));
        }
    }
    return text;
}

QString RecordControl::TimecodeItem(std::time_t startTime, const QString& eventName,
                                    float frequency) {
    QString item = QStringLiteral("SAMPLE\tTIMECODE\r\n");
    item += QString::asprintf("%lu\t%lu\r\n", 0UL, static_cast<unsigned long>(startTime));
    item += eventName.isEmpty() ? QStringLiteral("EVENT <unscheduled>\r\n")
                                : QStringLiteral("EVENT ") + eventName + QStringLiteral("\r\n");
    item += QString::asprintf("STATION %.4f\r\n", frequency);
    return item;
}

QString RecordControl::TitleText(const QString& eventName, float frequency, const std::tm& start,
                                 const std::tm& today) {
    const char* month = kMonths[today.tm_mon >= 0 && today.tm_mon < 12 ? today.tm_mon : 0];
    if (eventName.isEmpty()) {
        return QString::asprintf("%.2f %2.2d:%2.2d %s%d", frequency, start.tm_hour, start.tm_min,
                                 month, today.tm_mday);
    }
    return eventName + QString::asprintf(" %s%d", month, today.tm_mday);
}
