#pragma once

#include <ogg/ogg.h>
#include <vorbis/codec.h>

#include <atomic>
#include <memory>
#include <string>

#include "audio/buffer_ring.h"
#include "audio/srecord.h"
#include "audio/thread_object.h"
#include "media/recovery_file.h"
#include "platform/auto_reset_event.h"
#include "platform/wave_device.h"
#include "platform/wave_format.h"

class QObject;

// Captures 16-bit PCM from a wave input device and encodes it on the worker
// into an Ogg Vorbis file at a managed nominal bit rate. The encoder is set
// up and the three header pages are written at construction; Stop() writes
// the last page with its end-of-stream mark. A Vorbis file carries no
// metadata item: SetTag() does nothing. Pages reach the disk as they are
// made, and at least every kFlushSeconds of audio, so a killed recording
// loses only its last seconds; its recovery file (x.~gg beside x.ogg),
// held until the end-of-stream page is out, tells the next start to end
// the stream (recording_repair.h).
class SVorbisRecord : public ThreadObject, public SRecord {
  public:
    static constexpr int kFlushSeconds = 2;

    // settings: channels (1 or 2), samples per second, and the nominal bit
    // rate as average bytes per second; the other fields are not used.
    // deviceName: a wave input device, compared ignoring case; one that
    // matches nothing records from the default device.
    SVorbisRecord(QObject* owner, const std::string& path, const WaveFormat& settings,
                  const std::string& deviceName);
    ~SVorbisRecord() override;

    void Run() override;
    void Wake() override;

    bool Start() override;
    bool Stop() override;
    bool IsRecording() override { return !stopped_; }
    bool HasFailed() override { return failed_.load(); }
    std::string GetFailure() override;
    std::string GetFileName() override { return path_; }
    int64_t GetBytesWritten() override { return bytesWritten_.load(); }
    uint32_t GetBytesPerSecond() override { return settings_.avgBytesPerSec; }
    bool IsOpen() override { return fd_ >= 0; }
    std::string GetFileTitle() override;
    void SetRecoveryItem(std::string_view item) override;
    bool ProcessBuffer(bool explicitHeader, WaveHeader* header) override;

    // Sample frames handed to the encoder so far.
    int64_t FramesEncoded() const { return framesEncoded_.load(); }

    // The PCM format captured for these settings.
    static WaveFormat CaptureFormat(const WaveFormat& settings);
    // Capture buffer size: a fifth of a second of the captured PCM, in whole
    // frames, at most a buffer block.
    static uint32_t BufferBytes(const WaveFormat& settings);

  private:
    static void DeviceCallback(WaveMessage message, void* instance, WaveHeader* header, int detail);
    // Hands the samples of one buffer to the encoder and writes the pages
    // that are full. Under the critical section.
    void Encode(const WaveHeader& header);
    // Analyses what the encoder holds and writes full pages.
    void Drain();
    // Writes a page at the end of the file; one that cannot be written
    // whole leaves nothing of it and ends the recording (Fail).
    bool WritePage(const ogg_page& page);
    // Writes the pages the stream holds, full or not.
    bool FlushPages();
    // Ends the recording: no buffer is queued again, the reason is logged
    // once. Under the critical section.
    void Fail(const std::string& reason);
    QObject* owner_;
    std::string path_;
    std::string deviceName_;
    WaveFormat settings_;
    WaveFormat captureFormat_;
    int fd_ = -1;
    // Bytes of whole pages in the file.
    int64_t fileBytes_ = 0;
    // Frames encoded when a page was last forced out.
    int64_t framesAtFlush_ = 0;
    bool writeFailed_ = false;
    // The header pages are out: pages from now on hold audio.
    bool encoderStarted_ = false;
    std::atomic<bool> failed_{false};
    std::string failure_;
    std::atomic<int> deviceError_{0};
    bool encoderReady_ = false;
    // The end-of-stream page has been written.
    bool ended_ = false;
    ogg_stream_state stream_{};
    vorbis_info info_{};
    vorbis_comment comment_{};
    vorbis_dsp_state dsp_{};
    vorbis_block block_{};
    BufferRing ring_;
    AutoResetEvent event_;
    std::unique_ptr<WaveDevice> device_;
    int deviceNumber_ = kWaveMapper;
    std::atomic<bool> stopped_{true};
    std::atomic<int64_t> bytesWritten_{0};
    std::atomic<int64_t> framesEncoded_{0};
    RecoveryFile recovery_;
};
