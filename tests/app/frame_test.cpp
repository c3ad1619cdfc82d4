#include <QAction>
#include <QCloseEvent>
#include <QLabel>
#include <QMenu>
#include <QStandardPaths>
#include <QSvgRenderer>
#include <QTemporaryDir>

#include "app/command_ids.h"
#include "app/record_control.h"
#include "app/state_icons.h"
#include "app/system_mixer.h"
#include "app/tab_window.h"
#include "audio/wave_test_files.h"
#include "controls/about_dlg.h"
#include "controls/url_opener.h"
#include "fake_recorder.h"
#include "frame_fixture.h"
#include "radio/radio_models.h"
#include "radio/sradio.h"

namespace {

// Replaces the URL opener while alive and records what it was given.
class OpenedUrls {
  public:
    OpenedUrls()
        : previous_(SetUrlOpener([this](const QUrl& url) {
              urls.append(url);
              return true;
          })) {}
    ~OpenedUrls() { SetUrlOpener(previous_); }
    QList<QUrl> urls;

  private:
    UrlOpener previous_;
};

bool CloseAccepted(QWidget* window) {
    QCloseEvent close;
    QApplication::sendEvent(window, &close);
    return close.isAccepted();
}

}  // namespace

TEST(StateIcons, PairForEachStateAndArtworkForEveryIcon) {
    EXPECT_EQ(PickStateIcons(false, false), (StateIconPair{1008, 1007}));
    EXPECT_EQ(PickStateIcons(false, true), (StateIconPair{1003, 1004}));
    EXPECT_EQ(PickStateIcons(true, false), (StateIconPair{1006, 1005}));
    EXPECT_EQ(PickStateIcons(true, true), (StateIconPair{1009, 1010}));
    for (int id = 1003; id <= 1010; ++id) {
        QSvgRenderer artwork(StateIconPath(id));
        EXPECT_TRUE(artwork.isValid()) << id;
        EXPECT_FALSE(StateIcon(id).pixmap(32).isNull()) << id;
    }
    EXPECT_EQ(StateIconTip(1009), "Plumora - recording, muted");
}

TEST_F(FrameTest, FrameStartsMutedAndFollowsTheMuteState) {
    SetTrayAvailability([] { return true; });
    MakeFrame(/*trayIcon=*/true);
    TAppDialog* radio = frame_->radioPanel();
    radio->SetMute(true, true);
    LetWaitingMessagesRun();
    EXPECT_EQ(frame_->stateIcons(), (StateIconPair{1003, 1004}));
    ASSERT_TRUE(frame_->hasTrayIcon());
    EXPECT_EQ(frame_->trayIcon()->iconId(), 1003);

    radio->SetMute(false, false);
    LetWaitingMessagesRun();
    EXPECT_EQ(frame_->stateIcons(), (StateIconPair{1008, 1007}));
    EXPECT_EQ(frame_->trayIcon()->iconId(), 1008);

    radio->SetRecording(true);
    radio->SetMute(true, true);
    LetWaitingMessagesRun();
    EXPECT_EQ(frame_->stateIcons(), (StateIconPair{1009, 1010}));
    EXPECT_EQ(frame_->trayIcon()->iconId(), 1009);
    radio->SetRecording(false);
    LetWaitingMessagesRun();
    EXPECT_EQ(frame_->trayIcon()->iconId(), 1003);
}

TEST_F(FrameTest, TrayMenuItemsAndTheMuteItemsText) {
    SetTrayAvailability([] { return true; });
    MakeFrame(true);
    TTrayIcon* tray = frame_->trayIcon();
    ASSERT_NE(tray, nullptr);
    QStringList texts;
    for (QAction* a : tray->menu()->actions()) {
        texts << a->text();
    }
    EXPECT_EQ(texts, (QStringList{"&Restore window", "M&ute", "&About...", "E&xit"}));
    EXPECT_EQ(tray->menu()->defaultAction()->data().toUInt(), cmd::kTrayRestore);

    frame_->radioPanel()->SetMute(true, true);
    emit tray->menu()->aboutToShow();
    EXPECT_EQ(tray->muteAction()->text(), "&Unmute");

    // The item toggles the mute through the tab window.
    tray->muteAction()->trigger();
    LetWaitingMessagesRun();  // frame to tab window
    LetWaitingMessagesRun();  // tab window to the panels
    EXPECT_FALSE(frame_->radioPanel()->muted());
    emit tray->menu()->aboutToShow();
    EXPECT_EQ(tray->muteAction()->text(), "M&ute");
}

TEST(TrayClicks, SingleClickRestoresDoubleClickChoosesTheFirstCommand) {
    using A = TrayClickRule::Action;
    TrayClickRule rule;
    EXPECT_EQ(rule.OnActivated(QSystemTrayIcon::Trigger), A::Restore);
    EXPECT_EQ(rule.OnActivated(QSystemTrayIcon::DoubleClick), A::FirstCommand);
    // The button coming up after a double click does not restore again.
    EXPECT_EQ(rule.OnActivated(QSystemTrayIcon::Trigger), A::None);
    EXPECT_EQ(rule.OnActivated(QSystemTrayIcon::Trigger), A::Restore);
    EXPECT_EQ(rule.OnActivated(QSystemTrayIcon::Context), A::None);
}

TEST_F(FrameTest, WithTheTrayCloseAndMinimizeHideAndAClickBringsTheWindowBack) {
    SetTrayAvailability([] { return true; });
    MakeFrame(true);
    ShowFrame();
    EXPECT_FALSE(CloseAccepted(frame_.get()));
    EXPECT_FALSE(frame_->isVisible());
    EXPECT_TRUE(frame_->hasTrayIcon());

    frame_->trayIcon()->OnActivated(QSystemTrayIcon::Trigger);
    LetWaitingMessagesRun();
    EXPECT_TRUE(frame_->isVisible());

    frame_->showMinimized();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !frame_->isVisible(); }, 5000));

    frame_->trayIcon()->OnActivated(QSystemTrayIcon::DoubleClick);
    LetWaitingMessagesRun();
    EXPECT_TRUE(frame_->isVisible());
    EXPECT_FALSE(frame_->isMinimized());

    // The tray menu's Exit ends the program even with the window shown.
    PostMessage(frame_.get(), WM_COMMAND, cmd::kTrayExit);
    LetWaitingMessagesRun();
    EXPECT_FALSE(frame_->isVisible());
    EXPECT_FALSE(frame_->hasTrayIcon());
}

TEST_F(FrameTest, WithoutTheTrayOrWithoutADesktopTrayCloseEndsTheProgram) {
    MakeFrame(false);
    ShowFrame();
    EXPECT_FALSE(frame_->hasTrayIcon());
    EXPECT_TRUE(CloseAccepted(frame_.get()));

    // The option is on but the desktop shows no tray icons.
    frame_.reset();
    SetTrayAvailability([] { return false; });
    MakeFrame(true);
    ShowFrame();
    EXPECT_FALSE(frame_->hasTrayIcon());
    EXPECT_TRUE(CloseAccepted(frame_.get()));
}

TEST_F(FrameTest, TrayFollowsItsHostAndTheExitRuleWaitsForTheRealEnd) {
    bool host = false;
    SetTrayAvailability([&host] { return host; });
    app_->settings().radio.onExit = kOnExitMute;
    app_->settings().radio.startMute = kStartNoMute;
    MakeFrame(true);
    ShowFrame();
    SRadio& radio = frame_->radioPanel()->device();
    ASSERT_FALSE(radio.IsMuted());
    EXPECT_FALSE(frame_->hasTrayIcon()) << "no tray yet";

    host = true;  // the desktop's tray comes up after the program
    frame_->OnTrayHostChanged();
    ASSERT_TRUE(frame_->hasTrayIcon());
    EXPECT_FALSE(CloseAccepted(frame_.get()));
    EXPECT_FALSE(frame_->isVisible());
    EXPECT_FALSE(radio.IsMuted()) << "hiding into the tray is no exit";

    host = false;  // the tray goes away with the window in it
    frame_->OnTrayHostChanged();
    EXPECT_TRUE(frame_->isVisible());
    EXPECT_FALSE(frame_->hasTrayIcon());

    // Without a tray Pwr ends the program, and only then the radio goes off.
    PostMessage(frame_->radioPanel(), WM_COMMAND, cmd::kPower);
    LetWaitingMessagesRun();
    EXPECT_FALSE(frame_->isVisible());
    EXPECT_TRUE(radio.IsMuted());
    EXPECT_FALSE(frame_->radioPanel()->muted()) << "the next start starts as this one was";
}

TEST_F(FrameTest, MinimizedStartStaysMinimizedUntilATrayTakesTheWindow) {
    bool host = false;
    SetTrayAvailability([&host] { return host; });
    CommandLine minimized;
    minimized.minimizedStart = true;
    app_ = std::make_unique<App>(minimized);
    app_->settings().general.minimizeOnStart = true;
    MakeFrame(true);
    PostMessage(frame_.get(), WM_HIDE_TO_TRAY);  // as when the start's delay is over
    LetWaitingMessagesRun();
    EXPECT_TRUE(frame_->isVisible() && frame_->isMinimized()) << "no tray: in the task bar";
    host = true;
    frame_->OnTrayHostChanged();
    EXPECT_FALSE(frame_->isVisible()) << "the tray that came later takes it";
}

TEST_F(FrameTest, AboutBoxFromTheHelpMenuAndTheTrayMenu) {
    MakeFrame();
    PostMessage(frame_.get(), WM_COMMAND, cmd::kAbout);
    LetWaitingMessagesRun();
    ASSERT_NE(frame_->aboutBox(), nullptr);
    EXPECT_EQ(frame_->aboutBox()->windowTitle(), "About Plumora");
    EXPECT_TRUE(frame_->aboutBox()->versionLabel()->text().startsWith("Plumora Version "));
    AboutDlg* first = frame_->aboutBox();

    // A second request raises the open box instead of opening another.
    PostMessage(frame_.get(), WM_COMMAND, cmd::kTrayAbout);
    LetWaitingMessagesRun();
    EXPECT_EQ(frame_->aboutBox(), first);
    EXPECT_EQ(frame_->findChildren<AboutDlg*>().size(), 1);
}

TEST_F(FrameTest, WebCommandsOpenTheirPagesAndHelpWithoutPagesDoesNothing) {
    MakeFrame();
    OpenedUrls opened;
    for (unsigned id : {cmd::kCheckUpdates, cmd::kProductPage, cmd::kMakerSite, cmd::kHelpContents,
                        cmd::kUsingHelp}) {
        PostMessage(frame_.get(), WM_COMMAND, id);
    }
    LetWaitingMessagesRun();
    ASSERT_EQ(opened.urls.size(), 3) << "the test program has no help pages beside it";
    EXPECT_EQ(opened.urls[0].scheme(), "http");
    EXPECT_EQ(opened.urls[0].query(),
              QString("product=Plumora&version=%1").arg(PLUMORA_EXPECTED_VERSION));
    EXPECT_TRUE(opened.urls[1].toString().startsWith("http://"));
    EXPECT_EQ(opened.urls[2].host(), opened.urls[1].host());
}

TEST_F(FrameTest, MixerCommandsRunTheDesktopsTool) {
    MakeFrame();
    std::vector<ToolCommand> started;
    ProgramLauncher previous = SetProgramLauncher([&](const ToolCommand& c) {
        started.push_back(c);
        return true;
    });
    const auto expected = MixerToolCommand(
        cmd::kMixerRecord, [](const QString& name) { return QStandardPaths::findExecutable(name); },
        qEnvironmentVariable("XDG_CURRENT_DESKTOP"));
    PostMessage(frame_.get(), WM_COMMAND, cmd::kMixerRecord);
    LetWaitingMessagesRun();
    SetProgramLauncher(previous);
    if (expected) {
        ASSERT_EQ(started.size(), 1u);
        EXPECT_EQ(started[0], *expected);
    } else {
        EXPECT_TRUE(started.empty()) << "no tool installed: nothing runs";
    }
}

TEST(SystemMixer, SoundServerToolOnItsTabElseAlsamixerInATerminalElseNothing) {
    QStringList installed;
    auto find = [&](const QString& name) {
        return installed.contains(name) ? "/usr/bin/" + name : QString();
    };
    installed = {"pavucontrol", "alsamixer", "xterm"};
    EXPECT_EQ(MixerToolCommand(cmd::kMixerRecord, find, ""),
              (ToolCommand{"/usr/bin/pavucontrol", {"--tab=2"}}));
    EXPECT_EQ(MixerToolCommand(cmd::kMixerPlay, find, ""),
              (ToolCommand{"/usr/bin/pavucontrol", {"--tab=1"}}));
    EXPECT_EQ(MixerToolCommand(cmd::kSoundCardVolume, find, ""),
              (ToolCommand{"/usr/bin/pavucontrol", {"--tab=3"}}));

    installed = {"alsamixer", "xterm"};
    EXPECT_EQ(MixerToolCommand(cmd::kMixerRecord, find, ""),
              (ToolCommand{"/usr/bin/xterm", {"-e", "/usr/bin/alsamixer", "-V", "capture"}}));
    installed = {"alsamixer", "x-terminal-emulator", "xterm"};
    EXPECT_EQ(MixerToolCommand(cmd::kMixerPlay, find, ""),
              (ToolCommand{"/usr/bin/x-terminal-emulator",
                           {"-e", "/usr/bin/alsamixer", "-V", "playback"}}));

    installed = {"alsamixer"};  // no terminal to run it in
    EXPECT_FALSE(MixerToolCommand(cmd::kMixerRecord, find, ""));
    installed = {};
    EXPECT_FALSE(MixerToolCommand(cmd::kSoundCardVolume, find, ""));
    EXPECT_FALSE(MixerToolCommand(cmd::kMultimediaProperties, find, "GNOME"));
    EXPECT_FALSE(MixerToolCommand(cmd::kAbout, find, ""));
}

TEST(SystemMixer, SoundSettingsOfTheRunningDesktopFirst) {
    QStringList installed{"gnome-control-center", "systemsettings", "pavucontrol"};
    auto find = [&](const QString& name) {
        return installed.contains(name) ? "/usr/bin/" + name : QString();
    };
    EXPECT_EQ(MixerToolCommand(cmd::kMultimediaProperties, find, "KDE"),
              (ToolCommand{"/usr/bin/systemsettings", {"kcm_pulseaudio"}}));
    EXPECT_EQ(MixerToolCommand(cmd::kMultimediaProperties, find, "ubuntu:GNOME"),
              (ToolCommand{"/usr/bin/gnome-control-center", {"sound"}}));
    installed = {"pavucontrol"};
    EXPECT_EQ(MixerToolCommand(cmd::kMultimediaProperties, find, "KDE"),
              (ToolCommand{"/usr/bin/pavucontrol", {}}));
}

// An end asked for while a recording runs waits for the recording to end
// completely (its file done, its items in it); only then the exit rule runs
// and the window goes. At a SIGTERM or a logout nobody is asked anything.
TEST_F(FrameTest, AnEndWaitsForTheRecordingAndAsksNothingUnattended) {
    enum How { kClose, kLogoutThenClose, kQuitWithoutClose, kCloseThenQuit };
    struct Case {
        const char* name;
        How how;
        CloseReason reason;
        int onExit;
        bool mutedAtEnd;
    };
    const Case cases[] = {
        {"window closed, exit rule mute", kClose, CloseReason::Window, kOnExitMute, true},
        {"SIGTERM, exit rule ask", kClose, CloseReason::Terminate, kOnExitAsk, false},
        {"logout, then the close, exit rule ask", kLogoutThenClose, CloseReason::Window, kOnExitAsk,
         false},
        {"quit without a close, exit rule mute", kQuitWithoutClose, {}, kOnExitMute, true},
        {"window closed, exit rule ask, then a quit before the recording has ended", kCloseThenQuit,
         CloseReason::Window, kOnExitAsk, false},
    };
    QTemporaryDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        frame_.reset();
        app_ = std::make_unique<App>(CommandLine{});
        app_->settings().radio.onExit = c.onExit;
        app_->settings().radio.startMute = kStartNoMute;
        app_->settings().files.defaultDirectory = dir.path();
        MakeFrame(false);
        ShowFrame();
        RecordControl* records = frame_->radioPanel()->recordControl();
        records->SetRecorderMaker([](const RecorderPlan&, QObject*, const std::string& path,
                                     const std::string&) {
            return std::make_unique<FakeRecorder>(Clock::System(), path, FakeRecorder::Faults{});
        });
        QString path;
        QObject watching;  // the connections end with the case
        QObject::connect(records, &RecordControl::recordingStarted, &watching,
                         [&](int, const QString&, const QString& file) { path = file; });
        frame_->radioPanel()->StartEvent(-1);
        ASSERT_TRUE(WaitUntil([&] { return frame_->radioPanel()->recording(); }));
        SRadio& radio = frame_->radioPanel()->device();
        ASSERT_FALSE(radio.IsMuted());

        std::string atReady;
        QObject::connect(records, &RecordControl::readyToExit, &watching, [&] {
            QFile file(path);
            const bool complete = file.open(QIODevice::ReadOnly) &&
                                  file.readAll().contains("EVENT <unscheduled>\r\n");
            atReady = QString("%1 %2 %3")
                          .arg(complete ? "complete" : "incomplete",
                               radio.IsMuted() ? "muted" : "sounding",
                               frame_->isVisible() ? "shown" : "hidden")
                          .toStdString();
        });
        if (c.how != kQuitWithoutClose) {
            if (c.how == kLogoutThenClose) {
                frame_->SessionEnding();
            }
            frame_->RequestClose(c.reason);
            EXPECT_TRUE(atReady.empty()) << "the recording ends first";
            EXPECT_TRUE(frame_->isVisible());
        }
        if (c.how == kQuitWithoutClose || c.how == kCloseThenQuit) {
            frame_->EndBeforeQuit();  // the event loop ends: nothing can wait
        } else {
            ASSERT_TRUE(WaitUntil([&] { return !frame_->isVisible(); }));
        }
        EXPECT_EQ(atReady, "complete sounding shown");
        EXPECT_FALSE(frame_->radioPanel()->recording());
        EXPECT_EQ(radio.IsMuted(), c.mutedAtEnd);
        EXPECT_TRUE(boxes_.calls().empty());
    }
}
