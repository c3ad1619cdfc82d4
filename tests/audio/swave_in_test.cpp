#include "audio/swave_in.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTemporaryDir>

#include "process_log_watch.h"
#include "support/alsa_test_devices.h"
#include "support/message_box_recorder.h"
#include "wave_test_files.h"

namespace {

using ::testing::HasSubstr;

const WaveFormat kCd = WaveFormat::Pcm(2, 44100, 16);
constexpr int kFifthOfCd = 44100 * 4 / 5;

class SWaveInTest : public ::testing::Test {
  protected:
    std::string RecordingPath() const { return dir.filePath("recording.wav").toStdString(); }
    std::optional<WaveContents> Recording() const {
        return ReadWaveFile(QString::fromStdString(RecordingPath()));
    }

    AlsaTestDevices devices;
    QTemporaryDir dir;
    MessageBoxRecorder messages;
};

// Records until at least `bytes` are in the file, then stops.
void RecordAtLeast(SWaveIn& recorder, int64_t bytes) {
    ASSERT_TRUE(recorder.Start());
    EXPECT_TRUE(recorder.IsRecording());
    ASSERT_TRUE(WaitUntil([&] { return recorder.GetBytesWritten() >= bytes; }));
    EXPECT_TRUE(recorder.Stop());
    EXPECT_FALSE(recorder.IsRecording());
}

TEST(SWaveInBuffers, AFifthOfASecondWithinLimitsInWholeBlocks) {
    EXPECT_EQ(SWaveIn::BufferBytes(WaveFormat::Pcm(1, 8000, 8)), 1600u);
    EXPECT_EQ(SWaveIn::BufferBytes(WaveFormat::Pcm(1, 4000, 8)), 1200u);
    EXPECT_EQ(SWaveIn::BufferBytes(WaveFormat::Pcm(2, 44100, 16)), 35280u);
    EXPECT_EQ(SWaveIn::BufferBytes(WaveFormat::Pcm(2, 44100, 32)), 45000u);
    WaveFormat odd = WaveFormat::Pcm(2, 8000, 16);
    odd.avgBytesPerSec = 8010;  // a fifth is 1602: whole 4-byte blocks give 1600
    EXPECT_EQ(SWaveIn::BufferBytes(odd), 1600u);
    WaveFormat threeByte = WaveFormat::Pcm(1, 96000, 24);  // a fifth is 57600
    EXPECT_EQ(SWaveIn::BufferBytes(threeByte), 45000u - 45000u % 3);
}

TEST_F(SWaveInTest, RecordsTheDevicesSignalBitForBitIntoACompleteWaveFile) {
    const QByteArray signal = TestSignal(kFifthOfCd * 12 + 1000);
    devices.SetCaptureInput(signal);
    ProgressCounter owner;
    int64_t written = 0;
    {
        SWaveIn recorder(&owner, RecordingPath(), kCd, AlsaTestDevices::kCapture);
        ASSERT_TRUE(recorder.IsOpen());
        EXPECT_EQ(recorder.GetFileName(), RecordingPath());
        EXPECT_EQ(recorder.GetFileTitle(), "recording.wav");
        EXPECT_EQ(recorder.GetBytesPerSecond(), 176400u);
        ASSERT_TRUE(recorder.Start());
        ASSERT_TRUE(WaitUntil([&] { return recorder.GetBytesWritten() >= signal.size(); }));
        LetWaitingMessagesRun();
        EXPECT_GT(owner.count, 0);
        // The meter's copy is a whole buffer while recording.
        EXPECT_EQ(recorder.GetLastBuffer().size(), kFifthOfCd);
        EXPECT_TRUE(recorder.Stop());
        written = recorder.GetBytesWritten();
    }
    const std::optional<WaveContents> file = Recording();
    ASSERT_TRUE(file.has_value()) << "the RIFF structure is complete";
    EXPECT_EQ(file->format, kCd);
    EXPECT_EQ(file->data.size(), written);
    EXPECT_EQ(file->data.size() % 4, 0);
    EXPECT_EQ(file->data.left(signal.size()), signal);
    ASSERT_TRUE(file->factSamples.has_value());
    EXPECT_EQ(*file->factSamples, static_cast<uint32_t>(file->data.size() / 4));
    EXPECT_TRUE(messages.calls().empty());
}

TEST_F(SWaveInTest, StartAfterStopAppendsTheNextRecordingSession) {
    // Longer than what the device delivers before each stop takes effect.
    const QByteArray signal = TestSignal(kFifthOfCd * 200, 5);
    devices.SetCaptureInput(signal);
    int64_t first = 0;
    {
        SWaveIn recorder(nullptr, RecordingPath(), kCd, AlsaTestDevices::kCapture);
        RecordAtLeast(recorder, kFifthOfCd * 3);
        first = recorder.GetBytesWritten();
        // The device is opened again and reads its input from the start.
        RecordAtLeast(recorder, first + kFifthOfCd * 3);
    }
    const std::optional<WaveContents> file = Recording();
    ASSERT_TRUE(file.has_value());
    // However fast the device delivered before the stop took hold (past the
    // end of its input on a busy machine), the first session is the start
    // of the signal and the second one starts it again.
    const int64_t checked = std::min<int64_t>(first, signal.size());
    EXPECT_EQ(file->data.left(checked), signal.left(checked));
    EXPECT_EQ(file->data.mid(first, kFifthOfCd * 3), signal.left(kFifthOfCd * 3));
}

TEST_F(SWaveInTest, DeviceNameThatMatchesNothingRecordsFromTheDefaultDevice) {
    const QByteArray fromDefault = TestSignal(kFifthOfCd * 6, 11);
    devices.SetDefaultInput(fromDefault);
    devices.SetCaptureInput(TestSignal(kFifthOfCd * 6, 12));
    {
        SWaveIn recorder(nullptr, RecordingPath(), kCd, "Plumora Radio Card 7");
        RecordAtLeast(recorder, fromDefault.size());
    }
    const std::optional<WaveContents> file = Recording();
    ASSERT_TRUE(file.has_value());
    EXPECT_EQ(file->data.left(fromDefault.size()), fromDefault);
}

TEST_F(SWaveInTest, DeviceThatCannotBeOpenedRefusesToStartAndLogsIt) {
    ProcessLogWatch log;
    {
        SWaveIn recorder(nullptr, RecordingPath(), kCd, AlsaTestDevices::kMissing);
        EXPECT_TRUE(recorder.IsOpen()) << "the file exists even without a device";
        EXPECT_FALSE(recorder.Start());
        EXPECT_FALSE(recorder.IsRecording());
        EXPECT_TRUE(recorder.Stop());
    }
    EXPECT_THAT(log.Since(), HasSubstr("Cannot open wave input driver"));
    EXPECT_TRUE(messages.calls().empty()) << "the caller tells the user, not the recorder";
    const std::optional<WaveContents> file = Recording();
    ASSERT_TRUE(file.has_value());
    EXPECT_TRUE(file->data.isEmpty());
}

TEST_F(SWaveInTest, DeviceFailingMidRecordingLeavesEverythingItDeliveredInAValidFile) {
    const QByteArray signal = TestSignal(44100 * 4 * 3, 21);
    devices.SetCaptureInput(signal);
    ProcessLogWatch log;
    {
        SWaveIn recorder(nullptr, RecordingPath(), kCd, AlsaTestDevices::kFailingCapture);
        ASSERT_TRUE(recorder.Start());
        ASSERT_TRUE(
            WaitUntil([&] { return log.Since().find("device failed") != std::string::npos; }));
        EXPECT_TRUE(recorder.Stop());
    }
    const std::optional<WaveContents> file = Recording();
    ASSERT_TRUE(file.has_value()) << "the RIFF structure is complete";
    // The device delivers half a second before it fails: two whole buffers
    // and a part of the third, all of it in the file.
    EXPECT_EQ(file->data.size(), 44100 * 4 / 2);
    EXPECT_EQ(file->data, signal.left(file->data.size()));
}

// A recorder whose worker counts its calls and whose device never runs.
class CountingRecorder : public SWaveIn {
  public:
    CountingRecorder(const std::string& path)
        : SWaveIn(nullptr, path, kCd, AlsaTestDevices::kCapture, ThreadStart::kByDerivedClass) {
        ResumeThread();
    }
    ~CountingRecorder() override {
        Stop();
        StopThread();
    }
    bool ProcessBuffer(bool explicitHeader, WaveHeader* header, bool writeData) override {
        ++calls;
        return SWaveIn::ProcessBuffer(explicitHeader, header, writeData);
    }
    std::atomic<int> calls{0};
};

TEST_F(SWaveInTest, WorkerWithoutDeviceCallbacksStillWakesEvery500Ms) {
    CountingRecorder recorder(RecordingPath());
    QElapsedTimer timer;
    timer.start();
    // Each wake looks at the ring twice and finds nothing.
    ASSERT_TRUE(WaitUntil([&] { return recorder.calls >= 4; }, 5000));
    EXPECT_GE(timer.elapsed(), 2 * SWaveIn::kWakeIntervalMs - 100);
    EXPECT_EQ(recorder.GetBytesWritten(), 0);
}

}  // namespace
