#pragma once

#include <ctime>
#include <functional>
#include <string>
#include <vector>

// Completes recordings whose recording process was killed. Such a recording
// is known by its recovery file (RecoveryFile) that no process holds: a
// recording process holds it until the recording is complete, the process
// that makes this repair included.
//
// WAVE: the RIFF and data sizes (RF64: the sizes in "ds64") and the sample
// count from the audio on disk, then the recovery file's item into "DISP".
// MP3: the item and the end tags into the tags, as the end of a recording
// writes them. Ogg Vorbis: an end-of-stream page (EndOggStream). Only
// headers and tags are written; the audio is not copied (except where the
// MP3 tag writer has to make a file without a tag anew). Then the recovery
// file goes. A recording that cannot be repaired is left as it is, and its
// recovery file too.

struct RepairedTag {
    std::string name;
    std::string text;
};

struct RepairOptions {
    // The "Mp3EnableTag" setting.
    bool mp3EnableTag = true;
    // The tags the end of a recording stores after its metadata item (title,
    // year, ...), made from that item and the calendar time the recording
    // ended (its start plus its length). Unset: the item only.
    std::function<std::vector<RepairedTag>(const std::string& item, std::time_t end)> endTags;
};

struct RepairReport {
    enum Outcome {
        kRepaired,       // completed; the recovery file is gone
        kHeld,           // a running recording holds it: not touched
        kNotRepairable,  // left as it is, recovery file and all
        kOrphanRemoved,  // a recovery file without its recording was removed
    };
    Outcome outcome = kNotRepairable;
    std::string recording;  // the recording's path
    std::string recovery;   // the recovery file's path
    double seconds = 0;     // length of the repaired recording
    std::string detail;     // what was done, or why nothing was
};

// The recording the recovery file path belongs to ("x.~av" -> "x.wav", the
// case of the first letter as on disk); empty when path is no recovery file
// of a WAVE, MP3 or Ogg recording.
std::string RecordingOfRecoveryFile(const std::string& path);

// Repairs the recording of one recovery file.
RepairReport RepairRecording(const std::string& recoveryPath, const RepairOptions& options);

// The recovery files of recordings in directory (not below it), in name
// order.
std::vector<std::string> FindRecoveryFiles(const std::string& directory);
