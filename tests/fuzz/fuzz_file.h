#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

// The fuzz input as a file of its own; removed again on destruction.
class FuzzFile {
  public:
    FuzzFile(const uint8_t* data, size_t size, const char* extension) {
        const char* dir = std::getenv("TMPDIR");
        path_ = std::string(dir && *dir ? dir : "/tmp") + "/plumora-fuzz-" +
                std::to_string(::getpid()) + extension;
        if (FILE* f = std::fopen(path_.c_str(), "wb")) {
            if (size > 0) {
                std::fwrite(data, 1, size, f);
            }
            std::fclose(f);
        }
    }
    ~FuzzFile() { std::remove(path_.c_str()); }
    const std::string& path() const { return path_; }

  private:
    std::string path_;
};
