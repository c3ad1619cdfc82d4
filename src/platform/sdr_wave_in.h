#pragma once

#include <deque>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/sdr_audio.h"
#include "platform/wave_engine.h"
#include "platform/wave_format.h"

struct SwrContext;

// The "SDR receiver" capture device: fills the queued input buffers with the
// current SDR radio's audio, converted to the PCM format it was opened with
// (rate, channels, 8, 16 or 32 bits). When the receiver is lost the buffer
// being filled comes back and the device reports kDeviceError, as a sound
// card that was unplugged does.
class SdrWaveIn final : public WaveEngine, private SdrAudioListener {
  public:
    // Null with kWaveBadDeviceId while no SDR radio exists, kWaveBadFormat for
    // a format it cannot deliver.
    static std::unique_ptr<WaveEngine> Open(const WaveFormat& format, WaveCallback callback,
                                            void* instance, int* result);
    ~SdrWaveIn() override;

    WaveDirection direction() const override { return WaveDirection::kInput; }
    const std::string& name() const override { return name_; }
    int Prepare(WaveHeader* header) override;
    int Unprepare(WaveHeader* header) override;
    int AddBuffer(WaveHeader* header) override;
    int Start() override;
    int Stop() override;
    int Reset() override;
    uint64_t PositionFrames() const override;

  private:
    struct Notice {
        WaveMessage message;
        WaveHeader* header;
        int detail;
    };

    SdrWaveIn(SwrContext* swr, unsigned frameBytes, WaveCallback callback, void* instance);

    void OnSdrAudio(const float* stereo, size_t frames) override;
    void OnSdrLost(const std::string& reason) override;
    void Complete(WaveHeader* header, std::vector<Notice>& notices);
    void Deliver(const std::vector<Notice>& notices);

    const std::string name_;
    SwrContext* swr_;
    const unsigned frameBytes_;
    const WaveCallback callback_;
    void* const instance_;

    mutable std::mutex mutex_;
    std::deque<WaveHeader*> queue_;
    std::vector<uint8_t> converted_;
    bool started_ = false;
    bool failed_ = false;
    bool overrun_ = false;  // data is being dropped for want of a buffer
    uint64_t framesMoved_ = 0;
};
