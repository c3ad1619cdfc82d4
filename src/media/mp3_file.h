#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "media/file_io.h"
#include "media/id3v1_record.h"
#include "media/id3v2_frames.h"
#include "media/media_file.h"
#include "media/mp3_frame.h"

// A MediaFile of MPEG audio frames. A recording writes raw frames into a new
// file; tags come afterwards: ID3v2 frames (id3lib) before the audio, and an
// ID3v1 record after it that this class keeps and writes at close. Opening
// an existing file skips a leading ID3v2 tag and checks the first audio
// frame, whose header gives the file's format.
class Mp3File : public MediaFile {
  public:
    // Tries at the first frame before a file is taken as not MPEG audio.
    static constexpr int kFrameTries = 10;
    // Zeros behind the frames of a tag that has to be made anew (the file
    // copied): room for the frames that follow, which then go in place.
    static constexpr std::size_t kTagPadding = 2048;

    // format: the format of a new file (nullptr: WaveFile::DefaultFormat()).
    // enableId3v2Tag: SetTag writes ID3v2 frames into the file (else only
    // the ID3v1 record takes tags).
    Mp3File(const std::string& path, const WaveFormat* format, unsigned openMode,
            bool enableId3v2Tag = true);
    ~Mp3File() override;

    // Nothing to bring up to date; clears the dirty flag.
    bool Update() override;
    bool Delete() override;
    bool IsOpen() const override { return file_.IsOpen(); }
    int64_t GetPosition() const override { return position_; }
    // Clamps to the length, then moves on to the next frame start of the
    // file's kind.
    bool Seek(int64_t position) override;
    bool SetLength(int64_t bytes) override;
    // From the first frame to the end of the file, less an ID3v1 record.
    int64_t GetLength() const override { return length_; }
    int64_t Write(const void* data, int64_t count) override;
    int64_t Read(void* data, int64_t count) override;
    std::optional<std::string> GetTag(std::string_view name,
                                      std::size_t maxBytes = kMaxTagBytes) override;
    bool SetTag(std::string_view name, std::string_view text) override;

    void Close() override;
    bool OpenOrCreate(const std::string& path) override;
    BufferedFile& GetHandle() { return file_; }
    // From the current position: the next frame start with a valid header
    // (and, with checkNext, a frame start right after it or the end of the
    // file); the position stays on that frame and the format is taken from
    // it. On failure the position is at the candidate frame start, or at
    // the end of the file.
    virtual bool CheckFrame(bool checkNext);
    // At file offset 0: steps over an ID3v2 tag; false (and back at 0)
    // when there is none.
    virtual bool SkipId3v2();

    // File offset of the first audio frame.
    int64_t GetDataStart() const { return dataStart_; }
    bool HasId3v1() const { return id3v1Set_; }
    const Id3v1Record& GetId3v1() const { return id3v1_; }
    // The header of the frame CheckFrame last accepted.
    const Mp3FrameHeader& GetFrameHeader() const { return frame_; }

  private:
    // Bytes from the current position to the next frame start, standing on
    // it; -1 at the end of the file.
    int64_t FindFrameStart();
    // The same for a frame start whose header fits the file's first frame
    // (layer and sample rate), so that sync patterns inside audio data are
    // passed over.
    int64_t FindFrameOfThisFile();
    bool OpenFile(unsigned mode);
    // Adds the ID3v2 frame: over the old tag when the new one fits in its
    // place, else on a copy of the file that replaces it once complete. The
    // file stays readable with all of its audio on any failure.
    Id3v2AddResult AddFrame(std::string_view name, std::string_view text, int64_t behindData);
    // Writes tag over the first tag.size() bytes of the file, which the old
    // tag takes; the audio behind them is not touched.
    bool WriteTagInPlace(const std::vector<unsigned char>& tag);
    // A copy of tag followed by the file from oldTagBytes on replaces the
    // file once it is on disk and ends in the behindData bytes of audio.
    bool WriteTagBeside(const std::vector<unsigned char>& tag, int64_t oldTagBytes,
                        int64_t behindData);
    // The copy ends in the behindData bytes that follow dataStart_ here.
    bool SameAudioBehindTag(const std::string& copy, int64_t behindData) const;
    void CloseHandle();

    BufferedFile file_;
    bool enableId3v2Tag_;
    int64_t dataStart_ = 0;
    int64_t length_ = 0;
    int64_t position_ = 0;
    bool id3v1Set_ = false;
    bool id3v1Changed_ = false;
    bool id3v1OnDisk_ = false;  // the file ends in the record
    Id3v1Record id3v1_;
    Mp3FrameHeader frame_;
};
