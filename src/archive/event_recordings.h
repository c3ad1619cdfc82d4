#pragma once

#include <QString>

// The recordings of one event in the recording directory: regular files
// named prefix, "_", anything, and ".mp3", ".wav" or ".ogg" (prefix and
// extension compared without regard to case). A file named without "_"
// after the prefix, such as "News.wav", is not one of them.

struct OldestRecording {
    int count = -1;  // -1 when the directory cannot be listed
    QString path;    // full path of the one created first; empty when count < 1
};

// Counts the event's recordings and finds the one created first (birth
// time, else modification time); on equal times the one listed first.
OldestRecording FindOldestRecording(const QString& directory, const QString& prefix);

enum class PruneResult {
    kDone,                 // at most maxOld recordings remain, or nothing was asked
    kDirectoryUnreadable,  // the directory does not exist or cannot be listed; nothing deleted
    kDeleteFailed,         // a recording could not be deleted; pruning stopped there
};

// Deletes the oldest recordings of the event until at most maxOld remain.
// Nothing happens when maxOld is negative or the prefix is empty. A deleted
// recording is emptied as well, so that its space is freed even while
// another program still holds it open; a recording that cannot be deleted
// is left whole.
PruneResult PruneEventRecordings(const QString& directory, const QString& prefix, int maxOld);
