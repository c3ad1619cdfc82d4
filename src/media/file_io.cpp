#include "media/file_io.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "media/media_file.h"

namespace {
constexpr int64_t kCacheSize = 64 * 1024;
}

bool BufferedFile::Open(const std::string& path, unsigned openMode) {
    Close();
    const unsigned access = openMode & kOpenAccessMask;
    const bool write = access == kOpenWrite || access == kOpenReadWrite;
    int flags = O_CLOEXEC;
    flags |= write ? O_RDWR : O_RDONLY;  // even write-only files are read for their headers
    if (write && (openMode & kOpenCreate)) {
        flags |= O_CREAT;
    }
    const int fd = ::open(path.c_str(), flags, 0666);
    if (fd < 0) {
        return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return false;
    }
    if (write) {
        const int lock = (openMode & kOpenDenyWrite) ? LOCK_EX : LOCK_SH;
        if (::flock(fd, lock | LOCK_NB) != 0) {
            ::close(fd);
            return false;
        }
        // Emptied only once the lock shows that nobody else is writing it.
        if ((openMode & kOpenCreate) && ::ftruncate(fd, 0) != 0) {
            ::close(fd);
            return false;
        }
    }
    fd_ = fd;
    writable_ = write;
    position_ = 0;
    cacheLength_ = 0;
    cache_.resize(kCacheSize);
    return true;
}

void BufferedFile::Close() {
    if (fd_ >= 0) {
        ::close(fd_);  // releases the lock
        fd_ = -1;
    }
    writable_ = false;
    position_ = 0;
    cacheLength_ = 0;
}

int64_t BufferedFile::ReadRaw(int64_t offset, void* data, int64_t count) {
    return ReadFullyAt(fd_, data, count, offset);
}

int64_t BufferedFile::WriteRaw(int64_t offset, const void* data, int64_t count) {
    const int64_t done = WriteFullyAt(fd_, data, count, offset);
    // Whatever the cache held of that stretch is stale now.
    if (done > 0 && offset < cacheOffset_ + cacheLength_ && offset + done > cacheOffset_) {
        cacheLength_ = 0;
    }
    return done;
}

int64_t BufferedFile::Read(void* data, int64_t count) {
    if (fd_ < 0 || count < 0) {
        return -1;
    }
    auto* out = static_cast<unsigned char*>(data);
    int64_t done = 0;
    while (done < count) {
        const int64_t at = position_;
        if (at >= cacheOffset_ && at < cacheOffset_ + cacheLength_) {
            const int64_t n = std::min(count - done, cacheOffset_ + cacheLength_ - at);
            std::memcpy(out + done, cache_.data() + (at - cacheOffset_), static_cast<size_t>(n));
            done += n;
            position_ += n;
            continue;
        }
        if (count - done >= kCacheSize) {
            const int64_t n = ReadRaw(at, out + done, count - done);
            if (n < 0) {
                return done > 0 ? done : -1;
            }
            done += n;
            position_ += n;
            break;
        }
        const int64_t n = ReadRaw(at, cache_.data(), kCacheSize);
        if (n <= 0) {
            cacheLength_ = 0;
            if (n < 0 && done == 0) {
                return -1;
            }
            break;
        }
        cacheOffset_ = at;
        cacheLength_ = n;
    }
    return done;
}

int BufferedFile::ReadByte() {
    unsigned char b = 0;
    return Read(&b, 1) == 1 ? b : -1;
}

bool BufferedFile::ReadAt(int64_t offset, void* data, int64_t count) {
    if (!Seek(offset)) {
        return false;
    }
    return Read(data, count) == count;
}

int64_t BufferedFile::Write(const void* data, int64_t count) {
    if (fd_ < 0 || !writable_ || count < 0) {
        return -1;
    }
    const int64_t n = WriteRaw(position_, data, count);
    if (n > 0) {
        position_ += n;
    }
    return n;
}

bool BufferedFile::WriteAt(int64_t offset, const void* data, int64_t count) {
    if (!Seek(offset)) {
        return false;
    }
    return Write(data, count) == count;
}

bool BufferedFile::Seek(int64_t offset) {
    if (fd_ < 0 || offset < 0) {
        return false;
    }
    position_ = offset;
    return true;
}

int64_t BufferedFile::Size() const {
    struct stat st {};
    if (fd_ < 0 || ::fstat(fd_, &st) != 0) {
        return -1;
    }
    return st.st_size;
}

bool BufferedFile::Truncate(int64_t size) {
    if (fd_ < 0 || !writable_ || size < 0) {
        return false;
    }
    cacheLength_ = 0;
    return ::ftruncate(fd_, size) == 0;
}

int64_t ReadFullyAt(int fd, void* data, int64_t count, int64_t offset) {
    int64_t done = 0;
    auto* out = static_cast<unsigned char*>(data);
    while (done < count) {
        const ssize_t n = ::pread(fd, out + done, static_cast<size_t>(count - done), offset + done);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return done > 0 ? done : -1;
        }
        if (n == 0) {
            break;
        }
        done += n;
    }
    return done;
}

int64_t WriteFullyAt(int fd, const void* data, int64_t count, int64_t offset) {
    int64_t done = 0;
    const auto* in = static_cast<const unsigned char*>(data);
    while (done < count) {
        const ssize_t n = ::pwrite(fd, in + done, static_cast<size_t>(count - done), offset + done);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return done > 0 ? done : -1;
        }
        if (n == 0) {
            break;
        }
        done += n;
    }
    return done;
}

bool FileExists(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0;
}

bool SameFile(const std::string& a, const std::string& b) {
    struct stat sa {
    }, sb{};
    if (::stat(a.c_str(), &sa) != 0 || ::stat(b.c_str(), &sb) != 0) {
        return false;
    }
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

bool CopyFileContents(const std::string& from, const std::string& to) {
    const int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) {
        return false;
    }
    const int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (out < 0) {
        ::close(in);
        return false;
    }
    bool ok = true;
    std::vector<char> buffer(64 * 1024);
    for (;;) {
        const ssize_t n = ::read(in, buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            ok = n == 0;
            break;
        }
        ssize_t written = 0;
        while (written < n) {
            const ssize_t w =
                ::write(out, buffer.data() + written, static_cast<size_t>(n - written));
            if (w < 0 && errno == EINTR) {
                continue;
            }
            if (w <= 0) {
                ok = false;
                break;
            }
            written += w;
        }
        if (!ok) {
            break;
        }
    }
    ::close(in);
    if (::close(out) != 0) {
        ok = false;
    }
    if (!ok) {
        ::unlink(to.c_str());
    }
    return ok;
}

std::string TempDirectory() {
    const char* dir = std::getenv("TMPDIR");
    std::string path = (dir && *dir) ? dir : "/tmp";
    while (path.size() > 1 && path.back() == '/') {
        path.pop_back();
    }
    return path;
}

std::string MakeTempFile(const std::string& dir, const std::string& prefix) {
    std::string pattern = dir + "/" + prefix + "XXXXXX";
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0) {
        return {};
    }
    ::close(fd);
    return pattern;
}
