#include "app/frame.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QFileInfo>
#include <QMenuBar>
#include <QSystemTrayIcon>
#include <QUrl>

#include "app/app.h"
#include "app/archive_panel_wiring.h"
#include "app/options_sheet.h"
#include "app/radio_panel.h"
#include "app/record_control.h"
#include "app/station_dialog.h"
#include "app/tab_window.h"
#include "app/timer_panel.h"
#include "archive/arch_dialog.h"
#include "platform/clock.h"
#include "platform/post_message.h"
#include "platform/window_messages.h"
#include "radio/radio_wizard.h"

namespace {

constexpr int kDelayedHideMs = 20000;

// A help topic beside the program, or where it is installed.
void OpenHelpTopic(const QString& topic) {
    const QString dir = QCoreApplication::applicationDirPath();
    for (const QString& folder : {dir + "/help/", dir + "/../share/plumora/help/"}) {
        if (QFileInfo::exists(folder + topic)) {
            QDesktopServices::openUrl(QUrl::fromLocalFile(folder + topic));
            return;
        }
    }
}

}  // namespace

SDIDecFrame::SDIDecFrame(App& app) : app_(app), tabs_(new TWin95TabWindow(this)) {
    setObjectName("Plumora");
    setWindowTitle("Plumora");

    radio_ = new TAppDialog(app_.settings(), app_.actions(), app_.debugDisplay(), tabs_);
    tabs_->AddPanel(radio_, "Radio");
    connect(radio_, &TAppDialog::preferencesRequested, this, &SDIDecFrame::ShowPreferences);
    tabs_->AddPanel(MakeTimerPanel(app_, *radio_, tabs_), "Timer");
    archive_ = MakeArchivePanel(app_, tabs_);
    tabs_->AddPanel(archive_, "Archive");
    radio_->SetArchivePanel(archive_);
    radio_->recordControl()->SetRecentRecordings(&app_.recentRecordings());
    setCentralWidget(tabs_);

    QMenu* file = menuBar()->addMenu("&File");
    QAction* exitAction = file->addAction("E&xit\tAlt+F4");
    connect(exitAction, &QAction::triggered, this, &SDIDecFrame::RequestExit);
    menuBar()->setVisible(app_.settings().general.showMenu);

    move(app_.settings().windowPosition);
    radio_->SetUp();
    PostMessage(this, WM_APPLY_SETTINGS);
}

SDIDecFrame::~SDIDecFrame() {
    CancelDelayedHide();
    tray_.reset();
}

void SDIDecFrame::RequestExit() {
    exitFlag_ = true;
    tray_.reset();
    close();
}

bool SDIDecFrame::event(QEvent* event) {
    if (const WindowMessage* m = AsWindowMessage(event)) {
        switch (m->msg) {
            case WM_APPLY_SETTINGS:
                ApplyWindowSettings();
                app_.ApplyStartActions();
                if (NeedsRadioWizard(app_.settings().radio)) {
                    RunRadioWizard();
                }
                break;
            case WM_HIDE_TO_TRAY:
                if (tray_ && tray_->isVisible() && app_.settings().general.minimizeOnStart) {
                    hide();
                }
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

void SDIDecFrame::ApplyWindowSettings() {
    SetTopmost(app_.settings().general.onTop);
    UpdateMenu();
    QMetaObject::invokeMethod(tabs_, &TWin95TabWindow::FitToPanels, Qt::QueuedConnection);
    PostMessage(tabs_, WM_PANEL_ACTIVATED);
    PostMessage(tabs_, WM_RADIO_RESET);
    if (app_.TakeMinimizedStart()) {
        if (!app_.settings().general.trayIcon) {
            showMinimized();
        } else {
            StartDelayedHide();
        }
    }
    UpdateTrayIcon();
}

void SDIDecFrame::ShowPreferences() {
    if (findChild<TOptionsSheet*>() != nullptr) {
        return;  // already open
    }
    OptionsSheetHooks hooks;
    hooks.setTopmost = [this](bool onTop) { SetTopmost(onTop); };
    hooks.openHelp = OpenHelpTopic;
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
    connect(wizard, &TRadioWizard::helpRequested, this, OpenHelpTopic);
    connect(wizard, &QDialog::finished, this, [this] { PostMessage(tabs_, WM_RADIO_RESET); });
    wizard->open();
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
        tray_.reset();
        return;
    }
    if (tray_ || !QSystemTrayIcon::isSystemTrayAvailable()) {
        return;
    }
    tray_ = std::make_unique<QSystemTrayIcon>(windowIcon(), this);
    tray_->setToolTip("Plumora");
    connect(tray_.get(), &QSystemTrayIcon::activated, this, [this] { BringToFront(); });
    tray_->show();
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

void SDIDecFrame::BringToFront() {
    if (isMinimized() || !isVisible()) {
        showNormal();
    }
    raise();
    activateWindow();
}

void SDIDecFrame::closeEvent(QCloseEvent* event) {
    app_.SaveSettings();
    const bool mayClose = radio_->CanClose();

    bool closes;
    if (tray_ && !isVisible()) {
        closes = true;
    } else if (!tray_ || exitFlag_) {
        closes = mayClose;
    } else {
        closes = false;
        if (tray_->isVisible()) {
            hide();
        } else {
            showMinimized();
        }
    }

    if (closes) {
        // A recording that runs ends now, complete and tagged.
        radio_->recordControl()->EndRecording();
        event->accept();
        QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
    } else {
        event->ignore();
    }
}
