#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/wave_format.h"

// The codec manager: which compressed formats can be written into WAVE (and
// MP3) files, their names and descriptions, the formats a PCM source can be
// converted to, and whether a conversion stream between two formats opens.
// Conversion streams themselves are CodecStream (platform/codec_stream.h).
namespace codec {

// Format tags the manager knows.
inline constexpr uint16_t kTagPcm = 1;
inline constexpr uint16_t kTagMsAdpcm = 2;
inline constexpr uint16_t kTagALaw = 6;
inline constexpr uint16_t kTagMuLaw = 7;
inline constexpr uint16_t kTagImaAdpcm = 17;
inline constexpr uint16_t kTagGsm610 = 49;
inline constexpr uint16_t kTagMpegLayer3 = 85;

// Result codes of the manager and its streams.
inline constexpr int kResultOk = 0;
inline constexpr int kResultInvalidParam = 11;
inline constexpr int kResultNotPossible = 512;

// Bit rates in kbit/s an MP3 format may have.
inline constexpr int kMp3BitRates[] = {8,   16,  24,  32,  40,  48,  56,  64,  80,  96,  112, 128,
                                       144, 160, 176, 192, 224, 256, 288, 320, 352, 384, 416, 448};

struct FormatTagDetails {
    uint16_t tag = 0;
    std::string name;
    // False when the installed libraries cannot encode and decode the tag.
    bool possible = false;
};

// Tags the manager can write, PCM first.
std::vector<uint16_t> SupportedTags();
// Name and support of a tag; nothing for an unknown tag.
std::optional<FormatTagDetails> TagDetails(uint16_t tag);
// A short text such as "22.050 kHz, 4 Bit, Stereo, 11100 bytes/s".
std::string FormatDescription(const WaveFormat& format);
// The largest wave format record (header and extra bytes) of any format.
int MaxFormatSize();

// Formats a PCM source converts to with its channels and sample rate, for
// every supported tag except PCM, in tag order. Empty for a source that is
// not PCM of 8 or 16 bits.
std::vector<WaveFormat> EnumerateFormats(const WaveFormat& pcmSource);
// Completes a wanted format (tag, channels, rate and, when not 0, average
// bytes per second) to the full record the manager would write; nothing when
// it offers no such format.
std::optional<WaveFormat> SuggestFormat(const WaveFormat& wanted);
// True when a conversion stream from source to target can be opened.
bool CanOpenStream(const WaveFormat& source, const WaveFormat& target);

}  // namespace codec
