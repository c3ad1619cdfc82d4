#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "media/riff_file.h"

// The RIFF form "WAVE". A new file is laid out as
//   "RIFF" size "WAVE"
//   "JUNK" 28: zeros, the room "ds64" takes when the file becomes RF64
//   "fmt " 18 + extra size: the format record with its extra size field
//   "fact" 4: the sample count, written for every format
//   ["LIST" "INFO" items, when tags were set while the data was empty]
//   "data" size: the audio
//   ["DISP" size: 1, the metadata item, a zero byte]
// with every chunk padded to an even length. Beyond the plain RIFF limit it
// goes on as "RF64" with "ds64" in place of "JUNK" (see RiffFile); "fact"
// then says 0xFFFFFFFF once the count needs more than 32 bits.
class WaveFile : public RiffFile {
  public:
    static constexpr std::size_t kFormatBufferSize = 2000;

    // format: the format of a new file (nullptr: DefaultFormat()); an
    // existing file keeps its own. openMode: kOpen* flags.
    WaveFile(const std::string& path, const WaveFormat* format, unsigned openMode);
    ~WaveFile() override;

    // Lands on a multiple of the block alignment, within the data.
    bool Seek(int64_t position) override;
    // Sizes, then the sample count in "fact".
    bool Update() override;
    // Names of the INFO table ("artist", "comment", ...) and kTimecodeTagName.
    std::optional<std::string> GetTag(std::string_view name,
                                      std::size_t maxBytes = kMaxTagBytes) override;
    // kTimecodeTagName goes into a "DISP" chunk after the data at any time;
    // INFO names only while the data is empty and the item is not there yet;
    // other names are accepted and not stored.
    bool SetTag(std::string_view name, std::string_view text) override;
    void AddSampleCount(uint32_t samples) override;
    bool WriteHeader() override;
    bool ReadHeader() override;

    uint64_t GetSampleCount() const { return sampleCount_; }
    // The count kept so far, e.g. carried over when the file is reopened.
    void SetSampleCount(uint64_t samples) { sampleCount_ = samples; }

    // PCM, 1 channel, 22050 samples per second, 8 bits.
    static WaveFormat DefaultFormat();
    // The INFO chunk id a tag name is stored under; 0 for other names.
    static uint32_t InfoId(std::string_view name);

  private:
    bool SetTimecodeItem(std::string_view text);
    bool AddInfoItem(uint32_t id, std::string_view text);
    std::optional<std::string> FindTimecodeItem(std::size_t maxBytes);
    std::optional<std::string> FindInfoItem(uint32_t id, std::size_t maxBytes);
    uint64_t ComputeSampleCount() const;
    uint64_t Ds64SampleCount() const override;
    // Bytes to read of a chunk's contents from the current position.
    std::size_t Available(int64_t chunkBytes, std::size_t maxBytes) const;

    uint64_t sampleCount_ = 0;
};
