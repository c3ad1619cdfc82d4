#pragma once

#include <QString>
#include <cstdint>
#include <optional>

// When a file came into being: its birth time where the file system keeps
// one, else its last modification time, in nanoseconds since 1970 (UTC).
// Nothing when the file cannot be examined. A symbolic link is examined
// itself, not the file it points to.
std::optional<int64_t> FileCreationTimeNs(const QString& path);
