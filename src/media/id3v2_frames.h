#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

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
    kFailed,  // unknown name, or the tag could not be written
};

// Adds the frame of name to the ID3v2 tag of the file at path; our PRIV
// frame is replaced, an existing text frame is left alone. writeTag: write
// the tag into the file (when false, nothing on disk changes).
Id3v2AddResult AddId3v2Frame(const std::string& path, std::string_view name, std::string_view text,
                             bool writeTag);

// The text of name's frame, or for PRIV its data up to the zero byte (our
// PRIV frame, else the first one), at most maxBytes; nothing when the frame
// is absent.
std::optional<std::string> ReadId3v2Frame(const std::string& path, std::string_view name,
                                          std::size_t maxBytes);

// The tag library is trusted only with tags of the shape this program and
// common writers produce: versions 2.3 and 2.4 without unsynchronisation or
// extended header, text, URL, comment and private frames whose sizes stay
// inside the tag, no compressed, encrypted or grouped frames. bytes: the
// start of the file (at least the whole tag). A file without a tag passes.
bool Id3v2TagIsSafe(const unsigned char* bytes, std::size_t size);
