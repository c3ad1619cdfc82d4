#pragma once

#include <cstdarg>
#include <cstdio>
#include <ctime>
#include <functional>
#include <mutex>
#include <string>

// The diagnostic log: a small append-only text file beside the executable
// that records the program's start and end, the recordings, and failures of
// the audio worker threads. Every entry is the local time in the 24-character
// form "Wed Jan  3 04:05:06 2024", a line end, the message and a line end;
// line ends are CR LF. A session logs at most 199 messages, then a closing
// note. Every failure is silent.

// printf-style; callable from any thread. Writes to the process-wide log.
void LogWarning(const char* format, ...) __attribute__((format(printf, 1, 2)));

// The log of one session, with its own counter and lock. LogWarning uses one
// process-wide instance; tests make their own.
class DiagnosticLog {
  public:
    static constexpr int kMaxCalls = 200;
    // A log longer than this at the first call of a session is emptied.
    static constexpr long kMaxSizeAtStart = 10000;
    static constexpr const char* kClosingNote =
        "\r\n\r\nMaximum warnings reported this session... ";

    // Writes to the given file.
    explicit DiagnosticLog(std::string path);
    // Asks pathSource for the file at each call until it gives a non-empty
    // path; an empty path drops the message.
    explicit DiagnosticLog(std::function<std::string()> pathSource);
    ~DiagnosticLog();
    DiagnosticLog(const DiagnosticLog&) = delete;
    DiagnosticLog& operator=(const DiagnosticLog&) = delete;

    void Write(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void WriteV(const char* format, va_list args) __attribute__((format(printf, 2, 0)));

    // Calls made so far, including dropped ones.
    int count() const;
    std::string path() const;

  private:
    FILE* Open();

    mutable std::mutex mutex_;
    std::function<std::string()> pathSource_;
    std::string path_;
    int count_ = 0;
};

// "Www Mmm dd hh:mm:ss yyyy" with English names whatever the locale.
std::string FormatLogTime(const std::tm& time);

// The log file for an executable: the extension of the file name replaced by
// ".log", or ".log" appended when the file name has none. Empty for an empty
// path or one that ends in "/".
std::string LogPathBesideExecutable(const std::string& executablePath);

// Where the log of that executable goes: beside it when its folder is
// writable, else in <XDG state home>/Plumora/ (created when missing).
std::string ChooseLogPath(const std::string& executablePath);

// Full path of the running executable; empty when it cannot be found.
std::string RunningExecutablePath();
