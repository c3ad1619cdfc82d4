// Records a stretch of 44100 Hz 16-bit stereo about in real time, as from a
// sound card: an ALSA device (the file plugin on the null plugin) reads a
// named pipe that a child process fills at the pace of a capture device.
// The file plugin tops a short read of the pipe up with its null slave's
// silence, so the device waits only while the pipe is empty and may run
// somewhat ahead of real time; the reference programs reading the pipe
// directly are paced exactly. The
// radio panel records it through StartEvent and StopEvent in WAV, MP3 128
// kbit/s and Vorbis 64 kbit/s, with the event loop running as in the
// program; arecord, lame and oggenc take the same paced input. Reports CPU
// seconds per hour of audio, the ratios, and the user-interface thread's
// share (status line, meter, size limit).
//
//   record_control_bench [--seconds N] [--dir FOLDER]
//
// N is the length of audio per run (default 60; six runs take 6 N seconds).
// Files go to FOLDER (default: a temporary folder) and are deleted.

#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "app/action_block.h"
#include "app/radio_panel.h"
#include "app/record_control.h"
#include "app/settings_records.h"
#include "audio/sstream_wave_in.h"
#include "audio/svorbis_record.h"
#include "bench_support.h"
#include "platform/codec_manager.h"
#include "platform/post_message.h"

namespace {

constexpr const char* kDevice = "plumora_record_bench";
using bench::kRate;
using bench::RunProgram;
using bench::SelfCpu;
using bench::WritePcm;

// The paced input: the pipe the device and the reference programs read,
// and the PCM that goes into it.
struct PacedInput {
    std::string fifo;
    std::string pcm;
    int64_t bytes = 0;
};

double ThreadCpu() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + t.tv_nsec / 1e9;
}

// Sample frames the running recorder has taken from the device.
int64_t FramesDone(SRecord* recorder) {
    if (auto* vorbis = dynamic_cast<SVorbisRecord*>(recorder)) {
        return vorbis->FramesEncoded();
    }
    if (auto* stream = dynamic_cast<SStreamWaveIn*>(recorder)) {
        return stream->HasCodecStream() ? stream->FramesConverted() : stream->GetBytesWritten() / 4;
    }
    return 0;
}

struct Figures {
    double cpu = -1;
    double uiCpu = -1;
};

// Runs the event loop until done() holds, looking every 200 ms.
void RunUntil(const std::function<bool()>& done) {
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (done()) {
            loop.quit();
        }
    });
    poll.start(200);
    if (!done()) {
        loop.exec();
    }
}

// One recording by hand through the panel until `frames` are in.
Figures RecordThroughPanel(SettingsRecords& settings, int format, int64_t frames,
                           const PacedInput& input) {
    settings.formats.defaultAudioFormat = format;
    ActionBlock actions;
    TAppDialog panel(settings, actions, false);
    panel.SetUp();
    RecordControl& control = *panel.recordControl();
    const pid_t feeder = bench::StartPacedFeed(input.fifo, input.pcm, input.bytes);
    const double cpu = SelfCpu();
    const double ui = ThreadCpu();
    panel.StartEvent(-1);
    RunUntil([&] { return control.settled(); });
    SRecord* recorder = control.recorder();
    if (!panel.recording() || recorder == nullptr) {
        bench::EndPacedFeed(feeder);
        return {};
    }
    RunUntil([&] { return !panel.recording() || FramesDone(recorder) >= frames; });
    panel.StopEvent(-1);
    RunUntil([&] { return control.settled(); });
    const Figures figures{SelfCpu() - cpu, ThreadCpu() - ui};
    bench::EndPacedFeed(feeder);
    return figures;
}

// A reference program reading the paced input.
double RunPaced(const PacedInput& input, std::vector<std::string> args) {
    const pid_t feeder = bench::StartPacedFeed(input.fifo, input.pcm, input.bytes);
    const double cpu = RunProgram(std::move(args));
    bench::EndPacedFeed(feeder);
    return cpu;
}

}  // namespace

int main(int argc, char** argv) {
    double seconds = 60;
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
        std::fprintf(stderr, "usage: record_control_bench [--seconds N] [--dir FOLDER]\n");
        return 2;
    }
    QTemporaryDir temporary;
    if (folder.isEmpty()) {
        folder = temporary.path();
    }
    QDir dir(folder);
    const QString pcm = dir.filePath("bench-record.raw");
    if (!WritePcm(pcm, seconds + 5)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(pcm));
        return 1;
    }
    const QString config = dir.filePath("bench-record-asound.conf");
    QFile configFile(config);
    if (!configFile.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        return 1;
    }
    const QString fifo = dir.filePath("bench-record.fifo");
    QFile::remove(fifo);
    if (mkfifo(fifo.toLocal8Bit().constData(), 0600) != 0) {
        std::fprintf(stderr, "cannot make %s\n", qPrintable(fifo));
        return 1;
    }
    configFile.write(QStringLiteral("pcm.%1 {\n  type file\n  slave.pcm { type null }\n"
                                    "  format \"raw\"\n  file \"/dev/null\"\n  infile \"%2\"\n"
                                    "  hint { description \"Benchmark capture\" }\n}\n")
                         .arg(kDevice, fifo)
                         .toUtf8());
    configFile.close();
    setenv("ALSA_CONFIG_PATH", config.toLocal8Bit().constData(), 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);

    const auto frames = static_cast<int64_t>(seconds * kRate);
    const double perHour = 3600.0 / seconds;

    SettingsRecords settings;
    settings.radio.vendor = 6;  // no radio
    settings.sound.waveInDriver = kDevice;
    settings.files.defaultDirectory = dir.filePath("recordings");
    settings.files.fileSize = 9999;
    settings.formats.waveFormat = WaveFormat::Pcm(2, kRate, 16);
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
    settings.formats.mp3Format = *mp3Format;
    settings.formats.vorStereo = true;
    settings.formats.vorSampleRate = static_cast<int>(kRate);
    settings.formats.vorBitRate = 64000;

    // The recorders read the pipe until they have `frames`; the feed goes a
    // little beyond, so that the device never waits at the end.
    const PacedInput input{fifo.toStdString(), pcm.toStdString(), (frames + kRate * 2) * 4};
    const Figures wav = RecordThroughPanel(settings, kFormatWav, frames, input);
    const Figures mp3 = RecordThroughPanel(settings, kFormatMp3, frames, input);
    const Figures ogg = RecordThroughPanel(settings, kFormatVorbis, frames, input);
    QDir(dir.filePath("recordings")).removeRecursively();

    // The reference programs read exactly `frames` from the pipe.
    const PacedInput exact{fifo.toStdString(), pcm.toStdString(), frames * 4};
    const QString arecordOut = dir.filePath("bench-arecord.wav");
    const double arecord =
        RunPaced(input, {"arecord", "-q", "-D", kDevice, "-f", "S16_LE", "-c", "2", "-r", "44100",
                         "-t", "wav", "-s", std::to_string(frames), arecordOut.toStdString()});
    QFile::remove(arecordOut);
    const QString lameOut = dir.filePath("bench-lame.mp3");
    const double lame = RunPaced(exact, {"lame", "--quiet", "-r", "-s", "44.1", "--bitwidth", "16",
                                         "--signed", "--little-endian", "-m", "j", "--cbr", "-b",
                                         "128", fifo.toStdString(), lameOut.toStdString()});
    QFile::remove(lameOut);
    const QString oggOut = dir.filePath("bench-oggenc.ogg");
    const double oggenc =
        RunPaced(exact, {"oggenc", "-Q", "-r", "-B", "16", "-C", "2", "-R", "44100", "-b", "64",
                         "--managed", "-o", oggOut.toStdString(), fifo.toStdString()});
    QFile::remove(oggOut);
    QFile::remove(pcm);
    QFile::remove(fifo);

    auto ratio = [](double ours, double reference) {
        return reference > 0 && ours >= 0 ? ours / reference : 0.0;
    };
    std::printf("%.0f s of 44100 Hz stereo fed in real time; CPU seconds per hour of audio\n",
                seconds);
    std::printf("WAV         ours %7.2f   arecord %7.2f   ratio %.2f   UI thread %.2f\n",
                wav.cpu * perHour, arecord * perHour, ratio(wav.cpu, arecord), wav.uiCpu * perHour);
    std::printf("MP3 128k    ours %7.2f   lame    %7.2f   ratio %.2f   UI thread %.2f\n",
                mp3.cpu * perHour, lame * perHour, ratio(mp3.cpu, lame), mp3.uiCpu * perHour);
    std::printf("Vorbis 64k  ours %7.2f   oggenc  %7.2f   ratio %.2f   UI thread %.2f\n",
                ogg.cpu * perHour, oggenc * perHour, ratio(ogg.cpu, oggenc), ogg.uiCpu * perHour);
    return wav.cpu < 0 || mp3.cpu < 0 || ogg.cpu < 0 || arecord < 0 || lame < 0 || oggenc < 0;
}
