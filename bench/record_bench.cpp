// Records a stretch of 44100 Hz 16-bit stereo from an ALSA device that
// delivers data as fast as it is read (the file plugin reading /dev/zero on
// the null plugin), once through the program's recorder and once through
// arecord, and reports CPU seconds per hour of audio and buffers dropped for
// both, with their ratio.
//
//   record_bench [--seconds N] [--dir FOLDER]
//
// N is the length of audio to record (default 3600). Each recording is
// written to FOLDER (default: a temporary folder) and deleted afterwards.

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "audio/swave_in.h"
#include "bench_support.h"

extern char** environ;

namespace {

using bench::CpuSeconds;

constexpr const char* kDevice = "plumora_bench";
constexpr double kBytesPerSecond = 44100.0 * 4;

struct Figures {
    double audioSeconds = 0;
    double wallSeconds = 0;
    double cpuSeconds = 0;
    long dropped = 0;
    bool ok = false;

    double CpuPerHour() const { return audioSeconds > 0 ? cpuSeconds * 3600 / audioSeconds : 0; }
};

Figures RunRecorder(const QString& path, double seconds) {
    Figures figures;
    const auto target = static_cast<int64_t>(seconds * kBytesPerSecond);
    rusage before{};
    getrusage(RUSAGE_SELF, &before);
    QElapsedTimer wall;
    wall.start();
    {
        SWaveIn recorder(nullptr, path.toStdString(), WaveFormat::Pcm(2, 44100, 16), kDevice);
        if (!recorder.IsOpen() || !recorder.Start()) {
            std::fprintf(stderr, "recorder: cannot record from %s\n", kDevice);
            return figures;
        }
        while (recorder.GetBytesWritten() < target) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        recorder.Stop();
        figures.audioSeconds = static_cast<double>(recorder.GetBytesWritten()) / kBytesPerSecond;
        figures.dropped = recorder.DroppedBuffers();
    }  // the file is completed here
    figures.wallSeconds = wall.elapsed() / 1000.0;
    rusage after{};
    getrusage(RUSAGE_SELF, &after);
    figures.cpuSeconds = CpuSeconds(after) - CpuSeconds(before);
    figures.ok = true;
    return figures;
}

Figures RunArecord(const QString& path, double seconds, const QString& errorLog) {
    Figures figures;
    const std::string duration = std::to_string(static_cast<long>(seconds));
    const std::string out = path.toStdString();
    const std::string err = errorLog.toStdString();
    std::vector<std::string> args = {"arecord", "-D",    kDevice, "-f",  "S16_LE", "-c",     "2",
                                     "-r",      "44100", "-t",    "wav", "-d",     duration, out};
    std::vector<char*> argv;
    for (std::string& arg : args) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, err.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    QElapsedTimer wall;
    wall.start();
    pid_t pid = 0;
    if (posix_spawnp(&pid, "arecord", &actions, nullptr, argv.data(), environ) != 0) {
        std::fprintf(stderr, "arecord: cannot start it\n");
        posix_spawn_file_actions_destroy(&actions);
        return figures;
    }
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "arecord: failed (see %s)\n", err.c_str());
        return figures;
    }
    figures.wallSeconds = wall.elapsed() / 1000.0;
    figures.cpuSeconds = CpuSeconds(usage);
    const qint64 size = QFileInfo(path).size();
    figures.audioSeconds = size > 44 ? static_cast<double>(size - 44) / kBytesPerSecond : 0;
    QFile log(errorLog);
    if (log.open(QIODevice::ReadOnly)) {
        figures.dropped = log.readAll().count("overrun");
    }
    figures.ok = true;
    return figures;
}

void Print(const char* name, const Figures& f) {
    std::printf(
        "%-10s audio %8.1f s  wall %7.2f s  CPU %7.2f s  CPU per hour of audio %7.2f s  "
        "buffers dropped %ld\n",
        name, f.audioSeconds, f.wallSeconds, f.cpuSeconds, f.CpuPerHour(), f.dropped);
}

}  // namespace

int main(int argc, char** argv) {
    double seconds = 3600;
    QString folder;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--seconds") {
            seconds = std::atof(argv[i + 1]);
        } else if (option == "--dir") {
            folder = QString::fromLocal8Bit(argv[i + 1]);
        }
    }
    if (seconds <= 0) {
        std::fprintf(stderr, "usage: record_bench [--seconds N] [--dir FOLDER]\n");
        return 2;
    }
    QTemporaryDir temporary;
    if (folder.isEmpty()) {
        folder = temporary.path();
    }
    QDir dir(folder);

    // ALSA reads this configuration only; it must be set before any ALSA
    // call.
    const QString config = dir.filePath("bench-asound.conf");
    QFile configFile(config);
    if (!configFile.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(config));
        return 1;
    }
    configFile.write(QStringLiteral("pcm.%1 {\n  type file\n  slave.pcm { type null }\n"
                                    "  format \"raw\"\n  file \"/dev/null\"\n"
                                    "  infile \"/dev/zero\"\n"
                                    "  hint { description \"Benchmark capture\" }\n}\n")
                         .arg(kDevice)
                         .toUtf8());
    configFile.close();
    setenv("ALSA_CONFIG_PATH", config.toLocal8Bit().constData(), 1);

    QCoreApplication app(argc, argv);
    std::printf("Recording %.0f s of 44100 Hz 16-bit stereo from %s (file plugin on /dev/zero)\n",
                seconds, kDevice);
    std::fflush(stdout);
    const QString ours = dir.filePath("bench-recorder.wav");
    const Figures recorder = RunRecorder(ours, seconds);
    QFile::remove(ours);
    const QString theirs = dir.filePath("bench-arecord.wav");
    const Figures arecord = RunArecord(theirs, seconds, dir.filePath("bench-arecord.log"));
    QFile::remove(theirs);
    if (!recorder.ok || !arecord.ok) {
        return 1;
    }
    Print("recorder", recorder);
    Print("arecord", arecord);
    std::printf("ratio recorder/arecord: CPU per hour of audio %.2f\n",
                arecord.CpuPerHour() > 0 ? recorder.CpuPerHour() / arecord.CpuPerHour() : 0.0);
    return 0;
}
