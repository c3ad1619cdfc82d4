#pragma once

#include <QString>
#include <atomic>
#include <ctime>
#include <string>
#include <thread>
#include <vector>

#include "media/recording_repair.h"

// Completes, at start-up, the recordings of the recording folder that a
// killed Plumora left unfinished (recording_repair.h). Runs on a worker
// thread so that the window is not held up; only the process that owns the
// instance lock makes it, and the recording this process makes itself is
// held and so left alone. Each repair, and each recording that cannot be
// repaired, goes to the log; nothing else is said.
class StartupRepair {
  public:
    StartupRepair(const QString& directory, bool mp3EnableTag);
    StartupRepair(const StartupRepair&) = delete;
    StartupRepair& operator=(const StartupRepair&) = delete;
    // Waits for the recording being repaired; the others are left for the
    // next start.
    ~StartupRepair();

    void Start();
    // Until every recovery file was looked at.
    void Wait();

    // The tags the end of a recording stores after its metadata item, made
    // from that item (its start time, EVENT and STATION lines) and the time
    // the recording ended; none for an item without a STATION line.
    static std::vector<RepairedTag> EndTags(const std::string& item, std::time_t end);

  private:
    void Run();

    std::string directory_;
    RepairOptions options_;
    std::atomic<bool> cancelled_{false};
    std::thread worker_;
};
