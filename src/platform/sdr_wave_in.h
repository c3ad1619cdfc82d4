#pragma once

#include <memory>
#include <vector>

#include "platform/queued_wave_engine.h"
#include "platform/sdr_audio.h"
#include "platform/sdr_resampler.h"
#include "platform/wave_format.h"

// The "SDR receiver" capture device: fills the queued input buffers with the
// current SDR radio's audio, converted to the PCM format it was opened with
// (rate, channels, 8, 16 or 32 bits): each channel resampled, two channels
// mixed to one by their mean. When the receiver is lost the buffer
// being filled comes back and the device reports kDeviceError, as a sound
// card that was unplugged does.
class SdrWaveIn final : public QueuedWaveEngine, private SdrAudioListener {
  public:
    // Null with kWaveBadDeviceId while no SDR radio exists, kWaveBadFormat for
    // a format it cannot deliver.
    static std::unique_ptr<WaveEngine> Open(const WaveFormat& format, WaveCallback callback,
                                            void* instance, int* result);
    ~SdrWaveIn() override;

    const std::string& name() const override { return name_; }
    int Start() override;
    int Stop() override;
    int Reset() override;
    uint64_t PositionFrames() const override;

  private:
    SdrWaveIn(const WaveFormat& format, WaveCallback callback, void* instance);

    void OnSdrAudio(const float* stereo, size_t frames) override;
    void OnSdrLost(const std::string& reason) override;
    // Converts the resampled channels to the format's samples in converted_.
    void Convert(size_t frames);

    const std::string name_;
    const int channels_;
    const int bits_;
    SdrResampler resampleLeft_;
    SdrResampler resampleRight_;  // unused for one channel

    // Under mutex_.
    std::vector<float> left_, right_, outLeft_, outRight_;
    std::vector<uint8_t> converted_;
    bool started_ = false;
    bool failed_ = false;
    bool overrun_ = false;  // data is being dropped for want of a buffer
    uint64_t framesMoved_ = 0;
};
