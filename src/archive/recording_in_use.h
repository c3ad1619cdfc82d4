#pragma once

#include <QString>

// True when the recording cannot be opened for reading and writing with
// other writers kept out: a recorder (of this or another process) is
// writing it, another program holds it locked, or it may not be written.
bool RecordingInUse(const QString& path);
