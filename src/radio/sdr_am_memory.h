#pragma once

#include <QString>

// Which SDR receivers tune medium wave, remembered in the settings value
// "SdrAmReceivers" (one port text a line) from the last time each was open:
// the AM decision is then known at program start, before the receiver has
// opened, and a stored AM frequency is kept.
namespace sdr_am_memory {

inline constexpr const char* kValueName = "SdrAmReceivers";
// At most this many receivers are remembered; the oldest goes first.
inline constexpr int kMostReceivers = 16;

// The stored list with port added (covers true, as the newest) or removed.
QString Updated(const QString& stored, const QString& port, bool covers);
bool Lists(const QString& stored, const QString& port);

// From the settings, read the way all settings are read.
bool Remembered(const QString& port);
// Into the settings, per-user and machine-wide, when the answer changed.
void Remember(const QString& port, bool covers);

}  // namespace sdr_am_memory
