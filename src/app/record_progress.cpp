#include "app/record_progress.h"

#include "audio/peak_level.h"
#include "audio/smeter.h"

namespace {

constexpr double kBytesPerMb = 1048576.0;

}  // namespace

void RecordProgress::Begin(const QString& name, const WaveFormat& captureFormat) {
    name_ = name;
    captureFormat_ = captureFormat;
    shownText_.clear();
    shownSecond_ = -1;
    shownLevel_ = -1;
    running_ = true;
    drawn_ = true;
    if (SMeter* meter = sink_.levelMeter()) {
        meter->Show(true);
    }
}

void RecordProgress::Report(int64_t bytesWritten, uint32_t bytesPerSecond,
                            const QByteArray& lastBuffer) {
    bytesWritten_ = bytesWritten;
    bytesPerSecond_ = bytesPerSecond;
    level_ =
        PeakLevel(lastBuffer.constData(), static_cast<uint32_t>(lastBuffer.size()), captureFormat_);
    drawn_ = false;
    if (sink_.shown()) {
        Draw();
    }
}

void RecordProgress::Refresh() {
    if (running_ && !drawn_ && sink_.shown()) {
        Draw();
    }
}

void RecordProgress::Draw() {
    drawn_ = true;
    const int64_t bytesWritten = bytesWritten_;
    const uint32_t bytesPerSecond = bytesPerSecond_;
    const int64_t second = bytesPerSecond > 0 ? bytesWritten / bytesPerSecond : -1;
    if (bytesPerSecond == 0 || second != shownSecond_) {
        const QString text = StatusText(name_, bytesWritten, bytesPerSecond);
        if (text != shownText_) {
            shownText_ = text;
            shownSecond_ = second;
            sink_.SetStatusText(text);
            ++statusUpdates_;
        }
    }
    SMeter* meter = sink_.levelMeter();
    if (meter == nullptr) {
        return;
    }
    const int level = level_;
    if (level == shownLevel_) {
        return;
    }
    shownLevel_ = level;
    ++meterUpdates_;
    if (captureFormat_.channels >= 2) {
        meter->SetValues(LevelPercent(level >> 8), LevelPercent(level & 0xFF));
    } else {
        meter->SetValue(LevelPercent(level));
    }
}

void RecordProgress::End() {
    running_ = false;
    shownLevel_ = -1;
    SMeter* meter = sink_.levelMeter();
    if (meter == nullptr) {
        return;
    }
    if (meter->IsStereo()) {
        meter->SetValues(0, 0);
    } else {
        meter->SetValue(0);
    }
    meter->Show(false);
}

QString RecordProgress::StatusText(const QString& name, int64_t bytesWritten,
                                   uint32_t bytesPerSecond) {
    const double mb = static_cast<double>(bytesWritten) / kBytesPerMb;
    QString text = name;
    if (mb >= 100) {
        text += QString::asprintf(" %.0fMB", mb);
    } else if (mb >= 1) {
        text += QString::asprintf(" %.2fMB", mb);
    } else {
        text += QString::asprintf(" %.3fMB", mb);
    }
    if (bytesPerSecond > 0) {
        const int64_t s = bytesWritten / bytesPerSecond;
        if (s >= 3600) {
            text += QString::asprintf("  %d:%2.2d:%2.2d", static_cast<int>(s / 3600),
                                      static_cast<int>(s / 60 % 60), static_cast<int>(s % 60));
        } else {
            text +=
                QString::asprintf("  %d:%2.2d", static_cast<int>(s / 60), static_cast<int>(s % 60));
        }
    }
    return text;
}
