#pragma once

#include <QMainWindow>
#include <QPointer>
#include <memory>
#include <thread>

#include "app/state_icons.h"
#include "app/window_decisions.h"
#include "controls/about_dlg.h"
#include "platform/auto_reset_event.h"

class App;
class TAccelerators;
class TAppDialog;
class TArchDialog;
class TMainMenu;
class TTrayIcon;
class TrayHostWatcher;
class TWin95TabWindow;

// The program's one top-level window: the tab window with the radio, timer
// and archive panels, the optional menu and the optional tray icon. It
// handles the program-wide commands (exit, preferences, mixers, help, web
// pages, About) and hands the radio, record and playback commands to the
// radio panel.
class SDIDecFrame : public QMainWindow {
    Q_OBJECT
  public:
    explicit SDIDecFrame(App& app);
    ~SDIDecFrame() override;

    TWin95TabWindow* tabWindow() const { return tabs_; }
    TAppDialog* radioPanel() const { return radio_; }
    TArchDialog* archivePanel() const { return archive_; }
    TMainMenu* mainMenu() const { return menu_; }
    // The tray icon while the option is on; it may wait for a tray.
    TTrayIcon* trayIcon() const { return tray_.get(); }
    // Whether the icon is in the desktop's tray now.
    bool hasTrayIcon() const;
    const StateIconPair& stateIcons() const { return icons_; }
    // The About box while it is open.
    AboutDlg* aboutBox() const { return about_; }

    // An explicit exit (File menu, tray menu, termination signal): the tray
    // icon does not keep the program alive.
    void RequestExit();
    // A close for the reason given (a termination signal, Pwr...);
    // DecideClose says what it does.
    void RequestClose(CloseReason reason);
    // The desktop session is about to end: a close from now on asks nothing.
    // Cleared when the user comes back to the window.
    void SessionEnding() { sessionEnding_ = true; }
    // Ends the program now, if the close sequence has not: the recording,
    // then the exit rule. For a quit that comes without a close.
    void EndBeforeQuit();
    // The tray host may have come or gone: the icon follows it.
    void OnTrayHostChanged();

    // The Options sheet; the window settings are applied again and all
    // settings saved when it closes.
    void ShowPreferences();
    void ShowAbout();

  protected:
    bool event(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void OnCommand(unsigned id);
    void ApplyWindowSettings();
    void SetTopmost(bool topmost);
    void UpdateMenu();
    void UpdateRadioItem();
    void UpdateRecentRecordings();
    void UpdateTrayIcon();
    void UpdateStateIcons();
    void StartDelayedHide();
    void CancelDelayedHide();
    void BringToFront();
    void Restore();
    void RunRadioWizard();
    // The end: the recording first, then FinishEnd: the exit rule, the tray
    // icon, the quit.
    void EndProgram(ExitMute mute);
    void FinishEnd(ExitMute mute);
    void HideIntoTrayIfPending();

    App& app_;
    TWin95TabWindow* tabs_;
    TAppDialog* radio_;
    TArchDialog* archive_;
    TMainMenu* menu_;
    TAccelerators* accelerators_;
    std::unique_ptr<TTrayIcon> tray_;
    TrayHostWatcher* trayWatch_ = nullptr;
    StateIconPair icons_;
    QPointer<AboutDlg> about_;
    CloseReason closeReason_ = CloseReason::Window;
    bool sessionEnding_ = false;
    bool ended_ = false;
    // A minimized start hides into the tray once the tray shows the icon.
    bool hideIntoTrayPending_ = false;
    // A close waits for the recording to end (RecordControl::readyToExit).
    bool closeWaiting_ = false;

    std::thread delayedHide_;
    AutoResetEvent cancelDelayedHide_;
};
