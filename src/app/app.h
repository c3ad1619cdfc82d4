#pragma once

#include <QString>
#include <memory>

#include "app/action_block.h"
#include "app/command_line.h"
#include "app/settings_records.h"
#include "controls/help_pages.h"
#include "desktop/desktop_bus.h"

class DesktopNotifier;
class InstanceServer;
class LoginManagerWatch;
class RecentRecordings;
class RecordControl;
class SDIDecFrame;
class SleepInhibitor;
class StartupRepair;

// The program: its settings, its start-up actions, the recent recordings and
// the main window.
class App {
  public:
    // Loads all settings and makes the program's folder the current one.
    explicit App(const CommandLine& commandLine);
    ~App();
    App(const App&) = delete;
    App& operator=(const App&) = delete;

    // Builds the main window, answers other processes and runs the message
    // loop; returns the exit code.
    int Run();

    SettingsRecords& settings() { return settings_; }
    // Hand-overs waiting for the radio panel, one per WM_REMOTE_COMMAND.
    ActionInbox& actions() { return inbox_; }
    bool debugDisplay() const { return debugDisplay_; }
    RecentRecordings& recentRecordings() { return *recent_; }
    SDIDecFrame* frame() const { return frame_.get(); }

    // The help pages beside the program or where it is installed; none
    // when they are missing.
    const HelpPages& help() const { return help_; }

    // The minimized-start flag, cleared once it is asked for.
    bool TakeMinimizedStart();

    // Posts the actions of this start's own command line to the panels, once,
    // as soon as the services of StartServices run.
    void ApplyStartActions();

    // Saves all settings to both hives, with the window position.
    void SaveSettings();

  private:
    // Queues the block for the radio panel and posts it the message that
    // applies it; every block is applied once, in the order they came.
    void AcceptActions(const ActionBlock& block);
    // What the first frame does not need, posted after the window is shown:
    // the desktop bus, notifications, the sleep lock and the repair of
    // recordings a killed run left unfinished.
    void StartServices();
    void WatchSleep(RecordControl& records);
    // Shows the window, with the activation token of the request.
    void BringToFront(const QByteArray& activationToken);
    // An action asked for on the bus, checked and handed to the panel.
    std::optional<BusRefusal> HandOverBusAction(RadioAction action, const QString& tuneText);

    ActionBlock startActions_;  // this start's own command line
    ActionInbox inbox_;
    bool debugDisplay_;
    bool minimizedStart_;
    bool startActionsApplied_ = false;
    bool startActionsWanted_ = false;
    bool servicesStarted_ = false;
    HelpPages help_;
    std::unique_ptr<RecentRecordings> recent_;
    SettingsRecords settings_;
    std::unique_ptr<SDIDecFrame> frame_;
    std::unique_ptr<InstanceServer> server_;
    std::unique_ptr<DesktopBus> desktopBus_;
    std::unique_ptr<DesktopNotifier> notifier_;
    // Keeps the computer awake for recordings; hears resumes.
    std::unique_ptr<SleepInhibitor> sleepInhibitor_;
    std::unique_ptr<LoginManagerWatch> loginWatch_;
    std::unique_ptr<StartupRepair> repair_;
};
