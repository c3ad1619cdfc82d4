#include "prefs/compression_list.h"

#include <algorithm>

#include "prefs/audio_format_settings.h"
#include "prefs/settings_values.h"

namespace {

constexpr uint16_t kSkippedTags[] = {116, 117};

bool IsSkippedTag(uint16_t tag) {
    return std::find(std::begin(kSkippedTags), std::end(kSkippedTags), tag) !=
           std::end(kSkippedTags);
}

bool IsAllowedMp3BitRate(uint32_t avgBytesPerSec) {
    const int kbit = static_cast<int>(uint64_t{avgBytesPerSec} * 8 / 1000);
    return std::find(std::begin(codec::kMp3BitRates), std::end(codec::kMp3BitRates), kbit) !=
           std::end(codec::kMp3BitRates);
}

// Sorts the entries by label, ignoring case, keeping the selected one
// selected.
void SortKeepingSelection(CompressionList& list) {
    std::vector<int> order(list.entries.size());
    for (size_t i = 0; i < order.size(); ++i) {
        order[i] = static_cast<int>(i);
    }
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        return list.entries[a].label.compare(list.entries[b].label, Qt::CaseInsensitive) < 0;
    });
    std::vector<CompressionEntry> sorted;
    sorted.reserve(order.size());
    int selected = -1;
    for (size_t i = 0; i < order.size(); ++i) {
        if (order[i] == list.selected) {
            selected = static_cast<int>(i);
        }
        sorted.push_back(std::move(list.entries[order[i]]));
    }
    list.entries = std::move(sorted);
    list.selected = selected;
}

// How well a listed format stands for the stored one: 2 the same bytes, 1
// the same meaning (tag, rate, channels, bit rate; the codec's extra bytes
// and block alignment may differ), 0 neither.
int StoredFormatMatch(const WaveFormat& listed, const WaveFormat& stored) {
    if (listed.Serialize() == stored.Serialize()) {
        return 2;
    }
    return SameFormatMeaning(listed, stored) ? 1 : 0;
}

bool CheckMaxFormatSize(const CodecCatalog& catalog, CompressionList& list) {
    if (!catalog.maxFormatSize || catalog.maxFormatSize() <= 0) {
        list.messages << "acmmetrics fail\n(updateformats)";
        return false;
    }
    return true;
}

}  // namespace

bool SameFormatMeaning(const WaveFormat& a, const WaveFormat& b) {
    return a.formatTag == b.formatTag && a.samplesPerSec == b.samplesPerSec &&
           a.channels == b.channels && a.avgBytesPerSec == b.avgBytesPerSec;
}

CodecCatalog CodecCatalog::System() {
    CodecCatalog c;
    c.maxFormatSize = [] { return codec::MaxFormatSize(); };
    c.enumerate = [](const WaveFormat& source) { return codec::EnumerateFormats(source); };
    c.tagDetails = [](uint16_t tag) { return codec::TagDetails(tag); };
    c.describe = [](const WaveFormat& f) { return codec::FormatDescription(f); };
    c.canOpen = [](const WaveFormat& s, const WaveFormat& t) { return codec::CanOpenStream(s, t); };
    return c;
}

QString CompressionLabel(const std::string& tagName, const std::string& description) {
    return QString::fromStdString(tagName) + "  " + QString::fromStdString(description);
}

std::pair<QString, QString> SplitCompressionLabel(const QString& label) {
    const qsizetype at = label.indexOf("  ");
    if (at < 0) {
        return {label, QString()};
    }
    return {label.left(at), label.mid(at + 2)};
}

CompressionList BuildWaveCompressionList(const CodecCatalog& catalog, const WaveFormat& source,
                                         const WaveFormat& storedFormat) {
    CompressionList list;
    list.entries.push_back({kNoCompression, std::nullopt});
    list.selected = 0;
    if (!CheckMaxFormatSize(catalog, list)) {
        return list;
    }
    int added = 0;
    int bestMatch = 0;
    for (const WaveFormat& format : catalog.enumerate(source)) {
        if (added >= kMaxWaveCodecFormats) {
            break;
        }
        const auto details = catalog.tagDetails(format.formatTag);
        if (!details || format.formatTag == WaveFormat::kTagPcm || !details->possible ||
            IsSkippedTag(format.formatTag)) {
            continue;
        }
        const std::string description = catalog.describe(format);
        if (description.size() <= 4 || !catalog.canOpen(source, format)) {
            continue;
        }
        list.entries.push_back({CompressionLabel(details->name, description), format});
        ++added;
        if (const int match = StoredFormatMatch(format, storedFormat); match > bestMatch) {
            bestMatch = match;
            list.selected = static_cast<int>(list.entries.size()) - 1;
        }
    }
    SortKeepingSelection(list);
    return list;
}

CompressionList BuildMp3CompressionList(const CodecCatalog& catalog, const WaveFormat& source,
                                        const WaveFormat& storedFormat) {
    CompressionList list;
    list.entries.push_back({kMp3RateWarning, std::nullopt});
    list.selected = 0;
    if (!CheckMaxFormatSize(catalog, list)) {
        return list;
    }
    bool first = true;
    int added = 0;
    int bestMatch = 0;
    for (const WaveFormat& format : catalog.enumerate(source)) {
        if (added >= kMaxMp3CodecFormats) {
            break;
        }
        if (format.formatTag != WaveFormat::kTagMpegLayer3 ||
            !IsAllowedMp3BitRate(format.avgBytesPerSec)) {
            continue;
        }
        const auto details = catalog.tagDetails(format.formatTag);
        if (!details || !details->possible || !catalog.canOpen(source, format)) {
            continue;
        }
        if (first) {
            list.entries.clear();
        }
        list.entries.push_back({CompressionLabel(details->name, catalog.describe(format)), format});
        ++added;
        const int match = StoredFormatMatch(format, storedFormat);
        if (first || match > bestMatch) {
            bestMatch = std::max(bestMatch, match);
            list.selected = static_cast<int>(list.entries.size()) - 1;
        }
        first = false;
    }
    SortKeepingSelection(list);
    return list;
}

QString ByteRateText(double bytesPerSecond) {
    return QString::asprintf("%.3f MB/min", bytesPerSecond * 60.0 / 1048576.0);
}

std::optional<int> ParsePageSampleRate(const QString& text) {
    const auto rate = settings_values::ParseInt(text.left(9));
    if (!rate || *rate < AudioFormatSettings::kMinSampleRate ||
        *rate > AudioFormatSettings::kMaxSampleRate) {
        return std::nullopt;
    }
    return rate;
}
