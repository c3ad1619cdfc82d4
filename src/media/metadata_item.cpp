#include "media/metadata_item.h"

#include <algorithm>
#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <optional>

#include "media/media_file.h"

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

std::string_view SkipBlanks(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size() && IsBlank(s[i])) {
        ++i;
    }
    return s.substr(i);
}

// A leading signed decimal number; nothing when s does not start with one.
std::optional<long long> LeadingNumber(std::string_view s, std::size_t* used = nullptr) {
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        ++i;
    }
    const std::size_t digits = i;
    long long value = 0;
    bool overflow = false;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') {
        const int d = s[i] - '0';
        if (value > (INT64_MAX - d) / 10) {
            overflow = true;
        } else {
            value = value * 10 + d;
        }
        ++i;
    }
    if (i == digits) {
        return std::nullopt;
    }
    if (overflow) {
        value = INT64_MAX;
    }
    if (used) {
        *used = i;
    }
    return s[0] == '-' ? -value : value;
}

uint32_t ToPosition(long long value) {
    return static_cast<uint32_t>(std::clamp<long long>(value, 0, 0xFFFFFFFFLL));
}

int64_t ToTimecodePosition(long long value) {
    return std::max<long long>(value, 0);
}

}  // namespace

MetadataLines ParseMetadataItem(std::string_view text) {
    MetadataLines result;
    std::size_t begin = 0;
    while (begin < text.size()) {
        std::size_t end = text.find('\n', begin);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        // Only the first characters of an overlong line count.
        std::string_view line =
            text.substr(begin, std::min(end - begin, MetadataLines::kMaxLineLength));
        begin = end + 1;

        line = SkipBlanks(line);
        std::size_t wordLength = 0;
        while (wordLength < line.size() && !IsBlank(line[wordLength])) {
            ++wordLength;
        }
        const std::string_view word = line.substr(0, wordLength);
        if (word.empty()) {
            continue;
        }
        const std::optional<long long> number = LeadingNumber(word);
        if ((number && *number != 0) || word[0] == '0') {
            if (result.timecodes.size() < MetadataLines::kMaxTimecodes) {
                std::size_t used = 0;
                TimecodeEntry entry;
                entry.position = ToTimecodePosition(LeadingNumber(line, &used).value_or(0));
                entry.time = static_cast<std::time_t>(
                    LeadingNumber(SkipBlanks(line.substr(used))).value_or(0));
                result.timecodes.push_back(entry);
            }
            continue;
        }
        if (EqualsIgnoreCase(word, "SAMPLE") || EqualsIgnoreCase(word, "EVENT") ||
            EqualsIgnoreCase(word, "STATION")) {
            continue;
        }
        if (!EqualsIgnoreCase(word, "COMMENT")) {
            break;
        }
        std::string_view rest = SkipBlanks(line.substr(wordLength));
        std::size_t used = 0;
        const std::optional<long long> start = LeadingNumber(rest, &used);
        if (!start) {
            continue;
        }
        rest = SkipBlanks(rest.substr(used));
        const std::optional<long long> stop = LeadingNumber(rest, &used);
        if (!stop) {
            continue;
        }
        rest = rest.substr(used);
        while (!rest.empty() && (rest.front() == ' ' || rest.front() == '\t')) {
            rest.remove_prefix(1);
        }
        RecComment comment;
        comment.start = ToPosition(*start);
        comment.end = ToPosition(*stop);
        comment.text = std::string(rest.substr(0, rest.find('\r')));
        result.comments.push_back(std::move(comment));
    }
    return result;
}

std::string BuildMetadataItem(const std::vector<TimecodeEntry>& timecodes,
                              const std::vector<RecComment>& comments) {
    std::string item = "SAMPLE\tTIMECODE\r\n";
    char line[64];
    for (const TimecodeEntry& entry : timecodes) {
        std::snprintf(line, sizeof line, "%" PRId64 "\t%lld\r\n", entry.position,
                      static_cast<long long>(entry.time));
        item += line;
    }
    for (const RecComment& comment : comments) {
        std::snprintf(line, sizeof line, "COMMENT %" PRIu32 "\t%" PRIu32 "\t", comment.start,
                      comment.end);
        item += line;
        item += comment.text;
        item += "\r\n";
    }
    return item;
}
