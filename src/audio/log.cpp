#include "audio/log.h"

#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <climits>
#include <utility>

#include "platform/xdg_paths.h"

namespace {

std::string FormatMessage(const char* format, va_list args) {
    va_list copy;
    va_copy(copy, args);
    const int length = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (length <= 0) {
        return {};
    }
    std::string text(static_cast<size_t>(length) + 1, '\0');
    std::vsnprintf(text.data(), text.size(), format, args);
    text.resize(static_cast<size_t>(length));
    return text;
}

std::string CurrentLocalTime() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    if (localtime_r(&now, &local) == nullptr) {
        return {};
    }
    return FormatLogTime(local);
}

std::string ParentFolder(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

std::string FileName(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

DiagnosticLog& ProcessLog() {
    // Never destroyed: worker threads may still log while the process exits.
    static DiagnosticLog* log =
        new DiagnosticLog([] { return ChooseLogPath(RunningExecutablePath()); });
    return *log;
}

}  // namespace

DiagnosticLog::DiagnosticLog(std::string path) : path_(std::move(path)) {}

DiagnosticLog::DiagnosticLog(std::function<std::string()> pathSource)
    : pathSource_(std::move(pathSource)) {}

DiagnosticLog::~DiagnosticLog() = default;

int DiagnosticLog::count() const {
    std::lock_guard lock(mutex_);
    return count_;
}

std::string DiagnosticLog::path() const {
    std::lock_guard lock(mutex_);
    return path_;
}

void DiagnosticLog::Write(const char* format, ...) {
    va_list args;
    va_start(args, format);
    WriteV(format, args);
    va_end(args);
}

void DiagnosticLog::WriteV(const char* format, va_list args) {
    std::lock_guard lock(mutex_);
    if (count_ > kMaxCalls) {
        return;  // stays put so that the counter can never wrap around
    }
    ++count_;
    if (count_ > kMaxCalls) {
        return;
    }
    FILE* file = Open();
    if (file == nullptr) {
        return;
    }
    if (count_ == kMaxCalls) {
        std::fputs(kClosingNote, file);
    } else {
        const std::string entry =
            CurrentLocalTime() + "\r\n" + FormatMessage(format, args) + "\r\n";
        std::fwrite(entry.data(), 1, entry.size(), file);
    }
    std::fflush(file);
    std::fclose(file);
}

FILE* DiagnosticLog::Open() {
    if (path_.empty() && pathSource_) {
        path_ = pathSource_();
    }
    if (path_.empty()) {
        return nullptr;
    }
    FILE* file = std::fopen(path_.c_str(), "ab");
    if (file != nullptr && count_ == 1) {
        if (std::fseek(file, 0, SEEK_END) == 0 && std::ftell(file) > kMaxSizeAtStart) {
            std::fclose(file);
            file = std::fopen(path_.c_str(), "wb");
        }
    }
    return file;
}

std::string FormatLogTime(const std::tm& time) {
    static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const char* day = (time.tm_wday >= 0 && time.tm_wday < 7) ? kDays[time.tm_wday] : "???";
    const char* month = (time.tm_mon >= 0 && time.tm_mon < 12) ? kMonths[time.tm_mon] : "???";
    char text[64];
    std::snprintf(text, sizeof text, "%.3s %.3s%3d %.2d:%.2d:%.2d %d", day, month, time.tm_mday,
                  time.tm_hour, time.tm_min, time.tm_sec, 1900 + time.tm_year);
    return text;
}

std::string LogPathBesideExecutable(const std::string& executablePath) {
    const size_t slash = executablePath.rfind('/');
    const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    if (nameStart >= executablePath.size()) {
        return {};
    }
    // Only a dot inside the file name starts an extension; a leading dot
    // marks a hidden file, and a dot in a folder name is part of the folder.
    const size_t dot = executablePath.rfind('.');
    if (dot != std::string::npos && dot > nameStart) {
        return executablePath.substr(0, dot) + ".log";
    }
    return executablePath + ".log";
}

std::string ChooseLogPath(const std::string& executablePath) {
    const std::string beside = LogPathBesideExecutable(executablePath);
    if (beside.empty()) {
        return {};
    }
    if (access(ParentFolder(beside).c_str(), W_OK | X_OK) == 0) {
        return beside;
    }
    const QString folder = xdg::StateHome() + "/Plumora";
    QDir().mkpath(folder);
    return QFile::encodeName(folder).toStdString() + "/" + FileName(beside);
}

std::string RunningExecutablePath() {
    char buffer[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (length > 0) {
        std::string path(buffer, static_cast<size_t>(length));
        // The link names a replaced executable with this suffix.
        const std::string deleted = " (deleted)";
        if (path.size() > deleted.size() &&
            path.compare(path.size() - deleted.size(), deleted.size(), deleted) == 0 &&
            access(path.c_str(), F_OK) != 0) {
            path.resize(path.size() - deleted.size());
        }
        return path;
    }
    if (QCoreApplication::instance() != nullptr) {
        return QFile::encodeName(QCoreApplication::applicationFilePath()).toStdString();
    }
    return {};
}

void LogWarning(const char* format, ...) {
    va_list args;
    va_start(args, format);
    ProcessLog().WriteV(format, args);
    va_end(args);
}
