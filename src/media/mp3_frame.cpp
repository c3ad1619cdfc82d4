#include "media/mp3_frame.h"

namespace {

// kbit/s by bit-rate index 1..14 (0 = free and 15 = bad are not frames).
constexpr int kBitRates[5][15] = {
    {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448},  // MPEG-1 Layer I
    {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},     // MPEG-1 Layer II
    {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320},      // MPEG-1 Layer III
    {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},     // MPEG-2/2.5 Layer I
    {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},  // MPEG-2/2.5 Layer II/III
};

constexpr int kSampleRates[3][3] = {
    {44100, 48000, 32000},  // MPEG-1
    {22050, 24000, 16000},  // MPEG-2
    {11025, 12000, 8000},   // MPEG 2.5
};

}  // namespace

int Mp3FrameHeader::FrameLength() const {
    if (sampleRate <= 0) {
        return 0;
    }
    const int bitsPerSecond = bitRateKbps * 1000;
    if (layer == 1) {
        return (12 * bitsPerSecond / sampleRate + (padding ? 1 : 0)) * 4;
    }
    // Layer III of MPEG-2 and 2.5 carries 576 samples per frame, the others
    // 1152.
    const int factor = (layer == 3 && version != Version::kMpeg1) ? 72 : 144;
    return factor * bitsPerSecond / sampleRate + (padding ? 1 : 0);
}

std::optional<Mp3FrameHeader> ParseMp3FrameHeader(const unsigned char h[4]) {
    if (!IsFrameSync(h[0], h[1])) {
        return std::nullopt;
    }
    Mp3FrameHeader frame;
    const bool versionHigh = (h[1] & 0x10) != 0;  // clear: MPEG 2.5
    const bool id = (h[1] & 0x08) != 0;
    if (!versionHigh && id) {
        return std::nullopt;  // reserved version
    }
    frame.version = !versionHigh ? Mp3FrameHeader::Version::kMpeg25
                    : id         ? Mp3FrameHeader::Version::kMpeg1
                                 : Mp3FrameHeader::Version::kMpeg2;
    const int layerBits = (h[1] >> 1) & 0x03;
    if (layerBits == 0) {
        return std::nullopt;
    }
    frame.layer = 4 - layerBits;  // 01 = III, 10 = II, 11 = I
    const int bitRateIndex = h[2] >> 4;
    if (bitRateIndex == 0 || bitRateIndex == 15) {
        return std::nullopt;
    }
    const bool mpeg1 = frame.version == Mp3FrameHeader::Version::kMpeg1;
    const int table = mpeg1 ? frame.layer - 1 : (frame.layer == 1 ? 3 : 4);
    frame.bitRateKbps = kBitRates[table][bitRateIndex];
    const int rateIndex = (h[2] >> 2) & 0x03;
    if (rateIndex == 3) {
        return std::nullopt;
    }
    frame.sampleRate = kSampleRates[static_cast<int>(frame.version)][rateIndex];
    frame.padding = (h[2] & 0x02) != 0;
    frame.channels = ((h[3] >> 6) & 0x03) == 0x03 ? 1 : 2;
    return frame;
}
