#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/codec_manager.h"
#include "platform/wave_format.h"

// What the format pages ask of the codec manager, replaceable so that the
// lists can be built for codecs this machine does not have.
struct CodecCatalog {
    std::function<int()> maxFormatSize;
    std::function<std::vector<WaveFormat>(const WaveFormat& source)> enumerate;
    std::function<std::optional<codec::FormatTagDetails>(uint16_t tag)> tagDetails;
    std::function<std::string(const WaveFormat&)> describe;
    std::function<bool(const WaveFormat& source, const WaveFormat& target)> canOpen;

    // The installed codec manager.
    static CodecCatalog System();
};

// One entry of a compression list: its label and the format it stands for;
// no format for "No compression" and for the MP3 warning entry.
struct CompressionEntry {
    QString label;
    std::optional<WaveFormat> format;
};

// A compression list as shown: sorted by label, with the selected row.
struct CompressionList {
    std::vector<CompressionEntry> entries;
    int selected = 0;
    QStringList messages;  // codec manager failures to tell the user

    const CompressionEntry* selectedEntry() const {
        return selected >= 0 && selected < static_cast<int>(entries.size()) ? &entries[selected]
                                                                            : nullptr;
    }
};

inline constexpr const char* kNoCompression = "No compression";
inline constexpr const char* kMp3RateWarning =
    "WARNING: Current sample rate not supported by codec";
inline constexpr int kMaxWaveCodecFormats = 70;
inline constexpr int kMaxMp3CodecFormats = 50;

// Whether two formats mean the same: format tag, sample rate, channels and
// bit rate (average bytes per second); codec-specific extra bytes aside.
bool SameFormatMeaning(const WaveFormat& a, const WaveFormat& b);

// The Wave page's list: "No compression" and every codec format the PCM
// source converts to (not PCM, not tags 116 and 117, descriptions longer
// than four characters, a stream that opens). The entry equal to the stored
// format is selected, else one of the same meaning, else "No compression".
CompressionList BuildWaveCompressionList(const CodecCatalog& catalog, const WaveFormat& source,
                                         const WaveFormat& storedFormat);

// The Mp3 page's list: MPEG Layer-3 formats at one of the allowed bit rates;
// the one equal to the stored format is selected, else one of the same
// meaning, else the first. Only the warning
// entry when there is none.
CompressionList BuildMp3CompressionList(const CodecCatalog& catalog, const WaveFormat& source,
                                        const WaveFormat& storedFormat);

// "tag name  format description"
QString CompressionLabel(const std::string& tagName, const std::string& description);

// The codec name and format description of a label: the parts before and
// after the first two consecutive blanks; the whole label and nothing when
// there are none.
std::pair<QString, QString> SplitCompressionLabel(const QString& label);

// Bytes per second as "%.3f MB/min".
QString ByteRateText(double bytesPerSecond);

// A sample rate text as the pages accept it: its first nine characters read
// as a number from 1 to 100000.
std::optional<int> ParsePageSampleRate(const QString& text);

inline constexpr const char* kSampleRateOutOfBounds = "Sample rate out of bounds \n(setwave apply)";
