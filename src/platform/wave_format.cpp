#include "platform/wave_format.h"

#include <QtEndian>

QByteArray WaveFormat::Serialize() const {
    QByteArray out(kHeaderSize, '\0');
    char* p = out.data();
    qToLittleEndian<uint16_t>(formatTag, p);
    qToLittleEndian<uint16_t>(channels, p + 2);
    qToLittleEndian<uint32_t>(samplesPerSec, p + 4);
    qToLittleEndian<uint32_t>(avgBytesPerSec, p + 8);
    qToLittleEndian<uint16_t>(blockAlign, p + 12);
    qToLittleEndian<uint16_t>(bitsPerSample, p + 14);
    qToLittleEndian<uint16_t>(static_cast<uint16_t>(extra.size()), p + 16);
    return out + extra;
}

std::optional<WaveFormat> WaveFormat::Parse(const QByteArray& data) {
    if (data.size() < kHeaderSize) {
        return std::nullopt;
    }
    const char* p = data.constData();
    const uint16_t extraSize = qFromLittleEndian<uint16_t>(p + 16);
    if (data.size() < kHeaderSize + extraSize) {
        return std::nullopt;
    }
    WaveFormat f;
    f.formatTag = qFromLittleEndian<uint16_t>(p);
    f.channels = qFromLittleEndian<uint16_t>(p + 2);
    f.samplesPerSec = qFromLittleEndian<uint32_t>(p + 4);
    f.avgBytesPerSec = qFromLittleEndian<uint32_t>(p + 8);
    f.blockAlign = qFromLittleEndian<uint16_t>(p + 12);
    f.bitsPerSample = qFromLittleEndian<uint16_t>(p + 14);
    f.extra = data.mid(kHeaderSize, extraSize);
    return f;
}

WaveFormat WaveFormat::Pcm(uint16_t channels, uint32_t samplesPerSec, uint16_t bitsPerSample) {
    WaveFormat f;
    f.formatTag = kTagPcm;
    f.channels = channels;
    f.samplesPerSec = samplesPerSec;
    f.blockAlign = static_cast<uint16_t>(bitsPerSample * channels / 8);
    f.avgBytesPerSec = f.blockAlign * samplesPerSec;
    f.bitsPerSample = bitsPerSample;
    return f;
}
