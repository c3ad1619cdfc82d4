#pragma once

#include <optional>
#include <string>
#include <string_view>

// The small file beside a recording that keeps its metadata item while it is
// being recorded: a 32-bit 1, the item's text and a zero byte. "x.wav" has
// "x.~av". Whoever writes it holds an exclusive lock on it until the
// recording is complete, so that a recording whose process was killed is
// known by a recovery file nobody holds.
class RecoveryFile {
  public:
    // "x.wav" -> "x.~av"; empty when the fourth-last character is not ".".
    static std::string PathFor(const std::string& recording);
    // The item text, without its zero byte; nothing when the file is missing
    // or does not hold text.
    static std::optional<std::string> Read(const std::string& path);

    explicit RecoveryFile(std::string path) : path_(std::move(path)) {}
    RecoveryFile(const RecoveryFile&) = delete;
    RecoveryFile& operator=(const RecoveryFile&) = delete;
    // Lets go of the file and its lock; the file stays.
    ~RecoveryFile();

    // Replaces the item. The first write creates the file and takes its
    // lock; false when it cannot be written whole or another process holds
    // it. Whatever happens in between, the file holds an item that ends at
    // a zero byte.
    bool Write(std::string_view item);
    // Removes the file, then lets go of it.
    void Remove();
    const std::string& path() const { return path_; }
    bool IsHeld() const { return fd_ >= 0; }

    // Takes the lock of an existing recovery file that nobody holds;
    // false when it is missing or held.
    bool TakeOver();

  private:
    // Opens the file with the flags and holds its lock; false when either fails.
    bool OpenLocked(int flags);
    void Release();

    std::string path_;
    int fd_ = -1;
};
