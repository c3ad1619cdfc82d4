#pragma once

#include <cstdint>
#include <ctime>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "media/media_file.h"
#include "media/metadata_item.h"
#include "media/recovery_file.h"
#include "media/riff_file.h"
#include "platform/clock.h"

// The recording-file layer between recorders/players and the media files.
// Picks WaveFile or Mp3File from the file name, forwards audio reads and
// writes, keeps a WAVE recording readable after a crash by closing and
// reopening it every kReopenInterval writes, and keeps the recording's
// metadata: a timecode table (byte position -> calendar time) and comments
// over stretches of the recording, stored in the file as the item
// kTimecodeTagName. Not thread-safe: the owner serialises calls.
class RecFile {
  public:
    static constexpr int kReopenInterval = 600;
    // The sizes of a WAVE header are brought up to date every this many
    // writes (a few seconds of recording).
    static constexpr int kHeaderInterval = 25;
    static constexpr uint32_t kCurrentPosition = 0xFFFFFFFF;

    // path ending in ".mp3" (any case) -> Mp3File, any other path of four or
    // more characters -> WaveFile; an empty or shorter path makes a temporary
    // file of the kind defaultMp3 says. format: the format of a new file
    // (nullptr: the default, or what an existing file holds). openMode:
    // kOpen* flags, e.g. kOpenReadWrite | kOpenCreate | kOpenDenyWrite for a
    // recording, kOpenRead for playback. mp3EnableTag: ID3v2 tags are
    // written into MP3 files (the "Mp3EnableTag" setting). The clock stamps
    // the start of each recording session in the timecode table.
    RecFile(const std::string& path, const WaveFormat* format, unsigned openMode, bool defaultMp3,
            bool mp3EnableTag = true, Clock& clock = Clock::System());
    RecFile(const RecFile&) = delete;
    RecFile& operator=(const RecFile&) = delete;
    // Completes the file: headers, the metadata item when anything changed.
    virtual ~RecFile();

    // Reads the metadata again if the file holds audio; true.
    virtual bool ReloadMetadata();
    // Appends audio; count, or -1 when not all of it could be written. A
    // write that fails part way leaves none of its bytes in the file, so the
    // recording ends on the last whole buffer; WriteFailure() says why.
    virtual int64_t WriteAudio(const void* data, int64_t count);
    // Why the last failed write failed; empty while every write succeeded.
    const std::string& WriteFailure() const { return writeFailure_; }
    virtual std::optional<std::string> GetTag(std::string_view name,
                                              std::size_t maxBytes = kMaxTagBytes);
    // Stores a named item; the owner's metadata item replaces the one this
    // object would write at close.
    virtual bool SetTag(std::string_view name, std::string_view text);

    // Audio data access, forwarded to the media file.
    int64_t ReadAudio(void* data, int64_t count);
    int64_t GetPosition() const;
    bool Seek(int64_t position);
    int64_t GetLength() const;
    void AddSampleCount(uint32_t samples);
    const WaveFormat& Format() const;
    bool IsOpen() const;
    int GetError() const;
    std::string GetFileName() const;
    std::string GetFileTitle() const;
    bool IsMp3() const { return mp3_; }
    MediaFile& Media() { return *media_; }
    const MediaFile& Media() const { return *media_; }

    // Calendar time at which the given byte of audio was recorded; 0 when
    // unknown.
    std::time_t TimeAt(int64_t position) const;
    // Adds a comment from start (kCurrentPosition: the current data
    // position) to end (0 or RecComment::kOpenEnd: up to the next comment).
    // An empty text closes the comments open at the current position.
    // Ignored on a read-only file.
    void AddComment(std::string_view text, uint32_t start = kCurrentPosition,
                    uint32_t end = RecComment::kOpenEnd);

    const std::vector<TimecodeEntry>& Timecodes() const { return timecodes_; }
    const std::vector<RecComment>& Comments() const { return comments_; }
    // The item this object writes at close: header, timecodes, comments.
    std::string BuildItem() const;

    // The item the owner will store at the end of the recording (SetTag of
    // kTimecodeTagName), known from its start: until then the recovery file
    // holds it in place of this object's own item, so that a recording
    // completed after a crash gets what a normal end would have given it.
    // Empty: this object's own item.
    void SetRecoveryItem(std::string_view item);

    // The largest plain RIFF a WAVE recording stays before it goes on as
    // RF64 (RiffFile::SetPlainRiffLimit), kept across reopens.
    void SetPlainRiffLimit(int64_t bytes);

    // Path of the file that keeps the metadata of path while it is being
    // recorded: "x.wav" -> "x.~av"; empty when the fourth-last character of
    // path is not ".".
    static std::string RecoveryPath(const std::string& path);

  private:
    std::unique_ptr<MediaFile> MakeMedia(const std::string& path, const WaveFormat* format,
                                         unsigned openMode) const;
    void LoadMetadata();
    void Reopen();
    void InsertComment(std::string text, uint32_t start, uint32_t end);
    void CloseCommentsAt(uint32_t position);
    // Writes the owner's item, or else this object's own.
    bool WriteRecoveryFile();

    Clock& clock_;
    bool mp3EnableTag_;
    bool mp3_ = false;
    std::unique_ptr<MediaFile> media_;  // after the flags MakeMedia reads
    std::vector<TimecodeEntry> timecodes_;
    std::vector<RecComment> comments_;
    int writeCount_ = 0;
    int64_t plainRiffLimit_ = RiffFile::kDefaultPlainRiffLimit;
    bool sessionStamped_ = false;  // the first write of this object added its timecode
    bool itemStored_ = false;      // the media holds the metadata item written through us
    RecoveryFile recovery_;
    std::string recoveryItem_;  // the owner's item; empty: BuildItem()
    std::string writeFailure_;
};
