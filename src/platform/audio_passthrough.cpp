#include "platform/audio_passthrough.h"

#include <alsa/asoundlib.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/alsa_pcm.h"

namespace {

constexpr int kWaitMs = 50;

std::string DeviceText(const std::string& name) {
    return "the sound device \"" + name + "\"";
}

// Opens and sets up one device within the open's time-out; null with the
// reason in error.
snd_pcm_t* OpenPcm(const std::string& name, snd_pcm_stream_t stream, std::string& error) {
    snd_pcm_t* pcm = nullptr;
    const int result =
        OpenPcmWithTimeout(&pcm, name, stream, SND_PCM_NONBLOCK, [](snd_pcm_t* opened) {
            const int setUp =
                snd_pcm_set_params(opened, SND_PCM_FORMAT_S16_LE, SND_PCM_ACCESS_RW_INTERLEAVED,
                                   AudioPassthrough::kChannels, AudioPassthrough::kRate, 1,
                                   AudioPassthrough::kLatencyUs);
            return setUp < 0 ? static_cast<int>(kWaveBadFormat) : static_cast<int>(kWaveOk);
        });
    if (result < 0) {
        error = WaveOpenFailureText(name, WaveResultOfOpenError(result));
    } else if (result > 0) {
        error = DeviceText(name) + " cannot take 16-bit stereo at 48000 Hz";
    }
    return result == 0 ? pcm : nullptr;
}

}  // namespace

// One copy from Start to the close of its devices, shared between the owner
// and the copy's thread, which may outlive the owner.
struct AudioPassthrough::Session {
    std::string capture;
    std::string playback;
    FailureNotify failed;
    // The copy before, whose devices are closed before this one opens its own.
    std::shared_ptr<Session> previous;
    std::atomic<bool> stopAsked{false};
    std::atomic<int64_t> frames{0};

    std::mutex mutex;
    std::condition_variable closed;
    bool ended = false;  // the devices are closed
    std::string error;

    bool stopping() const { return stopAsked.load(); }

    void Stop() {
        std::lock_guard lock(mutex);
        stopAsked = true;
    }

    bool WaitEnded(int timeoutMs) {
        std::unique_lock lock(mutex);
        return closed.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                               [this] { return ended; });
    }

    // The devices are closed; a failure of a copy that was not stopped is
    // kept and told, under the lock, so that nothing is told after Stop.
    void End(const std::string& failure) {
        std::lock_guard lock(mutex);
        ended = true;
        if (!failure.empty() && !stopAsked) {
            error = failure;
            if (failed) {
                failed(failure);
            }
        }
        closed.notify_all();
    }

    // Copies until stopped; the reason when a device failed.
    std::string Copy(snd_pcm_t* capture, snd_pcm_t* playback);
};

std::string AudioPassthrough::Session::Copy(snd_pcm_t* capturePcm, snd_pcm_t* playbackPcm) {
    const snd_pcm_uframes_t chunk = kRate / 50;  // 20 ms
    std::vector<int16_t> buffer(chunk * kChannels);
    while (!stopping()) {
        // A prepared capture stream starts on its first read, so read even
        // when the wait saw nothing.
        snd_pcm_wait(capturePcm, kWaitMs);
        snd_pcm_sframes_t count = snd_pcm_readi(capturePcm, buffer.data(), chunk);
        if (count == -EAGAIN) {
            continue;
        }
        if (count < 0) {
            // An overrun is recovered; a vanished device is not.
            if (snd_pcm_recover(capturePcm, static_cast<int>(count), 1) < 0) {
                return DeviceText(capture) + " failed: " + snd_strerror(static_cast<int>(count));
            }
            continue;
        }
        const int16_t* data = buffer.data();
        while (count > 0 && !stopping()) {
            const snd_pcm_sframes_t written = snd_pcm_writei(playbackPcm, data, count);
            if (written == -EAGAIN) {
                snd_pcm_wait(playbackPcm, kWaitMs);
                continue;
            }
            if (written < 0) {
                if (snd_pcm_recover(playbackPcm, static_cast<int>(written), 1) < 0) {
                    return DeviceText(playback) +
                           " failed: " + snd_strerror(static_cast<int>(written));
                }
                continue;
            }
            frames += written;
            data += written * kChannels;
            count -= written;
        }
    }
    return {};
}

AudioPassthrough::AudioPassthrough(FailureNotify failed) : failed_(std::move(failed)) {}

AudioPassthrough::~AudioPassthrough() {
    if (session_) {
        Stop();
        session_->WaitEnded(kCloseWaitMs);
    }
}

bool AudioPassthrough::Start(const std::string& captureDevice, const std::string& playbackDevice) {
    if (started()) {
        return false;
    }
    auto session = std::make_shared<Session>();
    session->capture = captureDevice;
    session->playback = playbackDevice;
    session->failed = failed_;
    session->previous = std::move(session_);
    session_ = session;
    stopped_ = false;
    std::thread([session] { Run(session); }).detach();
    return true;
}

AudioPassthrough::CloseWait AudioPassthrough::Stop() {
    if (!session_) {
        return [] { return true; };
    }
    if (!stopped_) {
        session_->Stop();
        stopped_ = true;
    }
    return [session = session_] { return session->WaitEnded(kWaveOpenTimeoutMs); };
}

bool AudioPassthrough::running() const {
    if (!started()) {
        return false;
    }
    std::lock_guard lock(session_->mutex);
    return !session_->ended;
}

int64_t AudioPassthrough::framesCopied() const {
    return session_ ? session_->frames.load() : 0;
}

std::string AudioPassthrough::lastError() const {
    if (!session_) {
        return {};
    }
    std::lock_guard lock(session_->mutex);
    return session_->error;
}

void AudioPassthrough::Run(const std::shared_ptr<Session>& session) {
    if (session->previous) {
        session->previous->WaitEnded(kWaveOpenTimeoutMs);
        session->previous.reset();
    }
    std::string error;
    snd_pcm_t* capture = nullptr;
    snd_pcm_t* playback = nullptr;
    if (!session->stopping()) {
        capture = OpenPcm(session->capture, SND_PCM_STREAM_CAPTURE, error);
    }
    if (capture != nullptr && !session->stopping()) {
        playback = OpenPcm(session->playback, SND_PCM_STREAM_PLAYBACK, error);
    }
    if (capture != nullptr && playback != nullptr) {
        error = session->Copy(capture, playback);
    }
    if (playback != nullptr) {
        snd_pcm_drop(playback);
        snd_pcm_close(playback);
    }
    if (capture != nullptr) {
        snd_pcm_drop(capture);
        snd_pcm_close(capture);
    }
    session->End(error);
}
