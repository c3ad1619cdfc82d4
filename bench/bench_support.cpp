#include "bench_support.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <QFile>
#include <algorithm>
#include <cmath>
#include <numbers>

extern char** environ;

namespace bench {

namespace {

double Seconds(const timeval& t) {
    return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6;
}

}  // namespace

double CpuSeconds(const rusage& usage) {
    return Seconds(usage.ru_utime) + Seconds(usage.ru_stime);
}

double SelfCpu() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return CpuSeconds(usage);
}

bool WritePcm(const QString& path, double seconds) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        return false;
    }
    const auto frames = static_cast<int64_t>(seconds * kRate);
    std::vector<int16_t> block(kRate * 2);
    uint32_t noise = 1;
    for (int64_t at = 0; at < frames; at += kRate) {
        const int64_t n = std::min<int64_t>(kRate, frames - at);
        for (int64_t i = 0; i < n; ++i) {
            const double t = static_cast<double>(at + i) / kRate;
            noise = noise * 1664525u + 1013904223u;
            const double r = (static_cast<int>(noise >> 16) - 32768) / 32768.0;
            const double left = 0.4 * std::sin(2 * std::numbers::pi * 440 * t) + 0.03 * r;
            const double right = 0.4 * std::sin(2 * std::numbers::pi * 1234 * t) + 0.03 * r;
            block[static_cast<size_t>(2 * i)] = static_cast<int16_t>(left * 32767);
            block[static_cast<size_t>(2 * i + 1)] = static_cast<int16_t>(right * 32767);
        }
        const auto bytes = static_cast<qint64>(n * 4);
        if (file.write(reinterpret_cast<const char*>(block.data()), bytes) != bytes) {
            return false;
        }
    }
    return true;
}

double RunProgram(std::vector<std::string> args) {
    std::vector<char*> argv;
    for (std::string& arg : args) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        return -1;
    }
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        return -1;
    }
    return CpuSeconds(usage);
}

pid_t StartPacedFeed(const std::string& fifo, const std::string& pcm, int64_t bytes) {
    const pid_t pid = fork();
    if (pid != 0) {
        return pid;
    }
    // The child: plain system calls only.
    signal(SIGPIPE, SIG_IGN);
    const int in = open(pcm.c_str(), O_RDONLY);
    const int out = open(fifo.c_str(), O_WRONLY);
    if (in < 0 || out < 0) {
        _exit(1);
    }
    constexpr int64_t kPieceBytes = kRate / 50 * 4;  // 20 ms of 16-bit stereo
    char piece[kPieceBytes];
    timespec due{};
    clock_gettime(CLOCK_MONOTONIC, &due);
    for (int64_t done = 0; done < bytes;) {
        const ssize_t got = read(in, piece, sizeof piece);
        if (got <= 0) {
            lseek(in, 0, SEEK_SET);
            continue;
        }
        for (ssize_t at = 0; at < got;) {
            const ssize_t put = write(out, piece + at, static_cast<size_t>(got - at));
            if (put <= 0) {
                _exit(0);  // the reader has gone
            }
            at += put;
        }
        done += got;
        due.tv_nsec += 20000000;
        if (due.tv_nsec >= 1000000000) {
            due.tv_nsec -= 1000000000;
            ++due.tv_sec;
        }
        clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &due, nullptr);
    }
    _exit(0);
}

void EndPacedFeed(pid_t feeder) {
    if (feeder <= 0) {
        return;
    }
    kill(feeder, SIGTERM);
    int status = 0;
    waitpid(feeder, &status, 0);
}

}  // namespace bench
