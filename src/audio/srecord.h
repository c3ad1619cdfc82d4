#pragma once

#include <QByteArray>
#include <cstdint>
#include <string>
#include <string_view>

#include "audio/last_buffer.h"

struct WaveHeader;

// A recorder: captures audio from a sound device into a recording file on
// a worker thread. The owner window gets WM_AUDIO_PROGRESS after buffers.
//
// Calling order: construct; IsOpen() (false: the file could not be made);
// Start() (false: device busy); GetBytesWritten()/GetBytesPerSecond() and
// HasFailed() at each progress message; Stop(); SetTag(...); GetFileName(); destroy (which
// completes the file).
class SRecord {
  public:
    virtual ~SRecord() = default;

    // True if capture runs.
    virtual bool Start() = 0;
    // True if the device stopped cleanly.
    virtual bool Stop() = 0;
    // True between a successful Start() and Stop().
    virtual bool IsRecording() { return false; }
    // Full path of the file being written.
    virtual std::string GetFileName() = 0;
    // Bytes of audio data in the file so far.
    virtual int64_t GetBytesWritten() = 0;
    // Average bytes per second of the file's format.
    virtual uint32_t GetBytesPerSecond() = 0;
    // True if the file was created.
    virtual bool IsOpen() { return false; }
    // True once the recorder stopped by itself because it could no longer
    // record (device gone, disk full, file size limit of the format). The
    // file is complete up to the last whole block written.
    virtual bool HasFailed() { return false; }
    // Why it stopped by itself, for the status line and the log; empty
    // while it has not failed.
    virtual std::string GetFailure() { return {}; }
    // The file name without directory.
    virtual std::string GetFileTitle() { return {}; }
    // Stores a named text item in the file.
    virtual bool SetTag(std::string_view name, std::string_view text) {
        (void)name;
        (void)text;
        return false;
    }
    // The metadata item the owner will store at the end (SetTag of
    // kTimecodeTagName), known from the start: the recovery file beside the
    // recording keeps it, so that a recording cut off by a crash is
    // completed with it at the next start (recording_repair.h).
    virtual void SetRecoveryItem(std::string_view item) { (void)item; }
    // Handles one finished buffer: the given one when explicitHeader is set,
    // else the next one in ring order if the device is done with it.
    virtual bool ProcessBuffer(bool explicitHeader, WaveHeader* header) {
        (void)explicitHeader;
        (void)header;
        return false;
    }

    // The last captured buffer, for the level meter.
    QByteArray GetLastBuffer() const { return lastBuffer_.Get(); }

  protected:
    LastBuffer lastBuffer_;
};
