#include <gtest/gtest.h>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <QThread>
#include <QTime>
#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "audio/wave_test_files.h"
#include "media/media_file.h"
#include "media/rec_file.h"
#include "platform/autostart.h"
#include "platform/local_messaging.h"
#include "radio/fake_rtl_tcp_server.h"
#include "support/alsa_test_devices.h"
#include "support/scoped_xdg_dirs.h"
#include "support/tone_analysis.h"

namespace {

// Runs copies of the real program in a private folder, so that its log and
// its settings stay with the test.
class ProgramTest : public ::testing::Test {
  protected:
    void SetUp() override {
        program_ = dirs_.root() + "/bin/plumora";
        QDir().mkpath(dirs_.root() + "/bin");
        ASSERT_TRUE(QFile::copy(PLUMORA_EXECUTABLE, program_));
        environment_ = QProcessEnvironment::systemEnvironment();
        environment_.insert("QT_QPA_PLATFORM", "offscreen");
        // Recordings go to the music folder of the test, from the test's
        // capture device.
        environment_.insert("ALSA_CONFIG_PATH", devices_.Path("asound.conf"));
    }

    QString MusicDir() const { return dirs_.root() + "/music"; }
    QString RecordingPath(const QString& name) const { return MusicDir() + "/Plumora/" + name; }

    static std::string Item(const QString& path) {
        RecFile file(QFile::encodeName(path).toStdString(), nullptr, kOpenRead, false);
        return file.GetTag(kTimecodeTagName).value_or("");
    }

    // Waits until the recording holds more than a few buffers.
    void WaitForRecording(const QString& path) {
        QElapsedTimer clock;
        clock.start();
        while (QFileInfo(path).size() < 100000) {
            ASSERT_LT(clock.elapsed(), 30000) << "nothing recorded into " << path.toStdString();
            QThread::msleep(50);
        }
    }

    void TearDown() override {
        if (first_.state() != QProcess::NotRunning) {
            first_.kill();
            first_.waitForFinished();
        }
    }

    void StartFirst(const QStringList& arguments = {},
                    const char* captureDevice = AlsaTestDevices::kCapture) {
        QDir().mkpath(dirs_.configHome());
        QFile userDirs(dirs_.configHome() + "/user-dirs.dirs");
        ASSERT_TRUE(userDirs.open(QIODevice::WriteOnly));
        userDirs.write("XDG_MUSIC_DIR=\"" + MusicDir().toUtf8() + "\"\n");
        userDirs.close();
        QSettings user(dirs_.userSettingsFile(), QSettings::IniFormat);
        user.setValue("WaveInDriver", captureDevice);
        if (captureDevice != AlsaTestDevices::kCapture) {
            user.setValue("Vendor", QByteArray(1, 6));  // "<no radio>": no first-run wizard
        }
        user.sync();  // before the program reads it
        first_.setProcessEnvironment(environment_);
        first_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        first_.start(program_, arguments);
        ASSERT_TRUE(first_.waitForStarted());
        QElapsedTimer clock;
        clock.start();
        while (!LocalServerExists("Plumora")) {
            ASSERT_LT(clock.elapsed(), 20000) << "the program never started listening";
            QThread::msleep(50);
        }
    }

    int RunSecond(const QStringList& arguments) {
        QProcess second;
        second.setProcessEnvironment(environment_);
        second.start(program_, arguments);
        EXPECT_TRUE(second.waitForFinished(20000));
        return second.exitStatus() == QProcess::NormalExit ? second.exitCode() : -1;
    }

    int TerminateFirst() {
        first_.terminate();
        EXPECT_TRUE(first_.waitForFinished(20000));
        return first_.exitStatus() == QProcess::NormalExit ? first_.exitCode() : -1;
    }

    QString Log() const {
        QFile log(program_ + ".log");
        return log.open(QIODevice::ReadOnly) ? QString::fromLatin1(log.readAll()) : QString();
    }

    ScopedXdgDirs dirs_;
    AlsaTestDevices devices_;
    QString program_;
    QProcessEnvironment environment_;
    QProcess first_;
};

TEST_F(ProgramTest, SecondStartHandsItsActionsOverAndExitsWithTheAnswer) {
    StartFirst();
    EXPECT_EQ(RunSecond({"/r", "/q", "/t", "95.5"}), 1);
    EXPECT_EQ(RunSecond({}), 0) << "no actions: the first one comes to the front";
    // The actions run in turn: the recording starts, then the tune follows.
    WaitForRecording(RecordingPath("lstav_1.wav"));
    QThread::msleep(300);
    EXPECT_EQ(TerminateFirst(), 0);

    EXPECT_TRUE(Log().contains("record\r\n")) << Log().toStdString();
    EXPECT_TRUE(Log().contains("exit program\r\n"));
    QSettings user(dirs_.userSettingsFile(), QSettings::IniFormat);
    EXPECT_EQ(user.value("Mute").toByteArray(), QByteArray(1, 1));
    EXPECT_EQ(user.value("Frequency").toString(), "95.5000");
}

TEST_F(ProgramTest, HelpVersionAndToolkitOptionsNeverReachTheRunningOne) {
    StartFirst();
    for (const char* option : {"--help", "--version"}) {
        QProcess second;
        second.setProcessEnvironment(environment_);
        second.start(program_, {option, "/r"});
        ASSERT_TRUE(second.waitForFinished(20000)) << option;
        EXPECT_EQ(second.exitCode(), 0) << option;
        const QString out = QString::fromLocal8Bit(second.readAllStandardOutput());
        EXPECT_TRUE(option[2] == 'h' ? out.startsWith("Usage: plumora")
                                     : out == "plumora " PLUMORA_EXPECTED_VERSION "\n")
            << out.toStdString();
    }
    // Only the toolkit's options: nothing to hand over, the window comes up.
    EXPECT_EQ(RunSecond({"-reverse", "-session", "1a2b/r", "-display", ":1"}), 0);
    QThread::msleep(500);
    EXPECT_EQ(TerminateFirst(), 0);
    EXPECT_FALSE(Log().contains("record\r\n")) << Log().toStdString();
}

// The open of a capture device that never answers runs beside the program:
// a termination during it ends the program in time, cleanly.
TEST_F(ProgramTest, TerminationWhileTheCaptureDeviceDoesNotAnswerEndsWithinTenSeconds) {
    StartFirst({}, AlsaTestDevices::kSilentCapture);
    EXPECT_EQ(RunSecond({"/r"}), 1);
    QThread::msleep(500);
    QElapsedTimer clock;
    clock.start();
    first_.terminate();
    ASSERT_TRUE(first_.waitForFinished(10000));
    EXPECT_LT(clock.elapsed(), 10000);
    EXPECT_EQ(first_.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(first_.exitCode(), 0);
    EXPECT_TRUE(Log().contains("did not answer within")) << Log().toStdString();
    EXPECT_TRUE(Log().contains("exit program\r\n"));
}

TEST_F(ProgramTest, RecordAndStopFromASecondStartLeaveATaggedRecordingInTheMusicFolder) {
    StartFirst();
    EXPECT_EQ(RunSecond({"/r"}), 1);
    const QString path = RecordingPath("lstav_1.wav");
    WaitForRecording(path);
    EXPECT_EQ(RunSecond({"/s"}), 1);
    QElapsedTimer clock;
    clock.start();
    while (!Log().contains("stop record\r\n") || Item(path).empty()) {
        ASSERT_LT(clock.elapsed(), 30000) << Log().toStdString();
        QThread::msleep(50);
    }
    EXPECT_EQ(TerminateFirst(), 0);
    EXPECT_NE(Item(path).find("EVENT <unscheduled>\r\nSTATION 89.9000\r\n"), std::string::npos)
        << Item(path);
    QProcess sox;
    sox.start("sox", {"--i", "-D", path});
    ASSERT_TRUE(sox.waitForFinished(20000));
    EXPECT_EQ(sox.exitCode(), 0);
    EXPECT_GT(sox.readAllStandardOutput().trimmed().toDouble(), 0.5);
}

TEST_F(ProgramTest, TerminationWhileRecordingEndsTheRecordingCompleteAndTagged) {
    StartFirst({"/r"});
    const QString path = RecordingPath("lstav_1.wav");
    WaitForRecording(path);
    EXPECT_EQ(TerminateFirst(), 0);
    EXPECT_TRUE(Log().contains("stop record\r\n"));
    EXPECT_NE(Item(path).find("EVENT <unscheduled>"), std::string::npos);
    QProcess sox;
    sox.start("sox", {"--i", "-s", path});
    ASSERT_TRUE(sox.waitForFinished(20000));
    EXPECT_EQ(sox.exitCode(), 0);
    EXPECT_GT(sox.readAllStandardOutput().trimmed().toLongLong(), 10000);
}

TEST_F(ProgramTest, ScheduledEventRecordsTheStationFromANetworkReceiver) {
    FakeRtlTcpServer server(100.0e6, 30);
    const QTime now = QTime::currentTime();
    const QTime end = now.addSecs(180);
    {
        QSettings user(dirs_.userSettingsFile(), QSettings::IniFormat);
        user.setValue("Vendor", QByteArray(1, 26));  // the SDR receiver
        user.setValue("PortAddress", "0");
        user.setValue("PortString", QStringLiteral("rtl_tcp:127.0.0.1:%1").arg(server.port()));
        user.setValue("TimerEnable", QByteArray(1, 1));
        user.setValue("EventCount", QByteArray(1, 1));
        // 100.0 MHz every day from this minute for three minutes, recording.
        user.setValue("Event0", QStringLiteral("100.0000 127 %1 %2 %3 %4 -1 1")
                                    .arg(now.hour())
                                    .arg(now.minute())
                                    .arg(end.hour())
                                    .arg(end.minute()));
        user.setValue("EventName0", "Morning");
        user.setValue("WaveFormat", WaveFormat::Pcm(2, 44100, 16).Serialize());
    }
    StartFirst();
    QString path;
    QElapsedTimer clock;
    clock.start();
    while (path.isEmpty() || QFileInfo(path).size() < 300000) {
        ASSERT_LT(clock.elapsed(), 40000) << Log().toStdString();
        const QStringList found =
            QDir(MusicDir() + "/Plumora").entryList({"Morning*.wav"}, QDir::Files);
        path = found.isEmpty() ? QString() : MusicDir() + "/Plumora/" + found.first();
        QThread::msleep(100);
    }
    EXPECT_EQ(TerminateFirst(), 0);
    const auto commands = server.commands();
    EXPECT_NE(std::find(commands.begin(), commands.end(), FakeRtlTcpServer::Command{1, 99750000}),
              commands.end());
    const std::optional<WaveContents> file = ReadWaveFile(path);
    ASSERT_TRUE(file) << "a complete recording";
    ASSERT_EQ(file->format.bitsPerSample, 16);
    std::vector<int16_t> pcm(static_cast<size_t>(file->data.size()) / 2);
    std::memcpy(pcm.data(), file->data.constData(), pcm.size() * 2);
    const int rate = static_cast<int>(file->format.samplesPerSec);
    const auto tone = tone_analysis::Measure(
        tone_analysis::Channel(pcm, file->format.channels, 0, rate / 2), rate, 1000);
    EXPECT_NEAR(tone.hz, 1000, 1);
    EXPECT_GT(tone.snrDb, 25);
    EXPECT_NE(Item(path).find("EVENT Morning"), std::string::npos) << Item(path);
}

TEST_F(ProgramTest, TerminationSavesBothHives) {
    StartFirst({"/t", "101.1"});
    // Once it answers, its message loop runs; give its own actions a moment.
    EXPECT_EQ(RunSecond({}), 0);
    QThread::msleep(300);
    EXPECT_EQ(TerminateFirst(), 0);
    for (const QString& file : {dirs_.userSettingsFile(), dirs_.machineSettingsFile()}) {
        QSettings hive(file, QSettings::IniFormat);
        EXPECT_EQ(hive.value("Frequency").toString(), "101.1000") << file.toStdString();
        EXPECT_TRUE(hive.contains("WindowX"));
    }
}

TEST_F(ProgramTest, RemoveSwitchDeletesLoginEntriesAndEndsWithoutAWindow) {
    ASSERT_TRUE(autostart::WriteEntry(autostart::Scope::PerUser, "Plumora", program_, "-m"));
    ASSERT_TRUE(autostart::WriteEntry(autostart::Scope::MachineWide, "Plumora", program_, ""));
    EXPECT_EQ(RunSecond({"/u"}), 1);
    EXPECT_FALSE(autostart::ReadExec(autostart::Scope::PerUser, "Plumora").has_value());
    EXPECT_FALSE(autostart::ReadExec(autostart::Scope::MachineWide, "Plumora").has_value());
    EXPECT_FALSE(LocalServerExists("Plumora"));
    EXPECT_FALSE(QFile::exists(dirs_.userSettingsFile())) << "nothing was started or saved";
}

}  // namespace

namespace {

// Starts close together (a double click) give one program: the others hand
// their actions over to it and end.
TEST_F(ProgramTest, StartsAtTheSameMomentGiveOneProgram) {
    constexpr int kStarts = 5;
    std::vector<std::unique_ptr<QProcess>> starts;
    for (int i = 0; i < kStarts; ++i) {
        auto process = std::make_unique<QProcess>();
        process->setProcessEnvironment(environment_);
        process->start(program_, {"/t", "95.5"});
        starts.push_back(std::move(process));
    }
    int ended = 0;
    for (auto& process : starts) {
        ASSERT_TRUE(process->waitForStarted());
    }
    QElapsedTimer clock;
    clock.start();
    // All but one end with the answer of the one that runs.
    while (clock.elapsed() < 30000) {
        ended = 0;
        for (auto& process : starts) {
            process->waitForFinished(20);
            ended += process->state() == QProcess::NotRunning ? 1 : 0;
        }
        if (ended >= kStarts - 1) {
            break;
        }
    }
    ended = 0;
    for (auto& process : starts) {
        process->waitForFinished(500);
        if (process->state() == QProcess::NotRunning) {
            ++ended;
            EXPECT_EQ(process->exitCode(), 1) << "handed over and accepted";
        }
    }
    EXPECT_EQ(ended, kStarts - 1);
    for (auto& process : starts) {
        if (process->state() != QProcess::NotRunning) {
            process->terminate();
            EXPECT_TRUE(process->waitForFinished(20000));
        }
    }
}

}  // namespace

// Under a real X server (when Xvfb and xdotool are installed): the window
// maps, Alt+R records and Ctrl+Alt+S stops, typed as a user would.
TEST_F(ProgramTest, UnderXTheKeyboardRecordsAndStops) {
    if (QStandardPaths::findExecutable("xvfb-run").isEmpty() ||
        QStandardPaths::findExecutable("xdotool").isEmpty()) {
        GTEST_SKIP() << "no Xvfb or xdotool";
    }
    QDir().mkpath(dirs_.configHome());
    QFile userDirs(dirs_.configHome() + "/user-dirs.dirs");
    ASSERT_TRUE(userDirs.open(QIODevice::WriteOnly));
    userDirs.write("XDG_MUSIC_DIR=\"" + MusicDir().toUtf8() + "\"\n");
    userDirs.close();
    {
        QSettings user(dirs_.userSettingsFile(), QSettings::IniFormat);
        user.setValue("WaveInDriver", AlsaTestDevices::kCapture);
        user.setValue("Vendor", QByteArray(1, 6));  // "<no radio>": no first-run wizard
    }
    QProcessEnvironment x = environment_;
    x.remove("QT_QPA_PLATFORM");
    QProcess session;
    session.setProcessEnvironment(x);
    session.setProcessChannelMode(QProcess::MergedChannels);
    const QString path = RecordingPath("lstav_1.wav");
    session.start("xvfb-run", {"-a", "-s", "-screen 0 800x600x24", "bash", PLUMORA_X_SESSION,
                               program_, path, program_ + ".log"});
    ASSERT_TRUE(session.waitForFinished(110000));
    EXPECT_EQ(session.exitCode(), 0) << session.readAll().toStdString();
    QElapsedTimer clock;
    clock.start();
    while (Item(path).empty() && clock.elapsed() < 20000) {
        QThread::msleep(50);
    }
    EXPECT_NE(Item(path).find("EVENT <unscheduled>"), std::string::npos) << Log().toStdString();
}
