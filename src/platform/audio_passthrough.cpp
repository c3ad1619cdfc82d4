#include "platform/audio_passthrough.h"

#include <alsa/asoundlib.h>

#include <vector>

namespace {

constexpr int kWaitMs = 50;

// Opens and sets up one device; null with the reason in error.
snd_pcm_t* OpenPcm(const std::string& name, snd_pcm_stream_t stream, int mode, std::string& error) {
    snd_pcm_t* pcm = nullptr;
    int result = snd_pcm_open(&pcm, name.c_str(), stream, mode);
    if (result < 0) {
        error = "cannot open " + name + ": " + snd_strerror(result);
        return nullptr;
    }
    result = snd_pcm_set_params(pcm, SND_PCM_FORMAT_S16_LE, SND_PCM_ACCESS_RW_INTERLEAVED,
                                AudioPassthrough::kChannels, AudioPassthrough::kRate, 1,
                                AudioPassthrough::kLatencyUs);
    if (result < 0) {
        error = "cannot set up " + name + ": " + snd_strerror(result);
        snd_pcm_close(pcm);
        return nullptr;
    }
    return pcm;
}

}  // namespace

AudioPassthrough::~AudioPassthrough() {
    Stop();
}

bool AudioPassthrough::Start(const std::string& captureDevice, const std::string& playbackDevice) {
    if (thread_.joinable()) {
        return false;
    }
    std::string error;
    capture_ = OpenPcm(captureDevice, SND_PCM_STREAM_CAPTURE, SND_PCM_NONBLOCK, error);
    if (capture_ != nullptr) {
        playback_ = OpenPcm(playbackDevice, SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK, error);
    }
    if (capture_ == nullptr || playback_ == nullptr) {
        if (capture_ != nullptr) {
            snd_pcm_close(capture_);
            capture_ = nullptr;
        }
        SetError(error);
        return false;
    }
    SetError({});
    stop_ = false;
    framesCopied_ = 0;
    running_ = true;
    thread_ = std::thread([this] { Run(); });
    return true;
}

void AudioPassthrough::Stop() {
    if (!thread_.joinable()) {
        return;
    }
    stop_ = true;
    thread_.join();
    snd_pcm_drop(playback_);
    snd_pcm_drop(capture_);
    snd_pcm_close(playback_);
    snd_pcm_close(capture_);
    playback_ = nullptr;
    capture_ = nullptr;
    running_ = false;
}

std::string AudioPassthrough::lastError() const {
    std::lock_guard lock(errorMutex_);
    return error_;
}

void AudioPassthrough::SetError(std::string error) {
    std::lock_guard lock(errorMutex_);
    error_ = std::move(error);
}

void AudioPassthrough::Run() {
    const snd_pcm_uframes_t chunk = kRate / 50;  // 20 ms
    std::vector<int16_t> buffer(chunk * kChannels);
    while (!stop_) {
        // A prepared capture stream starts on its first read, so read even
        // when the wait saw nothing.
        snd_pcm_wait(capture_, kWaitMs);
        snd_pcm_sframes_t frames = snd_pcm_readi(capture_, buffer.data(), chunk);
        if (frames == -EAGAIN) {
            continue;
        }
        if (frames < 0) {
            // An overrun is recovered; a vanished device is not.
            if (snd_pcm_recover(capture_, static_cast<int>(frames), 1) < 0) {
                SetError(std::string("capture failed: ") + snd_strerror(static_cast<int>(frames)));
                break;
            }
            continue;
        }
        const int16_t* data = buffer.data();
        while (frames > 0 && !stop_) {
            const snd_pcm_sframes_t written = snd_pcm_writei(playback_, data, frames);
            if (written == -EAGAIN) {
                snd_pcm_wait(playback_, kWaitMs);
                continue;
            }
            if (written < 0) {
                if (snd_pcm_recover(playback_, static_cast<int>(written), 1) < 0) {
                    SetError(std::string("playback failed: ") +
                             snd_strerror(static_cast<int>(written)));
                    running_ = false;
                    return;
                }
                continue;
            }
            framesCopied_ += written;
            data += written * kChannels;
            frames -= written;
        }
    }
    running_ = false;
}
