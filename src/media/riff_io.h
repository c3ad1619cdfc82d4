#pragma once

#include <cstdint>
#include <string_view>

#include "media/file_io.h"

// Four-character code as stored in RIFF files ("WAVE" -> 'W' in the low byte).
constexpr uint32_t FourCC(std::string_view code) {
    uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        const char c = i < code.size() ? code[i] : ' ';
        value |= static_cast<uint32_t>(static_cast<unsigned char>(c)) << (8 * i);
    }
    return value;
}

inline constexpr uint32_t kFourCCRiff = FourCC("RIFF");
inline constexpr uint32_t kFourCCRf64 = FourCC("RF64");
inline constexpr uint32_t kFourCCList = FourCC("LIST");
inline constexpr uint32_t kFourCCDs64 = FourCC("ds64");
inline constexpr uint32_t kFourCCJunk = FourCC("JUNK");
inline constexpr uint32_t kFourCCData = FourCC("data");

// The 32-bit size field of a chunk whose size an RF64 file keeps in "ds64".
inline constexpr uint32_t kSizeInDs64 = 0xFFFFFFFF;
// Contents of a "ds64" chunk without a table: the RIFF size, the data size,
// the sample count (64 bits each) and the table length (32 bits). A new
// file keeps this much room as a "JUNK" chunk.
inline constexpr int64_t kDs64Bytes = 28;

// One chunk of a RIFF file as the reader/writer keeps track of it.
struct RiffChunk {
    uint32_t id = 0;
    // Size of the contents; for "RIFF", "RF64" and "LIST" the form type
    // included.
    int64_t size = 0;
    uint32_t formType = 0;   // "RIFF", "RF64" and "LIST" only
    int64_t dataOffset = 0;  // file offset of the contents
    // Created or written by us: Ascend sets the size from the position.
    bool dirty = false;
    // The size field says kSizeInDs64 and the size is kept in "ds64" (the
    // "RF64" chunk and its "data" chunk).
    bool sizeInDs64 = false;

    int64_t HeaderOffset() const { return dataOffset - 8; }
    int64_t ContentEnd() const { return dataOffset + size; }
    // End including the pad byte of an odd size.
    int64_t End() const { return dataOffset + size + (size & 1); }
};

enum class RiffFind { kAny, kChunk, kRiff, kList };
enum class RiffCreate { kChunk, kRiff, kList };

// The 64-bit sizes of an RF64 file (EBU Tech 3306).
struct Ds64Sizes {
    int64_t offset = 0;  // file offset of the "ds64" contents; 0: there is none
    uint64_t riffSize = 0;
    uint64_t dataSize = 0;
    uint64_t sampleCount = 0;
};

// Chunk navigation over a file: descend into a chunk, ascend out of it, and
// create one, with sizes fixed and odd chunks padded on ascent. RF64 files
// are read as RIFF files whose large sizes come from their "ds64" chunk.
class RiffIo : public BufferedFile {
  public:
    // Searches from the current position for a chunk: kChunk one with ck.id,
    // kRiff/kList a "RIFF" (or "RF64")/"LIST" chunk with ck.formType, kAny
    // the next one. The search stays inside parent's contents (and inside
    // the file) and steps over each chunk by its size, so any input ends. On
    // success ck describes the chunk and the position is at its contents
    // (after the form type); on failure the position is unchanged. An
    // "RF64" chunk at the top level is read with the "ds64" chunk that
    // starts its contents; inside it, the RIFF and data sizes that say
    // kSizeInDs64 are those of "ds64".
    bool Descend(RiffChunk& ck, const RiffChunk* parent, RiffFind find);
    // Leaves a chunk: a dirty chunk gets its size from the current position
    // (kSizeInDs64 in the size field when ck.sizeInDs64; the caller writes
    // "ds64") and a zero pad byte when that is odd. The position moves to
    // the end of the chunk.
    bool Ascend(RiffChunk& ck);
    // Writes a chunk header at the current position (size ck.size, 4 for a
    // "RIFF"/"LIST" with its form type) and marks the chunk dirty.
    bool CreateChunk(RiffChunk& ck, RiffCreate kind);
    bool ReadU32(uint32_t& value);
    bool WriteU32(uint32_t value);
    bool WriteU32At(int64_t offset, uint32_t value);

    // The "ds64" chunk of the RF64 file last descended into (offset 0 for a
    // RIFF file).
    const Ds64Sizes& Ds64() const { return ds64_; }
    // Writes the contents of a "ds64" chunk at sizes.offset in one write:
    // the three sizes and an empty table.
    bool WriteDs64(const Ds64Sizes& sizes);

  private:
    void ReadDs64(int64_t formContents);

    Ds64Sizes ds64_;
};
