#pragma once

#include <atomic>
#include <memory>
#include <optional>
#include <string>

#include "audio/buffer_ring.h"
#include "audio/srecord.h"
#include "audio/swave_in_dev.h"
#include "audio/thread_object.h"
#include "media/rec_file.h"
#include "platform/auto_reset_event.h"

class QObject;

// Captures PCM audio from a wave input device into a recording file. The
// device returns each filled buffer; the worker writes it to the file, keeps
// a copy for the level meter, queues it again and posts WM_AUDIO_PROGRESS to
// the owner. The file is created at construction and completed when the
// recorder is destroyed.
class SWaveIn : public ThreadObject, public SRecord {
  public:
    // The worker waits at most this long for a buffer before looking anyway.
    static constexpr int kWakeIntervalMs = 500;
    static constexpr uint32_t kMinBufferBytes = 1200;

    // owner may be null (no progress messages). fileFormat: the format the
    // file is created in and, unless OpenDevice() is given another, the
    // capture format. deviceName: a wave input device; one that matches
    // nothing records from the default device. mp3EnableTag: the
    // "Mp3EnableTag" setting, whether an MP3 file gets ID3v2 tags.
    SWaveIn(QObject* owner, const std::string& fileName, const WaveFormat& fileFormat,
            const std::string& deviceName, bool mp3EnableTag = true);
    ~SWaveIn() override;

    // Thread side.
    void Run() override;
    void Wake() override;
    // Opens the device for capture in the given format (null: the file's
    // format), queues the five buffers and starts input. False, with a log
    // line, when the device cannot be opened; false, with a "wavein"
    // message, when a buffer cannot be prepared or queued or input cannot
    // start. True at once when already recording.
    virtual bool OpenDevice(const WaveFormat* format);
    // Handles one captured buffer (see SRecord::ProcessBuffer); writes its
    // data to the file when writeData is set. Called under the critical
    // section.
    virtual bool ProcessBuffer(bool explicitHeader, WaveHeader* header, bool writeData);

    // Recorder side.
    bool Start() override;
    bool Stop() override;
    bool IsRecording() override { return !stopped_; }
    bool HasFailed() override { return failed_.load(); }
    std::string GetFailure() override;
    std::string GetFileName() override;
    int64_t GetBytesWritten() override;
    uint32_t GetBytesPerSecond() override;
    bool IsOpen() override;
    std::string GetFileTitle() override;
    bool SetTag(std::string_view name, std::string_view text) override;
    void SetRecoveryItem(std::string_view item) override;
    bool ProcessBuffer(bool explicitHeader, WaveHeader* header) override {
        return ProcessBuffer(explicitHeader, header, true);
    }

    // Capture buffer size for a format: a fifth of its bytes per second,
    // within 1200..45000, rounded down to whole blocks.
    static uint32_t BufferBytes(const WaveFormat& format);
    // Buffers lost so far: device overruns and buffers that could not be
    // queued again.
    int DroppedBuffers() const { return dropped_.load(); }

  protected:
    enum class ThreadStart { kNow, kByDerivedClass };
    // For derived recorders: with kByDerivedClass the derived constructor
    // calls ResumeThread() as its last step, and its destructor calls
    // Stop() and StopThread() first.
    SWaveIn(QObject* owner, const std::string& fileName, const WaveFormat& fileFormat,
            const std::string& deviceName, ThreadStart start, bool mp3EnableTag = true);

    static void DeviceCallback(WaveMessage message, void* instance, WaveHeader* header, int detail);
    // Shows a "wavein" message; false.
    bool Refuse(const QString& text);
    // Stops input, gives up the buffers and closes the device. Called with
    // the critical section not held.
    bool CloseDevice();
    // Writes captured or converted audio to the file; a write that fails
    // ends the recording (Fail). False once writing has failed.
    bool WriteToFile(const void* data, int64_t count);
    // Ends the recording because it cannot go on: no buffer is queued
    // again, input stops, the reason is logged once and HasFailed() turns
    // true. Under the critical section, on the worker or the caller.
    void Fail(const std::string& reason);
    // A device error reported by the device thread becomes a failure here.
    void TakeDeviceError();

    QObject* owner_;
    std::unique_ptr<RecFile> recFile_;
    BufferRing ring_;
    AutoResetEvent event_;
    std::string deviceName_;
    std::unique_ptr<SWaveInDev> device_;
    int deviceNumber_ = kWaveMapper;
    std::atomic<bool> stopped_{true};
    WaveFormat deviceFormat_;
    std::atomic<int> dropped_{0};
    std::atomic<int> overruns_{0};
    std::atomic<bool> failed_{false};
    // Writing failed: nothing more goes to the file.
    bool writeFailed_ = false;
    std::string failure_;
    // Error code of a failed device, 0 while none; set by the device thread.
    std::atomic<int> deviceError_{0};
    // Device sample position when the recording failed.
    std::optional<uint64_t> samplesAtFailure_;
};
