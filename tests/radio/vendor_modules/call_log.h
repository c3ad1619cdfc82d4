#pragma once

// Shared by the replacement vendor modules the radio tests load. Each module
// appends one line per event to the file named by PLUMORA_TEST_VENDOR_LOG:
// "<module> load", "<module> unload", "<module> <function> <arguments...>".
// Results come from PLUMORA_TEST_VENDOR_RESULTS, for example
// "SetTunerFrequency=1,0;IsTuned=-1,1": the n-th call of a function returns
// the n-th value of its list, the last value once the list is used up, and
// 0 for a function not listed. Everything has internal linkage so that the
// module can really be unloaded.

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

#ifndef VENDOR_MODULE_NAME
#error "VENDOR_MODULE_NAME must name the module"
#endif

#define VENDOR_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

FILE* logFile = nullptr;
std::map<std::string, int> callCounts;

__attribute__((format(printf, 1, 2))) void Record(const char* format, ...) {
    if (logFile == nullptr) {
        const char* path = std::getenv("PLUMORA_TEST_VENDOR_LOG");
        if (path == nullptr || (logFile = std::fopen(path, "a")) == nullptr) {
            return;
        }
    }
    std::fprintf(logFile, "%s ", VENDOR_MODULE_NAME);
    va_list args;
    va_start(args, format);
    std::vfprintf(logFile, format, args);
    va_end(args);
    std::fputc('\n', logFile);
    std::fflush(logFile);
}

[[maybe_unused]] int NextResult(const char* function) {
    const int call = callCounts[function]++;
    const char* results = std::getenv("PLUMORA_TEST_VENDOR_RESULTS");
    if (results == nullptr) {
        return 0;
    }
    const std::string all = std::string(";") + results;
    const std::string key = std::string(";") + function + "=";
    const size_t start = all.find(key);
    if (start == std::string::npos) {
        return 0;
    }
    const size_t begin = start + key.size();
    const size_t end = all.find(';', begin);
    const std::string list = all.substr(begin, end == std::string::npos ? end : end - begin);
    int value = 0;
    size_t position = 0;
    for (int index = 0; index <= call && position <= list.size(); ++index) {
        const size_t comma = list.find(',', position);
        value = std::atoi(list.substr(position, comma - position).c_str());
        if (comma == std::string::npos) {
            break;
        }
        position = comma + 1;
    }
    return value;
}

__attribute__((constructor)) void OnLoad() {
    Record("load");
}

__attribute__((destructor)) void OnUnload() {
    Record("unload");
    if (logFile != nullptr) {
        std::fclose(logFile);
        logFile = nullptr;
    }
}

}  // namespace
