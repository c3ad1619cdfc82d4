#include <gtest/gtest.h>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QElapsedTimer>
#include <QProcess>
#include <QSignalSpy>

#include "app/command_ids.h"
#include "app/desktop_bus.h"
#include "app/player_state.h"
#include "app/preset_table.h"
#include "support/private_session_bus.h"
#include "support/scoped_xdg_dirs.h"

// Records the PropertiesChanged signals a client sees.
class PropertyChanges : public QObject {
    Q_OBJECT
  public:
    int count = 0;
    QString interface;
    QVariantMap changed;

  public slots:
    void Changed(const QString& name, const QVariantMap& properties, const QStringList&) {
        interface = name;
        changed = properties;
        ++count;
    }
};

namespace {

TEST(PlayerState, StationIsThePresetOfTheBankThenAnyPresetThenTheFrequency) {
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

TEST(PlayerState, RadioPlaysWhileOnAndTheArchiveShowsItsFile) {
    PlayerState state;
    state.muted = true;
    state.station = "Jazz";
    state.frequency = 89.5f;
    EXPECT_EQ(PlaybackStatus(state), "Paused");
    state.muted = false;
    EXPECT_EQ(PlaybackStatus(state), "Playing");
    state.recording = true;
    QVariantMap radio = PlayerMetadata(state);
    EXPECT_EQ(radio["xesam:title"].toString(), "Jazz (recording)");
    EXPECT_TRUE(radio["plumora:recording"].toBool());
    EXPECT_EQ(radio["xesam:artist"].toStringList(), QStringList{"89.50 MHz"});

    state.muted = true;
    state.archivePlaying = true;
    state.archivePath = "/music/Jazz_2026.wav";
    state.lengthUs = 90 * 1000 * 1000;
    EXPECT_EQ(PlaybackStatus(state), "Playing");
    const QVariantMap file = PlayerMetadata(state);
    EXPECT_EQ(file["xesam:title"].toString(), "Jazz_2026");
    EXPECT_EQ(file["xesam:url"].toString(), "file:///music/Jazz_2026.wav");
    EXPECT_EQ(file["mpris:length"].toLongLong(), 90 * 1000 * 1000);
}

TEST(DesktopBusStart, WithoutABusNothingHappens) {
    DesktopBus bus({});
    EXPECT_FALSE(bus.Start(QDBusConnection(QString())));
    EXPECT_FALSE(bus.started());
}

// The bus objects on a private session bus with hooks that record what
// they are asked to do; playerctl and gdbus are the clients.
class DesktopBusTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(session_.running()) << "dbus-daemon did not start";
        connection_ = std::make_unique<QDBusConnection>(
            QDBusConnection::connectToBus(session_.address(), "plumora-test-server"));
        ASSERT_TRUE(connection_->isConnected());
        state_.muted = false;
        state_.frequency = 89.5f;
        state_.station = "Jazz";
        DesktopBus::Hooks hooks;
        hooks.state = [this] { return state_; };
        hooks.command = [this](unsigned id) { commands_.push_back(id); };
        hooks.archiveCommand = [this](unsigned id) { archiveCommands_.push_back(id); };
        hooks.actions = [this](const ActionBlock& block) {
            actions_.push_back(block);
            // The radio panel acts on it.
            if (block.flags & kActionFlagMute)
                state_.muted = true;
            if (block.flags & kActionFlagUnmute)
                state_.muted = false;
        };
        hooks.raise = [this] { ++raised_; };
        hooks.quit = [this] { ++quit_; };
        bus_ = std::make_unique<DesktopBus>(std::move(hooks));
        ASSERT_TRUE(bus_->Start(*connection_));
    }

    void TearDown() override {
        bus_.reset();
        QDBusConnection::disconnectFromBus("plumora-test-server");
    }

    QString Playerctl(const QStringList& arguments) {
        return RunBusClient("playerctl", QStringList{"-p", "Plumora"} + arguments);
    }

    QString Control(const QString& method, const QStringList& arguments = {}) {
        int code = -1;
        const QString out =
            RunBusClient("gdbus",
                         QStringList{"call", "--session", "--dest", "com.quillmoor.Plumora",
                                     "--object-path", "/com/quillmoor/Plumora", "--method",
                                     "com.quillmoor.Plumora.Control." + method} +
                             arguments,
                         &code);
        EXPECT_EQ(code, 0) << method.toStdString();
        return out;
    }

    PrivateSessionBus session_;
    std::unique_ptr<QDBusConnection> connection_;
    std::unique_ptr<DesktopBus> bus_;
    PlayerState state_;
    std::vector<unsigned> commands_;
    std::vector<unsigned> archiveCommands_;
    std::vector<ActionBlock> actions_;
    int raised_ = 0;
    int quit_ = 0;
};

TEST_F(DesktopBusTest, MediaPlayerShowsTheStationAndPlayPauseTogglesMute) {
    EXPECT_EQ(RunBusClient("playerctl", {"-l"}), "Plumora");
    EXPECT_EQ(Playerctl({"status"}), "Playing");
    EXPECT_EQ(Playerctl({"metadata", "xesam:title"}), "Jazz");
    EXPECT_EQ(Playerctl({"metadata", "xesam:artist"}), "89.50 MHz");

    Playerctl({"play-pause"});
    ASSERT_EQ(actions_.size(), 1u);
    EXPECT_EQ(actions_[0].flags, kActionFlagMute);
    EXPECT_EQ(Playerctl({"status"}), "Paused");
    Playerctl({"play-pause"});
    ASSERT_EQ(actions_.size(), 2u);
    EXPECT_EQ(actions_[1].flags, kActionFlagUnmute);
    Playerctl({"play"});
    EXPECT_EQ(actions_.size(), 2u) << "already playing";
    Playerctl({"pause"});
    EXPECT_EQ(actions_.back().flags, kActionFlagMute);

    Playerctl({"next"});
    Playerctl({"previous"});
    EXPECT_EQ(commands_, (std::vector<unsigned>{cmd::kNextPreset, cmd::kPreviousPreset}));
}

TEST_F(DesktopBusTest, ChangesOfTheRadioAreAnnouncedAsPropertyChanges) {
    QDBusConnection client =
        QDBusConnection::connectToBus(session_.address(), "plumora-test-client");
    PropertyChanges receiver;
    ASSERT_TRUE(client.connect("", "/org/mpris/MediaPlayer2", "org.freedesktop.DBus.Properties",
                               "PropertiesChanged", &receiver,
                               SLOT(Changed(QString, QVariantMap, QStringList))));
    state_.station = "Rock";
    state_.recording = true;
    QElapsedTimer clock;
    clock.start();
    while (receiver.count == 0 && clock.elapsed() < 20000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    ASSERT_GT(receiver.count, 0);
    EXPECT_EQ(receiver.interface, "org.mpris.MediaPlayer2.Player");
    ASSERT_TRUE(receiver.changed.contains("Metadata"));
    EXPECT_FALSE(receiver.changed.contains("PlaybackStatus")) << "still playing";
    const QVariantMap metadata = qdbus_cast<QVariantMap>(receiver.changed["Metadata"]);
    EXPECT_EQ(metadata["xesam:title"].toString(), "Rock (recording)");
    QDBusConnection::disconnectFromBus("plumora-test-client");
}

TEST_F(DesktopBusTest, ArchivePlaybackIsPlaybackOfTheFileWithItsPosition) {
    state_.muted = true;
    state_.archivePlaying = true;
    state_.archivePath = "/rec/Morning_2026-12-09.ogg";
    state_.positionUs = 12 * 1000 * 1000;
    state_.lengthUs = 60 * 1000 * 1000;
    EXPECT_EQ(Playerctl({"status"}), "Playing");
    EXPECT_EQ(Playerctl({"metadata", "xesam:title"}), "Morning_2026-12-09");
    EXPECT_EQ(Playerctl({"metadata", "mpris:length"}), "60000000");
    EXPECT_NEAR(Playerctl({"position"}).toDouble(), 12.0, 0.5);
    Playerctl({"play-pause"});
    EXPECT_EQ(archiveCommands_, std::vector<unsigned>{cmd::kStopPlayback});
    EXPECT_TRUE(actions_.empty()) << "the radio stays as it is";
}

TEST_F(DesktopBusTest, ControlInterfaceHandsOverActionsAndSteps) {
    Control("Mute");
    Control("Unmute");
    Control("Record");
    Control("Stop");
    Control("Tune", {"54a"});
    ASSERT_EQ(actions_.size(), 5u);
    EXPECT_EQ(actions_[0].flags, kActionFlagMute);
    EXPECT_EQ(actions_[1].flags, kActionFlagUnmute);
    EXPECT_EQ(actions_[2].flags, kActionFlagRecord);
    EXPECT_EQ(actions_[3].flags, kActionFlagStopRecord);
    EXPECT_EQ(actions_[4].flags, kActionFlagTune);
    EXPECT_EQ(actions_[4].TuneText(), "54a");

    Control("TuneUp");
    Control("TuneDown");
    Control("VolumeUp");
    Control("VolumeDown");
    EXPECT_EQ(commands_, (std::vector<unsigned>{cmd::kTuneUp, cmd::kTuneDownKey, cmd::kVolumeUp,
                                                cmd::kVolumeDown}));

    state_.recording = true;
    EXPECT_EQ(RunBusClient("gdbus", {"call", "--session", "--dest", "com.quillmoor.Plumora",
                                     "--object-path", "/com/quillmoor/Plumora", "--method",
                                     "org.freedesktop.DBus.Properties.Get",
                                     "com.quillmoor.Plumora.Control", "Recording"}),
              "(<true>,)");
}

TEST_F(DesktopBusTest, RaiseAndQuitReachTheWindow) {
    Playerctl({"stop"});
    EXPECT_EQ(actions_.back().flags, kActionFlagMute) << "stop silences the radio";
    RunBusClient("gdbus",
                 {"call", "--session", "--dest", "org.mpris.MediaPlayer2.Plumora", "--object-path",
                  "/org/mpris/MediaPlayer2", "--method", "org.mpris.MediaPlayer2.Raise"});
    EXPECT_EQ(raised_, 1);
    EXPECT_EQ(
        RunBusClient("gdbus", {"call", "--session", "--dest", "org.mpris.MediaPlayer2.Plumora",
                               "--object-path", "/org/mpris/MediaPlayer2", "--method",
                               "org.freedesktop.DBus.Properties.Get", "org.mpris.MediaPlayer2",
                               "DesktopEntry"}),
        "(<'com.quillmoor.Plumora'>,)");
    EXPECT_EQ(quit_, 0);
    RunBusClient("gdbus",
                 {"call", "--session", "--dest", "org.mpris.MediaPlayer2.Plumora", "--object-path",
                  "/org/mpris/MediaPlayer2", "--method", "org.mpris.MediaPlayer2.Quit"});
    EXPECT_EQ(quit_, 1);
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
    EXPECT_EQ(RunBusClient("playerctl", {"-p", "Plumora", "status"}), "Paused");
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

}  // namespace

#include "desktop_bus_test.moc"
