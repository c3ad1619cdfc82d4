#include "platform/sdr_audio_out.h"

#include <alsa/asoundlib.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "platform/alsa_pcm.h"

namespace {

constexpr unsigned kLatencyUs = 200000;
constexpr size_t kMaxQueuedSamples = kSdrAudioRate;  // half a second of stereo
constexpr size_t kWriteFrames = 1024;

}  // namespace

SdrAudioOut::~SdrAudioOut() {
    Stop();
}

bool SdrAudioOut::Start(const std::string& device) {
    if (thread_.joinable()) {
        return true;
    }
    // A device that does not answer is given up after the wave devices'
    // time-out.
    snd_pcm_t* pcm = nullptr;
    const int result = OpenPcmWithTimeout(
        &pcm, device, SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK, [](snd_pcm_t* opened) {
            const int error =
                snd_pcm_set_params(opened, SND_PCM_FORMAT_S16_LE, SND_PCM_ACCESS_RW_INTERLEAVED, 2,
                                   kSdrAudioRate, 1, kLatencyUs);
            return error < 0 ? -error : 0;
        });
    if (result < 0) {
        error_ = WaveOpenFailureText(device, WaveResultOfOpenError(result));
        return false;
    }
    if (result > 0) {
        error_ = "cannot play on " + device + ": " + snd_strerror(-result);
        return false;
    }
    error_.clear();
    pcm_ = pcm;
    {
        std::lock_guard lock(mutex_);
        stop_ = false;
        fifo_.clear();
    }
    thread_ = std::thread([this] { Run(); });
    sdr_audio::AddListener(this);
    return true;
}

void SdrAudioOut::Stop() {
    if (!thread_.joinable()) {
        return;
    }
    sdr_audio::RemoveListener(this);
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    ready_.notify_all();
    thread_.join();
    snd_pcm_drop(pcm_);
    snd_pcm_close(pcm_);
    pcm_ = nullptr;
}

void SdrAudioOut::SetVolume(int percent) {
    volume_ = std::clamp(percent, 0, 100);
}

void SdrAudioOut::OnSdrAudio(const float* stereo, size_t frames) {
    // A volume curve: 10 % steps are about 4 dB apart near the top.
    const float percent = static_cast<float>(volume_.load()) / 100.0f;
    const float gain = percent * percent * 32767.0f;
    {
        std::lock_guard lock(mutex_);
        for (size_t i = 0; i < frames * 2; ++i) {
            const float value = std::clamp(stereo[i] * gain, -32768.0f, 32767.0f);
            fifo_.push_back(static_cast<int16_t>(std::lrint(value)));
        }
        while (fifo_.size() > kMaxQueuedSamples) {
            fifo_.pop_front();
            fifo_.pop_front();
        }
    }
    ready_.notify_one();
}

void SdrAudioOut::OnSdrLost(const std::string& reason) {
    (void)reason;  // the player goes quiet and plays again when audio comes back
}

void SdrAudioOut::Run() {
    std::vector<int16_t> chunk;
    for (;;) {
        {
            std::unique_lock lock(mutex_);
            ready_.wait_for(lock, std::chrono::milliseconds(100),
                            [this] { return stop_ || !fifo_.empty(); });
            if (stop_) {
                return;
            }
            const size_t take = std::min(fifo_.size(), kWriteFrames * 2);
            chunk.assign(fifo_.begin(), fifo_.begin() + static_cast<std::ptrdiff_t>(take));
            fifo_.erase(fifo_.begin(), fifo_.begin() + static_cast<std::ptrdiff_t>(take));
        }
        size_t done = 0;
        while (done < chunk.size() / 2) {
            const snd_pcm_sframes_t written =
                snd_pcm_writei(pcm_, chunk.data() + done * 2, chunk.size() / 2 - done);
            if (written == -EAGAIN) {
                snd_pcm_wait(pcm_, 50);
                std::lock_guard lock(mutex_);
                if (stop_) {
                    return;
                }
                continue;
            }
            if (written < 0) {
                if (snd_pcm_recover(pcm_, static_cast<int>(written), 1) < 0) {
                    break;  // this chunk is lost; the next one tries again
                }
                continue;
            }
            done += static_cast<size_t>(written);
        }
    }
}
