// Demodulates a synthetic FM broadcast as an RTL-SDR delivers it (unsigned
// 8-bit I/Q at 1.024 MS/s, the station 250 kHz above the centre, 30 dB
// carrier-to-noise in 200 kHz, a 1 kHz tone) on one thread, mono and stereo
// with de-emphasis; reports CPU seconds per hour of I/Q, the real-time
// factor, the signal-to-noise ratio of the tone and the stereo separation.
//
//   sdr_demod_bench [--seconds N] [--deemphasis 50|75] [--rate HZ] [--cnr DB]
//                   [--dump PREFIX]
//
// N is the length of the I/Q (default 60). Both time constants are measured
// unless one is named, each on an input pre-emphasised to match.
// PREFIX-mono.s16 and PREFIX-stereo.s16 receive the audio when asked. With GNU Radio's Python
// modules present, sdr_reference.py is run on the same input for comparison. Run it pinned to one
// core: taskset -c 0 sdr_demod_bench.

#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench_support.h"
#include "platform/sdr_demodulator.h"
#include "platform/sdr_tuning.h"
#include "support/synthetic_station.h"
#include "support/tone_analysis.h"

namespace {

constexpr double kInputRate = 1024000.0;
// The station where the receiver tunes it at this rate.
constexpr double kOffsetHz = sdr_tuning::StationOffsetHz(kInputRate);
constexpr double kToneHz = 1000.0;
// Peak deviation about 100 % with the pilot, after pre-emphasis.
constexpr double kToneLevel = 0.95;

struct Options {
    double seconds = 60;
    int deemphasisUs = 50;
    uint32_t audioRate = 48000;
    double cnrDb = 30;
    std::string dump;  // when set, the audio goes to DUMP-mono.s16 and DUMP-stereo.s16
};

std::vector<uint8_t> MakeInput(const Options& o, bool rightToo) {
    SyntheticStationConfig config;
    config.sampleRate = kInputRate;
    config.offsetHz = kOffsetHz;
    config.stereo = true;
    config.left = {{kToneHz, kToneLevel}};
    config.right = rightToo ? config.left : std::vector<SyntheticTone>{};
    config.preemphasisUs = o.deemphasisUs;
    config.cnrDb = o.cnrDb;
    SyntheticStation station(config);
    std::vector<uint8_t> iq;
    station.GenerateU8(static_cast<size_t>(o.seconds * kInputRate), iq);
    return iq;
}

struct Run {
    double cpu = 0;
    std::vector<int16_t> audio;
    bool locked = false;
};

// Converts and demodulates the bytes as a receive thread would: in blocks.
Run Demodulate(const Options& o, const std::vector<uint8_t>& iq, bool stereo) {
    SdrDemodulatorConfig config;
    config.inputRate = kInputRate;
    config.offsetHz = kOffsetHz;
    config.audioRate = o.audioRate;
    config.stereo = stereo;
    config.deemphasisUs = o.deemphasisUs;
    Run run;
    run.audio.reserve(static_cast<size_t>(o.seconds * o.audioRate * 2 + 4096));
    constexpr size_t kPairs = 65536;
    std::vector<std::complex<float>> block(kPairs);
    const double start = bench::SelfCpu();
    SdrDemodulator demodulator(config);
    for (size_t at = 0; at < iq.size() / 2; at += kPairs) {
        const size_t n = std::min(kPairs, iq.size() / 2 - at);
        ConvertU8Iq(iq.data() + 2 * at, n, block.data());
        demodulator.Process(block.data(), n, run.audio);
    }
    run.cpu = bench::SelfCpu() - start;
    run.locked = demodulator.StereoLocked();
    return run;
}

double PerHour(const Options& o, double cpu) {
    return cpu / o.seconds * 3600.0;
}

void Report(const char* label, const Options& o, double cpu) {
    std::printf("%-34s %8.1f CPU s per hour of I/Q   %6.1fx real time\n", label, PerHour(o, cpu),
                o.seconds / cpu);
}

// Runs the reference flowgraph when GNU Radio is installed; its lines are
// printed as they come.
void RunReference(const Options& o, const std::vector<uint8_t>& both,
                  const std::vector<uint8_t>& leftOnly) {
    const QString script = QStringLiteral(PLUMORA_BENCH_DIR "/sdr_reference.py");
    if (!QFile::exists(script) ||
        std::system("/usr/bin/python3 -c 'import gnuradio.analog' 2>/dev/null")) {
        std::printf("GNU Radio is not installed: no reference figures.\n");
        return;
    }
    QTemporaryDir dir;
    auto write = [&](const QString& name, const std::vector<uint8_t>& data) {
        QFile file(dir.filePath(name));
        file.open(QIODevice::WriteOnly);
        file.write(reinterpret_cast<const char*>(data.data()), static_cast<qint64>(data.size()));
        return file.fileName();
    };
    const QString a = write("both.u8", both);
    const QString b = write("left.u8", leftOnly);
    const std::string command = "taskset -c 0 /usr/bin/python3 '" + script.toStdString() + "' '" +
                                a.toStdString() + "' '" + b.toStdString() + "' " +
                                std::to_string(o.seconds) + " " + std::to_string(o.deemphasisUs) +
                                " " + std::to_string(o.audioRate);
    std::printf("reference (GNU Radio, same input):\n");
    std::fflush(stdout);
    if (std::system(command.c_str()) != 0) {
        std::printf("the reference flowgraph failed\n");
    }
}

// Measures one de-emphasis setting (o.deemphasisUs) on its own input.
void Measure(const Options& o) {
    std::printf("\n--- %d us pre-emphasis and de-emphasis ---\n", o.deemphasisUs);
    const std::vector<uint8_t> both = MakeInput(o, true);
    const std::vector<uint8_t> leftOnly = MakeInput(o, false);
    // Measure after the filters and the pilot loop have settled.
    const size_t skip = o.audioRate;

    const Run mono = Demodulate(o, both, false);
    const Run stereo = Demodulate(o, both, true);
    const Run separation = Demodulate(o, leftOnly, true);
    if (!o.dump.empty()) {
        for (const auto& [name, run] : {std::pair{"-mono.s16", &mono}, {"-stereo.s16", &stereo}}) {
            QFile file(QString::fromStdString(o.dump + name));
            if (file.open(QIODevice::WriteOnly)) {
                file.write(reinterpret_cast<const char*>(run->audio.data()),
                           static_cast<qint64>(run->audio.size() * 2));
            }
        }
    }
    Report("mono, de-emphasis:", o, mono.cpu);
    Report("stereo, de-emphasis:", o, stereo.cpu);

    const auto monoTone = tone_analysis::Measure(tone_analysis::Channel(mono.audio, 1, 0, skip),
                                                 o.audioRate, kToneHz);
    const auto stereoTone = tone_analysis::Measure(tone_analysis::Channel(stereo.audio, 2, 0, skip),
                                                   o.audioRate, kToneHz);
    const double left = tone_analysis::Amplitude(
        tone_analysis::Channel(separation.audio, 2, 0, skip), o.audioRate, kToneHz);
    const double right = tone_analysis::Amplitude(
        tone_analysis::Channel(separation.audio, 2, 1, skip), o.audioRate, kToneHz);
    std::printf("mono signal-to-noise:   %6.1f dB (tone at %.3f Hz)\n", monoTone.snrDb,
                monoTone.hz);
    std::printf("stereo signal-to-noise: %6.1f dB (tone at %.3f Hz, pilot %s)\n", stereoTone.snrDb,
                stereoTone.hz, stereo.locked ? "locked" : "NOT locked");
    std::printf("stereo separation:      %6.1f dB\n", tone_analysis::Db(left / right));
    RunReference(o, both, leftOnly);
}

}  // namespace

int main(int argc, char** argv) {
    Options o;
    std::vector<int> deemphasis = {50, 75};
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--seconds") {
            o.seconds = std::atof(argv[i + 1]);
        } else if (option == "--deemphasis") {
            deemphasis = {std::atoi(argv[i + 1])};
        } else if (option == "--rate") {
            o.audioRate = static_cast<uint32_t>(std::atoi(argv[i + 1]));
        } else if (option == "--cnr") {
            o.cnrDb = std::atof(argv[i + 1]);
        } else if (option == "--dump") {
            o.dump = argv[i + 1];
        }
    }
    std::printf(
        "Input: %.0f s of u8 I/Q at %.3f MS/s, station at +%.0f kHz, %.0f dB CNR in "
        "200 kHz,\n       %.0f Hz tone, audio at %u Hz, one thread\n",
        o.seconds, kInputRate / 1e6, kOffsetHz / 1e3, o.cnrDb, kToneHz, o.audioRate);
    for (int us : deemphasis) {
        o.deemphasisUs = us;
        Measure(o);
    }
    return 0;
}
