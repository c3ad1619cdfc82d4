#include "bench_support.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QFile>
#include <algorithm>
#include <cmath>
#include <cstdlib>
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

namespace {

// Starts a program with its standard input and output on the given
// descriptors (-1: /dev/null) and its errors discarded; 0 when it cannot.
pid_t Spawn(std::vector<std::string>& args, int in, int out) {
    std::vector<char*> argv;
    for (std::string& arg : args) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (in >= 0) {
        posix_spawn_file_actions_adddup2(&actions, in, STDIN_FILENO);
    } else {
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    }
    if (out >= 0) {
        posix_spawn_file_actions_adddup2(&actions, out, STDOUT_FILENO);
    } else {
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    }
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return spawned == 0 ? pid : 0;
}

// The CPU seconds of a finished child, negative when it failed.
double Reap(pid_t pid) {
    if (pid <= 0) {
        return -1;
    }
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        return -1;
    }
    return CpuSeconds(usage);
}

std::string PacedCaptureScript() {
    return std::string(PLUMORA_BENCH_DIR) + "/paced_capture.sh";
}

}  // namespace

double RunProgram(std::vector<std::string> args) {
    return Reap(Spawn(args, -1, -1));
}

PipeCpu RunPipe(std::vector<std::string> first, std::vector<std::string> second) {
    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0) {
        return {};
    }
    const pid_t writer = Spawn(first, -1, pipeFds[1]);
    close(pipeFds[1]);
    const pid_t reader = Spawn(second, pipeFds[0], -1);
    close(pipeFds[0]);
    PipeCpu cpu;
    cpu.second = Reap(reader);
    cpu.first = Reap(writer);
    return cpu;
}

bool PacedCapture::Start(const std::string& folder) {
    if (RunProgram({PacedCaptureScript(), "start", folder}) < 0) {
        return false;
    }
    folder_ = folder;
    setenv("ALSA_CONFIG_PATH", (folder + "/asound.conf").c_str(), 1);
    return true;
}

PacedCapture::~PacedCapture() {
    if (!folder_.empty()) {
        RunProgram({PacedCaptureScript(), "stop", folder_});
    }
}

}  // namespace bench
