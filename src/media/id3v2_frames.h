#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Owner identifier of the PRIV frame that holds the recording's metadata
// item in MP3 files: the maker's web address.
inline constexpr char kPrivOwner[] = "http://www.quillmoor.com";

// ID3v2 frames of tag names, through id3lib:
//   "comment" COMM, "copyright" TCOP, "title"/"name" TIT2, "software" TSSE,
//   "artist" TPE1, "user" TENC, "year" TYER, "album" TALB,
//   kTimecodeTagName PRIV (owner kPrivOwner, the text with its zero byte).
// The four-letter frame id of a name; empty for other names.
std::string_view Id3v2FrameOf(std::string_view name);

enum class Id3v2AddResult {
    kAdded,   // the frame is in the tag (and in the file when written)
    kExists,  // a text frame of that kind is there already; nothing changed
    kFailed,  // unknown name, or the tag could not be made or written
};

// The ID3v2 tag of a file with one frame added, made in memory; nothing on
// disk changes.
struct Id3v2Update {
    Id3v2AddResult result = Id3v2AddResult::kFailed;
    // For kAdded: a version 2.3 tag, header and frames, without padding.
    std::vector<unsigned char> tag;
    // Bytes at the start of the file that the tag library takes for tags
    // (a chain of them, and zeros behind them): what the new tag replaces.
    // 0 when the file has no tag.
    int64_t oldTagBytes = 0;
    // The major version of the tag at the start of the file (0: none). The
    // tag library reads the frames of a version 2.4 tag wrongly or not at
    // all, so the new tag then lacks them.
    unsigned oldVersion = 0;
};

// The tag of the file at path with the frame of name added; our PRIV frame
// is replaced, an existing text frame is left alone (kExists).
Id3v2Update PrepareId3v2Frame(const std::string& path, std::string_view name,
                              std::string_view text);

// Where the frame of tag (as PrepareId3v2Frame makes it) that holds byte
// offset starts; in the padding, the start of the padding.
std::size_t Id3v2FrameStartAt(const std::vector<unsigned char>& tag, std::size_t offset);

// tag as PrepareId3v2Frame makes it, followed by zeros to size bytes in all,
// its header saying so; empty when its frames take more than size.
std::vector<unsigned char> PadId3v2Tag(std::vector<unsigned char> tag, std::size_t size);

// The text of name's frame, or for PRIV its data up to the zero byte (our
// PRIV frame, else the first one), at most maxBytes; nothing when the frame
// is absent.
std::optional<std::string> ReadId3v2Frame(const std::string& path, std::string_view name,
                                          std::size_t maxBytes);

// The tag library is trusted only with tags of the shape this program and
// common writers produce: versions 2.3 and 2.4 without unsynchronisation or
// extended header, text, URL, comment and private frames whose sizes stay
// inside the tag, no compressed, encrypted or grouped frames. The frames end
// at a zero byte where a frame would start; what follows it is not read. bytes: the
// start of the file (at least the whole tag). A file without a tag passes.
bool Id3v2TagIsSafe(const unsigned char* bytes, std::size_t size);
