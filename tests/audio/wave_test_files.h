#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QObject>
#include <QString>
#include <QtEndian>
#include <atomic>
#include <functional>
#include <optional>
#include <thread>

#include "platform/post_message.h"
#include "platform/wave_format.h"
#include "platform/window_messages.h"

// Bytes that differ from one position to the next, so that a lost, doubled
// or shifted piece shows.
inline QByteArray TestSignal(int bytes, uint32_t seed = 1) {
    QByteArray data(bytes, '\0');
    uint32_t state = seed;
    for (int i = 0; i < bytes; ++i) {
        state = state * 1664525u + 1013904223u;
        data[i] = static_cast<char>(state >> 24);
    }
    return data;
}

// A plain WAVE file: "RIFF", "fmt " with the 16-byte PCM record, "data".
inline bool WriteWaveFile(const QString& path, const WaveFormat& format, const QByteArray& data) {
    QByteArray bytes;
    auto put32 = [&](uint32_t v) {
        char b[4];
        qToLittleEndian<uint32_t>(v, b);
        bytes.append(b, 4);
    };
    bytes.append("RIFF");
    put32(static_cast<uint32_t>(4 + 8 + 16 + 8 + data.size() + (data.size() & 1)));
    bytes.append("WAVEfmt ");
    put32(16);
    bytes.append(format.Serialize().left(16));
    bytes.append("data");
    put32(static_cast<uint32_t>(data.size()));
    bytes.append(data);
    if (data.size() & 1) {
        bytes.append('\0');
    }
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

// What a WAVE file holds, read chunk by chunk; nothing when its RIFF
// structure is broken (sizes that do not add up to the file).
struct WaveContents {
    WaveFormat format;
    QByteArray data;
    std::optional<uint32_t> factSamples;
};

inline std::optional<WaveContents> ReadWaveFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    const QByteArray bytes = file.readAll();
    if (bytes.size() < 12 || !bytes.startsWith("RIFF") || bytes.mid(8, 4) != "WAVE" ||
        qFromLittleEndian<uint32_t>(bytes.constData() + 4) !=
            static_cast<uint32_t>(bytes.size() - 8)) {
        return std::nullopt;
    }
    WaveContents contents;
    bool haveFormat = false;
    bool haveData = false;
    qsizetype at = 12;
    while (at + 8 <= bytes.size()) {
        const QByteArray id = bytes.mid(at, 4);
        const uint32_t size = qFromLittleEndian<uint32_t>(bytes.constData() + at + 4);
        if (static_cast<uint64_t>(at) + 8 + size > static_cast<uint64_t>(bytes.size())) {
            return std::nullopt;
        }
        const QByteArray body = bytes.mid(at + 8, size);
        if (id == "fmt ") {
            QByteArray record = body;
            if (record.size() < WaveFormat::kHeaderSize) {
                record.append(QByteArray(WaveFormat::kHeaderSize - record.size(), '\0'));
            }
            const std::optional<WaveFormat> format = WaveFormat::Parse(record);
            if (!format) {
                return std::nullopt;
            }
            contents.format = *format;
            haveFormat = true;
        } else if (id == "fact" && size >= 4) {
            contents.factSamples = qFromLittleEndian<uint32_t>(body.constData());
        } else if (id == "data") {
            contents.data = body;
            haveData = true;
        }
        at += 8 + size + (size & 1);
    }
    if (at != bytes.size() || !haveFormat || !haveData) {
        return std::nullopt;
    }
    return contents;
}

// Counts the progress messages a recorder or player posts to it.
class ProgressCounter : public QObject {
  public:
    bool event(QEvent* event) override {
        if (const WindowMessage* message = AsWindowMessage(event)) {
            if (message->msg == WM_AUDIO_PROGRESS) {
                ++count;
            }
            return true;
        }
        return QObject::event(event);
    }
    int count = 0;
};

// Lets posted messages run until the condition holds; false after the time
// limit.
inline bool WaitUntil(const std::function<bool()>& condition, int limitMs = 10000) {
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > limitMs) {
            return false;
        }
        LetWaitingMessagesRun();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}
