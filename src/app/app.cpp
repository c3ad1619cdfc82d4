#include "app/app.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QSessionManager>

#include "app/desktop_bus.h"
#include "app/desktop_bus_wiring.h"
#include "app/desktop_notifier.h"
#include "app/frame.h"
#include "app/radio_panel.h"
#include "app/recent_recordings.h"
#include "app/record_control.h"
#include "app/settings_store.h"
#include "app/single_instance.h"
#include "app/tab_window.h"
#include "platform/post_message.h"
#include "platform/window_messages.h"

namespace {

QSize ScreenSize() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry().size() : QSize(1024, 768);
}

}  // namespace

App::App(const CommandLine& commandLine)
    : actions_(commandLine.actions),
      debugDisplay_(commandLine.debugDisplay),
      minimizedStart_(commandLine.minimizedStart) {
    const QString programDir = QCoreApplication::applicationDirPath();
    help_ = HelpPages(HelpPages::FindHelpDirectory(programDir));
    recent_ = std::make_unique<RecentRecordings>();
    settings_store::LoadAll(settings_, ScreenSize());
    QDir::setCurrent(programDir);
}

App::~App() {
    notifier_.reset();
    desktopBus_.reset();
    server_.reset();
    frame_.reset();
}

int App::Run() {
    frame_ = std::make_unique<SDIDecFrame>(*this);

    InstanceServer::Handlers handlers;
    handlers.actions = [this](const ActionBlock& block) { AcceptActions(block); };
    handlers.bringToFront = [this] { PostMessage(frame_.get(), WM_TRAY_RESTORE); };
    handlers.radioMessage = [this](unsigned msg) { PostMessage(frame_->radioPanel(), msg); };
    handlers.tunerRequest = [this](int group) {
        return frame_->radioPanel()->AnswerTunerRequest(group);
    };
    server_ = std::make_unique<InstanceServer>(std::move(handlers));
    if (!server_->Listen()) {
        qWarning("Plumora: cannot listen for other starts of the program");
    }

    // Media keys, the desktop's media controls and scripts reach the program
    // on the session bus; without one it runs as it does anyway.
    DesktopBus::Hooks hooks = FrameHooks(*frame_, settings_);
    hooks.actions = [this](const ActionBlock& block) { AcceptActions(block); };
    desktopBus_ = std::make_unique<DesktopBus>(std::move(hooks));
    desktopBus_->Start(QDBusConnection::sessionBus());
    notifier_ = std::make_unique<DesktopNotifier>(
        QDBusConnection::sessionBus(), [this] { PostMessage(frame_.get(), WM_TRAY_RESTORE); });
    if (RecordControl* records = frame_->radioPanel()->recordControl()) {
        QObject::connect(records, &RecordControl::recordingStarted, notifier_.get(),
                         &DesktopNotifier::OnRecordingStarted);
        QObject::connect(records, &RecordControl::recordingEnded, notifier_.get(),
                         &DesktopNotifier::OnRecordingEnded);
        QObject::connect(records, &RecordControl::recordingFailed, notifier_.get(),
                         &DesktopNotifier::OnRecordingFailed);
        QObject::connect(records, &RecordControl::recordingLimited, notifier_.get(),
                         &DesktopNotifier::OnRecordingLimited);
    }

    QObject::connect(qApp, &QGuiApplication::commitDataRequest, frame_.get(),
                     [this](QSessionManager&) { SaveSettings(); });

    frame_->show();
    return QApplication::exec();
}

bool App::TakeMinimizedStart() {
    const bool wasSet = minimizedStart_;
    minimizedStart_ = false;
    return wasSet;
}

void App::ApplyStartActions() {
    if (startActionsApplied_) {
        return;
    }
    startActionsApplied_ = true;
    if (actions_.flags != 0) {
        PostMessage(frame_->tabWindow(), WM_REMOTE_COMMAND, kRemoteApplyActions);
    }
}

void App::AcceptActions(const ActionBlock& block) {
    actions_ = block;
    PostMessage(frame_->tabWindow(), WM_REMOTE_COMMAND, kRemoteApplyActions);
}

void App::SaveSettings() {
    std::optional<QPoint> position;
    if (frame_) {
        settings_.windowPosition = frame_->pos();
        position = settings_.windowPosition;
    }
    settings_store::SaveAll(settings_, position, QCoreApplication::applicationFilePath());
}
