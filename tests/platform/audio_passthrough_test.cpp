#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QByteArray>
#include <chrono>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/audio_passthrough.h"
#include "platform/wave_device.h"
#include "support/alsa_test_devices.h"

namespace {

// Stereo 16-bit frames whose samples count up, so that any loss, repeat or
// reordering shows.
QByteArray Ramp(int frames) {
    QByteArray data(frames * 4, '\0');
    for (int i = 0; i < frames; ++i) {
        const qint16 left = static_cast<qint16>(i % 30000);
        const qint16 right = static_cast<qint16>(-left);
        std::memcpy(data.data() + i * 4, &left, 2);
        std::memcpy(data.data() + i * 4 + 2, &right, 2);
    }
    return data;
}

// Waits, up to a few seconds of real time, for the condition.
template <typename Condition>
bool WaitFor(Condition condition) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

// Opens a named pipe's other end without blocking, so that an open waiting
// for it returns.
int OpenOtherEnd(const QString& path, int flags) {
    return open(path.toLocal8Bit().constData(), flags | O_NONBLOCK);
}

// The failures told by a pass-through, from its copy's thread.
struct Failures {
    std::mutex mutex;
    std::vector<std::string> reasons;
    AudioPassthrough::FailureNotify Notify() {
        return [this](const std::string& reason) {
            std::lock_guard lock(mutex);
            reasons.push_back(reason);
        };
    }
    size_t count() {
        std::lock_guard lock(mutex);
        return reasons.size();
    }
};

TEST(AudioPassthroughTest, PlaysTheCaptureDeviceThroughThePlaybackDevice) {
    AlsaTestDevices devices;
    const QByteArray input = Ramp(24000);
    devices.SetCaptureInput(input);

    AudioPassthrough passthrough;
    ASSERT_TRUE(passthrough.Start(AlsaTestDevices::kCapture, AlsaTestDevices::kPlayback));
    EXPECT_TRUE(passthrough.running());
    ASSERT_TRUE(WaitFor([&] { return passthrough.framesCopied() >= 24000; }));
    ASSERT_TRUE(passthrough.Stop()()) << "the devices closed";
    EXPECT_FALSE(passthrough.running());
    EXPECT_TRUE(passthrough.lastError().empty());

    const QByteArray output = devices.PlaybackOutput();
    ASSERT_GE(output.size(), input.size());
    EXPECT_EQ(output.left(input.size()), input);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(devices.PlaybackOutput().size(), output.size()) << "nothing is written after Stop";
}

TEST(AudioPassthroughTest, CanRunAgainAfterStopAndStopsWhenDestroyed) {
    AlsaTestDevices devices;
    devices.SetCaptureInput(Ramp(4800));
    devices.SetDefaultInput(Ramp(4800));
    {
        AudioPassthrough passthrough;
        EXPECT_TRUE(passthrough.Stop()()) << "nothing runs: nothing to wait for";
        ASSERT_TRUE(passthrough.Start(AlsaTestDevices::kCapture, "default"));
        // A second start while running is refused and leaves the first alone.
        EXPECT_FALSE(passthrough.Start(AlsaTestDevices::kCapture, AlsaTestDevices::kPlayback));
        ASSERT_TRUE(WaitFor([&] { return passthrough.framesCopied() >= 4800; }));
        ASSERT_TRUE(passthrough.Stop()());
        EXPECT_TRUE(passthrough.Stop()());
        EXPECT_EQ(devices.DefaultOutput().left(4800 * 4), Ramp(4800));
        EXPECT_TRUE(devices.PlaybackOutput().isEmpty());

        ASSERT_TRUE(passthrough.Start(AlsaTestDevices::kCapture, AlsaTestDevices::kPlayback));
        ASSERT_TRUE(WaitFor([&] { return passthrough.framesCopied() >= 4800; }));
    }
    EXPECT_EQ(devices.PlaybackOutput().left(4800 * 4), Ramp(4800));
}

// Each failure is told once, by the copy's thread; Start never waits for it.
TEST(AudioPassthroughTest, DevicesThatFailOrDoNotAnswerAreToldOnceWithTheirReason) {
    struct Case {
        const char* capture;
        const char* playback;
        std::string reason;
    };
    const std::string silent = AlsaTestDevices::kSilentCapture;
    const std::string paced = AlsaTestDevices::kPacedPlayback;
    const Case cases[] = {
        {AlsaTestDevices::kMissing, AlsaTestDevices::kPlayback,
         "the sound device \"plumora_missing\" does not exist"},
        {AlsaTestDevices::kCapture, "no_such_device",
         "the sound device \"no_such_device\" does not exist"},
        {AlsaTestDevices::kFailingCapture, AlsaTestDevices::kPlayback,
         "the sound device \"plumora_failing\" failed: "},
        {AlsaTestDevices::kSilentCapture, AlsaTestDevices::kPlayback,
         "the sound device \"" + silent + "\" did not answer within 3 s"},
        // Its set-up opens the pipe, which has no reader.
        {AlsaTestDevices::kCapture, AlsaTestDevices::kPacedPlayback,
         "the sound device \"" + paced + "\" did not answer within 3 s"},
    };
    AlsaTestDevices devices;
    devices.SetCaptureInput(Ramp(48000));
    for (const Case& c : cases) {
        Failures failures;
        AudioPassthrough passthrough(failures.Notify());
        const auto begin = std::chrono::steady_clock::now();
        ASSERT_TRUE(passthrough.Start(c.capture, c.playback));
        EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::milliseconds(500))
            << c.capture << " " << c.playback;
        ASSERT_TRUE(WaitFor([&] { return failures.count() > 0; }))
            << c.capture << " " << c.playback;
        EXPECT_FALSE(passthrough.running());
        EXPECT_EQ(passthrough.lastError().rfind(c.reason, 0), 0u) << passthrough.lastError();
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        ASSERT_EQ(failures.count(), 1u);
        EXPECT_EQ(failures.reasons[0], passthrough.lastError());
        EXPECT_TRUE(passthrough.Stop()());
    }
    // The opens that did not answer end once their pipes get another end.
    EXPECT_EQ(WaveOpensNotAnswering(), 2);
    const int writer = OpenOtherEnd(devices.Path("silent.fifo"), O_WRONLY);
    const int reader = OpenOtherEnd(devices.Path("paced.fifo"), O_RDONLY);
    EXPECT_TRUE(WaitFor([] { return WaveOpensNotAnswering() == 0; }));
    close(writer);
    close(reader);
}

// Paused while its open does not answer, then resumed: the new copy opens
// only once the first has given up, and nothing of the first is told.
TEST(AudioPassthroughTest, AStartWhileTheCopyBeforeIsStillOpeningWaitsForItsEnd) {
    AlsaTestDevices devices;
    devices.SetCaptureInput(Ramp(4800));
    Failures failures;
    AudioPassthrough passthrough(failures.Notify());
    ASSERT_TRUE(passthrough.Start(AlsaTestDevices::kSilentCapture, AlsaTestDevices::kPlayback));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    const AudioPassthrough::CloseWait firstClosed = passthrough.Stop();
    ASSERT_TRUE(passthrough.Start(AlsaTestDevices::kCapture, AlsaTestDevices::kPlayback));
    EXPECT_TRUE(passthrough.running());
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    EXPECT_EQ(passthrough.framesCopied(), 0) << "the first copy is still opening";
    ASSERT_TRUE(WaitFor([&] { return passthrough.framesCopied() >= 4800; }));
    EXPECT_TRUE(firstClosed());
    EXPECT_EQ(failures.count(), 0u);
    ASSERT_TRUE(passthrough.Stop()());
    EXPECT_EQ(devices.PlaybackOutput().left(4800 * 4), Ramp(4800));

    const int writer = OpenOtherEnd(devices.Path("silent.fifo"), O_WRONLY);
    EXPECT_TRUE(WaitFor([] { return WaveOpensNotAnswering() == 0; }));
    close(writer);
}

}  // namespace
