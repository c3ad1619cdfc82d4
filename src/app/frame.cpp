#include "app/frame.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMenuBar>
#include <QTimer>
#include <utility>

#include "app/accelerators.h"
#include "app/app.h"
#include "app/archive_panel_wiring.h"
#include "app/command_ids.h"
#include "app/main_menu.h"
#include "app/options_sheet.h"
#include "app/radio_panel.h"
#include "app/recent_recordings.h"
#include "app/record_control.h"
#include "app/station_dialog.h"
#include "app/system_mixer.h"
#include "app/tab_window.h"
#include "app/timer_panel.h"
#include "app/tray_host_watcher.h"
#include "app/tray_icon.h"
#include "archive/arch_dialog.h"
#include "controls/about_dlg.h"
#include "controls/help_pages.h"
#include "controls/hot_link.h"
#include "controls/project_rc_version.h"
#include "controls/url_opener.h"
#include "controls/web_addresses.h"
#include "desktop/window_activation.h"
#include "platform/clock.h"
#include "platform/post_message.h"
#include "platform/window_messages.h"
#include "radio/radio_wizard.h"

namespace {

constexpr int kDelayedHideMs = 20000;

}  // namespace

SDIDecFrame::SDIDecFrame(App& app)
    : app_(app), tabs_(new TWin95TabWindow(this)), icons_(PickStateIcons(false, true)) {
    setObjectName("Plumora");
    setWindowTitle("Plumora");
    // Drawing the icon at every size is work the first frame can do
    // without; it follows as soon as the window is up.
    QTimer::singleShot(0, this, [this] { setWindowIcon(StateIconSet(icons_)); });

    radio_ = new TAppDialog(app_.settings(), app_.actions(), app_.debugDisplay(), tabs_);
    radio_->SetPowerHandler([this] { RequestClose(CloseReason::Power); });
    tabs_->AddPanel(radio_, "Radio");
    connect(radio_, &TAppDialog::preferencesRequested, this, &SDIDecFrame::ShowPreferences);
    // A tray of the X kind says nothing when it goes away: while the window
    // is in it, the radio's periodic tick (no wake-up of its own) looks.
    connect(radio_, &TAppDialog::scheduleTick, this, [this] {
        if (hasTrayIcon() && !isVisible()) {
            OnTrayHostChanged();
        }
    });
    tabs_->AddPanel(MakeTimerPanel(app_, *radio_, tabs_), "Timer");
    archive_ = MakeArchivePanel(app_, tabs_);
    tabs_->AddPanel(archive_, "Archive");
    archive_->SetHelpHook([this] { app_.help().Open("Archive_tab.html"); });
    radio_->SetArchivePanel(archive_);
    ConnectArchiveToRecordings(*archive_, *radio_->recordControl());
    radio_->recordControl()->SetRecentRecordings(&app_.recentRecordings());
    setCentralWidget(tabs_);

    menu_ = new TMainMenu(menuBar(), this);
    connect(menu_, &TMainMenu::aboutToShowFile, this, &SDIDecFrame::UpdateRecentRecordings);
    connect(menu_, &TMainMenu::aboutToShowControl, this, &SDIDecFrame::UpdateRadioItem);
    menuBar()->setVisible(app_.settings().general.showMenu);
    accelerators_ = new TAccelerators(this, this);

    move(app_.settings().windowPosition);
    radio_->SetUp();
    PostMessage(this, WM_APPLY_SETTINGS);
}

SDIDecFrame::~SDIDecFrame() {
    CancelDelayedHide();
    tray_.reset();
}

bool SDIDecFrame::hasTrayIcon() const {
    return tray_ != nullptr && tray_->shown();
}

void SDIDecFrame::RequestExit() {
    RequestClose(CloseReason::Exit);
}

void SDIDecFrame::RequestClose(CloseReason reason) {
    closeReason_ = reason;
    close();
    closeReason_ = CloseReason::Window;
}

bool SDIDecFrame::event(QEvent* event) {
    if (const WindowMessage* m = AsWindowMessage(event)) {
        switch (m->msg) {
            case WM_COMMAND:
                OnCommand(static_cast<unsigned>(m->wParam));
                break;
            case WM_APPLY_SETTINGS:
                ApplyWindowSettings();
                UpdateStateIcons();
                app_.ApplyStartActions();
                if (NeedsRadioWizard(app_.settings().radio)) {
                    RunRadioWizard();
                }
                break;
            case WM_STATE_ICONS:
                UpdateStateIcons();
                break;
            case WM_HIDE_TO_TRAY:
                hideIntoTrayPending_ = true;
                HideIntoTrayIfPending();
                break;
            case WM_TRAY_RESTORE:
                BringToFront();
                break;
            default:
                break;
        }
        return true;
    }
    return QMainWindow::event(event);
}

void SDIDecFrame::OnCommand(unsigned id) {
    if (id >= TMainMenu::kRecentFirst && id < TMainMenu::kRecentFirst + TMainMenu::kRecentCount) {
        // The archive panel opens recordings chosen from the File menu.
        const QString path = app_.recentRecordings().Path(int(id - TMainMenu::kRecentFirst));
        if (!path.isEmpty()) {
            tabs_->setCurrentWidget(archive_);
            archive_->OpenRecording(path);
        }
        return;
    }
    switch (id) {
        case cmd::kExit:
            RequestExit();
            break;
        case cmd::kTrayExit:
            RequestExit();
            break;
        case cmd::kTrayRestore:
            Restore();
            break;
        case cmd::kTrayMute:
            PostMessage(tabs_, WM_REMOTE_COMMAND, 0);
            break;
        case cmd::kPreferences:
            ShowPreferences();
            break;
        case cmd::kMixerRecord:
        case cmd::kMixerPlay:
        case cmd::kSoundCardVolume:
        case cmd::kMultimediaProperties:
            RunMixerTool(id);
            break;
        case cmd::kHelpContents:
        case cmd::kHelpButton:
            app_.help().OpenContents();
            break;
        case cmd::kUsingHelp:
            break;
        case cmd::kCheckUpdates: {
            QString version;
            ProjectRCVersion().GetProductVersion(version);
            OpenUrl(web::UpdatePage("Plumora", version));
            break;
        }
        case cmd::kProductPage:
            OpenUrl(web::ProductPage());
            break;
        case cmd::kMakerSite:
            OpenUrl(web::MakerSite());
            break;
        case cmd::kAbout:
        case cmd::kTrayAbout:
            ShowAbout();
            break;
        default:
            // Radio, record and playback commands.
            PostMessage(radio_, WM_COMMAND, id);
            break;
    }
}

void SDIDecFrame::ShowPreferences() {
    if (findChild<TOptionsSheet*>() != nullptr) {
        return;  // already open
    }
    OptionsSheetHooks hooks;
    hooks.setTopmost = [this](bool onTop) { SetTopmost(onTop); };
    hooks.openHelp = [this](const QString& topic) { app_.help().Open(topic); };
    hooks.frequency = [this] { return radio_->frequency(); };
    hooks.hasAmBand = [this] { return radio_->device().HasAmBand(); };
    hooks.editStation = [](PresetTable& table, int index, float frequency, QWidget* parent) {
        TStationDialog dialog(table, index, frequency, parent);
        return dialog.exec() == QDialog::Accepted;
    };
    auto* sheet = new TOptionsSheet(app_.settings(), std::move(hooks), Clock::System(), this);
    sheet->setAttribute(Qt::WA_DeleteOnClose);
    connect(sheet, &QDialog::finished, this, [this] {
        ApplyWindowSettings();
        app_.SaveSettings();
    });
    sheet->open();
}

void SDIDecFrame::RunRadioWizard() {
    if (findChild<TRadioWizard*>() != nullptr) {
        return;
    }
    auto* wizard = new TRadioWizard(app_.settings().radio, app_.settings().sound,
                                    SystemTunerLister(), SoundDeviceSources::System(), this);
    wizard->setAttribute(Qt::WA_DeleteOnClose);
    connect(wizard, &TRadioWizard::helpRequested, this,
            [this](const QString& topic) { app_.help().Open(topic); });
    connect(wizard, &QDialog::finished, this, [this] { PostMessage(tabs_, WM_RADIO_RESET); });
    wizard->open();
}

void SDIDecFrame::ShowAbout() {
    if (about_ != nullptr) {
        about_->raise();
        about_->activateWindow();
        return;
    }
    about_ = new AboutDlg(this);
    about_->setAttribute(Qt::WA_DeleteOnClose);
    about_->link()->SetHelpTopicHandler([this](int) { app_.help().OpenContents(); });
    about_->open();
}

void SDIDecFrame::UpdateRadioItem() {
    menu_->SetRadioItem(radio_->RadioMenuText(), !radio_->muted());
}

void SDIDecFrame::UpdateRecentRecordings() {
    const RecentRecordings& recent = app_.recentRecordings();
    QStringList names;
    for (int i = 0; i < recent.Count(); ++i) {
        names << recent.MenuText(i);
    }
    menu_->SetRecentRecordings(names);
}

void SDIDecFrame::UpdateStateIcons() {
    const StateIconPair icons = PickStateIcons(radio_->recording(), radio_->muted());
    if (icons != icons_) {
        icons_ = icons;
        setWindowIcon(StateIconSet(icons_));
    }
    if (tray_) {
        tray_->SetIcon(icons_.normal);
    }
}

void SDIDecFrame::ApplyWindowSettings() {
    SetTopmost(app_.settings().general.onTop);
    UpdateMenu();
    QMetaObject::invokeMethod(tabs_, &TWin95TabWindow::FitToPanels, Qt::QueuedConnection);
    PostMessage(tabs_, WM_PANEL_ACTIVATED);
    PostMessage(tabs_, WM_RADIO_RESET);
    UpdateTrayIcon();
    if (app_.TakeMinimizedStart()) {
        const GeneralSettings& general = app_.settings().general;
        const StartPlacement placement =
            DecideMinimizedStart(true, general.trayIcon, general.minimizeOnStart);
        if (placement.minimize) {
            showMinimized();
        }
        if (placement.hideIntoTray) {
            StartDelayedHide();
        }
    }
}

void SDIDecFrame::SetTopmost(bool topmost) {
    if (windowFlags().testFlag(Qt::WindowStaysOnTopHint) == topmost) {
        return;
    }
    const bool wasVisible = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, topmost);
    if (wasVisible) {
        show();
    }
}

void SDIDecFrame::UpdateMenu() {
    menuBar()->setVisible(app_.settings().general.showMenu);
}

void SDIDecFrame::UpdateTrayIcon() {
    if (!app_.settings().general.trayIcon) {
        const bool inTray = hasTrayIcon() && !isVisible();
        tray_.reset();
        delete std::exchange(trayWatch_, nullptr);
        if (inTray && !ended_) {
            showMinimized();  // never hidden without a way back
        }
        return;
    }
    if (tray_) {
        return;
    }
    // Until a tray shows the icon the program behaves as without the option.
    tray_ = std::make_unique<TTrayIcon>(this, [this] { return radio_->muted(); });
    trayWatch_ = new TrayHostWatcher(this);
    connect(trayWatch_, &TrayHostWatcher::hostMayHaveChanged, this,
            &SDIDecFrame::OnTrayHostChanged);
    tray_->SetIcon(icons_.normal);
    OnTrayHostChanged();
}

void SDIDecFrame::OnTrayHostChanged() {
    if (!tray_) {
        return;
    }
    const bool wasShown = tray_->shown();
    tray_->Refresh();
    if (tray_->shown()) {
        trayWatch_->StopWaiting();
        HideIntoTrayIfPending();
        return;
    }
    trayWatch_->WaitForHost();
    if (wasShown && !isVisible() && !ended_) {
        // The tray went away with the window in it.
        showMinimized();
    }
}

void SDIDecFrame::HideIntoTrayIfPending() {
    if (!hideIntoTrayPending_ || !tray_ || !tray_->shown()) {
        return;
    }
    hideIntoTrayPending_ = false;
    if (isMinimized()) {  // not if the user has brought the window back
        hide();
    }
}

void SDIDecFrame::StartDelayedHide() {
    CancelDelayedHide();
    delayedHide_ = std::thread([this] {
        if (!cancelDelayedHide_.Wait(kDelayedHideMs)) {
            PostMessage(this, WM_HIDE_TO_TRAY);
        }
    });
}

void SDIDecFrame::CancelDelayedHide() {
    if (delayedHide_.joinable()) {
        cancelDelayedHide_.Set();
        delayedHide_.join();
        cancelDelayedHide_.Wait(0);  // leave the event reset for a later start
    }
}

void SDIDecFrame::Restore() {
    hideIntoTrayPending_ = false;
    setWindowState(windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized));
    showNormal();
}

void SDIDecFrame::BringToFront() {
    winId();  // the window exists before it is marked for the desktop
    ApplyActivationToken(windowHandle());
    if (isMinimized() || !isVisible()) {
        Restore();
    }
    raise();
    activateWindow();
}

void SDIDecFrame::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
        sessionEnding_ = false;  // the logout was cancelled
    }
    if (event->type() == QEvent::WindowStateChange && isMinimized() && tray_ && tray_->shown()) {
        // The tray icon is the way back.
        QTimer::singleShot(0, this, [this] {
            if (isMinimized() && tray_) {
                hide();
            }
        });
    }
}

void SDIDecFrame::closeEvent(QCloseEvent* event) {
    app_.SaveSettings();
    if (ended_) {
        event->accept();
        return;
    }
    CloseInputs in;
    in.reason = closeReason_;
    if (sessionEnding_ && in.reason == CloseReason::Window) {
        in.reason = CloseReason::SessionEnd;
    }
    in.trayShown = hasTrayIcon();
    in.windowVisible = isVisible();
    in.onExitRule = app_.settings().radio.onExit;
    in.radioMuted = radio_->device().IsMuted();
    const CloseDecision decision = DecideClose(in);
    switch (decision.outcome) {
        case CloseDecision::Outcome::Hide:
            event->ignore();
            hide();
            return;
        case CloseDecision::Outcome::Minimize:
            event->ignore();
            showMinimized();
            return;
        case CloseDecision::Outcome::End:
            break;
    }
    EndProgram(decision.mute);
    if (ended_) {
        event->accept();
    } else {
        event->ignore();  // the recording ends first; the program goes on then
    }
}

void SDIDecFrame::EndBeforeQuit() {
    if (ended_) {
        return;
    }
    CloseInputs in;
    in.reason = CloseReason::SessionEnd;
    in.onExitRule = app_.settings().radio.onExit;
    in.radioMuted = radio_->device().IsMuted();
    // The event loop is ending: what still records is ended here, in full.
    ended_ = true;
    radio_->recordControl()->EndRecording();
    FinishEnd(DecideClose(in).mute);
}

void SDIDecFrame::EndProgram(ExitMute mute) {
    if (ended_ || closeWaiting_) {
        return;
    }
    RecordControl* records = radio_->recordControl();
    if (records->state() != RecordState::kIdle || !records->settled()) {
        // A recording under way ends completely first, without waiting here;
        // only then may the exit rule silence the radio.
        closeWaiting_ = true;
        connect(
            records, &RecordControl::readyToExit, this,
            [this, mute] {
                closeWaiting_ = false;
                if (ended_) {
                    return;  // a quit came meanwhile and ended the program itself
                }
                ended_ = true;
                hide();
                FinishEnd(mute);
            },
            Qt::SingleShotConnection);
        records->RequestExit();
        return;
    }
    ended_ = true;
    FinishEnd(mute);
}

void SDIDecFrame::FinishEnd(ExitMute mute) {
    radio_->ApplyExitRule(mute);
    CancelDelayedHide();
    tray_.reset();
    QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
}
