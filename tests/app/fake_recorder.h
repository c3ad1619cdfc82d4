#pragma once

#include <QFile>
#include <algorithm>
#include <cstdint>
#include <string>

#include "audio/srecord.h"
#include "platform/clock.h"

// A recorder without a sound device: it captures for as long as the clock's
// monotonic time runs between Start and Stop (a suspend captures nothing, a
// change of the wall clock changes nothing), or until its device is lost.
// Like a real recorder it makes its file at once and completes it when it
// goes: the first line holds the milliseconds captured, the items follow.
class FakeRecorder : public SRecord {
  public:
    static constexpr uint32_t kBytesPerSecond = 16000;

    struct Faults {
        bool startFails = false;
        int64_t deviceLostAfterMs = -1;  // -1: never
    };

    FakeRecorder(Clock& clock, const std::string& path, Faults faults)
        : clock_(clock), path_(path), faults_(faults), file_(QFile::decodeName(path.c_str())) {
        open_ = file_.open(QIODevice::WriteOnly | QIODevice::Truncate);
    }
    ~FakeRecorder() override { file_.write(QByteArray::number(capturedMs_) + '\n' + items_); }

    bool Start() override {
        if (faults_.startFails) {
            SetStartFailure("the sound device is busy");
            return false;
        }
        startMs_ = clock_.MonotonicMs();
        recording_ = true;
        return true;
    }
    bool Stop() override {
        capturedMs_ += Captured();
        recording_ = false;
        return true;
    }
    bool IsRecording() override { return recording_ && !Lost(); }
    bool HasFailed() override { return Lost(); }
    std::string GetFailure() override { return Lost() ? "the sound device was lost" : ""; }
    std::string GetFileName() override { return path_; }
    int64_t GetBytesWritten() override {
        return (capturedMs_ + Captured()) * kBytesPerSecond / 1000;
    }
    uint32_t GetBytesPerSecond() override { return kBytesPerSecond; }
    bool IsOpen() override { return open_; }
    bool SetTag(std::string_view name, std::string_view text) override {
        items_ += QByteArray(name.data(), qsizetype(name.size())) + '=' +
                  QByteArray(text.data(), qsizetype(text.size())) + '\n';
        return true;
    }

  private:
    int64_t Captured() const {
        if (!recording_) {
            return 0;
        }
        const int64_t ms = clock_.MonotonicMs() - startMs_;
        return faults_.deviceLostAfterMs < 0 ? ms : std::min(ms, faults_.deviceLostAfterMs);
    }
    bool Lost() const {
        return recording_ && faults_.deviceLostAfterMs >= 0 &&
               clock_.MonotonicMs() - startMs_ >= faults_.deviceLostAfterMs;
    }

    Clock& clock_;
    std::string path_;
    Faults faults_;
    QFile file_;
    bool open_ = false;
    bool recording_ = false;
    int64_t startMs_ = 0;
    int64_t capturedMs_ = 0;
    QByteArray items_;
};
