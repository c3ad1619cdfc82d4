#include <gtest/gtest.h>
#include <QDBusAbstractAdaptor>
#include <QDBusConnectionInterface>
#include <QElapsedTimer>
#include <QProcess>
#include <QSettings>

#include "app/desktop_bus_wiring.h"
#include "app/preset_table.h"
#include "app/single_instance.h"
#include "app/station_text.h"
#include "app/tab_window.h"
#include "frame_fixture.h"
#include "platform/local_messaging.h"
#include "support/private_session_bus.h"
#include "support/scoped_xdg_dirs.h"
#include "support/virtual_x_server.h"

// A status notifier watcher with a host, as a panel has that starts after
// the program; it keeps the items that register.
class FakeTrayWatcher : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ hostRegistered)
  public:
    explicit FakeTrayWatcher(QObject* object) : QDBusAbstractAdaptor(object) {}
    bool hostRegistered() const { return true; }
    QStringList items;

  public slots:
    void RegisterStatusNotifierItem(const QString& service) { items << service; }
};

namespace {

TEST(StationText, IsThePresetOfTheBankThenAnyPresetThenTheFrequency) {
    PresetTable presets;
    presets.Set(PresetTable::IndexOf(1, 3), 89.5f, "Jazz");
    presets.Set(PresetTable::IndexOf(2, 0), 89.5f, "Other");
    presets.Set(PresetTable::IndexOf(2, 1), 101.1f, "Rock");
    presets.Set(PresetTable::IndexOf(5, 0), 0.54f, "Talk");
    EXPECT_EQ(StationText(89.5f, presets, 1), "Jazz");
    EXPECT_EQ(StationText(89.5f, presets, 2), "Other");
    EXPECT_EQ(StationText(101.1f, presets, 1), "Rock") << "a preset of another bank";
    EXPECT_EQ(StationText(0.54f, presets, 1), "Talk");
    EXPECT_EQ(StationText(95.3f, presets, 1), "95.30 MHz");
    EXPECT_EQ(StationText(0.72f, presets, 5), "72.0 AM");
}

TEST(RefuseAction, UnknownStationsAndRecordingWithoutInputAreRefused) {
    PresetTable presets;
    presets.Set(PresetTable::IndexOf(1, 0), 95.5f, "Jazz");
    struct Case {
        RadioAction action;
        const char* tune;
        bool capture;
        const char* error;  // empty: accepted
    };
    for (const Case& c : {
             Case{RadioAction::kTune, "jazz", false, ""},
             Case{RadioAction::kTune, "89.5", false, ""},
             Case{RadioAction::kTune, "54a", false, ""},
             Case{RadioAction::kTune, "no such preset", true,
                  "com.quillmoor.Plumora.Error.UnknownStation"},
             Case{RadioAction::kTune, "0.3", true, "com.quillmoor.Plumora.Error.UnknownStation"},
             Case{RadioAction::kRecord, "", false, "com.quillmoor.Plumora.Error.NoCaptureDevice"},
             Case{RadioAction::kRecord, "", true, ""},
             Case{RadioAction::kMute, "", false, ""},
         }) {
        const auto refusal = RefuseAction(c.action, c.tune, presets, c.capture);
        EXPECT_EQ(refusal ? refusal->error : QString(), c.error) << c.tune;
    }
}

// Two hand-overs that arrive in one turn of the event loop each run once,
// in order: the first unmutes and tunes, the second mutes.
TEST_F(FrameTest, TwoHandOversInOneTurnEachRunOnce) {
    MakeFrame();
    InstanceServer::Handlers handlers;
    handlers.actions = [this](const ActionBlock& block) {
        PostActions(app_->actions(), frame_->tabWindow(), block);
    };
    InstanceServer server(handlers);
    ActionBlock first;
    first.flags = kActionFlagUnmute | kActionFlagTune;
    first.SetTuneText("95.5");
    ActionBlock second;
    second.flags = kActionFlagMute;
    for (const ActionBlock& block : {first, second}) {
        LocalMessage message;
        message.msg = WM_COPYDATA;
        message.wParam = kActionCopyDataTag;
        message.data = block.Serialize();
        EXPECT_EQ(server.Handle(message), 1);
    }
    LetWaitingMessagesRun();
    LetWaitingMessagesRun();
    EXPECT_FLOAT_EQ(frame_->radioPanel()->frequency(), 95.5f) << "the first ran";
    EXPECT_TRUE(frame_->radioPanel()->muted()) << "the second ran last";
    EXPECT_TRUE(app_->actions().empty());
}

// The real program on a private bus, driven as a desktop would drive it.
TEST(DesktopBusProgram, RunningProgramIsDrivenOverTheBusAndQuits) {
    ScopedXdgDirs dirs;
    PrivateSessionBus session;
    ASSERT_TRUE(session.running());
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    program.setProcessEnvironment(environment);
    program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    program.start(PLUMORA_EXECUTABLE, {"-q"});
    ASSERT_TRUE(program.waitForStarted());
    QElapsedTimer clock;
    clock.start();
    while (RunBusClient("playerctl", {"-l"}) != "Plumora") {
        ASSERT_LT(clock.elapsed(), 30000) << "the program never came onto the bus";
        ASSERT_EQ(program.state(), QProcess::Running);
        program.waitForFinished(100);
    }
    auto muted = [] {
        return RunBusClient(
            "gdbus", {"call", "--session", "--dest", "com.quillmoor.Plumora", "--object-path",
                      "/com/quillmoor/Plumora", "--method", "org.freedesktop.DBus.Properties.Get",
                      "com.quillmoor.Plumora.Control", "Muted"});
    };
    auto waitFor = [&](const QString& expected) {
        QElapsedTimer wait;
        wait.start();
        while (muted() != expected && wait.elapsed() < 20000) {
            program.waitForFinished(100);
        }
        return muted();
    };
    EXPECT_EQ(waitFor("(<true>,)"), "(<true>,)") << "started with -q";
    EXPECT_EQ(RunBusClient("playerctl", {"-p", "Plumora", "status"}), "Stopped");
    RunBusClient("playerctl", {"-p", "Plumora", "play-pause"});
    EXPECT_EQ(waitFor("(<false>,)"), "(<false>,)");
    RunBusClient("gdbus",
                 {"call", "--session", "--dest", "com.quillmoor.Plumora", "--object-path",
                  "/com/quillmoor/Plumora", "--method", "com.quillmoor.Plumora.Control.Mute"});
    EXPECT_EQ(waitFor("(<true>,)"), "(<true>,)");

    RunBusClient("gdbus",
                 {"call", "--session", "--dest", "org.mpris.MediaPlayer2.Plumora", "--object-path",
                  "/org/mpris/MediaPlayer2", "--method", "org.mpris.MediaPlayer2.Quit"});
    ASSERT_TRUE(program.waitForFinished(30000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0);
}

// The real program under X with the tray icon on and -m, before any tray
// host: a panel that comes later gets the icon. A second start with a launch
// token then asks, for the window, to be activated at the launch's time and
// ends the launch feedback.
using TrayProgramTest = PrivateBusTest;

TEST_F(TrayProgramTest, ALateTrayHostGetsTheIconAndASecondStartActivatesTheWindow) {
    VirtualXServer x;
    if (!x.running()) {
        GTEST_SKIP() << "no Xvfb";
    }
    RootWindowWatch desktop(x.display());
    ASSERT_TRUE(desktop.watching());
    ScopedXdgDirs dirs;
    {
        QSettings user(dirs.userSettingsFile(), QSettings::IniFormat);
        user.setValue("Vendor", QByteArray(1, 6));  // "<no radio>": no first-run wizard
        user.setValue("TrayIcon", QByteArray(1, 1));
    }
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "xcb");
    environment.insert("DISPLAY", x.display());
    QProcess program;
    program.setProcessEnvironment(environment);
    program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    program.start(PLUMORA_EXECUTABLE, {"-m"});
    ASSERT_TRUE(WaitFor([&] {
        return client_.interface()->isServiceRegistered("com.quillmoor.Plumora").value();
    })) << "the program never came onto the bus";
    QTest::qWait(500);  // it has looked for a tray and found none

    auto* watcher =
        Offer<FakeTrayWatcher>("org.kde.StatusNotifierWatcher", "/StatusNotifierWatcher");
    ASSERT_NE(watcher, nullptr);
    EXPECT_TRUE(WaitFor([&] { return !watcher->items.isEmpty(); })) << "the icon never came";

    environment.insert("DESKTOP_STARTUP_ID", "launcher-42_TIME4711");
    QProcess second;
    second.setProcessEnvironment(environment);
    second.start(PLUMORA_EXECUTABLE, {});
    ASSERT_TRUE(second.waitForFinished(30000));
    EXPECT_EQ(second.exitCode(), 0) << "only came to the front";
    ASSERT_TRUE(desktop.Seen(1, 1));
    const xcb_client_message_event_t& activation = desktop.activations().front();
    EXPECT_EQ(activation.data.data32[0], 1u);
    EXPECT_EQ(activation.data.data32[1], 4711u);
    EXPECT_EQ(desktop.Property(activation.window, "_NET_STARTUP_ID"), "launcher-42_TIME4711");
    EXPECT_EQ(desktop.startupMessages().front(), "remove: ID=launcher-42_TIME4711");

    program.terminate();
    EXPECT_TRUE(program.waitForFinished(30000));
}

}  // namespace

#include "desktop_program_test.moc"
