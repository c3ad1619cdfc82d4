// Records a stretch of 44100 Hz 16-bit stereo in real time from a capture
// device that delivers it as a sound card does (bench/paced_capture.sh: a
// read blocks until the audio is there, nothing is padded). The radio panel
// records it through StartEvent and StopEvent in WAV, MP3 128 kbit/s and
// Vorbis 64 kbit/s, with the event loop running as in the program; arecord
// records the same device, and lame and oggenc encode it as arecord hands
// it to them through a pipe, each program's own CPU time measured. Reports
// CPU seconds per hour of audio, the ratios, and the user-interface
// thread's share (status line, meter, size limit).
//
//   record_control_bench [--seconds N] [--dir FOLDER]
//
// N is the length of audio per run (default 60; six runs take 6 N seconds).
// Files go to FOLDER (default: a temporary folder) and are deleted.

#include <time.h>

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
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

using bench::kPacedDevice;
using bench::kRate;
using bench::RunPipe;
using bench::RunProgram;
using bench::SelfCpu;

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
Figures RecordThroughPanel(SettingsRecords& settings, int format, int64_t frames) {
    settings.formats.defaultAudioFormat = format;
    ActionInbox actions;
    TAppDialog panel(settings, actions, false);
    panel.SetUp();
    RecordControl& control = *panel.recordControl();
    const double cpu = SelfCpu();
    const double ui = ThreadCpu();
    panel.StartEvent(-1);
    RunUntil([&] { return control.settled(); });
    SRecord* recorder = control.recorder();
    if (!panel.recording() || recorder == nullptr) {
        return {};
    }
    RunUntil([&] { return !panel.recording() || FramesDone(recorder) >= frames; });
    panel.StopEvent(-1);
    RunUntil([&] { return control.settled(); });
    return {SelfCpu() - cpu, ThreadCpu() - ui};
}

// arecord's arguments for `frames` of the paced device, then the output.
std::vector<std::string> Arecord(int64_t frames, const char* type, std::string out) {
    return {"arecord",     "-q", "-D",    kPacedDevice, "-f", "S16_LE", "-c",
            "2",           "-r", "44100", "-t",         type, "-s",     std::to_string(frames),
            std::move(out)};
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
    bench::PacedCapture capture;
    if (!capture.Start(dir.filePath("capture").toStdString())) {
        std::fprintf(stderr, "cannot start the paced capture device (bench/paced_capture.sh)\n");
        return 1;
    }
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);

    const auto frames = static_cast<int64_t>(seconds * kRate);
    const double perHour = 3600.0 / seconds;

    SettingsRecords settings;
    settings.radio.vendor = 6;  // no radio
    settings.sound.waveInDriver = kPacedDevice;
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

    const Figures wav = RecordThroughPanel(settings, kFormatWav, frames);
    const Figures mp3 = RecordThroughPanel(settings, kFormatMp3, frames);
    const Figures ogg = RecordThroughPanel(settings, kFormatVorbis, frames);
    QDir(dir.filePath("recordings")).removeRecursively();

    // The reference programs take exactly `frames` of the same device.
    const QString arecordOut = dir.filePath("bench-arecord.wav");
    const double arecord = RunProgram(Arecord(frames, "wav", arecordOut.toStdString()));
    QFile::remove(arecordOut);
    const QString lameOut = dir.filePath("bench-lame.mp3");
    const bench::PipeCpu lame =
        RunPipe(Arecord(frames, "raw", "-"),
                {"lame", "--quiet", "-r", "-s", "44.1", "--bitwidth", "16", "--signed",
                 "--little-endian", "-m", "j", "--cbr", "-b", "128", "-", lameOut.toStdString()});
    QFile::remove(lameOut);
    const QString oggOut = dir.filePath("bench-oggenc.ogg");
    const bench::PipeCpu oggenc = RunPipe(
        Arecord(frames, "raw", "-"), {"oggenc", "-Q", "-r", "-B", "16", "-C", "2", "-R", "44100",
                                      "-b", "64", "--managed", "-o", oggOut.toStdString(), "-"});
    QFile::remove(oggOut);

    // An encoder's reference is its own CPU plus that of the arecord that
    // captured for it, as our recorder both captures and encodes.
    auto ratio = [](double ours, double reference) {
        return reference > 0 && ours >= 0 ? ours / reference : 0.0;
    };
    auto pair = [](const bench::PipeCpu& cpu) {
        return cpu.first >= 0 && cpu.second >= 0 ? cpu.first + cpu.second : -1.0;
    };
    std::printf("%.0f s of 44100 Hz stereo captured in real time; CPU seconds per hour of audio\n",
                seconds);
    std::printf(
        "WAV         ours %7.2f   arecord %7.2f                     ratio %.2f   "
        "UI thread %.2f\n",
        wav.cpu * perHour, arecord * perHour, ratio(wav.cpu, arecord), wav.uiCpu * perHour);
    std::printf(
        "MP3 128k    ours %7.2f   lame    %7.2f + arecord %7.2f   ratio %.2f   "
        "UI thread %.2f\n",
        mp3.cpu * perHour, lame.second * perHour, lame.first * perHour, ratio(mp3.cpu, pair(lame)),
        mp3.uiCpu * perHour);
    std::printf(
        "Vorbis 64k  ours %7.2f   oggenc  %7.2f + arecord %7.2f   ratio %.2f   "
        "UI thread %.2f\n",
        ogg.cpu * perHour, oggenc.second * perHour, oggenc.first * perHour,
        ratio(ogg.cpu, pair(oggenc)), ogg.uiCpu * perHour);
    return wav.cpu < 0 || mp3.cpu < 0 || ogg.cpu < 0 || arecord < 0 || pair(lame) < 0 ||
           pair(oggenc) < 0;
}
