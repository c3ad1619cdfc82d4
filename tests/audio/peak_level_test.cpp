#include "audio/peak_level.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <vector>

namespace {

QByteArray Samples16(const std::vector<int16_t>& samples) {
    QByteArray data;
    for (int16_t sample : samples) {
        data.append(static_cast<char>(sample & 0xFF));
        data.append(static_cast<char>((sample >> 8) & 0xFF));
    }
    return data;
}

int Peak(const QByteArray& data, const WaveFormat& format) {
    return PeakLevel(data.constData(), static_cast<uint32_t>(data.size()), format);
}

TEST(PeakLevel, FullScaleLeftWithSilentRightPacksLeftIntoTheHighByte) {
    const QByteArray data = Samples16({32767, 0, -32768, 0, 1000, 0});
    const int level = Peak(data, WaveFormat::Pcm(2, 44100, 16));
    EXPECT_EQ(level, 128 * 256);
    EXPECT_EQ(LevelPercent(level >> 8), 100);
    EXPECT_EQ(LevelPercent(level & 0xFF), 0);
}

TEST(PeakLevel, SixteenBitTakesTheHighByteOfEachChannelSeparately) {
    // Left: high bytes 0x30 and 0xC0 (-64); right: 0x10 and 0xFF (-1).
    const QByteArray data = Samples16({0x3000, 0x10FF, -0x4000, -0x0001});
    const int level = Peak(data, WaveFormat::Pcm(2, 22050, 16));
    EXPECT_EQ(level >> 8, 64);
    EXPECT_EQ(level & 0xFF, 16);
    EXPECT_EQ(Peak(Samples16({0x3000, -0x4000, 0x10FF}), WaveFormat::Pcm(1, 8000, 16)), 64);
}

TEST(PeakLevel, EightBitSilenceGivesOneAndTheExtremesTheirDistance) {
    const WaveFormat mono8 = WaveFormat::Pcm(1, 8000, 8);
    EXPECT_EQ(Peak(QByteArray(100, '\x80'), mono8), 1);
    EXPECT_EQ(Peak(QByteArray("\x80\x00\x80", 3), mono8), 127);
    EXPECT_EQ(Peak(QByteArray("\x80\xFF", 2), mono8), 126);
    // Stereo 8-bit: left loud, right silent.
    EXPECT_EQ(Peak(QByteArray("\x00\x80\x80\x80", 4), WaveFormat::Pcm(2, 8000, 8)), 1 + 127 * 256);
}

TEST(PeakLevel, PartFramesWiderSamplesAndOtherFormats) {
    QByteArray data = Samples16({0x0100, 0x0200});
    data.append("\x00\x7F\x00", 3);  // a part of a frame, never counted
    EXPECT_EQ(Peak(data, WaveFormat::Pcm(2, 44100, 16)), 2 + 1 * 256);

    // 24-bit: the third byte of each sample is its high byte.
    const QByteArray wide("\xFF\xFF\x20\x00\x00\xB0", 6);
    EXPECT_EQ(Peak(wide, WaveFormat::Pcm(1, 48000, 24)), 80);

    WaveFormat mp3 = WaveFormat::Pcm(2, 44100, 16);
    mp3.formatTag = WaveFormat::kTagMpegLayer3;
    EXPECT_EQ(Peak(Samples16({32767, 32767}), mp3), 0);
    EXPECT_EQ(PeakLevel(nullptr, 4, WaveFormat::Pcm(2, 44100, 16)), 0);
}

}  // namespace
