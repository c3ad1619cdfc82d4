#pragma once

#include <QMainWindow>
#include <memory>
#include <thread>

#include "platform/auto_reset_event.h"

class App;
class QSystemTrayIcon;
class TAppDialog;
class TArchDialog;
class TWin95TabWindow;

// The program's one top-level window: the tab window with the radio, timer
// and archive panels, the optional menu and the optional tray icon.
class SDIDecFrame : public QMainWindow {
    Q_OBJECT
  public:
    explicit SDIDecFrame(App& app);
    ~SDIDecFrame() override;

    TWin95TabWindow* tabWindow() const { return tabs_; }
    TAppDialog* radioPanel() const { return radio_; }
    TArchDialog* archivePanel() const { return archive_; }
    bool hasTrayIcon() const { return tray_ != nullptr; }

    // An explicit exit (File menu, tray menu, termination signal): the tray
    // icon does not keep the program alive.
    void RequestExit();

    // The "Options" sheet; when it closes the window settings are applied
    // again and all settings saved.
    void ShowPreferences();

  protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void ApplyWindowSettings();
    void SetTopmost(bool topmost);
    void UpdateMenu();
    void UpdateTrayIcon();
    void StartDelayedHide();
    void CancelDelayedHide();
    void BringToFront();
    void RunRadioWizard();

    App& app_;
    TWin95TabWindow* tabs_;
    TAppDialog* radio_;
    TArchDialog* archive_;
    std::unique_ptr<QSystemTrayIcon> tray_;
    bool exitFlag_ = false;

    std::thread delayedHide_;
    AutoResetEvent cancelDelayedHide_;
};
