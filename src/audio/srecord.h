#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

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

    // A message for the user (text, caption).
    using UserMessage = std::pair<QString, QString>;
    // From now on the messages Start() and Stop() have for the user are
    // kept for the owner (TakeMessages) instead of being shown: the owner
    // runs them on a thread that must not show anything.
    void KeepMessages() {
        std::lock_guard lock(messageMutex_);
        keepMessages_ = true;
    }
    std::vector<UserMessage> TakeMessages() {
        std::lock_guard lock(messageMutex_);
        return std::exchange(messages_, {});
    }
    // Why the last Start() failed, in words; empty when it did not say.
    std::string StartFailure() {
        std::lock_guard lock(messageMutex_);
        return startFailure_;
    }

  protected:
    // Shows the message, or keeps it (KeepMessages).
    void Tell(const QString& text, const QString& caption);
    void SetStartFailure(std::string reason) {
        std::lock_guard lock(messageMutex_);
        startFailure_ = std::move(reason);
    }

    LastBuffer lastBuffer_;

  private:
    std::mutex messageMutex_;
    bool keepMessages_ = false;
    std::vector<UserMessage> messages_;
    std::string startFailure_;
};
