#pragma once

#include <QString>
#include <functional>

// Deleting a recording from the archive: refuse one that is in use, ask,
// and only then remove the file and the metadata kept beside it. The
// question may stay open while the archive changes under it (a recording
// ends, another program removes files), so the answer acts on the path,
// checked again after the question; nothing of the tree is held across it.
enum class DeleteOutcome {
    kNothing,  // no recording, or it was gone by the time the answer came
    kInUse,    // refused with a message
    kKept,     // the user said No or Cancel
    kDeleted,
    kFailed,  // the file could not be removed; the user was told
};

// isRecording: true while this program records into the file.
DeleteOutcome DeleteRecording(const QString& path,
                              const std::function<bool(const QString&)>& isRecording);
