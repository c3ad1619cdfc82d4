#pragma once

#include <cstdint>
#include <optional>

// The 4-byte header of an MPEG audio frame (MPEG-1, MPEG-2 and MPEG 2.5,
// Layers I to III).
struct Mp3FrameHeader {
    enum class Version { kMpeg1, kMpeg2, kMpeg25 };

    Version version = Version::kMpeg1;
    int layer = 3;  // 1, 2 or 3
    int bitRateKbps = 0;
    int sampleRate = 0;
    bool padding = false;
    int channels = 2;  // 1 for the single-channel mode

    // Bytes from this frame's header to the next one's.
    int FrameLength() const;
};

// A byte 0xFF followed by one whose top three bits are set.
inline bool IsFrameSync(unsigned char first, unsigned char second) {
    return first == 0xFF && (second & 0xE0) == 0xE0;
}

// Nothing for a header that is not a frame: no sync, a reserved version or
// layer, the free or bad bit-rate index, a reserved sample rate.
std::optional<Mp3FrameHeader> ParseMp3FrameHeader(const unsigned char header[4]);
