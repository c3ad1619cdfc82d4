#pragma once

#include <QByteArray>
#include <cstdint>
#include <optional>

// The wave format header as stored in settings and WAVE files: format tag,
// channels, samples per second, average bytes per second, block alignment,
// bits per sample, extra size (all little-endian), then the extra bytes.
struct WaveFormat {
    static constexpr int kHeaderSize = 18;
    static constexpr uint16_t kTagPcm = 1;
    static constexpr uint16_t kTagMpegLayer3 = 85;

    uint16_t formatTag = kTagPcm;
    uint16_t channels = 1;
    uint32_t samplesPerSec = 8000;
    uint32_t avgBytesPerSec = 8000;
    uint16_t blockAlign = 1;
    uint16_t bitsPerSample = 8;
    QByteArray extra;  // its size is the extra-size field

    // 18 + extra size bytes.
    QByteArray Serialize() const;
    int SerializedSize() const { return kHeaderSize + static_cast<int>(extra.size()); }

    // Reads a record of 18 + extra size bytes from the start of the data;
    // nothing when the data is shorter than that.
    static std::optional<WaveFormat> Parse(const QByteArray& data);

    static WaveFormat Pcm(uint16_t channels, uint32_t samplesPerSec, uint16_t bitsPerSample);

    bool operator==(const WaveFormat& other) const = default;
};
