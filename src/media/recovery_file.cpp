#include "media/recovery_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <vector>

#include "media/byte_order.h"
#include "media/file_io.h"
#include "media/media_file.h"

namespace {

constexpr uint32_t kRecoveryText = 1;  // first value of a recovery file holding text

}  // namespace

std::string RecoveryFile::PathFor(const std::string& recording) {
    if (recording.size() < 4 || recording[recording.size() - 4] != '.') {
        return {};
    }
    std::string recovery = recording;
    recovery[recovery.size() - 3] = '~';
    return recovery;
}

std::optional<std::string> RecoveryFile::Read(const std::string& path) {
    BufferedFile file;
    if (path.empty() || !file.Open(path, kOpenRead)) {
        return std::nullopt;
    }
    unsigned char head[4];
    if (file.Read(head, 4) != 4 || LoadLE32(head) != kRecoveryText) {
        return std::nullopt;
    }
    std::vector<char> text(kMaxTagBytes);
    const int64_t got = file.Read(text.data(), static_cast<int64_t>(text.size()));
    if (got <= 0) {
        return std::string();
    }
    const auto end = std::find(text.begin(), text.begin() + got, '\0');
    return std::string(text.begin(), end);
}

RecoveryFile::~RecoveryFile() {
    Release();
}

void RecoveryFile::Release() {
    if (fd_ >= 0) {
        ::close(fd_);  // lets go of the lock
        fd_ = -1;
    }
}

bool RecoveryFile::OpenLocked(int flags) {
    const int fd = ::open(path_.c_str(), flags, 0666);
    if (fd < 0) {
        return false;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    fd_ = fd;
    return true;
}

bool RecoveryFile::TakeOver() {
    if (fd_ >= 0) {
        return true;
    }
    return OpenLocked(O_RDWR | O_CLOEXEC);
}

bool RecoveryFile::Write(std::string_view item) {
    if (path_.empty()) {
        return false;
    }
    if (fd_ < 0 && !OpenLocked(O_RDWR | O_CREAT | O_CLOEXEC)) {
        return false;
    }
    std::vector<unsigned char> bytes(4);
    StoreLE32(bytes.data(), kRecoveryText);
    bytes.insert(bytes.end(), item.begin(), item.end());
    bytes.push_back(0);
    const auto size = static_cast<int64_t>(bytes.size());
    // Over the old item first, then cut what is left of it behind the zero
    // byte: a crash in between leaves the new item.
    if (WriteFullyAt(fd_, bytes.data(), size, 0) != size) {
        return false;
    }
    return ::ftruncate(fd_, size) == 0;
}

void RecoveryFile::Remove() {
    if (!path_.empty()) {
        ::unlink(path_.c_str());
    }
    Release();
}
