#include "app/startup_repair.h"

#include <QFile>
#include <QWidget>
#include <charconv>
#include <string_view>

#include "app/recording_items.h"
#include "audio/log.h"
#include "media/metadata_item.h"

StartupRepair::StartupRepair(const QString& directory, bool mp3EnableTag)
    : directory_(QFile::encodeName(directory).toStdString()) {
    options_.mp3EnableTag = mp3EnableTag;
    options_.endTags = &StartupRepair::EndTags;
}

StartupRepair::~StartupRepair() {
    cancelled_ = true;
    if (worker_.joinable()) {
        worker_.join();
    }
}

void StartupRepair::Start() {
    if (!worker_.joinable()) {
        worker_ = std::thread([this] { Run(); });
    }
}

void StartupRepair::Wait() {
    if (worker_.joinable()) {
        worker_.join();
    }
}

void StartupRepair::Run() {
    for (const std::string& recovery : FindRecoveryFiles(directory_)) {
        if (cancelled_) {
            break;
        }
        const RepairReport report = RepairRecording(recovery, options_);
        switch (report.outcome) {
            case RepairReport::kRepaired:
                LogWarning("Repaired the unfinished recording %s (%.1f s): %s",
                           report.recording.c_str(), report.seconds, report.detail.c_str());
                break;
            case RepairReport::kNotRepairable:
                LogWarning("Cannot repair the unfinished recording %s, left as it is: %s",
                           report.recording.c_str(), report.detail.c_str());
                break;
            case RepairReport::kOrphanRemoved:
                LogWarning("Removed %s: %s", report.recovery.c_str(), report.detail.c_str());
                break;
            case RepairReport::kHeld:
                break;
        }
    }
}

std::vector<RepairedTag> StartupRepair::EndTags(const std::string& item, std::time_t end) {
    QString eventName;
    std::optional<double> frequency;
    std::string_view rest = item;
    while (!rest.empty()) {
        const std::size_t lineEnd = rest.find('\n');
        std::string_view line = rest.substr(0, lineEnd);
        rest = lineEnd == std::string_view::npos ? std::string_view() : rest.substr(lineEnd + 1);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (line.starts_with("EVENT ")) {
            const std::string_view name = line.substr(6);
            eventName = name == "<unscheduled>"
                            ? QString()
                            : QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
        } else if (line.starts_with("STATION ")) {
            double value = 0;
            const std::string_view number = line.substr(8);
            if (std::from_chars(number.data(), number.data() + number.size(), value).ec ==
                std::errc()) {
                frequency = value;
            }
        }
    }
    std::time_t start = 0;
    for (const TimecodeEntry& entry : ParseMetadataItem(item).timecodes) {
        if (entry.time != 0) {
            start = entry.time;
            break;
        }
    }
    if (!frequency || start == 0) {
        return {};
    }
    std::tm startTm{};
    std::tm endTm{};
    localtime_r(&start, &startTm);
    const std::time_t ended = end != 0 ? end : start;
    localtime_r(&ended, &endTm);
    const auto station = static_cast<float>(*frequency);
    return {
        {"title",
         recording_items::TitleText(eventName, station, startTm, endTm).toUtf8().toStdString()},
        {"year", QString::number(endTm.tm_year + 1900).toStdString()},
        {"comment", QString::asprintf("%.2f", station).toStdString()},
    };
}
