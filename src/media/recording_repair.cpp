#include "media/recording_repair.h"

#include <algorithm>
#include <filesystem>
#include <memory>
#include <optional>

#include "media/file_io.h"
#include "media/metadata_item.h"
#include "media/mp3_file.h"
#include "media/ogg_stream_end.h"
#include "media/recovery_file.h"
#include "media/wave_file.h"

namespace {

constexpr unsigned kRepairMode = kOpenReadWrite | kOpenDenyWrite;

struct Kind {
    const char* tail;  // the last two letters of the extension
    char first;        // its first letter
};
constexpr Kind kKinds[] = {{"av", 'w'}, {"p3", 'm'}, {"gg", 'o'}};

std::time_t StartTime(const std::string& item) {
    for (const TimecodeEntry& entry : ParseMetadataItem(item).timecodes) {
        if (entry.time != 0) {
            return entry.time;
        }
    }
    return 0;
}

double Seconds(int64_t bytes, uint32_t bytesPerSecond) {
    return bytesPerSecond == 0 ? 0.0 : static_cast<double>(bytes) / bytesPerSecond;
}

// The item and the end tags, as the end of a recording stores them.
bool StoreTags(MediaFile& media, const std::optional<std::string>& item,
               const RepairOptions& options, std::string& detail) {
    if (!item || item->empty()) {
        detail += "; no metadata was kept";
        return true;
    }
    if (!media.SetTag(kTimecodeTagName, *item)) {
        detail += "; its metadata item cannot be stored";
        return false;
    }
    if (options.endTags) {
        const double seconds = Seconds(media.GetLength(), media.Format().avgBytesPerSec);
        const std::time_t start = StartTime(*item);
        const std::time_t end = start == 0 ? 0 : start + static_cast<std::time_t>(seconds);
        for (const RepairedTag& tag : options.endTags(*item, end)) {
            media.SetTag(tag.name, tag.text);
        }
    }
    detail += "; metadata stored";
    return true;
}

void RepairWave(const std::string& path, const std::optional<std::string>& item,
                const RepairOptions& options, RepairReport& report) {
    WaveFile wave(path, nullptr, kRepairMode);
    if (!wave.IsOpen() || wave.IsReadOnly()) {
        report.detail = wave.IsOpen() ? "its sizes cannot be written"
                                      : "it cannot be opened as a WAVE file for writing";
        return;
    }
    // Counted again from the data: what the header holds is from before
    // the crash.
    wave.SetSampleCount(0);
    wave.SetDirty(true);
    if (!wave.Update()) {
        report.detail = "its sizes cannot be written";
        return;
    }
    report.seconds = Seconds(wave.GetLength(), wave.Format().avgBytesPerSec);
    report.detail = wave.IsRf64() ? "RF64 sizes written" : "sizes written";
    if (StoreTags(wave, item, options, report.detail)) {
        report.outcome = RepairReport::kRepaired;
    }
}

void RepairMp3(const std::string& path, const std::optional<std::string>& item,
               const RepairOptions& options, RepairReport& report) {
    Mp3File mp3(path, nullptr, kRepairMode, options.mp3EnableTag);
    if (!mp3.IsOpen() || mp3.IsReadOnly()) {
        report.detail = "it cannot be opened as an MP3 file for writing";
        return;
    }
    report.seconds = Seconds(mp3.GetLength(), mp3.Format().avgBytesPerSec);
    report.detail = "tags written";
    if (StoreTags(mp3, item, options, report.detail)) {
        report.outcome = RepairReport::kRepaired;
    }
}

void RepairOgg(const std::string& path, RepairReport& report) {
    const OggEndResult ended = EndOggStream(path);
    switch (ended.outcome) {
        case OggEndResult::kEnded:
            report.detail = "end-of-stream page written";
            if (ended.bytesCut > 0) {
                report.detail +=
                    ", " + std::to_string(ended.bytesCut) + " bytes of a cut page removed";
            }
            break;
        case OggEndResult::kAlreadyEnded:
            report.detail = "its stream was complete";
            break;
        default:
            report.detail = ended.reason;
            return;
    }
    report.outcome = RepairReport::kRepaired;
}

}  // namespace

std::string RecordingOfRecoveryFile(const std::string& path) {
    if (path.size() < 5 || path[path.size() - 4] != '.' || path[path.size() - 3] != '~') {
        return {};
    }
    const std::string tail = path.substr(path.size() - 2);
    for (const Kind& kind : kKinds) {
        if (!EqualsIgnoreCase(tail, kind.tail)) {
            continue;
        }
        std::string recording = path;
        const char upper = static_cast<char>(kind.first - 'a' + 'A');
        const bool upperTail = tail[0] >= 'A' && tail[0] <= 'Z';
        // The recording's name as on disk; when it is gone, the likelier one.
        for (const char first : {upperTail ? upper : kind.first, upperTail ? kind.first : upper}) {
            recording[recording.size() - 3] = first;
            if (FileExists(recording)) {
                return recording;
            }
        }
        recording[recording.size() - 3] = upperTail ? upper : kind.first;
        return recording;
    }
    return {};
}

RepairReport RepairRecording(const std::string& recoveryPath, const RepairOptions& options) {
    RepairReport report;
    report.recovery = recoveryPath;
    report.recording = RecordingOfRecoveryFile(recoveryPath);
    if (report.recording.empty()) {
        report.detail = "not the recovery file of a recording";
        return report;
    }
    RecoveryFile recovery(recoveryPath);
    if (!recovery.TakeOver()) {
        report.outcome = RepairReport::kHeld;
        report.detail = FileExists(recoveryPath) ? "it is being recorded" : "it is gone";
        return report;
    }
    if (!FileExists(report.recording)) {
        recovery.Remove();
        report.outcome = RepairReport::kOrphanRemoved;
        report.detail = "the recording is gone";
        return report;
    }
    const std::optional<std::string> item = RecoveryFile::Read(recoveryPath);
    if (HasExtension(report.recording, ".wav")) {
        RepairWave(report.recording, item, options, report);
    } else if (HasExtension(report.recording, ".mp3")) {
        RepairMp3(report.recording, item, options, report);
    } else {
        RepairOgg(report.recording, report);
    }
    if (report.outcome == RepairReport::kRepaired) {
        recovery.Remove();
    }
    return report;
}

std::vector<std::string> FindRecoveryFiles(const std::string& directory) {
    std::vector<std::string> found;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(directory, error)) {
        const std::string path = entry.path().string();
        if (entry.is_regular_file(error) && !RecordingOfRecoveryFile(path).empty()) {
            found.push_back(path);
        }
    }
    std::sort(found.begin(), found.end());
    return found;
}
