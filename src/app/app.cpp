#include "app/app.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QSessionManager>
#include <QTimer>

#include "app/desktop_bus_wiring.h"
#include "app/frame.h"
#include "app/radio_panel.h"
#include "app/recent_recordings.h"
#include "app/record_control.h"
#include "app/settings_store.h"
#include "app/single_instance.h"
#include "app/startup_repair.h"
#include "app/tab_window.h"
#include "audio/log.h"
#include "desktop/desktop_bus.h"
#include "desktop/desktop_notifier.h"
#include "desktop/window_activation.h"
#include "platform/clock.h"
#include "platform/login_manager_watch.h"
#include "platform/post_message.h"
#include "platform/sleep_inhibitor.h"
#include "platform/window_messages.h"
#include "sched/sleep_rule.h"

namespace {

QSize ScreenSize() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry().size() : QSize(1024, 768);
}

}  // namespace

App::App(const CommandLine& commandLine)
    : startActions_(commandLine.actions),
      debugDisplay_(commandLine.debugDisplay),
      minimizedStart_(commandLine.minimizedStart) {
    const QString programDir = QCoreApplication::applicationDirPath();
    help_ = HelpPages(HelpPages::FindHelpDirectory(programDir));
    recent_ = std::make_unique<RecentRecordings>();
    settings_store::LoadAll(settings_, ScreenSize());
    QDir::setCurrent(programDir);
}

App::~App() {
    loginWatch_.reset();
    sleepInhibitor_.reset();
    repair_.reset();
    notifier_.reset();
    desktopBus_.reset();
    server_.reset();
    frame_.reset();
}

int App::Run() {
    frame_ = std::make_unique<SDIDecFrame>(*this);

    InstanceServer::Handlers handlers;
    handlers.actions = [this](const ActionBlock& block) { AcceptActions(block); };
    handlers.bringToFront = [this](const QByteArray& token) { BringToFront(token); };
    handlers.radioMessage = [this](unsigned msg) { PostMessage(frame_->radioPanel(), msg); };
    handlers.tunerRequest = [this](int group) {
        return frame_->radioPanel()->AnswerTunerRequest(group);
    };
    server_ = std::make_unique<InstanceServer>(std::move(handlers));
    if (!server_->Listen()) {
        qWarning("Plumora: cannot listen for other starts of the program");
    }

    // At a session's end nobody may be there to answer a question; a quit
    // that comes without a close still ends the recording first.
    QObject::connect(qApp, &QGuiApplication::commitDataRequest, frame_.get(),
                     [this](QSessionManager&) {
                         SaveSettings();
                         frame_->SessionEnding();
                     });
    QObject::connect(qApp, &QCoreApplication::aboutToQuit, frame_.get(),
                     [this] { frame_->EndBeforeQuit(); });

    frame_->show();
    QTimer::singleShot(0, frame_.get(), [this] { StartServices(); });
    return QApplication::exec();
}

void App::StartServices() {
    // Media keys, the desktop's media controls and scripts reach the program
    // on the session bus; without one it runs as it does anyway.
    DesktopBus::Hooks hooks = FrameHooks(*frame_, settings_);
    hooks.act = [this](RadioAction action, const QString& tuneText) {
        return HandOverBusAction(action, tuneText);
    };
    desktopBus_ = std::make_unique<DesktopBus>(std::move(hooks));
    ConnectStateChanges(*frame_, *desktopBus_);
    desktopBus_->Start(QDBusConnection::sessionBus());
    notifier_ = std::make_unique<DesktopNotifier>(
        QDBusConnection::sessionBus(), [this](const QByteArray& token) { BringToFront(token); });
    if (RecordControl* records = frame_->radioPanel()->recordControl()) {
        QObject::connect(records, &RecordControl::recordingStarted, notifier_.get(),
                         &DesktopNotifier::OnRecordingStarted);
        QObject::connect(records, &RecordControl::recordingEnded, notifier_.get(),
                         &DesktopNotifier::OnRecordingEnded);
        QObject::connect(records, &RecordControl::recordingFailed, notifier_.get(),
                         &DesktopNotifier::OnRecordingFailed);
        WatchSleep(*records);
        QObject::connect(records, &RecordControl::recordingLimited, notifier_.get(),
                         &DesktopNotifier::OnRecordingLimited);
    }

    // This process owns the instance lock: recordings a killed run left
    // unfinished are completed beside the window.
    repair_ = std::make_unique<StartupRepair>(settings_.files.defaultDirectory,
                                              settings_.formats.mp3EnableTag);
    repair_->Start();

    servicesStarted_ = true;
    if (startActionsWanted_) {
        ApplyStartActions();
    }
}

void App::WatchSleep(RecordControl& records) {
    // No sleep while a recording runs or an event is about to start; after a
    // resume the schedule catches up. Without a system bus, neither.
    const QDBusConnection systemBus = QDBusConnection::systemBus();
    sleepInhibitor_ = std::make_unique<SleepInhibitor>(systemBus);
    loginWatch_ = std::make_unique<LoginManagerWatch>(systemBus);
    QObject::connect(loginWatch_.get(), &LoginManagerWatch::resumed, &records,
                     [&records] { records.schedule().RequestCatchUp(); });
    QObject::connect(sleepInhibitor_.get(), &SleepInhibitor::refused, [](const QString& reason) {
        LogWarning("The computer may sleep during recordings: no sleep lock (%s)",
                   reason.toUtf8().constData());
    });
    SleepInhibitor* inhibitor = sleepInhibitor_.get();
    const auto update = [this, inhibitor, &records] {
        inhibitor->SetWanted(SleepBlockWanted(settings_.events, Clock::System(),
                                              records.recording() || records.starting()));
    };
    QObject::connect(frame_->radioPanel(), &TAppDialog::scheduleTick, inhibitor, update);
    QObject::connect(&records, &RecordControl::recordingStarted, inhibitor, update);
    QObject::connect(&records, &RecordControl::recordingEnded, inhibitor, update);
    QObject::connect(&records, &RecordControl::recordingFailed, inhibitor, update);
}

bool App::TakeMinimizedStart() {
    const bool wasSet = minimizedStart_;
    minimizedStart_ = false;
    return wasSet;
}

void App::ApplyStartActions() {
    // A recording asked for on the command line is announced and keeps the
    // computer awake like any other.
    if (!servicesStarted_) {
        startActionsWanted_ = true;
        return;
    }
    if (startActionsApplied_) {
        return;
    }
    startActionsApplied_ = true;
    if (startActions_.flags != 0) {
        AcceptActions(startActions_);
    }
}

void App::AcceptActions(const ActionBlock& block) {
    PostActions(inbox_, frame_->tabWindow(), block);
}

void App::BringToFront(const QByteArray& activationToken) {
    UseActivationToken(activationToken);
    PostMessage(frame_.get(), WM_TRAY_RESTORE);
}

std::optional<BusRefusal> App::HandOverBusAction(RadioAction action, const QString& tuneText) {
    // A recording that runs holds the device; Record restarts it there.
    const bool haveCaptureDevice = action != RadioAction::kRecord ||
                                   frame_->radioPanel()->recording() ||
                                   CanOpenCaptureDevice(settings_.sound.waveInDriver);
    if (auto refusal = RefuseAction(action, tuneText, settings_.presets, haveCaptureDevice)) {
        return refusal;
    }
    ActionBlock block;
    switch (action) {
        case RadioAction::kMute:
            block.flags = kActionFlagMute;
            break;
        case RadioAction::kUnmute:
            block.flags = kActionFlagUnmute;
            break;
        case RadioAction::kRecord:
            block.flags = kActionFlagRecord;
            break;
        case RadioAction::kStopRecord:
            block.flags = kActionFlagStopRecord;
            break;
        case RadioAction::kTune:
            block.flags = kActionFlagTune;
            block.SetTuneText(tuneText.toUtf8());
            break;
    }
    AcceptActions(block);
    return std::nullopt;
}

void App::SaveSettings() {
    std::optional<QPoint> position;
    if (frame_) {
        settings_.windowPosition = frame_->pos();
        position = settings_.windowPosition;
    }
    settings_store::SaveAll(settings_, position, QCoreApplication::applicationFilePath());
}
