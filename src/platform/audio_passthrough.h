#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

struct _snd_pcm;

// Plays an ALSA capture device through an ALSA playback device: a thread
// reads the capture device and writes what it read to the playback device
// until stopped. Used to hear a tuner card or the sound card input through
// the configured output. 16-bit stereo at 48000 Hz; ALSA converts where a
// device needs another format ("plughw:" and "default" devices do).
class AudioPassthrough {
  public:
    AudioPassthrough() = default;
    // Stops the copy.
    ~AudioPassthrough();
    AudioPassthrough(const AudioPassthrough&) = delete;
    AudioPassthrough& operator=(const AudioPassthrough&) = delete;

    // Opens both devices and starts the copy. False, with nothing new left
    // open, when either device cannot be opened and set up, or when an
    // earlier Start has not been followed by Stop.
    bool Start(const std::string& captureDevice, const std::string& playbackDevice);
    // Ends the copy, drops what is queued and closes both devices. Does
    // nothing when no copy runs.
    void Stop();

    // True from a successful Start until Stop, or until a device failed
    // beyond recovery (for example because it was unplugged).
    bool running() const { return running_.load(); }
    // Frames written to the playback device since Start.
    int64_t framesCopied() const { return framesCopied_.load(); }
    // What ended the copy or made Start fail; empty when nothing failed.
    std::string lastError() const;

    static constexpr unsigned kRate = 48000;
    static constexpr unsigned kChannels = 2;
    static constexpr unsigned kLatencyUs = 100000;

  private:
    void Run();
    void SetError(std::string error);

    _snd_pcm* capture_ = nullptr;
    _snd_pcm* playback_ = nullptr;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> running_{false};
    std::atomic<int64_t> framesCopied_{0};
    mutable std::mutex errorMutex_;
    std::string error_;
};
