#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A file reached by absolute offsets with a read cache, for the chunk and
// frame parsers that read a few bytes at a time. Writes go straight to the
// system (no user-space buffer), so a process that is killed loses nothing
// it has written.
class BufferedFile {
  public:
    BufferedFile() = default;
    BufferedFile(const BufferedFile&) = delete;
    BufferedFile& operator=(const BufferedFile&) = delete;
    ~BufferedFile() { Close(); }

    // openMode: kOpen* flags of media_file.h. kOpenCreate creates the file or
    // empties an existing one. Opening for writing takes a lock that keeps
    // out other writers who ask for kOpenDenyWrite, and with kOpenDenyWrite
    // keeps out every other writer; a lock that cannot be had fails the open.
    bool Open(const std::string& path, unsigned openMode);
    void Close();
    bool IsOpen() const { return fd_ >= 0; }
    bool IsWritable() const { return writable_; }

    // At the current position; the count done (short at the end of the file),
    // -1 on error.
    int64_t Read(void* data, int64_t count);
    int64_t Write(const void* data, int64_t count);
    // Reads count bytes at offset without moving; false if not all there.
    bool ReadAt(int64_t offset, void* data, int64_t count);
    bool WriteAt(int64_t offset, const void* data, int64_t count);
    // The next byte, -1 at the end of the file.
    int ReadByte();

    bool Seek(int64_t offset);
    int64_t Tell() const { return position_; }
    int64_t Size() const;
    bool Truncate(int64_t size);

  private:
    int64_t ReadRaw(int64_t offset, void* data, int64_t count);
    int64_t WriteRaw(int64_t offset, const void* data, int64_t count);

    int fd_ = -1;
    bool writable_ = false;
    int64_t position_ = 0;
    std::vector<unsigned char> cache_;
    int64_t cacheOffset_ = 0;
    int64_t cacheLength_ = 0;
};

// pread/pwrite on a descriptor until count bytes are done, the end of the
// file (reading) or an error; the count done, -1 for an error before any
// byte. Interrupted calls are repeated.
int64_t ReadFullyAt(int fd, void* data, int64_t count, int64_t offset);
int64_t WriteFullyAt(int fd, const void* data, int64_t count, int64_t offset);

bool FileExists(const std::string& path);
// True when both names reach the same file.
bool SameFile(const std::string& a, const std::string& b);
// Copies from to to byte by byte (replacing to); false on any failure, in
// which case no partial copy is left behind.
bool CopyFileContents(const std::string& from, const std::string& to);
// The system's folder for temporary files, without a trailing "/".
std::string TempDirectory();
// Creates an empty file with a new name "<dir>/<prefix>XXXXXX"; empty on
// failure.
std::string MakeTempFile(const std::string& dir, const std::string& prefix);
