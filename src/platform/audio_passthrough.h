#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

// Plays an ALSA capture device through an ALSA playback device: a thread
// opens both, reads the capture device and writes what it read to the
// playback device until stopped, then closes both. Used to hear a tuner card
// or the sound card input through the configured output. 16-bit stereo at
// 48000 Hz; ALSA converts where a device needs another format ("plughw:"
// and "default" devices do).
//
// Nothing here waits for a device: each open (with its set-up) is given up
// after kWaveOpenTimeoutMs, as the wave devices' opens are, and the devices
// are closed on the copy's own thread.
class AudioPassthrough {
  public:
    // Told on the copy's thread when a copy fails by itself (a device cannot
    // be opened or set up, or fails while copying), with the reason; once
    // per copy, and never for a copy that was stopped. It should do no more
    // than hand the reason on.
    using FailureNotify = std::function<void(const std::string& reason)>;
    // Waits until the devices of a stopped copy are closed, at most
    // kWaveOpenTimeoutMs; true when they are. Callable on any thread, also
    // after the pass-through is gone.
    using CloseWait = std::function<bool()>;

    explicit AudioPassthrough(FailureNotify failed = {});
    // Stops the copy and waits up to kCloseWaitMs for its devices to close;
    // a copy that takes longer is left to end by itself.
    ~AudioPassthrough();
    AudioPassthrough(const AudioPassthrough&) = delete;
    AudioPassthrough& operator=(const AudioPassthrough&) = delete;

    // Starts a copy and returns at once; false when one was started and has
    // not been stopped (even if it has failed since). A copy started while
    // the one before is still closing its devices opens them once that one
    // has (after kWaveOpenTimeoutMs at most), so there are never two opens
    // of a device at once.
    bool Start(const std::string& captureDevice, const std::string& playbackDevice);
    // Asks the copy to end (it drops what is queued and closes both devices)
    // and returns at once, with the wait for that close. Does nothing but
    // return a wait that is over when no copy was started.
    CloseWait Stop();

    // From Start until Stop, as long as the copy has not failed: opening or
    // copying.
    bool running() const;
    // Started and not stopped, failed or not.
    bool started() const { return session_ != nullptr && !stopped_; }
    // Frames written to the playback device since Start.
    int64_t framesCopied() const;
    // What ended the last copy or made it fail; empty when nothing failed.
    std::string lastError() const;

    static constexpr unsigned kRate = 48000;
    static constexpr unsigned kChannels = 2;
    static constexpr unsigned kLatencyUs = 100000;
    static constexpr int kCloseWaitMs = 1000;

  private:
    struct Session;
    static void Run(const std::shared_ptr<Session>& session);

    FailureNotify failed_;
    std::shared_ptr<Session> session_;
    bool stopped_ = false;
};
