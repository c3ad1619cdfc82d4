#include <gtest/gtest.h>

#include <QByteArray>
#include <chrono>
#include <cstring>
#include <thread>

#include "platform/audio_passthrough.h"
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

TEST(AudioPassthroughTest, PlaysTheCaptureDeviceThroughThePlaybackDevice) {
    AlsaTestDevices devices;
    const QByteArray input = Ramp(24000);
    devices.SetCaptureInput(input);

    AudioPassthrough passthrough;
    ASSERT_TRUE(passthrough.Start(AlsaTestDevices::kCapture, AlsaTestDevices::kPlayback))
        << passthrough.lastError();
    EXPECT_TRUE(passthrough.running());
    ASSERT_TRUE(WaitFor([&] { return passthrough.framesCopied() >= 24000; }));
    passthrough.Stop();
    EXPECT_FALSE(passthrough.running());
    EXPECT_TRUE(passthrough.lastError().empty());

    const QByteArray output = devices.PlaybackOutput();
    ASSERT_GE(output.size(), input.size());
    EXPECT_EQ(output.left(input.size()), input);
    // Nothing is written after Stop.
    EXPECT_EQ(devices.PlaybackOutput().size(), output.size());
}

TEST(AudioPassthroughTest, CanRunAgainAfterStopAndStopsWhenDestroyed) {
    AlsaTestDevices devices;
    devices.SetCaptureInput(Ramp(4800));
    devices.SetDefaultInput(Ramp(4800));
    {
        AudioPassthrough passthrough;
        passthrough.Stop();  // nothing runs: nothing happens
        ASSERT_TRUE(passthrough.Start(AlsaTestDevices::kCapture, "default"));
        // A second start while running is refused and leaves the first alone.
        EXPECT_FALSE(passthrough.Start(AlsaTestDevices::kCapture, AlsaTestDevices::kPlayback));
        ASSERT_TRUE(WaitFor([&] { return passthrough.framesCopied() >= 4800; }));
        passthrough.Stop();
        passthrough.Stop();
        EXPECT_EQ(devices.DefaultOutput().left(4800 * 4), Ramp(4800));
        EXPECT_TRUE(devices.PlaybackOutput().isEmpty());

        ASSERT_TRUE(passthrough.Start(AlsaTestDevices::kCapture, AlsaTestDevices::kPlayback));
        ASSERT_TRUE(WaitFor([&] { return passthrough.framesCopied() >= 4800; }));
    }
    EXPECT_EQ(devices.PlaybackOutput().left(4800 * 4), Ramp(4800));
}

TEST(AudioPassthroughTest, DevicesThatCannotBeOpenedLeaveNothingRunning) {
    AlsaTestDevices devices;
    AudioPassthrough passthrough;
    EXPECT_FALSE(passthrough.Start(AlsaTestDevices::kMissing, AlsaTestDevices::kPlayback));
    EXPECT_FALSE(passthrough.running());
    EXPECT_NE(passthrough.lastError().find(AlsaTestDevices::kMissing), std::string::npos);

    EXPECT_FALSE(passthrough.Start(AlsaTestDevices::kCapture, "no_such_device"));
    EXPECT_FALSE(passthrough.running());
    EXPECT_NE(passthrough.lastError().find("no_such_device"), std::string::npos);

    // The capture device was released: a good pair starts now.
    devices.SetCaptureInput(Ramp(480));
    EXPECT_TRUE(passthrough.Start(AlsaTestDevices::kCapture, AlsaTestDevices::kPlayback));
    EXPECT_TRUE(passthrough.lastError().empty());
}

TEST(AudioPassthroughTest, EndsByItselfWhenTheCaptureDeviceFails) {
    AlsaTestDevices devices;
    devices.SetCaptureInput(Ramp(48000));
    AudioPassthrough passthrough;
    ASSERT_TRUE(passthrough.Start(AlsaTestDevices::kFailingCapture, AlsaTestDevices::kPlayback));
    ASSERT_TRUE(WaitFor([&] { return !passthrough.running(); }));
    EXPECT_FALSE(passthrough.lastError().empty());
    passthrough.Stop();
}

}  // namespace
