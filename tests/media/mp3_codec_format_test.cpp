#include <gtest/gtest.h>

#include "media/mp3_file.h"
#include "media_test_support.h"
#include "platform/codec_manager.h"

namespace {

WaveFormat CodecMp3(uint16_t channels, uint32_t rate, uint32_t bytesPerSecond) {
    WaveFormat wanted;
    wanted.formatTag = WaveFormat::kTagMpegLayer3;
    wanted.channels = channels;
    wanted.samplesPerSec = rate;
    wanted.avgBytesPerSec = bytesPerSecond;
    return codec::SuggestFormat(wanted).value_or(WaveFormat{});
}

// Frames of MPEG-1 Layer II, 160 kbit/s, 44100 Hz, stereo: 522 bytes each.
QByteArray LayerTwoFrames(int count) {
    QByteArray frame(522, '\0');
    frame[0] = static_cast<char>(0xFF);
    frame[1] = static_cast<char>(0xFD);
    frame[2] = static_cast<char>(0x90);
    frame[3] = 0x00;
    QByteArray out;
    for (int i = 0; i < count; ++i) {
        out.append(frame);
    }
    return out;
}

// The file's record is the codec manager's MP3 record of the first frame's
// channels, rate and bit rate, extra bytes and all, so that the codec
// player accepts it.
TEST(Mp3CodecFormat, RecordComesFromTheCodecManager) {
    TestDir dir;
    const std::string path = dir.Path("rec.mp3");
    const struct {
        const char* fixture;
        WaveFormat expected;
    } cases[] = {{"sine_44100_128k.mp3", CodecMp3(2, 44100, 16000)},
                 {"sine_22050_64k_mono.mp3", CodecMp3(1, 22050, 8000)}};
    for (const auto& c : cases) {
        WriteFileBytes(path, ReadFileBytes(FixturePath(c.fixture)));
        Mp3File file(path, nullptr, kOpenRead);
        ASSERT_TRUE(file.IsOpen()) << c.fixture;
        EXPECT_EQ(file.GetError(), kMediaErrorNone);
        ASSERT_EQ(c.expected.extra.size(), 12);
        EXPECT_EQ(file.Format(), c.expected) << c.fixture;
        EXPECT_TRUE(codec::CanOpenStream(
            file.Format(), WaveFormat::Pcm(c.expected.channels, c.expected.samplesPerSec, 16)));
    }
}

TEST(Mp3CodecFormat, FramesTheMp3CodecCannotTakeGiveErrorThree) {
    TestDir dir;
    const std::string path = dir.Path("layer2.mp3");
    WriteFileBytes(path, LayerTwoFrames(12));
    Mp3File file(path, nullptr, kOpenRead);
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(file.GetError(), kMediaErrorCodecFormat);
}

TEST(Mp3CodecFormat, LookAlikeFrameBeforeTheAudioLeavesNoErrorBehind) {
    TestDir dir;
    const std::string path = dir.Path("stray.mp3");
    const QByteArray audio = ReadFileBytes(FixturePath("sine_44100_128k.mp3"));
    WriteFileBytes(path, LayerTwoFrames(1) + audio);
    Mp3File file(path, nullptr, kOpenRead);
    ASSERT_TRUE(file.IsOpen());
    EXPECT_EQ(file.GetError(), kMediaErrorNone);
    EXPECT_EQ(file.GetDataStart(), 522);
    EXPECT_EQ(file.Format(), CodecMp3(2, 44100, 16000));
}

}  // namespace
