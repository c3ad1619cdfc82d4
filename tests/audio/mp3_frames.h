#pragma once

#include <QByteArray>

// Frames of an MPEG audio stream from its first frame to the end; false
// when the stream is not a chain of whole frames.
inline bool WholeMp3Frames(const QByteArray& file, int* frameCount) {
    static const int kMpeg1[] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
    static const int kMpeg2[] = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160};
    static const int kRates[3][3] = {
        {44100, 48000, 32000}, {22050, 24000, 16000}, {11025, 12000, 8000}};
    qsizetype at = 0;
    if (file.startsWith("ID3") && file.size() > 10) {
        const auto* h = reinterpret_cast<const uint8_t*>(file.constData());
        at = 10 + ((h[6] << 21) | (h[7] << 14) | (h[8] << 7) | h[9]);
    }
    qsizetype end = file.size();
    if (end >= 128 && file.mid(end - 128, 3) == "TAG") {
        end -= 128;
    }
    const auto* p = reinterpret_cast<const uint8_t*>(file.constData());
    // Tag padding may stand before the first frame.
    while (at < end && p[at] != 0xFF) {
        ++at;
    }
    *frameCount = 0;
    while (at < end) {
        if (end - at < 4 || p[at] != 0xFF || (p[at + 1] & 0xE0) != 0xE0) {
            return false;
        }
        const int version = (p[at + 1] >> 3) & 3;
        const int rateIndex = (p[at + 2] >> 2) & 3;
        const int bitIndex = p[at + 2] >> 4;
        if (version == 1 || rateIndex == 3 || bitIndex == 0 || bitIndex == 15) {
            return false;
        }
        const int row = version == 3 ? 0 : (version == 2 ? 1 : 2);
        const int kbps = version == 3 ? kMpeg1[bitIndex] : kMpeg2[bitIndex];
        at += (version == 3 ? 144000 : 72000) * kbps / kRates[row][rateIndex] +
              ((p[at + 2] >> 1) & 1);
        ++*frameCount;
    }
    return at == end;
}
