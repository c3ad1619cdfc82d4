#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

// The 128-byte ID3v1 record at the end of an MP3 file: "TAG", title (30
// bytes), artist (30), album (30), year (4), comment (30), genre (1). A
// field is not zero-terminated when it is full.
class Id3v1Record {
  public:
    static constexpr std::size_t kSize = 128;
    using Bytes = std::array<unsigned char, kSize>;

    // A new record: "TAG" and 125 zero bytes.
    Id3v1Record();
    explicit Id3v1Record(const Bytes& bytes) : bytes_(bytes) {}

    // The bytes begin with "TAG".
    static bool IsRecord(const unsigned char* bytes, std::size_t size);
    // "title", "artist", "album", "year" and "comment" (any case).
    static bool HasField(std::string_view name);

    // Copies at most the field's width; false for a name without a field.
    bool SetField(std::string_view name, std::string_view text);
    // The field's text up to its first zero byte; empty for other names.
    std::string Field(std::string_view name) const;

    const Bytes& bytes() const { return bytes_; }

  private:
    Bytes bytes_{};
};
