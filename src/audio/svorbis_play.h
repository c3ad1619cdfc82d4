#pragma once

#include <vorbis/vorbisfile.h>

#include <atomic>
#include <memory>
#include <string>

#include "audio/buffer_ring.h"
#include "audio/splay.h"
#include "audio/thread_object.h"
#include "platform/auto_reset_event.h"
#include "platform/wave_device.h"
#include "platform/wave_format.h"

class QObject;

// Decodes an Ogg Vorbis file on the worker and plays it through a wave
// output device. Positions are byte offsets in the Ogg file (the decoder's
// raw offsets), the length is where the last page ends; bytes per second is the stream's average
// bit rate ÷ 8, so that position ÷ bytes per second is seconds. At the end of the stream empty
// buffers keep circulating, with progress messages, until the owner stops; damage the decoder
// cannot get past ends the stream there.
class SVorbisPlay : public ThreadObject, public SPlay {
  public:
    SVorbisPlay(QObject* owner, const std::string& path, const std::string& deviceName);
    ~SVorbisPlay() override;

    void Run() override;
    void Wake() override;

    bool Play() override;
    bool Stop() override;
    bool IsPlaying() override { return !stopped_; }
    bool SetPosition(int64_t bytes) override;
    int64_t GetPosition() override;
    std::string GetFileName() override { return path_; }
    int64_t GetLength() override;
    uint32_t GetBytesPerSecond() override;
    uint16_t GetFormatTag() override { return 0; }
    bool IsOpen() override { return open_; }
    std::string GetFileTitle() override;
    bool ProcessBuffer(bool explicitHeader, WaveHeader* header) override;

    // The PCM format played.
    const WaveFormat& OutputFormat() const { return outputFormat_; }
    // PCM bytes decoded into one buffer: a fifth of a second, whole frames.
    uint32_t RequestBytes() const;

  private:
    static void DeviceCallback(WaveMessage message, void* instance, WaveHeader* header, int detail);
    int64_t RawPosition();
    // The raw position, or the end of the file once nothing more decodes.
    int64_t DecodedPosition();
    int64_t LengthLocked();
    // Decodes up to RequestBytes() into the buffer; its length becomes the
    // bytes decoded.
    void Decode(WaveHeader& header);

    QObject* owner_;
    std::string path_;
    std::string deviceName_;
    OggVorbis_File vorbis_{};
    bool open_ = false;
    // The decoder met damage it cannot pass or the end: nothing more comes.
    bool finished_ = false;
    WaveFormat outputFormat_;
    BufferRing ring_;
    AutoResetEvent event_;
    std::unique_ptr<WaveDevice> device_;
    int deviceNumber_ = kWaveMapper;
    std::atomic<bool> stopped_{true};
    std::atomic<int64_t> heardPosition_{0};
    int currentStream_ = 0;
    int64_t fileSize_ = 0;
};
