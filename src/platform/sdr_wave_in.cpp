#include "platform/sdr_wave_in.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>

namespace {

bool Deliverable(const WaveFormat& format) {
    return format.formatTag == WaveFormat::kTagPcm && format.channels >= 1 &&
           format.channels <= 2 && format.samplesPerSec >= 1000 && format.samplesPerSec <= 384000 &&
           (format.bitsPerSample == 8 || format.bitsPerSample == 16 ||
            format.bitsPerSample == 32) &&
           format.blockAlign == format.channels * (format.bitsPerSample / 8);
}

// Full scale 1.0 to a sample of the given bits, rounded and clipped: 8 bits
// unsigned around 128, 16 and 32 bits signed, little-endian.
void PutSample(double x, int bits, uint8_t* out) {
    const double scale = std::ldexp(1.0, bits - 1);
    const double v = std::clamp(std::nearbyint(x * scale), -scale, scale - 1);
    if (bits == 8) {
        out[0] = static_cast<uint8_t>(static_cast<int>(v) + 128);
        return;
    }
    const auto word = static_cast<uint32_t>(static_cast<int32_t>(v));
    for (int i = 0; i < bits / 8; ++i) {
        out[i] = static_cast<uint8_t>(word >> (8 * i));
    }
}

}  // namespace

std::unique_ptr<WaveEngine> SdrWaveIn::Open(const WaveFormat& format, WaveCallback callback,
                                            void* instance, int* result) {
    auto fail = [result](int code) {
        if (result != nullptr) {
            *result = code;
        }
        return nullptr;
    };
    if (!sdr_audio::SourceAttached()) {
        return fail(kWaveBadDeviceId);
    }
    if (!Deliverable(format)) {
        return fail(kWaveBadFormat);
    }
    std::unique_ptr<SdrWaveIn> device(new SdrWaveIn(format, callback, instance));
    sdr_audio::AddListener(device.get());
    if (result != nullptr) {
        *result = kWaveOk;
    }
    return device;
}

SdrWaveIn::SdrWaveIn(const WaveFormat& format, WaveCallback callback, void* instance)
    : QueuedWaveEngine(WaveDirection::kInput, format.blockAlign, callback, instance),
      name_(kSdrCaptureDevice),
      channels_(format.channels),
      bits_(format.bitsPerSample),
      resampleLeft_(static_cast<double>(format.samplesPerSec) / kSdrAudioRate),
      resampleRight_(static_cast<double>(format.samplesPerSec) / kSdrAudioRate) {}

SdrWaveIn::~SdrWaveIn() {
    sdr_audio::RemoveListener(this);
    Reset();
}

int SdrWaveIn::Start() {
    std::lock_guard lock(mutex_);
    if (failed_) {
        return kWaveError;  // the receiver this device listened to is gone
    }
    started_ = true;
    return kWaveOk;
}

int SdrWaveIn::Stop() {
    std::vector<Notice> notices;
    {
        std::lock_guard lock(mutex_);
        if (started_) {
            started_ = false;
            if (!queue_.empty() && queue_.front()->bytesRecorded > 0) {
                WaveHeader* header = queue_.front();
                queue_.pop_front();
                Complete(header, notices);
            }
        }
    }
    Deliver(notices);
    return kWaveOk;
}

int SdrWaveIn::Reset() {
    std::vector<Notice> notices;
    {
        std::lock_guard lock(mutex_);
        started_ = false;
        for (WaveHeader* header : queue_) {
            Complete(header, notices);
        }
        queue_.clear();
    }
    Deliver(notices);
    return kWaveOk;
}

uint64_t SdrWaveIn::PositionFrames() const {
    std::lock_guard lock(mutex_);
    return framesMoved_;
}

void SdrWaveIn::OnSdrAudio(const float* stereo, size_t frames) {
    std::vector<Notice> notices;
    {
        std::lock_guard lock(mutex_);
        if (!started_ || failed_ || frames == 0) {
            return;
        }
        left_.resize(frames);
        right_.resize(frames);
        for (size_t i = 0; i < frames; ++i) {
            left_[i] = stereo[2 * i];
            right_[i] = stereo[2 * i + 1];
        }
        if (channels_ == 1) {
            for (size_t i = 0; i < frames; ++i) {
                left_[i] = 0.5f * (left_[i] + right_[i]);
            }
        }
        resampleLeft_.Run(left_, outLeft_);
        size_t made = outLeft_.size();
        if (channels_ == 2) {
            resampleRight_.Run(right_, outRight_);
            made = std::min(made, outRight_.size());
        }
        Convert(made);
        size_t bytes = made * frameBytes_;
        const uint8_t* next = converted_.data();
        while (bytes > 0) {
            if (queue_.empty()) {
                if (!overrun_) {
                    overrun_ = true;
                    notices.push_back({WaveMessage::kOverrun, nullptr, 0});
                }
                break;
            }
            overrun_ = false;
            WaveHeader* header = queue_.front();
            const size_t capacity =
                (header->bufferLength / frameBytes_) * frameBytes_ - header->bytesRecorded;
            const size_t step = std::min(capacity, bytes);
            std::memcpy(header->data + header->bytesRecorded, next, step);
            header->bytesRecorded += static_cast<uint32_t>(step);
            framesMoved_ += step / frameBytes_;
            next += step;
            bytes -= step;
            if (step == capacity) {
                queue_.pop_front();
                Complete(header, notices);
            }
        }
    }
    Deliver(notices);
}

void SdrWaveIn::OnSdrLost(const std::string& reason) {
    (void)reason;
    std::vector<Notice> notices;
    {
        std::lock_guard lock(mutex_);
        if (failed_) {
            return;
        }
        failed_ = true;
        if (!started_) {
            return;  // reported when someone tries to start
        }
        if (!queue_.empty() && queue_.front()->bytesRecorded > 0) {
            WaveHeader* header = queue_.front();
            queue_.pop_front();
            Complete(header, notices);
        }
        notices.push_back({WaveMessage::kDeviceError, nullptr, -ENODEV});
    }
    Deliver(notices);
}

void SdrWaveIn::Convert(size_t frames) {
    const size_t bytesPerSample = static_cast<size_t>(bits_ / 8);
    converted_.resize(frames * frameBytes_);
    uint8_t* out = converted_.data();
    for (size_t i = 0; i < frames; ++i) {
        PutSample(outLeft_[i], bits_, out);
        out += bytesPerSample;
        if (channels_ == 2) {
            PutSample(outRight_[i], bits_, out);
            out += bytesPerSample;
        }
    }
}
