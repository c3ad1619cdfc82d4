#include "platform/file_times.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <QFile>
#include <cerrno>

namespace {

constexpr int64_t kNsPerSecond = 1000000000;

int64_t Nanoseconds(const statx_timestamp& t) {
    return static_cast<int64_t>(t.tv_sec) * kNsPerSecond + t.tv_nsec;
}

}  // namespace

std::optional<int64_t> FileCreationTimeNs(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    if (name.isEmpty()) {
        return std::nullopt;
    }
    struct statx info {};
    if (statx(AT_FDCWD, name.constData(), AT_SYMLINK_NOFOLLOW, STATX_BTIME | STATX_MTIME, &info) ==
        0) {
        if (info.stx_mask & STATX_BTIME) {
            return Nanoseconds(info.stx_btime);
        }
        if (info.stx_mask & STATX_MTIME) {
            return Nanoseconds(info.stx_mtime);
        }
        return std::nullopt;
    }
    if (errno != ENOSYS) {
        return std::nullopt;
    }
    // A kernel without statx: the modification time is all there is.
    struct stat st {};
    if (lstat(name.constData(), &st) != 0) {
        return std::nullopt;
    }
    return static_cast<int64_t>(st.st_mtim.tv_sec) * kNsPerSecond + st.st_mtim.tv_nsec;
}
