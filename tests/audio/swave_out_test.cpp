#include "audio/swave_out.h"

#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "pipe_reader.h"

#include <QTemporaryDir>
#include <mutex>
#include <thread>
#include <vector>

#include "support/alsa_test_devices.h"
#include "wave_test_files.h"

namespace {

const WaveFormat kCd = WaveFormat::Pcm(2, 44100, 16);
constexpr int kFifthOfCd = 44100 * 4 / 5;

class SWaveOutTest : public ::testing::Test {
  protected:
    std::string MakeWave(const QByteArray& data, const WaveFormat& format = kCd) {
        const QString path = dir.filePath("played.wav");
        EXPECT_TRUE(WriteWaveFile(path, format, data));
        return path.toStdString();
    }

    AlsaTestDevices devices;
    QTemporaryDir dir;
};

// Plays to the end of the data: the heard position reaches the length.
void PlayToTheEnd(SWaveOut& player) {
    ASSERT_TRUE(player.Play());
    EXPECT_TRUE(player.IsPlaying());
    ASSERT_TRUE(WaitUntil([&] { return player.GetPosition() >= player.GetLength(); }));
}

TEST(SWaveOutChunks, AFifthOfASecondInWholeBlocksAtMostABuffer) {
    EXPECT_EQ(SWaveOut::ChunkBytes(WaveFormat::Pcm(2, 44100, 16)), 35280u);
    EXPECT_EQ(SWaveOut::ChunkBytes(WaveFormat::Pcm(1, 8000, 8)), 1600u);
    EXPECT_EQ(SWaveOut::ChunkBytes(WaveFormat::Pcm(2, 96000, 24)), 45000u - 45000u % 6);
}

TEST_F(SWaveOutTest, PlaysTheFilesDataBitForBitAndStartsOverAfterTheEnd) {
    const QByteArray signal = TestSignal(kFifthOfCd * 7 + 4 * 333, 2);
    ProgressCounter owner;
    SWaveOut player(&owner, MakeWave(signal), AlsaTestDevices::kPlayback);
    ASSERT_TRUE(player.IsOpen());
    EXPECT_EQ(player.GetLength(), signal.size());
    EXPECT_EQ(player.GetBytesPerSecond(), 176400u);
    EXPECT_EQ(player.GetFormatTag(), WaveFormat::kTagPcm);
    EXPECT_EQ(player.GetFileTitle(), "played.wav");

    PlayToTheEnd(player);
    // Empty buffers keep circulating, and progress keeps coming, until the
    // owner stops.
    const int before = owner.count;
    ASSERT_TRUE(WaitUntil([&] { return owner.count > before + 4; }, 3000));
    EXPECT_TRUE(player.IsPlaying());
    EXPECT_TRUE(player.Stop());
    EXPECT_FALSE(player.IsPlaying());
    EXPECT_EQ(player.GetPosition(), signal.size());
    EXPECT_EQ(devices.PlaybackOutput(), signal);

    // Played to its end, the file plays again from the beginning.
    PlayToTheEnd(player);
    EXPECT_TRUE(player.Stop());
    EXPECT_EQ(devices.PlaybackOutput(), signal);
}

TEST_F(SWaveOutTest, PlayStartsAtThePositionSetWhileStopped) {
    const QByteArray signal = TestSignal(kFifthOfCd * 4, 4);
    SWaveOut player(nullptr, MakeWave(signal), AlsaTestDevices::kPlayback);
    EXPECT_TRUE(player.SetPosition(kFifthOfCd + 4 * 1000));
    EXPECT_EQ(player.GetPosition(), kFifthOfCd + 4 * 1000);
    PlayToTheEnd(player);
    EXPECT_TRUE(player.Stop());
    EXPECT_EQ(devices.PlaybackOutput(), signal.mid(kFifthOfCd + 4 * 1000));
}

TEST_F(SWaveOutTest, StopThenPlayGoesOnFromTheLastBufferHeard) {
    const QByteArray signal = TestSignal(kFifthOfCd * 40, 9);  // 8 s: several seconds to play
    PacedPipeReader reader(devices.Path("paced.fifo"));
    SWaveOut player(nullptr, MakeWave(signal), AlsaTestDevices::kPacedPlayback);

    ASSERT_TRUE(player.Play());
    ASSERT_TRUE(WaitUntil([&] { return player.GetPosition() > 0; }));
    EXPECT_TRUE(player.Stop());
    const int64_t heard = player.GetPosition();
    ASSERT_GT(heard, 0);
    ASSERT_LT(heard, signal.size()) << "stopped before the end";
    EXPECT_EQ(heard % kFifthOfCd, 0) << "the end of a buffer";
    ASSERT_TRUE(WaitUntil([&] { return reader.Sessions().size() == 1; }));
    const QByteArray first = reader.Sessions()[0];
    EXPECT_GE(first.size(), heard) << "everything heard reached the device";
    EXPECT_EQ(first, signal.left(first.size()));

    PlayToTheEnd(player);
    EXPECT_TRUE(player.Stop());
    ASSERT_TRUE(WaitUntil([&] { return reader.Sessions().size() == 2; }));
    EXPECT_EQ(reader.Sessions()[1], signal.mid(heard));
}

TEST_F(SWaveOutTest, DeviceThatCannotBeOpenedOrDoesNotAnswerRefusesToPlay) {
    // The paced device's set-up waits for a reader of its pipe; there is none.
    for (const char* device : {AlsaTestDevices::kMissing, AlsaTestDevices::kPacedPlayback}) {
        SWaveOut player(nullptr, MakeWave(TestSignal(kFifthOfCd)), device);
        EXPECT_TRUE(player.IsOpen());
        const auto begin = std::chrono::steady_clock::now();
        EXPECT_FALSE(player.Play()) << device;
        EXPECT_LT(std::chrono::steady_clock::now() - begin,
                  std::chrono::milliseconds(kWaveOpenTimeoutMs + 1000))
            << device << " is asked once";
        EXPECT_FALSE(player.IsPlaying());
        EXPECT_EQ(player.GetPosition(), 0);
        EXPECT_TRUE(player.Stop());
    }
    EXPECT_EQ(WaveOpensNotAnswering(), 1);
    const int reader =
        open(devices.Path("paced.fifo").toLocal8Bit().constData(), O_RDONLY | O_NONBLOCK);
    EXPECT_TRUE(WaitUntil([] { return WaveOpensNotAnswering() == 0; }));
    close(reader);
}

TEST_F(SWaveOutTest, EmptyFileReportsProgressSoThatItsOwnerSeesTheEnd) {
    ProgressCounter owner;
    SWaveOut player(&owner, MakeWave({}), AlsaTestDevices::kPlayback);
    ASSERT_TRUE(player.Play());
    ASSERT_TRUE(WaitUntil([&] { return owner.count > 0; }, 3000));
    EXPECT_EQ(player.GetPosition(), player.GetLength());
    EXPECT_TRUE(player.Stop());
    EXPECT_TRUE(devices.PlaybackOutput().isEmpty());
}

TEST_F(SWaveOutTest, DeviceNameIsComparedIgnoringCaseAndUnknownNamesPlayOnTheDefault) {
    const QByteArray signal = TestSignal(kFifthOfCd * 2, 6);
    {
        SWaveOut player(nullptr, MakeWave(signal), "PLUMORA_PLAYBACK");
        PlayToTheEnd(player);
    }
    EXPECT_EQ(devices.PlaybackOutput(), signal);
    {
        SWaveOut player(nullptr, MakeWave(signal), "Plumora Radio Card 7");
        PlayToTheEnd(player);
    }
    EXPECT_EQ(devices.DefaultOutput(), signal);
}

}  // namespace
