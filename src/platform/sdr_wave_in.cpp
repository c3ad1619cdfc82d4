#include "platform/sdr_wave_in.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

namespace {

AVSampleFormat SampleFormatOf(const WaveFormat& format) {
    if (format.formatTag != WaveFormat::kTagPcm || format.channels < 1 || format.channels > 2 ||
        format.samplesPerSec < 1000 || format.samplesPerSec > 384000 ||
        format.blockAlign != format.channels * (format.bitsPerSample / 8)) {
        return AV_SAMPLE_FMT_NONE;
    }
    switch (format.bitsPerSample) {
        case 8:
            return AV_SAMPLE_FMT_U8;
        case 16:
            return AV_SAMPLE_FMT_S16;
        case 32:
            return AV_SAMPLE_FMT_S32;
        default:
            return AV_SAMPLE_FMT_NONE;
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
    const AVSampleFormat sampleFormat = SampleFormatOf(format);
    if (sampleFormat == AV_SAMPLE_FMT_NONE) {
        return fail(kWaveBadFormat);
    }
    AVChannelLayout in{};
    AVChannelLayout out{};
    av_channel_layout_default(&in, 2);
    av_channel_layout_default(&out, format.channels);
    SwrContext* swr = nullptr;
    if (swr_alloc_set_opts2(&swr, &out, sampleFormat, static_cast<int>(format.samplesPerSec), &in,
                            AV_SAMPLE_FMT_FLT, kSdrAudioRate, 0, nullptr) < 0 ||
        swr == nullptr) {
        return fail(kWaveNoMemory);
    }
    // Dither does not belong in a converter that feeds a level meter and
    // tests of the noise floor; a long filter keeps the stop band low.
    av_opt_set_int(swr, "filter_size", 64, 0);
    av_opt_set_double(swr, "cutoff", 0.95, 0);
    if (swr_init(swr) < 0) {
        swr_free(&swr);
        return fail(kWaveBadFormat);
    }
    std::unique_ptr<SdrWaveIn> device(new SdrWaveIn(swr, format.blockAlign, callback, instance));
    sdr_audio::AddListener(device.get());
    if (result != nullptr) {
        *result = kWaveOk;
    }
    return device;
}

SdrWaveIn::SdrWaveIn(SwrContext* swr, unsigned frameBytes, WaveCallback callback, void* instance)
    : name_(kSdrCaptureDevice),
      swr_(swr),
      frameBytes_(frameBytes),
      callback_(callback),
      instance_(instance) {}

SdrWaveIn::~SdrWaveIn() {
    sdr_audio::RemoveListener(this);
    Reset();
    swr_free(&swr_);
}

int SdrWaveIn::Prepare(WaveHeader* header) {
    if (header == nullptr || header->data == nullptr) {
        return kWaveInvalidParam;
    }
    std::lock_guard lock(mutex_);
    header->flags.fetch_or(WaveHeader::kPrepared);
    return kWaveOk;
}

int SdrWaveIn::Unprepare(WaveHeader* header) {
    if (header == nullptr) {
        return kWaveInvalidParam;
    }
    std::lock_guard lock(mutex_);
    if ((header->flags.load() & WaveHeader::kInQueue) != 0) {
        return kWaveStillPlaying;
    }
    header->flags.fetch_and(~WaveHeader::kPrepared);
    return kWaveOk;
}

int SdrWaveIn::AddBuffer(WaveHeader* header) {
    if (header == nullptr || header->data == nullptr) {
        return kWaveInvalidParam;
    }
    std::lock_guard lock(mutex_);
    const uint32_t flags = header->flags.load();
    if ((flags & WaveHeader::kPrepared) == 0) {
        return kWaveUnprepared;
    }
    if ((flags & WaveHeader::kInQueue) != 0) {
        return kWaveStillPlaying;
    }
    if (header->bufferLength < frameBytes_) {
        return kWaveInvalidParam;
    }
    header->bytesRecorded = 0;
    header->flags.store((flags & ~WaveHeader::kDone) | WaveHeader::kInQueue);
    queue_.push_back(header);
    return kWaveOk;
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
        const int room = swr_get_out_samples(swr_, static_cast<int>(frames));
        if (room <= 0) {
            return;
        }
        converted_.resize(static_cast<size_t>(room) * frameBytes_);
        uint8_t* out = converted_.data();
        const auto* in = reinterpret_cast<const uint8_t*>(stereo);
        const int made = swr_convert(swr_, &out, room, &in, static_cast<int>(frames));
        size_t bytes = made > 0 ? static_cast<size_t>(made) * frameBytes_ : 0;
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

void SdrWaveIn::Complete(WaveHeader* header, std::vector<Notice>& notices) {
    const uint32_t flags = header->flags.load();
    header->flags.store((flags & ~WaveHeader::kInQueue) | WaveHeader::kDone,
                        std::memory_order_release);
    notices.push_back({WaveMessage::kData, header, 0});
}

void SdrWaveIn::Deliver(const std::vector<Notice>& notices) {
    if (callback_ == nullptr) {
        return;
    }
    for (const Notice& notice : notices) {
        callback_(notice.message, instance_, notice.header, notice.detail);
    }
}
