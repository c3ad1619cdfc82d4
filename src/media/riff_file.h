#pragma once

#include <cstdint>
#include <string>

#include "media/media_file.h"
#include "media/riff_io.h"

// A MediaFile in a RIFF container: the RIFF chunk of one form type holding
// header chunks and one data chunk with the audio. Audio is appended after
// the data unless overwriting; the data and RIFF sizes are written on
// Update(). Chunks that follow the data are kept as long as the data does
// not grow over them.
class RiffFile : public MediaFile {
  public:
    ~RiffFile() override;

    bool Update() override;
    bool Delete() override;
    bool IsOpen() const override { return io_.IsOpen(); }
    int64_t GetPosition() const override { return position_; }
    bool Seek(int64_t position) override;
    // Only shortens the data.
    bool SetLength(int64_t bytes) override;
    int64_t GetLength() const override { return length_; }
    int64_t Write(const void* data, int64_t count) override;
    int64_t Read(void* data, int64_t count) override;

    // Closes the file if open, then OpenOrCreate(path).
    virtual bool Open(const std::string& path);
    // An empty path makes a temporary file (deleted at close unless audio
    // was written).
    bool OpenOrCreate(const std::string& path) override;
    void Close() override;
    virtual std::string GetTempDir() const;
    virtual std::string MakeTempName() const;
    RiffIo& GetHandle() { return io_; }
    // Header chunks of the form, written at creation / read at open.
    virtual bool WriteHeader() { return true; }
    virtual bool ReadHeader() { return true; }

    // File offset of the first byte of audio data.
    int64_t GetDataOffset() const { return data_.dataOffset; }

  protected:
    RiffFile(uint32_t formType, unsigned openMode);

    // Writes the data and RIFF sizes. The RIFF ends after the data, or
    // after the chunks that follow it while they are intact.
    bool FixSizes();
    int64_t RiffContentStart() const { return riff_.dataOffset + 4; }
    // End of the audio data with its pad byte.
    int64_t PaddedDataEnd() const { return data_.dataOffset + length_ + (length_ & 1); }

    RiffIo io_;
    uint32_t formType_;
    uint32_t dataId_;
    RiffChunk riff_;
    RiffChunk data_;
    int64_t length_ = 0;
    int64_t position_ = 0;
    // The chunks after the data: [tailStart_, tailEnd_), intact while
    // tailStart_ is the padded end of the data.
    int64_t tailStart_ = 0;
    int64_t tailEnd_ = 0;
    // What follows the RIFF end is left over from replaced chunks and is cut
    // off at close.
    bool truncateTail_ = false;

  private:
    bool CreateNew();
    bool OpenExisting();
};
