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
// time, else modification time); on equal times the one listed first. The
// file named except is passed over.
OldestRecording FindOldestRecording(const QString& directory, const QString& prefix,
                                    const QString& except = QString());

enum class PruneResult {
    kDone,                 // at most maxOld recordings remain, or nothing was asked
    kDirectoryUnreadable,  // the directory does not exist or cannot be listed; nothing deleted
    kDeleteFailed,         // a recording could not be deleted; pruning stopped there
};

// Deletes the oldest recordings of the event until at most maxOld remain,
// not counting and never deleting the file named except (the recording
// that has just started). Nothing happens when maxOld is negative or the
// prefix is empty. A deleted recording whose last name this was is emptied
// as well, so that its space is freed even while another program still
// holds it open; one with other hard links only loses this name. A
// recording that cannot be deleted is left whole.
PruneResult PruneEventRecordings(const QString& directory, const QString& prefix, int maxOld,
                                 const QString& except = QString());
