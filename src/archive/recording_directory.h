#pragma once

#include <QString>

struct RecordingFileSettings;

// Makes sure the recording directory exists before a recording starts: a
// missing folder is created with its parents. When the default folder in
// the music folder cannot be made, the folder of the old rule (current
// folder, else the temporary folder) takes its place in the settings.
// Returns why no folder can take the recording; empty when one can.
QString PrepareRecordingDirectory(RecordingFileSettings& settings);
