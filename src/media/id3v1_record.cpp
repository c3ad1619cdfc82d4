#include "media/id3v1_record.h"

#include <algorithm>
#include <cstring>

#include "media/media_file.h"

namespace {

struct Id3v1Field {
    const char* name;
    std::size_t offset;
    std::size_t width;
};
constexpr Id3v1Field kFields[] = {
    {"title", 3, 30}, {"artist", 33, 30}, {"album", 63, 30}, {"year", 93, 4}, {"comment", 97, 30},
};

const Id3v1Field* FindField(std::string_view name) {
    for (const Id3v1Field& field : kFields) {
        if (EqualsIgnoreCase(name, field.name)) {
            return &field;
        }
    }
    return nullptr;
}

}  // namespace

Id3v1Record::Id3v1Record() {
    std::memcpy(bytes_.data(), "TAG", 3);
}

bool Id3v1Record::IsRecord(const unsigned char* bytes, std::size_t size) {
    return size >= 3 && std::memcmp(bytes, "TAG", 3) == 0;
}

bool Id3v1Record::HasField(std::string_view name) {
    return FindField(name) != nullptr;
}

bool Id3v1Record::SetField(std::string_view name, std::string_view text) {
    const Id3v1Field* field = FindField(name);
    if (!field) {
        return false;
    }
    unsigned char* out = bytes_.data() + field->offset;
    std::fill(out, out + field->width, 0);
    std::memcpy(out, text.data(), std::min(text.size(), field->width));
    return true;
}

std::string Id3v1Record::Field(std::string_view name) const {
    const Id3v1Field* field = FindField(name);
    if (!field) {
        return {};
    }
    const unsigned char* begin = bytes_.data() + field->offset;
    const unsigned char* end = std::find(begin, begin + field->width, 0);
    return std::string(begin, end);
}
