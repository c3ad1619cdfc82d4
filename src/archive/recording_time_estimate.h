#pragma once

#include <QString>
#include <optional>

struct AudioFormatSettings;

// How long a WAV recording runs until it reaches the size limit, as
// "%.1f minutes". The byte rate is that of the chosen compression format,
// or for uncompressed recordings sample rate x bytes per sample x channels.
// A size limit below 1 MB counts as 1, as it is stored. Nothing when the
// byte rate is 0; the caller then leaves its text as it is.
std::optional<QString> RecordingTimeEstimate(const AudioFormatSettings& formats, int fileSizeMb);
