#include "media/media_file.h"

std::string MediaFile::GetFileTitle() const {
    if (!IsOpen()) {
        return {};
    }
    const std::size_t slash = fileName_.find_last_of('/');
    return slash == std::string::npos ? fileName_ : fileName_.substr(slash + 1);
}

bool MediaFile::SetTag(std::string_view, std::string_view) { return false; }

void MediaFile::AddSampleCount(uint32_t) {}

bool HasExtension(std::string_view path, std::string_view ext) {
    if (path.size() < ext.size()) {
        return false;
    }
    const std::string_view tail = path.substr(path.size() - ext.size());
    for (std::size_t i = 0; i < ext.size(); ++i) {
        const auto lower = [](char c) {
            return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
        };
        if (lower(tail[i]) != lower(ext[i])) {
            return false;
        }
    }
    return true;
}
