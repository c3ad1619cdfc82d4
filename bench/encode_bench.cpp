// Encodes a stretch of 44100 Hz 16-bit stereo (two tones and a little
// noise) captured from an ALSA device that delivers it as fast as it is
// read (the file plugin on the null plugin), through the program's MP3
// 128 kbit/s and Vorbis 64 kbit/s recorders, and the same PCM through the
// lame and oggenc command-line encoders; reports CPU seconds per hour of
// audio and the ratios.
//
//   encode_bench [--seconds N] [--dir FOLDER]
//
// N is the length of audio (default 3600). The PCM and the encoded files
// are written to FOLDER (default: a temporary folder) and deleted.

#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "audio/sstream_wave_in.h"
#include "audio/svorbis_record.h"
#include "bench_support.h"
#include "platform/codec_manager.h"

namespace {

constexpr const char* kDevice = "plumora_encode_bench";
using bench::kRate;
using bench::RunProgram;
using bench::SelfCpu;
using bench::WritePcm;

// Lets a recorder run until framesDone() reaches the target, then stops it.
void RunOurs(const std::function<int64_t()>& framesDone, int64_t target,
             const std::function<void()>& stop) {
    while (framesDone() < target) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    stop();
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
        std::fprintf(stderr, "usage: encode_bench [--seconds N] [--dir FOLDER]\n");
        return 2;
    }
    QTemporaryDir temporary;
    if (folder.isEmpty()) {
        folder = temporary.path();
    }
    QDir dir(folder);
    const QString pcm = dir.filePath("bench-encode.raw");
    if (!WritePcm(pcm, seconds + 5)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(pcm));
        return 1;
    }
    const QString config = dir.filePath("bench-encode-asound.conf");
    QFile configFile(config);
    if (!configFile.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        return 1;
    }
    configFile.write(QStringLiteral("pcm.%1 {\n  type file\n  slave.pcm { type null }\n"
                                    "  format \"raw\"\n  file \"/dev/null\"\n  infile \"%2\"\n"
                                    "  hint { description \"Benchmark capture\" }\n}\n")
                         .arg(kDevice, pcm)
                         .toUtf8());
    configFile.close();
    setenv("ALSA_CONFIG_PATH", config.toLocal8Bit().constData(), 1);
    QCoreApplication app(argc, argv);

    const auto frames = static_cast<int64_t>(seconds * kRate);
    const double perHour = 3600.0 / seconds;

    WaveFormat wanted;
    wanted.formatTag = codec::kTagMpegLayer3;
    wanted.channels = 2;
    wanted.samplesPerSec = kRate;
    wanted.avgBytesPerSec = 16000;
    const auto mp3Format = codec::SuggestFormat(wanted);
    if (!mp3Format) {
        std::fprintf(stderr, "no MP3 128 kbit/s format\n");
        return 1;
    }
    const QString mp3Path = dir.filePath("bench-ours.mp3");
    double oursMp3 = SelfCpu();
    {
        SStreamWaveIn recorder(nullptr, mp3Path.toStdString(), *mp3Format, kDevice);
        if (!recorder.Start()) {
            std::fprintf(stderr, "MP3 recorder cannot start\n");
            return 1;
        }
        RunOurs([&] { return recorder.FramesConverted(); }, frames, [&] { recorder.Stop(); });
    }
    oursMp3 = SelfCpu() - oursMp3;
    QFile::remove(mp3Path);

    WaveFormat vorbis;
    vorbis.channels = 2;
    vorbis.samplesPerSec = kRate;
    vorbis.avgBytesPerSec = 8000;
    const QString oggPath = dir.filePath("bench-ours.ogg");
    double oursVorbis = SelfCpu();
    {
        SVorbisRecord recorder(nullptr, oggPath.toStdString(), vorbis, kDevice);
        if (!recorder.Start()) {
            std::fprintf(stderr, "Vorbis recorder cannot start\n");
            return 1;
        }
        RunOurs([&] { return recorder.FramesEncoded(); }, frames, [&] { recorder.Stop(); });
    }
    oursVorbis = SelfCpu() - oursVorbis;
    QFile::remove(oggPath);

    // The same PCM, cut to the same length, through the reference encoders.
    QFile::resize(pcm, frames * 4);
    const QString lameOut = dir.filePath("bench-lame.mp3");
    const double lame = RunProgram({"lame", "--quiet", "-r", "-s", "44.1", "--bitwidth", "16",
                                    "--signed", "--little-endian", "-m", "j", "--cbr", "-b", "128",
                                    pcm.toStdString(), lameOut.toStdString()});
    QFile::remove(lameOut);
    const QString oggOut = dir.filePath("bench-oggenc.ogg");
    const double oggenc =
        RunProgram({"oggenc", "-Q", "-r", "-B", "16", "-C", "2", "-R", "44100", "-b", "64",
                    "--managed", "-o", oggOut.toStdString(), pcm.toStdString()});
    QFile::remove(oggOut);
    QFile::remove(pcm);

    std::printf("%.0f s of 44100 Hz stereo; CPU seconds per hour of audio\n", seconds);
    std::printf("MP3 128k    ours %7.2f   lame   %7.2f   ratio %.2f\n", oursMp3 * perHour,
                lame * perHour, lame > 0 ? oursMp3 / lame : 0.0);
    std::printf("Vorbis 64k  ours %7.2f   oggenc %7.2f   ratio %.2f\n", oursVorbis * perHour,
                oggenc * perHour, oggenc > 0 ? oursVorbis / oggenc : 0.0);
    return lame < 0 || oggenc < 0 ? 1 : 0;
}
