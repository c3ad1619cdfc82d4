#pragma once

#include <alsa/asoundlib.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/queued_wave_engine.h"
#include "platform/wave_device.h"

// The engine behind WaveDevice: one ALSA PCM in non-blocking mode and an I/O
// thread that moves data between it and the queued buffers.
//
// The owner's calls (Start, Stop, Reset, close) that touch the PCM first hold
// the I/O thread back and wait until it has left ALSA, so the PCM is never
// used by two threads at once. Callbacks run without the lock held.
class AlsaPcm final : public QueuedWaveEngine {
  public:
    static std::unique_ptr<AlsaPcm> Open(WaveDirection direction, const std::string& name,
                                         const WaveFormat& format, WaveCallback callback,
                                         void* instance, unsigned flags, int* result);
    ~AlsaPcm() override;
    AlsaPcm(const AlsaPcm&) = delete;
    AlsaPcm& operator=(const AlsaPcm&) = delete;

    const std::string& name() const override { return name_; }

    int Start() override;
    int Stop() override;
    int Reset() override;
    uint64_t PositionFrames() const override;

  private:
    using SteadyTime = std::chrono::steady_clock::time_point;

    // An output buffer written to the device and not yet played.
    struct InFlight {
        WaveHeader* header;
        uint64_t endFrame;     // played once the device has played this many frames
        SteadyTime notBefore;  // empty buffers are held back a little
    };

    AlsaPcm(snd_pcm_t* pcm, WaveDirection direction, std::string name, unsigned frameBytes,
            snd_pcm_uframes_t periodFrames, WaveCallback callback, void* instance, int wakeFd);

    void IoLoop();
    bool HasWork() const;
    void CaptureStep(std::unique_lock<std::mutex>& lock, std::vector<Notice>& notices);
    void PlaybackStep(std::unique_lock<std::mutex>& lock, std::vector<Notice>& notices);
    // Output: counts the frames the device has played and returns the
    // buffers that are done.
    void CompletePlayed(std::vector<Notice>& notices);
    // Recovers from an over- or underrun or a suspend; false when the device
    // cannot go on.
    bool Recover(int error, std::vector<Notice>& notices);
    void Fail(int error, std::vector<Notice>& notices);
    void Queued() override { changed_.notify_all(); }
    // Waits until the PCM can move data, a wake-up comes or the time passes.
    // Called without the lock.
    void WaitForDevice(int timeoutMs);
    // Holds the I/O thread out of ALSA; the lock must be held.
    void HoldIo(std::unique_lock<std::mutex>& lock);
    void ReleaseIo();
    void WakeIo();
    void ResetLocked(std::vector<Notice>& notices);

    snd_pcm_t* pcm_;
    const std::string name_;
    const snd_pcm_uframes_t periodFrames_;
    const int wakeFd_;

    std::condition_variable changed_;
    std::deque<InFlight> inFlight_;  // output only
    uint32_t writeOffset_ = 0;       // output: bytes of queue_.front() already written
    bool started_ = false;           // input only
    bool failed_ = false;
    bool quit_ = false;
    bool holdIo_ = false;
    bool ioBusy_ = false;
    int xrunsWithoutData_ = 0;
    uint64_t framesMoved_ = 0;  // input: delivered; output: written
    uint64_t framesPlayed_ = 0;
    std::thread io_;
};
