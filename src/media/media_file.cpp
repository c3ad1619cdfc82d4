#include "media/media_file.h"

#include <unistd.h>

#include <cstdio>

#include "media/file_io.h"

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

bool MediaFile::Rename(const std::string& newPath) {
    if (!IsOpen() || newPath.empty()) {
        return false;
    }
    Update();
    const int64_t position = GetPosition();
    const std::string oldPath = fileName_;
    // The file keeps its contents under the new name, temporary or not.
    temporary_ = false;
    Close();
    bool moved = newPath == oldPath || std::rename(oldPath.c_str(), newPath.c_str()) == 0;
    if (!moved) {
        moved = CopyFileContents(oldPath, newPath);  // e.g. to another file system
    }
    if (!OpenOrCreate(moved ? newPath : oldPath)) {
        return false;
    }
    Seek(position);
    return moved;
}

bool MediaFile::CloseAndRemove() {
    dirty_ = false;
    temporary_ = false;
    Close();
    bool removed = true;
    if (FileExists(fileName_)) {
        removed = ::unlink(fileName_.c_str()) == 0;
    }
    fileName_.clear();
    return removed;
}
