#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include "app/action_block.h"
#include "app/desktop_bus_wiring.h"
#include "app/radio_panel.h"
#include "app/record_control.h"
#include "app/settings_records.h"
#include "app/tuner_control.h"
#include "audio/wave_test_files.h"
#include "panel_fakes.h"
#include "platform/wave_device.h"
#include "support/alsa_test_devices.h"
#include "support/message_box_recorder.h"
#include "support/scoped_xdg_dirs.h"

namespace {

// The pass-through plays the test capture into a playback device whose
// set-up never answers (a named pipe without a reader); the recorder records
// the same capture device.
class PassthroughRecordingTest : public ::testing::Test {
  protected:
    void SetUp() override {
        settings_.radio.vendor = 6;  // "<no radio>"
        settings_.radio.startMute = kStartMute;
        settings_.sound.waveInDriver = AlsaTestDevices::kCapture;
        settings_.sound.waveOutDriver = AlsaTestDevices::kPacedPlayback;
        settings_.sound.changeMixer = true;
        settings_.sound.mixerStream = true;
        settings_.files.defaultDirectory = dir_.path();
        settings_.files.fileSize = 9999;
        devices_.SetCaptureInput(QByteArray(44100 * 4, '\1'));
        panel_ = std::make_unique<TAppDialog>(settings_, actions_, false);
        // The output device's mixer, so that the pass-through is wanted.
        panel_->tuner().SetMixerFactory(
            [this](SMixer::Kind kind, const std::string& name, QObject* window) {
                if (kind == SMixer::Kind::kWaveIn) {
                    return std::unique_ptr<SMixer>();
                }
                return std::make_unique<SMixer>(
                    kind, name, &ListWaveDevices,
                    [this](const std::string&) {
                        return std::unique_ptr<MixerBackend>(new MixerView(mixer_));
                    },
                    window);
            });
        panel_->SetUp();
        // The mixers open from the event loop.
        QCoreApplication::sendPostedEvents(&panel_->tuner(), QEvent::MetaCall);
        ticks_.start(100);
        QObject::connect(&ticks_, &QTimer::timeout, [this] { ++ticked_; });
    }

    void TearDown() override {
        panel_.reset();
        // The set-ups that did not answer end once the pipe has a reader.
        const int reader =
            open(devices_.Path("paced.fifo").toLocal8Bit().constData(), O_RDONLY | O_NONBLOCK);
        EXPECT_TRUE(WaitUntil([] { return WaveOpensNotAnswering() == 0; }));
        close(reader);
    }

    RecordControl& control() { return *panel_->recordControl(); }

    ScopedXdgDirs dirs_;
    AlsaTestDevices devices_;
    QTemporaryDir dir_;
    MessageBoxRecorder messages_;
    FakePanelMixer mixer_{3};
    SettingsRecords settings_;
    ActionInbox actions_;
    std::unique_ptr<TAppDialog> panel_;
    QTimer ticks_;
    int ticked_ = 0;
};

TEST_F(PassthroughRecordingTest,
       APlaybackDeviceThatNeverAnswersHoldsNeitherTheWindowNorARecording) {
    const QString failure = QStringLiteral(
        "Pass-through: the sound device \"plumora_paced\" did not answer within 3 s");
    QElapsedTimer elapsed;
    elapsed.start();
    panel_->SetMute(false, false);
    ASSERT_TRUE(panel_->tuner().passthroughRunning()) << "opening";
    EXPECT_LT(elapsed.elapsed(), 500) << "the open does not hold the user-interface thread";

    // A recording asked for while the pass-through waits for the playback
    // device: the recorder opens once the pass-through has given up and let
    // go of the capture device, and the window runs meanwhile.
    QThread::msleep(300);
    panel_->StartEvent(-1);
    ASSERT_TRUE(WaitUntil([&] { return control().settled(); }, 10000));
    ASSERT_TRUE(panel_->recording());
    EXPECT_GE(elapsed.elapsed(), kWaveOpenTimeoutMs - 200) << "the pass-through let go first";
    EXPECT_GE(ticked_, kWaveOpenTimeoutMs / 100 / 2) << "the event loop ran meanwhile";
    EXPECT_FALSE(panel_->tuner().passthroughRunning()) << "paused while recording";
    EXPECT_FALSE(panel_->statusText().contains("Pass-through")) << "a paused copy tells nothing";

    // After the recording the pass-through opens again and fails, once.
    panel_->StopEvent(-1);
    ASSERT_TRUE(WaitUntil([&] { return control().settled(); }));
    EXPECT_FALSE(panel_->recording());
    EXPECT_TRUE(panel_->tuner().passthroughRunning());
    ticked_ = 0;
    ASSERT_TRUE(WaitUntil([&] { return panel_->statusText() == failure; }, 10000))
        << panel_->statusText().toStdString();
    EXPECT_GE(ticked_, kWaveOpenTimeoutMs / 100 / 2);
    EXPECT_FALSE(panel_->tuner().passthroughRunning());
    EXPECT_TRUE(messages_.calls().empty()) << "told in the status line, without a box";
    EXPECT_TRUE(ReadWaveFile(dir_.filePath("lstav_1.wav")).has_value());
}

// The desktop's Record asks whether the capture device opens.
TEST(CanOpenCaptureDevice, ADeviceThatDoesNotAnswerIsAskedOnce) {
    AlsaTestDevices devices;
    EXPECT_TRUE(CanOpenCaptureDevice(AlsaTestDevices::kCapture));
    QElapsedTimer elapsed;
    elapsed.start();
    EXPECT_FALSE(CanOpenCaptureDevice(AlsaTestDevices::kSilentCapture));
    EXPECT_LT(elapsed.elapsed(), kWaveOpenTimeoutMs + 1000) << "not once per format";
    const int writer =
        open(devices.Path("silent.fifo").toLocal8Bit().constData(), O_WRONLY | O_NONBLOCK);
    EXPECT_TRUE(WaitUntil([] { return WaveOpensNotAnswering() == 0; }));
    close(writer);
}

}  // namespace
