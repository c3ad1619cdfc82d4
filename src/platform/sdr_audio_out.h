#pragma once

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <thread>

#include "platform/sdr_audio.h"

struct _snd_pcm;

// Plays the SDR radio's audio on an ALSA playback device at a volume of its
// own: a thread writes what the receive thread delivered. Audio that comes
// faster than the device plays is dropped beyond half a second.
class SdrAudioOut final : private SdrAudioListener {
  public:
    SdrAudioOut() = default;
    ~SdrAudioOut() override;
    SdrAudioOut(const SdrAudioOut&) = delete;
    SdrAudioOut& operator=(const SdrAudioOut&) = delete;

    // Opens the device (16-bit stereo, ALSA converts where needed) and starts
    // playing. False, with the reason in lastError(), when it cannot be
    // opened or does not answer within kWaveOpenTimeoutMs; true when it
    // already plays.
    bool Start(const std::string& device);
    void Stop();
    bool playing() const { return thread_.joinable(); }

    // 0 to 100 percent; applied to what is delivered from now on.
    void SetVolume(int percent);
    int volume() const { return volume_.load(); }
    std::string lastError() const { return error_; }

  private:
    void OnSdrAudio(const float* stereo, size_t frames) override;
    void OnSdrLost(const std::string& reason) override;
    void Run();

    _snd_pcm* pcm_ = nullptr;
    std::thread thread_;
    std::mutex mutex_;
    std::condition_variable ready_;
    std::deque<int16_t> fifo_;  // interleaved stereo
    bool stop_ = false;
    std::atomic<int> volume_{50};
    std::string error_;
};
