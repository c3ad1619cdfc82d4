#pragma once

#include <atomic>
#include <memory>
#include <string>

#include "audio/buffer_ring.h"
#include "audio/splay.h"
#include "audio/thread_object.h"
#include "media/rec_file.h"
#include "platform/auto_reset_event.h"
#include "platform/wave_device.h"

class QObject;

// Plays a PCM recording file through a wave output device. Each buffer the
// device has played is refilled from the file by the worker and queued
// again; WM_AUDIO_PROGRESS goes to the owner after each. At the end of the
// data empty buffers keep circulating (and progress messages coming) until
// the owner stops. Stop() then Play() goes on from the end of the last buffer
// that was heard.
class SWaveOut : public ThreadObject, public SPlay {
  public:
    // owner may be null (no progress messages). deviceName: a wave output
    // device, compared ignoring case; one that matches nothing plays on the
    // default device.
    SWaveOut(QObject* owner, const std::string& fileName, const std::string& deviceName);
    ~SWaveOut() override;

    // Thread side.
    void Run() override;
    void Wake() override;

    // Player side.
    bool Play() override;
    bool Stop() override;
    bool IsPlaying() override;
    bool SetPosition(int64_t bytes) override;
    int64_t GetPosition() override;
    std::string GetFileName() override;
    int64_t GetLength() override;
    uint32_t GetBytesPerSecond() override;
    uint16_t GetFormatTag() override;
    bool IsOpen() override;
    std::time_t GetTimeAt(int64_t bytes) override;
    std::string GetFileTitle() override;
    bool ProcessBuffer(bool explicitHeader, WaveHeader* header) override;

    // Bytes read from the file per buffer: a fifth of the format's bytes per
    // second in whole blocks, at most a buffer's 45000 bytes.
    static uint32_t ChunkBytes(const WaveFormat& format);

  protected:
    enum class ThreadStart { kNow, kByDerivedClass };
    // For derived players: with kByDerivedClass the derived constructor
    // calls ResumeThread() as its last step, and its destructor calls
    // Stop() and StopThread() first.
    SWaveOut(QObject* owner, const std::string& fileName, const std::string& deviceName,
             ThreadStart start);

    static void DeviceCallback(WaveMessage message, void* instance, WaveHeader* header, int detail);
    // Reads the next chunk of the file into the buffer; its length becomes
    // the bytes read and its user word the data position after them.
    int64_t Fill(WaveHeader& header);
    // Resets the device, gives up the buffers and closes it; under the
    // critical section.
    void CloseDevice();

    QObject* owner_;
    std::unique_ptr<RecFile> recFile_;
    BufferRing ring_;
    AutoResetEvent event_;
    std::atomic<bool> stopped_{true};
    std::string deviceName_;
    int deviceNumber_ = kWaveMapper;
    std::unique_ptr<WaveDevice> device_;
    std::atomic<int64_t> heardPosition_{0};
};
