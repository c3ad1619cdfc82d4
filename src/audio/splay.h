#pragma once

#include <QByteArray>
#include <atomic>
#include <cstdint>
#include <ctime>
#include <string>

#include "audio/last_buffer.h"

struct WaveHeader;

// A player: plays a recording file through a sound device on a worker
// thread. The owner window gets WM_AUDIO_PROGRESS after buffers.
//
// Calling order: construct; IsOpen(); Play(); GetPosition()/GetLength() at
// each progress message; Stop() then Play() again goes on where it stopped;
// SetPosition() while stopped; destroy.
class SPlay {
  public:
    virtual ~SPlay() = default;

    // True if output runs.
    virtual bool Play() = 0;
    virtual bool Stop() = 0;
    // True while the device is open and not stopped.
    virtual bool IsPlaying() { return false; }
    // Moves the read position in the audio data.
    virtual bool SetPosition(int64_t bytes) = 0;
    // Byte position in the audio data now being heard.
    virtual int64_t GetPosition() = 0;
    virtual std::string GetFileName() = 0;
    // Length of the audio data in bytes.
    virtual int64_t GetLength() = 0;
    virtual uint32_t GetBytesPerSecond() = 0;
    // Format tag of the file's format.
    virtual uint16_t GetFormatTag() { return 0; }
    // True if the file could be opened.
    virtual bool IsOpen() { return false; }
    // Calendar time at which that point was recorded; 0 if unknown.
    virtual std::time_t GetTimeAt(int64_t bytes) {
        (void)bytes;
        return 0;
    }
    // The file name without directory.
    virtual std::string GetFileTitle() { return {}; }
    // Handles one played buffer: the given one when explicitHeader is set,
    // else the next one in ring order if the device is done with it.
    virtual bool ProcessBuffer(bool explicitHeader, WaveHeader* header) {
        (void)explicitHeader;
        (void)header;
        return false;
    }

    // The last played buffer, for the level meter.
    QByteArray GetLastBuffer() const { return lastBuffer_.Get(); }
    // True once the output device failed (it moves no more data); Play()
    // starts afresh. The owner got WM_AUDIO_PROGRESS when it happened.
    bool DeviceFailed() const { return deviceFailed_.load(); }

  protected:
    LastBuffer lastBuffer_;
    std::atomic<bool> deviceFailed_{false};
};
