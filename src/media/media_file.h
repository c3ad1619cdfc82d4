#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/wave_format.h"

// Open mode flags of recording files: the access in the two low bits, then
// sharing and creation.
inline constexpr unsigned kOpenRead = 0x0000;
inline constexpr unsigned kOpenWrite = 0x0001;
inline constexpr unsigned kOpenReadWrite = 0x0002;
inline constexpr unsigned kOpenAccessMask = 0x0003;
inline constexpr unsigned kOpenDenyWrite = 0x0020;  // no other writer while open
inline constexpr unsigned kOpenDenyNone = 0x0040;
inline constexpr unsigned kOpenCreate = 0x1000;

// The recording's metadata item (grammar in metadata_item.h).
inline constexpr char kTimecodeTagName[] = "quillmoor timecode";

// Largest contents a tag read returns unless the caller asks for less.
inline constexpr std::size_t kMaxTagBytes = 64000;

// GetError() codes.
inline constexpr int kMediaErrorNone = 0;
inline constexpr int kMediaErrorOpen = 1;         // cannot open or create
inline constexpr int kMediaErrorHeader = 2;       // header / first audio frame not readable
inline constexpr int kMediaErrorCodecFormat = 3;  // the codec cannot describe the format
inline constexpr int kMediaErrorCodecRate = 4;    // the codec has no format of that bit rate

// A recording file: a named file holding audio data in one wave format, with
// a read/write position inside the audio data and named text items (tags).
class MediaFile {
  public:
    MediaFile(const MediaFile&) = delete;
    MediaFile& operator=(const MediaFile&) = delete;
    virtual ~MediaFile() = default;

    // Gives the open file a new name (copying it where a rename cannot cross
    // file systems) and reopens it at the same audio position. A temporary
    // file stops being temporary. False when it stays under its old name.
    virtual bool Rename(const std::string& newPath);
    // Brings all headers and sizes on disk up to date.
    virtual bool Update() { return true; }
    // Closes and removes the file.
    virtual bool Delete() = 0;
    virtual bool IsOpen() const = 0;
    // Byte position in the audio data.
    virtual int64_t GetPosition() const = 0;
    virtual bool Seek(int64_t position) = 0;
    // Sets the recorded length of the audio data.
    virtual bool SetLength(int64_t bytes) = 0;
    // Length of the audio data in bytes.
    virtual int64_t GetLength() const = 0;
    // Audio data; bytes written/read, -1 on failure.
    virtual int64_t Write(const void* data, int64_t count) = 0;
    virtual int64_t Read(void* data, int64_t count) = 0;
    // File name without directory; empty when not open.
    virtual std::string GetFileTitle() const;
    // Full path; empty when none.
    virtual std::string GetFileName() const { return fileName_; }
    // A named text item, at most maxBytes long and cut at a zero byte;
    // nothing when absent.
    virtual std::optional<std::string> GetTag(std::string_view name,
                                              std::size_t maxBytes = kMaxTagBytes) = 0;
    virtual bool SetTag(std::string_view name, std::string_view text);
    // Writes go to the current position instead of the end of the data.
    virtual void SetOverwrite(bool overwrite) { overwrite_ = overwrite; }
    virtual bool IsOverwrite() const { return overwrite_; }
    // Adds to the sample count a WAVE file keeps in its "fact" chunk.
    virtual void AddSampleCount(uint32_t samples);
    virtual int GetError() const { return error_; }

    const WaveFormat& Format() const { return format_; }
    unsigned GetOpenMode() const { return openMode_; }
    bool IsTemporary() const { return temporary_; }
    void SetTemporary(bool temporary) { temporary_ = temporary; }
    // Audio or chunks were written since the last Update().
    bool IsDirty() const { return dirty_; }
    void SetDirty(bool dirty) { dirty_ = dirty; }
    bool IsReadOnly() const { return readOnly_; }

    // Opens path, creating it when it does not exist; an empty path makes a
    // temporary file.
    virtual bool OpenOrCreate(const std::string& path) = 0;
    virtual void Close() = 0;

  protected:
    MediaFile(unsigned openMode) : openMode_(openMode) {}

    // Closes the file and removes it from the disk; false when it could not
    // be removed. The object is left without a file.
    bool CloseAndRemove();

    WaveFormat format_;
    unsigned openMode_ = kOpenRead;
    std::string fileName_;
    bool temporary_ = false;
    bool dirty_ = false;
    bool overwrite_ = false;
    bool readOnly_ = false;
    int error_ = kMediaErrorNone;
};

// True when path is at least as long as ext and ends in it, compared
// without case (HasExtension("x.MP3", ".mp3")).
bool HasExtension(std::string_view path, std::string_view ext);
// Names of tags are compared without case.
bool EqualsIgnoreCase(std::string_view a, std::string_view b);
