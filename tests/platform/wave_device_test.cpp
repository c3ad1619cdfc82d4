#include "platform/wave_device.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <vector>

#include "support/alsa_test_devices.h"

namespace {

using namespace std::chrono_literals;

const WaveFormat kCd = WaveFormat::Pcm(2, 44100, 16);
constexpr uint32_t kFifthOfCd = 44100 * 4 / 5;

// Bytes that differ from one position to the next, so that a lost, doubled
// or shifted piece shows.
QByteArray TestSignal(int bytes, uint32_t seed = 1) {
    QByteArray data(bytes, '\0');
    uint32_t state = seed;
    for (int i = 0; i < bytes; ++i) {
        state = state * 1664525u + 1013904223u;
        data[i] = static_cast<char>(state >> 24);
    }
    return data;
}

// Records what a device reports through its callback.
class Reports {
  public:
    static void Callback(WaveMessage message, void* instance, WaveHeader* header, int detail) {
        auto* self = static_cast<Reports*>(instance);
        std::lock_guard lock(self->mutex_);
        self->entries_.push_back({message, header, detail});
        self->changed_.notify_all();
    }

    struct Entry {
        WaveMessage message;
        WaveHeader* header;
        int detail;
    };

    // Waits until `count` reports of that kind came; false after 5 s.
    bool WaitFor(WaveMessage message, size_t count) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, 5s, [&] { return CountLocked(message) >= count; });
    }

    std::vector<WaveHeader*> Returned() {
        std::lock_guard lock(mutex_);
        std::vector<WaveHeader*> headers;
        for (const Entry& entry : entries_) {
            if (entry.message == WaveMessage::kData) {
                headers.push_back(entry.header);
            }
        }
        return headers;
    }

    std::vector<Entry> All() {
        std::lock_guard lock(mutex_);
        return entries_;
    }

  private:
    size_t CountLocked(WaveMessage message) const {
        return static_cast<size_t>(
            std::count_if(entries_.begin(), entries_.end(),
                          [&](const Entry& entry) { return entry.message == message; }));
    }

    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Entry> entries_;
};

// Buffers with their own storage.
struct Buffers {
    Buffers(int count, uint32_t length) : storage(count, QByteArray(length, '\0')), headers(count) {
        for (int i = 0; i < count; ++i) {
            headers[i].data = storage[i].data();
            headers[i].bufferLength = length;
            headers[i].user = static_cast<uintptr_t>(i);
        }
    }
    WaveHeader* operator[](int i) { return &headers[i]; }
    QByteArray Recorded(int i) const {
        return storage[i].left(static_cast<int>(headers[i].bytesRecorded));
    }

    std::vector<QByteArray> storage;
    std::vector<WaveHeader> headers;
};

class WaveDeviceTest : public ::testing::Test {
  protected:
    std::unique_ptr<WaveDevice> Open(WaveDirection direction, const char* name,
                                     const WaveFormat& format = kCd, int* result = nullptr) {
        return WaveDevice::Open(direction, name, format, &Reports::Callback, &reports,
                                kWaveOpenMapped, result);
    }

    AlsaTestDevices devices;
    Reports reports;
};

TEST_F(WaveDeviceTest, ListsTheConfiguredDevicesAndTheDefault) {
    const std::vector<WaveDeviceCaps> inputs = ListWaveDevices(WaveDirection::kInput);
    const auto capture = std::find_if(inputs.begin(), inputs.end(), [](const auto& caps) {
        return caps.name == AlsaTestDevices::kCapture;
    });
    ASSERT_NE(capture, inputs.end());
    EXPECT_EQ(capture->description, "Test capture");
    EXPECT_TRUE(std::any_of(inputs.begin(), inputs.end(), [](const auto& caps) {
        return caps.name == AlsaTestDevices::kMissing;
    }));
    EXPECT_EQ(WaveGetNumDevs(WaveDirection::kInput), static_cast<int>(inputs.size()));
    EXPECT_EQ(WaveGetDevCaps(WaveDirection::kInput, 0)->name, inputs[0].name);

    ASSERT_TRUE(WaveGetDevCaps(WaveDirection::kOutput, kWaveMapper).has_value());
    EXPECT_EQ(WaveGetDevCaps(WaveDirection::kOutput, kWaveMapper)->name, "default");
    EXPECT_FALSE(WaveGetDevCaps(WaveDirection::kInput, static_cast<int>(inputs.size())));
    EXPECT_FALSE(WaveGetDevCaps(WaveDirection::kInput, -2));
}

TEST_F(WaveDeviceTest, OpenRefusesUnknownDevicesAndFormatsItCannotCarry) {
    int result = kWaveOk;
    EXPECT_EQ(Open(WaveDirection::kInput, "plumora_nothing_by_this_name", kCd, &result), nullptr);
    EXPECT_EQ(result, kWaveBadDeviceId);
    result = kWaveOk;
    EXPECT_EQ(Open(WaveDirection::kInput, AlsaTestDevices::kMissing, kCd, &result), nullptr);
    EXPECT_NE(result, kWaveOk);

    WaveFormat mp3 = kCd;
    mp3.formatTag = WaveFormat::kTagMpegLayer3;
    EXPECT_EQ(Open(WaveDirection::kOutput, AlsaTestDevices::kPlayback, mp3, &result), nullptr);
    EXPECT_EQ(result, kWaveBadFormat);
    WaveFormat misaligned = kCd;
    misaligned.blockAlign = 3;
    EXPECT_EQ(Open(WaveDirection::kOutput, AlsaTestDevices::kPlayback, misaligned, &result),
              nullptr);
    EXPECT_EQ(result, kWaveBadFormat);

    EXPECT_NE(Open(WaveDirection::kInput, AlsaTestDevices::kCapture, kCd, &result), nullptr);
    EXPECT_EQ(result, kWaveOk);
}

TEST_F(WaveDeviceTest, QueueRulesOfPreparedBuffers) {
    // Buffers outlive the device, which hands back what is queued as it closes.
    Buffers buffers(2, kFifthOfCd);
    Buffers tiny(1, 3);  // shorter than one frame of 4 bytes
    auto device = Open(WaveDirection::kInput, AlsaTestDevices::kCapture);
    ASSERT_NE(device, nullptr);
    EXPECT_EQ(device->AddBuffer(buffers[0]), kWaveUnprepared);
    ASSERT_EQ(device->Prepare(buffers[0]), kWaveOk);
    EXPECT_EQ(device->AddBuffer(buffers[0]), kWaveOk);
    EXPECT_EQ(device->AddBuffer(buffers[0]), kWaveStillPlaying);
    EXPECT_EQ(device->Unprepare(buffers[0]), kWaveStillPlaying);

    ASSERT_EQ(device->Prepare(tiny[0]), kWaveOk);
    EXPECT_EQ(device->AddBuffer(tiny[0]), kWaveInvalidParam);

    auto output = Open(WaveDirection::kOutput, AlsaTestDevices::kPlayback);
    ASSERT_NE(output, nullptr);
    EXPECT_EQ(output->Start(), kWaveInvalidParam);
    EXPECT_EQ(output->Stop(), kWaveInvalidParam);
}

TEST_F(WaveDeviceTest, InputFillsQueuedBuffersInOrderWithTheDevicesDataBitForBit) {
    const QByteArray signal = TestSignal(static_cast<int>(kFifthOfCd) * 6);
    devices.SetCaptureInput(signal);
    Buffers buffers(4, kFifthOfCd);
    auto device = Open(WaveDirection::kInput, AlsaTestDevices::kCapture);
    ASSERT_NE(device, nullptr);
    for (int i = 0; i < 4; ++i) {
        ASSERT_EQ(device->Prepare(buffers[i]), kWaveOk);
        ASSERT_EQ(device->AddBuffer(buffers[i]), kWaveOk);
    }
    EXPECT_TRUE(reports.Returned().empty()) << "nothing is captured before Start";
    ASSERT_EQ(device->Start(), kWaveOk);
    ASSERT_TRUE(reports.WaitFor(WaveMessage::kData, 4));

    const std::vector<WaveHeader*> returned = reports.Returned();
    ASSERT_EQ(returned.size(), 4u);
    QByteArray recorded;
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(returned[i], buffers[i]);
        EXPECT_TRUE(buffers[i]->IsDone());
        EXPECT_EQ(buffers[i]->flags.load() & WaveHeader::kInQueue, 0u);
        EXPECT_EQ(buffers[i]->bytesRecorded, kFifthOfCd);
        recorded += buffers.Recorded(i);
    }
    EXPECT_EQ(recorded, signal.left(recorded.size()));
    EXPECT_EQ(device->GetPositionSamples(), uint64_t{kFifthOfCd} * 4 / 4);

    // A buffer queued again gets the data that follows.
    buffers[0]->ClearDone();
    ASSERT_EQ(device->AddBuffer(buffers[0]), kWaveOk);
    ASSERT_TRUE(reports.WaitFor(WaveMessage::kData, 5));
    EXPECT_EQ(buffers.Recorded(0), signal.mid(recorded.size(), static_cast<int>(kFifthOfCd)));
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(device->Unprepare(buffers[i]), kWaveOk);
    }
}

TEST_F(WaveDeviceTest, ResetReturnsEveryQueuedBufferInQueueOrder) {
    Buffers buffers(3, kFifthOfCd);
    auto device = Open(WaveDirection::kInput, AlsaTestDevices::kCapture);
    ASSERT_NE(device, nullptr);
    for (int i : {2, 0, 1}) {
        ASSERT_EQ(device->Prepare(buffers[i]), kWaveOk);
        ASSERT_EQ(device->AddBuffer(buffers[i]), kWaveOk);
    }
    EXPECT_EQ(device->Stop(), kWaveOk);  // not started: nothing comes back
    EXPECT_TRUE(reports.Returned().empty());
    EXPECT_EQ(device->Reset(), kWaveOk);
    EXPECT_EQ(reports.Returned(), (std::vector<WaveHeader*>{buffers[2], buffers[0], buffers[1]}));
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(buffers[i]->IsDone());
        EXPECT_EQ(buffers[i]->bytesRecorded, 0u);
        EXPECT_EQ(device->Unprepare(buffers[i]), kWaveOk);
    }
}

TEST_F(WaveDeviceTest, InputDeviceErrorHandsBackWhatWasReadAndStopsTheFlow) {
    const QByteArray signal = TestSignal(44100 * 4 * 3, 7);
    devices.SetCaptureInput(signal);
    Buffers buffers(5, kFifthOfCd);
    auto device = Open(WaveDirection::kInput, AlsaTestDevices::kFailingCapture);
    ASSERT_NE(device, nullptr);
    for (int i = 0; i < 5; ++i) {
        ASSERT_EQ(device->Prepare(buffers[i]), kWaveOk);
        ASSERT_EQ(device->AddBuffer(buffers[i]), kWaveOk);
    }
    ASSERT_EQ(device->Start(), kWaveOk);
    ASSERT_TRUE(reports.WaitFor(WaveMessage::kDeviceError, 1));

    const std::vector<WaveHeader*> returned = reports.Returned();
    ASSERT_FALSE(returned.empty());
    ASSERT_LT(returned.size(), 5u);
    QByteArray recorded;
    for (size_t i = 0; i < returned.size(); ++i) {
        recorded += buffers.Recorded(static_cast<int>(i));
    }
    // The last buffer came back part-filled; every frame read is there.
    EXPECT_LT(returned.back()->bytesRecorded, kFifthOfCd);
    EXPECT_GT(returned.back()->bytesRecorded, 0u);
    EXPECT_EQ(static_cast<uint64_t>(recorded.size()), *device->GetPositionSamples() * 4);
    EXPECT_EQ(recorded, signal.left(recorded.size()));

    const size_t before = returned.size();
    EXPECT_EQ(device->Reset(), kWaveOk);
    EXPECT_EQ(reports.Returned().size(), 5u) << before << " came back before the reset";
}

TEST_F(WaveDeviceTest, OutputPlaysQueuedBuffersInOrder) {
    const QByteArray signal = TestSignal(static_cast<int>(kFifthOfCd) * 3, 3);
    Buffers buffers(3, kFifthOfCd);
    {
        auto device = Open(WaveDirection::kOutput, AlsaTestDevices::kPlayback);
        ASSERT_NE(device, nullptr);
        for (int i = 0; i < 3; ++i) {
            buffers.storage[i] = signal.mid(i * static_cast<int>(kFifthOfCd), kFifthOfCd);
            buffers.headers[i].data = buffers.storage[i].data();
            ASSERT_EQ(device->Prepare(buffers[i]), kWaveOk);
            ASSERT_EQ(device->AddBuffer(buffers[i]), kWaveOk);
        }
        ASSERT_TRUE(reports.WaitFor(WaveMessage::kData, 3));
        EXPECT_EQ(reports.Returned(),
                  (std::vector<WaveHeader*>{buffers[0], buffers[1], buffers[2]}));
        EXPECT_EQ(device->GetPositionSamples(), uint64_t{kFifthOfCd} * 3 / 4);
    }
    EXPECT_EQ(devices.PlaybackOutput(), signal);
}

TEST_F(WaveDeviceTest, EmptyOutputBufferComesBackAfterTheAudioQueuedBeforeIt) {
    Buffers buffers(2, kFifthOfCd);
    auto device = Open(WaveDirection::kOutput, AlsaTestDevices::kPlayback);
    ASSERT_NE(device, nullptr);
    buffers.headers[1].bufferLength = 0;
    const auto queued = std::chrono::steady_clock::now();
    for (int i = 0; i < 2; ++i) {
        ASSERT_EQ(device->Prepare(buffers[i]), kWaveOk);
        ASSERT_EQ(device->AddBuffer(buffers[i]), kWaveOk);
    }
    ASSERT_TRUE(reports.WaitFor(WaveMessage::kData, 2));
    const auto elapsed = std::chrono::steady_clock::now() - queued;
    EXPECT_EQ(reports.Returned(), (std::vector<WaveHeader*>{buffers[0], buffers[1]}));
    // Circulating empty buffers must not spin the owner's thread.
    EXPECT_GE(elapsed, std::chrono::milliseconds(WaveDevice::kEmptyBufferHoldMs));
}

}  // namespace
