#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>

#include "platform/wave_format.h"

class SMeter;

// The status line and the level meter of a running recording. Each
// progress report of the recorder comes here; only what changed is drawn:
// the status line when the recording's duration reaches a new second (or,
// without a byte rate, when its text changes), the meter when the level
// differs from the one shown.
class RecordProgress {
  public:
    class Sink {
      public:
        virtual ~Sink() = default;
        virtual void SetStatusText(const QString& text) = 0;
        virtual SMeter* levelMeter() = 0;
    };

    explicit RecordProgress(Sink& sink) : sink_(sink) {}

    // A new recording: nothing shown yet; the meter is shown.
    void Begin(const QString& name, const WaveFormat& captureFormat);
    // One progress report; lastBuffer is the recorder's last captured buffer.
    void Report(int64_t bytesWritten, uint32_t bytesPerSecond, const QByteArray& lastBuffer);
    // The recording ended: meter to 0 and hidden.
    void End();

    // Status line: name, size in MB, duration.
    static QString StatusText(const QString& name, int64_t bytesWritten, uint32_t bytesPerSecond);

    int statusUpdates() const { return statusUpdates_; }
    int meterUpdates() const { return meterUpdates_; }

  private:
    Sink& sink_;
    QString name_;
    WaveFormat captureFormat_;
    QString shownText_;
    int64_t shownSecond_ = -1;
    int shownLevel_ = -1;
    int statusUpdates_ = 0;
    int meterUpdates_ = 0;
};
