#include <gtest/gtest.h>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QProcess>

#include "desktop/desktop_bus.h"
#include "desktop/player_state.h"
#include "support/private_session_bus.h"

// Records the signals a client sees: PropertiesChanged and Seeked.
class BusSignals : public QObject {
    Q_OBJECT
  public:
    int count = 0;
    QString interface;
    QVariantMap changed;
    std::vector<qlonglong> seeks;

  public slots:
    void Changed(const QString& name, const QVariantMap& properties, const QStringList&) {
        interface = name;
        changed = properties;
        ++count;
    }
    void Seeked(qlonglong position) { seeks.push_back(position); }
};

namespace {

TEST(PlayerState, StatusFollowsWhatPlaysAndEachRecordingHasItsOwnTrack) {
    struct Case {
        bool muted, open, playing;
        const char* status;
    };
    for (const Case& c : {Case{false, false, false, "Playing"}, Case{true, false, false, "Stopped"},
                          Case{true, true, false, "Paused"}, Case{false, true, false, "Paused"},
                          Case{true, true, true, "Playing"}}) {
        PlayerState state;
        state.muted = c.muted;
        state.archiveOpen = c.open;
        state.archivePlaying = c.playing;
        EXPECT_EQ(PlaybackStatus(state), c.status) << c.muted << c.open << c.playing;
    }

    PlayerState state;
    state.muted = false;
    state.station = "Jazz";
    state.frequency = 89.5f;
    state.recording = true;
    const QVariantMap radio = PlayerMetadata(state);
    EXPECT_EQ(radio["xesam:title"].toString(), "Jazz (recording)");
    EXPECT_EQ(radio["xesam:artist"].toStringList(), QStringList{"89.50 MHz"});

    state.archiveOpen = true;
    state.archivePath = "/music/Jazz_2026.wav";
    state.archiveArtist = "101.30 MHz";
    state.lengthUs = 90 * 1000 * 1000;
    const QVariantMap file = PlayerMetadata(state);
    EXPECT_EQ(file["xesam:title"].toString(), "Jazz_2026");
    EXPECT_EQ(file["xesam:url"].toString(), "file:///music/Jazz_2026.wav");
    EXPECT_EQ(file["xesam:artist"].toStringList(), QStringList{"101.30 MHz"});
    EXPECT_EQ(file["mpris:length"].toLongLong(), 90 * 1000 * 1000);
    const QString track = file["mpris:trackid"].value<QDBusObjectPath>().path();
    EXPECT_EQ(track, ArchiveTrackId("/music/Jazz_2026.wav"));
    EXPECT_NE(track, ArchiveTrackId("/music/Jazz_2027.wav"));
    EXPECT_NE(track, radio["mpris:trackid"].value<QDBusObjectPath>().path());
}

TEST(DesktopBusStart, WithoutABusNothingHappens) {
    DesktopBus bus({});
    EXPECT_FALSE(bus.Start(QDBusConnection(QString())));
    EXPECT_FALSE(bus.started());
}

// The bus objects on a private session bus with hooks that record what
// they are asked to do; playerctl and gdbus are the clients.
class DesktopBusTest : public PrivateBusTest {
  protected:
    void SetUp() override {
        PrivateBusTest::SetUp();
        if (HasFatalFailure()) {
            return;
        }
        state_.muted = false;
        state_.frequency = 89.5f;
        state_.station = "Jazz";
        DesktopBus::Hooks hooks;
        hooks.state = [this] { return state_; };
        hooks.command = [this](BusCommand command) { commands_.push_back(command); };
        hooks.act = [this](RadioAction action, const QString& tune) -> std::optional<BusRefusal> {
            if (action == RadioAction::kTune && tune == "no such preset") {
                return BusRefusal{"com.quillmoor.Plumora.Error.UnknownStation", "unknown"};
            }
            actions_.push_back({action, tune});
            // The radio panel acts on it.
            if (action == RadioAction::kMute)
                state_.muted = true;
            if (action == RadioAction::kUnmute)
                state_.muted = false;
            return std::nullopt;
        };
        hooks.setVolume = [this](int percent) { state_.volume = percent; };
        hooks.seekTo = [this](qint64 us) { seeks_.push_back(us); };
        hooks.raise = [this] { ++raised_; };
        hooks.quit = [this] { ++quit_; };
        bus_ = std::make_unique<DesktopBus>(std::move(hooks));
        ASSERT_TRUE(bus_->Start(server_));
    }

    void TearDown() override {
        bus_.reset();
        PrivateBusTest::TearDown();
    }

    QString Playerctl(const QStringList& arguments) {
        return RunBusClient("playerctl", QStringList{"-p", "Plumora"} + arguments);
    }

    // The exit code of gdbus calling the control method.
    int Control(const QString& method, const QStringList& arguments = {}) {
        int code = -1;
        RunBusClient("gdbus",
                     QStringList{"call", "--session", "--dest", "com.quillmoor.Plumora",
                                 "--object-path", "/com/quillmoor/Plumora", "--method",
                                 "com.quillmoor.Plumora.Control." + method} +
                         arguments,
                     &code);
        return code;
    }

    std::unique_ptr<DesktopBus> bus_;
    PlayerState state_;
    std::vector<BusCommand> commands_;
    std::vector<std::pair<RadioAction, QString>> actions_;
    std::vector<qint64> seeks_;
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
    EXPECT_EQ(actions_[0].first, RadioAction::kMute);
    EXPECT_EQ(Playerctl({"status"}), "Stopped") << "a silent radio and no recording open";
    Playerctl({"play-pause"});
    ASSERT_EQ(actions_.size(), 2u);
    EXPECT_EQ(actions_[1].first, RadioAction::kUnmute);
    Playerctl({"play"});
    EXPECT_EQ(actions_.size(), 2u) << "already playing";
    Playerctl({"pause"});
    EXPECT_EQ(actions_.back().first, RadioAction::kMute);

    Playerctl({"next"});
    Playerctl({"previous"});
    EXPECT_EQ(commands_,
              (std::vector<BusCommand>{BusCommand::kNextPreset, BusCommand::kPreviousPreset}));

    // Volume is written and applied.
    Playerctl({"volume", "0.3"});
    EXPECT_EQ(state_.volume, 30);
    EXPECT_NEAR(Playerctl({"volume"}).toDouble(), 0.3, 1e-6);
    Playerctl({"volume", "1.5"});
    EXPECT_EQ(state_.volume, 100) << "no louder than full";
}

TEST_F(DesktopBusTest, ChangesAreAnnouncedWhenToldAndSeeksAsSeeked) {
    BusSignals receiver;
    ASSERT_TRUE(client_.connect("", "/org/mpris/MediaPlayer2", "org.freedesktop.DBus.Properties",
                                "PropertiesChanged", &receiver,
                                SLOT(Changed(QString, QVariantMap, QStringList))));
    ASSERT_TRUE(client_.connect("", "/org/mpris/MediaPlayer2", "org.mpris.MediaPlayer2.Player",
                                "Seeked", &receiver, SLOT(Seeked(qlonglong))));
    state_.station = "Rock";
    state_.recording = true;
    bus_->Refresh();
    ASSERT_TRUE(WaitFor([&] { return receiver.count > 0; }));
    EXPECT_EQ(receiver.interface, "org.mpris.MediaPlayer2.Player");
    ASSERT_TRUE(receiver.changed.contains("Metadata"));
    EXPECT_FALSE(receiver.changed.contains("PlaybackStatus")) << "still playing";
    const QVariantMap metadata = qdbus_cast<QVariantMap>(receiver.changed["Metadata"]);
    EXPECT_EQ(metadata["xesam:title"].toString(), "Rock (recording)");

    state_.muted = true;
    bus_->Refresh();
    ASSERT_TRUE(WaitFor([&] { return receiver.changed.contains("PlaybackStatus"); }));
    EXPECT_EQ(receiver.changed["PlaybackStatus"].toString(), "Stopped");

    // A seek of one second is a seek too.
    state_.archiveOpen = true;
    state_.archivePath = "/rec/News_1.wav";
    state_.positionUs = 1000 * 1000;
    bus_->AnnounceSeek(state_.positionUs);
    ASSERT_TRUE(WaitFor([&] { return !receiver.seeks.empty(); }));
    EXPECT_EQ(receiver.seeks, std::vector<qlonglong>{1000 * 1000});
}

TEST_F(DesktopBusTest, ArchiveRecordingIsTheTrackWithItsPositionAndSeeks) {
    state_.muted = true;
    state_.archiveOpen = true;
    state_.archivePlaying = true;
    state_.archivePath = "/rec/Morning_2026-12-09.ogg";
    state_.archiveArtist = "Morning";
    state_.positionUs = 12 * 1000 * 1000;
    state_.lengthUs = 60 * 1000 * 1000;
    EXPECT_EQ(Playerctl({"status"}), "Playing");
    EXPECT_EQ(Playerctl({"metadata", "xesam:title"}), "Morning_2026-12-09");
    EXPECT_EQ(Playerctl({"metadata", "xesam:artist"}), "Morning");
    EXPECT_EQ(Playerctl({"metadata", "mpris:length"}), "60000000");
    EXPECT_NEAR(Playerctl({"position"}).toDouble(), 12.0, 0.5);

    Playerctl({"position", "30"});    // SetPosition on the current track
    Playerctl({"position", "5-"});    // Seek back 5 s
    Playerctl({"position", "100+"});  // Seek past the end: to the end
    EXPECT_EQ(seeks_, (std::vector<qint64>{30'000'000, 7'000'000, 60'000'000}));

    Playerctl({"play-pause"});
    EXPECT_EQ(commands_, std::vector<BusCommand>{BusCommand::kStopPlayback});
    EXPECT_TRUE(actions_.empty()) << "the radio stays as it is";
}

TEST_F(DesktopBusTest, ControlHandsOverActionsAndRefusesWhatCannotBeDone) {
    EXPECT_EQ(Control("Mute"), 0);
    EXPECT_EQ(Control("Unmute"), 0);
    EXPECT_EQ(Control("Record"), 0);
    EXPECT_EQ(Control("Stop"), 0);
    EXPECT_EQ(Control("Tune", {"54a"}), 0);
    EXPECT_NE(Control("Tune", {"no such preset"}), 0) << "an error reply";
    const std::vector<std::pair<RadioAction, QString>> expected{{RadioAction::kMute, ""},
                                                                {RadioAction::kUnmute, ""},
                                                                {RadioAction::kRecord, ""},
                                                                {RadioAction::kStopRecord, ""},
                                                                {RadioAction::kTune, "54a"}};
    EXPECT_EQ(actions_, expected);

    EXPECT_EQ(Control("TuneUp"), 0);
    EXPECT_EQ(Control("TuneDown"), 0);
    EXPECT_EQ(Control("VolumeUp"), 0);
    EXPECT_EQ(Control("VolumeDown"), 0);
    EXPECT_EQ(commands_, (std::vector<BusCommand>{BusCommand::kTuneUp, BusCommand::kTuneDown,
                                                  BusCommand::kVolumeUp, BusCommand::kVolumeDown}));

    state_.recording = true;
    EXPECT_EQ(RunBusClient("gdbus", {"call", "--session", "--dest", "com.quillmoor.Plumora",
                                     "--object-path", "/com/quillmoor/Plumora", "--method",
                                     "org.freedesktop.DBus.Properties.Get",
                                     "com.quillmoor.Plumora.Control", "Recording"}),
              "(<true>,)");
}

TEST_F(DesktopBusTest, RaiseAndQuitReachTheWindow) {
    Playerctl({"stop"});
    EXPECT_EQ(actions_.back().first, RadioAction::kMute) << "stop silences the radio";
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

}  // namespace

#include "desktop_bus_test.moc"
