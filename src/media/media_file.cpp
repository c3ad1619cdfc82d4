#include "media/media_file.h"

std::string MediaFile::GetFileTitle() const {
    if (!IsOpen()) {
        return {};
    }
    const std::size_t slash = fileName_.find_last_of('/');
    return slash == std::string::npos ? fileName_ : fileName_.substr(slash + 1);
}

bool MediaFile::SetTag(std::string_view, std::string_view) {
    return false;
}

void MediaFile::AddSampleCount(uint32_t) {}

namespace {
char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}
}  // namespace

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (Lower(a[i]) != Lower(b[i])) {
            return false;
        }
    }
    return true;
}

bool HasExtension(std::string_view path, std::string_view ext) {
    return path.size() >= ext.size() &&
           EqualsIgnoreCase(path.substr(path.size() - ext.size()), ext);
}
