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
// differs from the one shown. While the view is not on screen (hidden in
// the tray, minimized, another tab) nothing is drawn; Refresh() brings it
// up to date when it shows again.
class RecordProgress {
  public:
    class Sink {
      public:
        virtual ~Sink() = default;
        virtual void SetStatusText(const QString& text) = 0;
        virtual SMeter* levelMeter() = 0;
        // Whether the status line and the meter can be seen.
        virtual bool shown() const { return true; }
    };

    explicit RecordProgress(Sink& sink) : sink_(sink) {}

    // A new recording: nothing shown yet; the meter is shown.
    void Begin(const QString& name, const WaveFormat& captureFormat);
    // One progress report; lastBuffer is the recorder's last captured buffer.
    void Report(int64_t bytesWritten, uint32_t bytesPerSecond, const QByteArray& lastBuffer);
    // The view shows again: draws the last report, if it differs.
    void Refresh();
    // The recording ended: meter to 0 and hidden.
    void End();

    // Status line: name, size in MB, duration.
    static QString StatusText(const QString& name, int64_t bytesWritten, uint32_t bytesPerSecond);

    int statusUpdates() const { return statusUpdates_; }
    int meterUpdates() const { return meterUpdates_; }

  private:
    void Draw();

    Sink& sink_;
    bool running_ = false;
    int64_t bytesWritten_ = 0;
    uint32_t bytesPerSecond_ = 0;
    int level_ = 0;  // of the last report's buffer
    bool drawn_ = true;
    QString name_;
    WaveFormat captureFormat_;
    QString shownText_;
    int64_t shownSecond_ = -1;
    int shownLevel_ = -1;
    int statusUpdates_ = 0;
    int meterUpdates_ = 0;
};
