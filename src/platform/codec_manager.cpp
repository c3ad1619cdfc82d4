#include "platform/codec_manager.h"

#include <QtEndian>
#include <algorithm>
#include <cstdio>

#include "platform/codec_stream.h"

namespace codec {
namespace {

constexpr uint32_t kMp3Rates[] = {8000, 11025, 12000, 16000, 22050, 24000, 32000, 44100, 48000};
constexpr int kMpeg1BitRates[] = {32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
constexpr int kMpeg2BitRates[] = {8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160};
constexpr uint16_t kMp3CodecDelay = 1105;
constexpr int kGsmSamplesPerBlock = 320;
constexpr uint16_t kGsmBlockAlign = 65;
// The seven predictor pairs every MS ADPCM stream declares.
constexpr int16_t kMsAdpcmCoefficients[7][2] = {{256, 0}, {512, -256}, {0, 0},     {192, 64},
                                                {240, 0}, {460, -208}, {392, -232}};

void PutLe16(QByteArray& out, uint16_t value) {
    char b[2];
    qToLittleEndian<uint16_t>(value, b);
    out.append(b, 2);
}

void PutLe32(QByteArray& out, uint32_t value) {
    char b[4];
    qToLittleEndian<uint32_t>(value, b);
    out.append(b, 4);
}

bool IsMpeg1Rate(uint32_t rate) {
    return rate >= 32000;
}

// ADPCM block sizes grow with the rate so that a block stays near 23 ms.
uint16_t AdpcmBlockAlign(uint16_t channels, uint32_t rate) {
    const int factor = rate <= 11025 ? 1 : (rate <= 22050 ? 2 : 4);
    return static_cast<uint16_t>(256 * channels * factor);
}

WaveFormat ImaAdpcm(uint16_t channels, uint32_t rate) {
    WaveFormat f;
    f.formatTag = kTagImaAdpcm;
    f.channels = channels;
    f.samplesPerSec = rate;
    f.blockAlign = AdpcmBlockAlign(channels, rate);
    f.bitsPerSample = 4;
    const int samplesPerBlock = (f.blockAlign - 4 * channels) * 8 / (4 * channels) + 1;
    f.avgBytesPerSec = static_cast<uint32_t>(uint64_t{rate} * f.blockAlign / samplesPerBlock);
    PutLe16(f.extra, static_cast<uint16_t>(samplesPerBlock));
    return f;
}

WaveFormat MsAdpcm(uint16_t channels, uint32_t rate) {
    WaveFormat f;
    f.formatTag = kTagMsAdpcm;
    f.channels = channels;
    f.samplesPerSec = rate;
    f.blockAlign = AdpcmBlockAlign(channels, rate);
    f.bitsPerSample = 4;
    const int samplesPerBlock = (f.blockAlign - 7 * channels) * 2 / channels + 2;
    f.avgBytesPerSec = static_cast<uint32_t>(uint64_t{rate} * f.blockAlign / samplesPerBlock);
    PutLe16(f.extra, static_cast<uint16_t>(samplesPerBlock));
    PutLe16(f.extra, 7);
    for (const auto& pair : kMsAdpcmCoefficients) {
        PutLe16(f.extra, static_cast<uint16_t>(pair[0]));
        PutLe16(f.extra, static_cast<uint16_t>(pair[1]));
    }
    return f;
}

WaveFormat G711(uint16_t tag, uint16_t channels, uint32_t rate) {
    WaveFormat f;
    f.formatTag = tag;
    f.channels = channels;
    f.samplesPerSec = rate;
    f.blockAlign = channels;
    f.bitsPerSample = 8;
    f.avgBytesPerSec = rate * channels;
    return f;
}

WaveFormat Gsm(uint32_t rate) {
    WaveFormat f;
    f.formatTag = kTagGsm610;
    f.channels = 1;
    f.samplesPerSec = rate;
    f.blockAlign = kGsmBlockAlign;
    f.bitsPerSample = 0;
    f.avgBytesPerSec = rate * kGsmBlockAlign / kGsmSamplesPerBlock;
    PutLe16(f.extra, kGsmSamplesPerBlock);
    return f;
}

WaveFormat Mp3(uint16_t channels, uint32_t rate, int kbps) {
    WaveFormat f;
    f.formatTag = kTagMpegLayer3;
    f.channels = channels;
    f.samplesPerSec = rate;
    f.avgBytesPerSec = static_cast<uint32_t>(kbps) * 125;
    f.blockAlign = 1;
    f.bitsPerSample = 0;
    const uint32_t perFrame = IsMpeg1Rate(rate) ? 144000 : 72000;
    PutLe16(f.extra, 1);  // MPEG audio
    PutLe32(f.extra, 0);  // padding as the standard has it
    PutLe16(f.extra, static_cast<uint16_t>(perFrame * static_cast<uint32_t>(kbps) / rate));
    PutLe16(f.extra, 1);  // frames per block
    PutLe16(f.extra, kMp3CodecDelay);
    return f;
}

std::vector<WaveFormat> FormatsOfTag(uint16_t tag, uint16_t channels, uint32_t rate) {
    std::vector<WaveFormat> out;
    if (channels < 1 || channels > 2 || rate == 0) {
        return out;
    }
    switch (tag) {
        case kTagMsAdpcm:
            if (rate >= 8000 && rate <= 48000) {
                out.push_back(MsAdpcm(channels, rate));
            }
            break;
        case kTagALaw:
        case kTagMuLaw:
            out.push_back(G711(tag, channels, rate));
            break;
        case kTagImaAdpcm:
            if (rate >= 8000 && rate <= 48000) {
                out.push_back(ImaAdpcm(channels, rate));
            }
            break;
        case kTagGsm610:
            // The GSM coder works on 8 kHz speech only.
            if (channels == 1 && rate == 8000) {
                out.push_back(Gsm(rate));
            }
            break;
        case kTagMpegLayer3: {
            if (std::find(std::begin(kMp3Rates), std::end(kMp3Rates), rate) ==
                std::end(kMp3Rates)) {
                break;
            }
            const bool mpeg1 = IsMpeg1Rate(rate);
            const int* first = mpeg1 ? std::begin(kMpeg1BitRates) : std::begin(kMpeg2BitRates);
            const int* last = mpeg1 ? std::end(kMpeg1BitRates) : std::end(kMpeg2BitRates);
            for (const int* kbps = first; kbps != last; ++kbps) {
                out.push_back(Mp3(channels, rate, *kbps));
            }
            break;
        }
        default:
            break;
    }
    return out;
}

const char* TagName(uint16_t tag) {
    switch (tag) {
        case kTagPcm:
            return "PCM";
        case kTagMsAdpcm:
            return "MS ADPCM";
        case kTagALaw:
            return "CCITT A-Law";
        case kTagMuLaw:
            return "CCITT u-Law";
        case kTagImaAdpcm:
            return "IMA ADPCM";
        case kTagGsm610:
            return "GSM 6.10";
        case kTagMpegLayer3:
            return "MPEG Layer-3";
        default:
            return nullptr;
    }
}

}  // namespace

std::vector<uint16_t> SupportedTags() {
    std::vector<uint16_t> tags;
    for (uint16_t tag :
         {kTagPcm, kTagMsAdpcm, kTagALaw, kTagMuLaw, kTagImaAdpcm, kTagGsm610, kTagMpegLayer3}) {
        if (TagPossible(tag)) {
            tags.push_back(tag);
        }
    }
    return tags;
}

std::optional<FormatTagDetails> TagDetails(uint16_t tag) {
    const char* name = TagName(tag);
    if (name == nullptr) {
        return std::nullopt;
    }
    return FormatTagDetails{tag, name, TagPossible(tag)};
}

std::string FormatDescription(const WaveFormat& format) {
    char rate[32];
    std::snprintf(rate, sizeof rate, "%u.%03u kHz", format.samplesPerSec / 1000,
                  format.samplesPerSec % 1000);
    const char* channels = format.channels == 1   ? "Mono"
                           : format.channels == 2 ? "Stereo"
                                                  : "Multichannel";
    char text[128];
    if (format.formatTag == kTagMpegLayer3) {
        std::snprintf(text, sizeof text, "%u kbit/s, %s, %s", format.avgBytesPerSec * 8 / 1000,
                      rate, channels);
    } else if (format.bitsPerSample != 0) {
        std::snprintf(text, sizeof text, "%s, %u Bit, %s, %u bytes/s", rate, format.bitsPerSample,
                      channels, format.avgBytesPerSec);
    } else {
        std::snprintf(text, sizeof text, "%s, %s, %u bytes/s", rate, channels,
                      format.avgBytesPerSec);
    }
    return text;
}

int MaxFormatSize() {
    int largest = WaveFormat::kHeaderSize;
    for (uint16_t tag : {kTagMsAdpcm, kTagImaAdpcm, kTagGsm610, kTagMpegLayer3}) {
        for (const WaveFormat& f : FormatsOfTag(tag, 2, 8000)) {
            largest = std::max(largest, f.SerializedSize());
        }
        for (const WaveFormat& f : FormatsOfTag(tag, 1, 8000)) {
            largest = std::max(largest, f.SerializedSize());
        }
    }
    return largest;
}

std::vector<WaveFormat> EnumerateFormats(const WaveFormat& pcmSource) {
    std::vector<WaveFormat> out;
    if (pcmSource.formatTag != kTagPcm ||
        (pcmSource.bitsPerSample != 8 && pcmSource.bitsPerSample != 16)) {
        return out;
    }
    for (uint16_t tag : SupportedTags()) {
        if (tag == kTagPcm) {
            continue;
        }
        for (WaveFormat& f : FormatsOfTag(tag, pcmSource.channels, pcmSource.samplesPerSec)) {
            out.push_back(std::move(f));
        }
    }
    return out;
}

std::optional<WaveFormat> SuggestFormat(const WaveFormat& wanted) {
    if (wanted.formatTag == kTagPcm) {
        return WaveFormat::Pcm(wanted.channels, wanted.samplesPerSec,
                               wanted.bitsPerSample == 8 ? 8 : 16);
    }
    if (!TagPossible(wanted.formatTag)) {
        return std::nullopt;
    }
    for (const WaveFormat& f :
         FormatsOfTag(wanted.formatTag, wanted.channels, wanted.samplesPerSec)) {
        if (wanted.avgBytesPerSec == 0 || f.avgBytesPerSec == wanted.avgBytesPerSec) {
            return f;
        }
    }
    return std::nullopt;
}

bool CanOpenStream(const WaveFormat& source, const WaveFormat& target) {
    return CodecStream::Open(source, target) != nullptr;
}

}  // namespace codec
