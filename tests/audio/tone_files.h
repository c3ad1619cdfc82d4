#pragma once

#include <QByteArray>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <optional>

// A sine tone, its frequency measured back, and what the external readers
// (ffprobe, ffmpeg, ogginfo) make of a file.

// Interleaved 16-bit samples, the same tone on every channel.
inline QByteArray ToneSamples(double hz, uint32_t rate, uint16_t channels, double seconds,
                              double level = 0.5) {
    const int frames = static_cast<int>(rate * seconds);
    QByteArray out(qsizetype{frames} * channels * 2, '\0');
    auto* s = reinterpret_cast<int16_t*>(out.data());
    for (int i = 0; i < frames; ++i) {
        const double v = level * 32767.0 * std::sin(2.0 * std::numbers::pi * hz * i / rate);
        for (int c = 0; c < channels; ++c) {
            s[i * channels + c] = static_cast<int16_t>(std::lround(v));
        }
    }
    return out;
}

// Frequency of one channel by its rising zero crossings, over the part of
// the samples between the fractions from and to.
inline double MeasuredFrequency(const QByteArray& pcm, uint32_t rate, uint16_t channels,
                                int channel = 0, double from = 0.2, double to = 0.8) {
    const auto* s = reinterpret_cast<const int16_t*>(pcm.constData());
    const qsizetype frames = pcm.size() / (2 * channels);
    const auto first = static_cast<qsizetype>(frames * from);
    const auto last = static_cast<qsizetype>(frames * to);
    if (last - first < 2) {
        return 0;
    }
    int crossings = 0;
    for (qsizetype i = first + 1; i < last; ++i) {
        if (s[(i - 1) * channels + channel] < 0 && s[i * channels + channel] >= 0) {
            ++crossings;
        }
    }
    return crossings * static_cast<double>(rate) / static_cast<double>(last - first);
}

inline bool HaveTool(const QString& name) {
    return !QStandardPaths::findExecutable(name).isEmpty();
}

struct ToolRun {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

inline ToolRun RunTool(const QString& program, const QStringList& args) {
    QProcess process;
    process.start(program, args);
    ToolRun run;
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

struct ProbedAudio {
    QString codec;
    int sampleRate = 0;
    int channels = 0;
    double duration = 0;
};

// What ffprobe reports of the file's first audio stream; nothing when it
// refuses the file.
inline std::optional<ProbedAudio> Probe(const QString& path) {
    const ToolRun run =
        RunTool("ffprobe", {"-v", "error", "-select_streams", "a:0", "-show_entries",
                            "stream=codec_name,sample_rate,channels:format=duration", "-of",
                            "default=noprint_wrappers=1", path});
    if (run.exitCode != 0) {
        return std::nullopt;
    }
    ProbedAudio probed;
    for (const QByteArray& line : run.out.split('\n')) {
        const qsizetype eq = line.indexOf('=');
        if (eq < 0) {
            continue;
        }
        const QByteArray key = line.left(eq);
        const QByteArray value = line.mid(eq + 1).trimmed();
        if (key == "codec_name") {
            probed.codec = QString::fromUtf8(value);
        } else if (key == "sample_rate") {
            probed.sampleRate = value.toInt();
        } else if (key == "channels") {
            probed.channels = value.toInt();
        } else if (key == "duration") {
            probed.duration = value.toDouble();
        }
    }
    return probed;
}

// The file decoded by ffmpeg to interleaved 16-bit samples.
inline QByteArray DecodeWithFfmpeg(const QString& path) {
    const ToolRun run = RunTool("ffmpeg", {"-v", "error", "-i", path, "-f", "s16le", "-"});
    return run.exitCode == 0 ? run.out : QByteArray();
}
