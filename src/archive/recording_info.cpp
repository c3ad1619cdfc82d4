#include "archive/recording_info.h"

#include <QFile>
#include <QFileInfo>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#include "archive/archive_listing.h"
#include "media/media_file.h"
#include "media/rec_file.h"
#include "prefs/frequency_band.h"
#include "prefs/settings_values.h"

namespace {

std::string_view NextWord(std::string_view& line) {
    const size_t begin = line.find_first_not_of(" \t\r");
    if (begin == std::string_view::npos) {
        line = {};
        return {};
    }
    line.remove_prefix(begin);
    const size_t end = line.find_first_of(" \t\r");
    const std::string_view word = line.substr(0, end);
    line.remove_prefix(end == std::string_view::npos ? line.size() : end);
    return word;
}

bool IsNumberWord(std::string_view word) {
    if (word.empty()) {
        return false;
    }
    const std::string text(word);
    return std::strtoul(text.c_str(), nullptr, 10) != 0 || word.front() == '0';
}

bool SameWord(std::string_view a, const char* b) {
    const size_t n = std::strlen(b);
    if (a.size() != n) {
        return false;
    }
    for (size_t i = 0; i < n; ++i) {
        if (std::toupper(static_cast<unsigned char>(a[i])) != b[i]) {
            return false;
        }
    }
    return true;
}

}  // namespace

RecordingInfo ParseRecordingInfo(std::string_view item) {
    RecordingInfo info;
    while (!item.empty()) {
        const size_t lf = item.find('\n');
        std::string_view line = item.substr(0, lf);
        item.remove_prefix(lf == std::string_view::npos ? item.size() : lf + 1);
        const std::string_view first = NextWord(line);
        if (IsNumberWord(first)) {
            if (static_cast<int>(info.timecodes.size()) < RecordingInfo::kMaxTimecodes) {
                RecordingInfo::Timecode entry;
                entry.position =
                    static_cast<uint32_t>(std::strtoul(std::string(first).c_str(), nullptr, 10));
                entry.time = static_cast<std::time_t>(
                    std::strtoll(std::string(NextWord(line)).c_str(), nullptr, 10));
                info.timecodes.push_back(entry);
            }
        } else if (SameWord(first, "EVENT")) {
            info.eventName = QString::fromLatin1(NextWord(line));
        } else if (SameWord(first, "STATION")) {
            if (const auto station =
                    settings_values::ParseDouble(QString::fromLatin1(NextWord(line)))) {
                info.station = *station;
            }
        }
    }
    if (!info.timecodes.empty()) {
        info.startTime = info.timecodes.front().time;
    }
    return info;
}

RecordingInfo ReadRecordingInfo(const QString& path) {
    if (RecordingExtension(QFileInfo(path).fileName()) == "ogg") {
        return {};
    }
    RecFile file(QFile::encodeName(path).toStdString(), nullptr, kOpenRead, false);
    if (!file.IsOpen()) {
        return {};
    }
    const std::optional<std::string> item = file.GetTag(kTimecodeTagName);
    return item ? ParseRecordingInfo(*item) : RecordingInfo{};
}

QString RecordingDetailsText(const RecordingDetails& d) {
    QString out = d.path;
    const auto station = static_cast<float>(d.info.station);
    if (d.info.station > 10 ||
        (d.info.station > band::kProgrammed && band::IsAm(station, band::Context::kPreset))) {
        out += "\nStation: " + band::Text(station, band::Context::kPreset);
    }
    if (d.info.startTime != 0) {
        char when[64];
        const std::time_t t = d.info.startTime;
        std::tm local{};
        if (localtime_r(&t, &local) != nullptr && asctime_r(&local, when) != nullptr) {
            out += '\n' + QString::fromLatin1(when);
        }
    }
    const double mb = static_cast<double>(d.length) / 1048576.0;
    out += "\nSize " + QString::number(mb, 'f', mb < 1 ? 3 : mb < 100 ? 2 : 0) + "MB";
    if (d.bytesPerSecond != 0) {
        const int64_t s = d.length / d.bytesPerSecond;
        if (s >= 3600) {
            out +=
                QString::asprintf("\nRecorded Length  %d:%2.2d:%2.2d", static_cast<int>(s / 3600),
                                  static_cast<int>(s / 60 % 60), static_cast<int>(s % 60));
        } else {
            out += QString::asprintf("\nRecorded Length  %d:%2.2d", static_cast<int>(s / 60),
                                     static_cast<int>(s % 60));
        }
    }
    out += d.formatTag == 1 ? QStringLiteral("\nAudio format: PCM")
                            : QStringLiteral("\nAudio format: ") + d.codecName;
    return out;
}
