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
//
// A new file starts with a "JUNK" chunk of kDs64Bytes as the first chunk of
// the form. While the RIFF contents stay within GetPlainRiffLimit() the file
// is plain RIFF; a write that would take it further turns it into RF64 in
// place (EBU Tech 3306): "JUNK" becomes "ds64" with the 64-bit sizes, then
// "RIFF" becomes "RF64", and the RIFF and data size fields say kSizeInDs64.
// Each step leaves a file that readers accept. A file without that room
// takes no audio beyond the limit.
class RiffFile : public MediaFile {
  public:
    // Keeps the data, the headers before it and a metadata chunk after it
    // inside the 32-bit sizes of RIFF.
    static constexpr int64_t kDefaultPlainRiffLimit = 0xFFFFFFFFLL - 0x100000;

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

    // Largest RIFF contents (form type, header chunks, data and the chunks
    // after it) of a plain RIFF file; at most kDefaultPlainRiffLimit.
    void SetPlainRiffLimit(int64_t bytes);
    int64_t GetPlainRiffLimit() const { return plainRiffLimit_; }
    // The file is RF64: its sizes are kept in "ds64".
    bool IsRf64() const { return riff_.id == kFourCCRf64; }
    // Room for "ds64" was kept at the start of the form (or it is there).
    bool CanBecomeRf64() const { return ds64Offset_ != 0; }

  protected:
    RiffFile(uint32_t formType, unsigned openMode);

    // Writes the data and RIFF sizes. The RIFF ends after the data, or
    // after the chunks that follow it while they are intact.
    bool FixSizes();
    // Gives the RIFF chunk its size from the current position; in an RF64
    // file the sizes go into "ds64".
    bool AscendRiff();
    // The sample count "ds64" keeps for the form; 0 when it has none.
    virtual uint64_t Ds64SampleCount() const { return 0; }
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
    // File offset of the contents of the "JUNK" or "ds64" chunk that starts
    // the form; 0 when there is none.
    int64_t ds64Offset_ = 0;
    int64_t plainRiffLimit_ = kDefaultPlainRiffLimit;

  private:
    bool CreateNew();
    bool OpenExisting();
    // Finds the chunk that starts the form and can hold "ds64".
    void FindDs64Room();
    // Turns the file into RF64 with the sizes of now.
    bool BecomeRf64();
    bool WriteDs64();
};
