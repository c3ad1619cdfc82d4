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
inline constexpr uint32_t kFourCCList = FourCC("LIST");

// One chunk of a RIFF file as the reader/writer keeps track of it.
struct RiffChunk {
    uint32_t id = 0;
    // Size of the contents; for "RIFF" and "LIST" the form type included.
    uint32_t size = 0;
    uint32_t formType = 0;   // "RIFF" and "LIST" only
    int64_t dataOffset = 0;  // file offset of the contents
    // Created or written by us: Ascend sets the size from the position.
    bool dirty = false;

    int64_t HeaderOffset() const { return dataOffset - 8; }
    int64_t ContentEnd() const { return dataOffset + size; }
    // End including the pad byte of an odd size.
    int64_t End() const { return dataOffset + size + (size & 1); }
};

enum class RiffFind { kAny, kChunk, kRiff, kList };
enum class RiffCreate { kChunk, kRiff, kList };

// Chunk navigation over a file: descend into a chunk, ascend out of it, and
// create one, with sizes fixed and odd chunks padded on ascent.
class RiffIo : public BufferedFile {
  public:
    // Searches from the current position for a chunk: kChunk one with ck.id,
    // kRiff/kList a "RIFF"/"LIST" chunk with ck.formType, kAny the next one.
    // The search stays inside parent's contents (and inside the file) and
    // steps over each chunk by its size, so any input ends. On success ck
    // describes the chunk and the position is at its contents (after the
    // form type); on failure the position is unchanged.
    bool Descend(RiffChunk& ck, const RiffChunk* parent, RiffFind find);
    // Leaves a chunk: a dirty chunk gets its size from the current position
    // and a zero pad byte when that is odd. The position moves to the end
    // of the chunk.
    bool Ascend(RiffChunk& ck);
    // Writes a chunk header at the current position (size ck.size, 4 for a
    // "RIFF"/"LIST" with its form type) and marks the chunk dirty.
    bool CreateChunk(RiffChunk& ck, RiffCreate kind);
    bool ReadU32(uint32_t& value);
    bool WriteU32(uint32_t value);
};
