#include "platform/alsa_pcm.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>

namespace {

// The device buffer and the piece moved per call.
constexpr unsigned kBufferTimeUs = 500000;
constexpr unsigned kPeriodTimeUs = 100000;
// Over- or underruns in a row, with no data moved in between, after which
// the device counts as failed.
constexpr int kMaxXrunsWithoutData = 8;

std::atomic<int> gOpensNotAnswering{0};

// One snd_pcm_open on a thread of its own, shared between that thread and
// the caller, who may stop waiting for it.
struct PendingOpen {
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
    bool abandoned = false;
    int error = 0;
    snd_pcm_t* pcm = nullptr;
};

// snd_pcm_open, but it gives up after kWaveOpenTimeoutMs with -ETIMEDOUT.
// The open itself cannot be interrupted: its thread goes on alone and closes
// what it opened once the open returns.
int OpenWithTimeout(snd_pcm_t** pcm, const std::string& name, snd_pcm_stream_t stream, int mode) {
    auto pending = std::make_shared<PendingOpen>();
    std::thread([pending, name, stream, mode] {
        snd_pcm_t* opened = nullptr;
        const int error = snd_pcm_open(&opened, name.c_str(), stream, mode);
        std::lock_guard lock(pending->mutex);
        if (pending->abandoned) {
            if (error >= 0) {
                snd_pcm_close(opened);
            }
            gOpensNotAnswering.fetch_sub(1);
            return;
        }
        pending->error = error;
        pending->pcm = opened;
        pending->finished = true;
        pending->done.notify_all();
    }).detach();
    std::unique_lock lock(pending->mutex);
    if (!pending->done.wait_for(lock, std::chrono::milliseconds(kWaveOpenTimeoutMs),
                                [&] { return pending->finished; })) {
        pending->abandoned = true;
        gOpensNotAnswering.fetch_add(1);
        return -ETIMEDOUT;
    }
    *pcm = pending->pcm;
    return pending->error;
}

int ResultOfOpenError(int error) {
    switch (-error) {
        case ETIMEDOUT:
            return kWaveNotAnswering;
        case ENOENT:
        case ENODEV:
        case ENXIO:
        case EINVAL:
            return kWaveBadDeviceId;
        case EBUSY:
        case EAGAIN:
            return kWaveAllocated;
        case ENOMEM:
            return kWaveNoMemory;
        default:
            return kWaveError;
    }
}

std::optional<snd_pcm_format_t> SampleFormat(const WaveFormat& format) {
    if (format.formatTag != WaveFormat::kTagPcm || format.channels == 0 ||
        format.samplesPerSec == 0 ||
        format.blockAlign != format.channels * (format.bitsPerSample / 8)) {
        return std::nullopt;
    }
    switch (format.bitsPerSample) {
        case 8:
            return SND_PCM_FORMAT_U8;
        case 16:
            return SND_PCM_FORMAT_S16_LE;
        case 24:
            return SND_PCM_FORMAT_S24_3LE;
        case 32:
            return SND_PCM_FORMAT_S32_LE;
        default:
            return std::nullopt;
    }
}

// Sets the PCM up for interleaved data in the format; the period size in
// frames, or a wave result code.
int Configure(snd_pcm_t* pcm, WaveDirection direction, const WaveFormat& format,
              snd_pcm_format_t sampleFormat, bool mapped, snd_pcm_uframes_t* periodFrames) {
    snd_pcm_hw_params_t* hw = nullptr;
    snd_pcm_hw_params_alloca(&hw);
    unsigned rate = format.samplesPerSec;
    unsigned bufferTime = kBufferTimeUs;
    unsigned periodTime = kPeriodTimeUs;
    if (snd_pcm_hw_params_any(pcm, hw) < 0 ||
        snd_pcm_hw_params_set_access(pcm, hw, SND_PCM_ACCESS_RW_INTERLEAVED) < 0 ||
        snd_pcm_hw_params_set_format(pcm, hw, sampleFormat) < 0 ||
        snd_pcm_hw_params_set_channels(pcm, hw, format.channels) < 0 ||
        snd_pcm_hw_params_set_rate_resample(pcm, hw, mapped ? 1 : 0) < 0 ||
        snd_pcm_hw_params_set_rate(pcm, hw, rate, 0) < 0) {
        return kWaveBadFormat;
    }
    snd_pcm_hw_params_set_buffer_time_near(pcm, hw, &bufferTime, nullptr);
    snd_pcm_hw_params_set_period_time_near(pcm, hw, &periodTime, nullptr);
    if (snd_pcm_hw_params(pcm, hw) < 0) {
        return kWaveBadFormat;
    }
    snd_pcm_uframes_t period = 0;
    snd_pcm_uframes_t bufferSize = 0;
    snd_pcm_hw_params_get_period_size(hw, &period, nullptr);
    snd_pcm_hw_params_get_buffer_size(hw, &bufferSize);
    if (period == 0) {
        period = std::max<snd_pcm_uframes_t>(1, bufferSize / 4);
    }

    snd_pcm_sw_params_t* sw = nullptr;
    snd_pcm_sw_params_alloca(&sw);
    if (snd_pcm_sw_params_current(pcm, sw) < 0 ||
        snd_pcm_sw_params_set_avail_min(pcm, sw, period) < 0) {
        return kWaveError;
    }
    if (direction == WaveDirection::kOutput) {
        // Playing starts once a period is queued; a shorter stream is started
        // when nothing more comes.
        snd_pcm_sw_params_set_start_threshold(pcm, sw, period);
    } else {
        // Input starts only when asked to.
        snd_pcm_sw_params_set_start_threshold(pcm, sw, bufferSize * 2 + 1);
    }
    if (snd_pcm_sw_params(pcm, sw) < 0) {
        return kWaveError;
    }
    *periodFrames = period;
    return kWaveOk;
}

}  // namespace

int WaveOpensNotAnswering() {
    return gOpensNotAnswering.load();
}

std::unique_ptr<AlsaPcm> AlsaPcm::Open(WaveDirection direction, const std::string& name,
                                       const WaveFormat& format, WaveCallback callback,
                                       void* instance, unsigned flags, int* result) {
    int ignored = 0;
    int& code = result != nullptr ? *result : ignored;
    const std::optional<snd_pcm_format_t> sampleFormat = SampleFormat(format);
    if (!sampleFormat) {
        code = kWaveBadFormat;
        return nullptr;
    }
    const bool mapped = (flags & kWaveOpenMapped) != 0;
    int mode = SND_PCM_NONBLOCK;
    if (!mapped) {
        mode |= SND_PCM_NO_AUTO_RESAMPLE | SND_PCM_NO_AUTO_CHANNELS | SND_PCM_NO_AUTO_FORMAT;
    }
    snd_pcm_t* pcm = nullptr;
    const snd_pcm_stream_t stream =
        direction == WaveDirection::kInput ? SND_PCM_STREAM_CAPTURE : SND_PCM_STREAM_PLAYBACK;
    const int openError = OpenWithTimeout(&pcm, name, stream, mode);
    if (openError < 0) {
        code = ResultOfOpenError(openError);
        return nullptr;
    }
    snd_pcm_uframes_t periodFrames = 0;
    code = Configure(pcm, direction, format, *sampleFormat, mapped, &periodFrames);
    if (code != kWaveOk) {
        snd_pcm_close(pcm);
        return nullptr;
    }
    const int wakeFd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (wakeFd < 0) {
        snd_pcm_close(pcm);
        code = kWaveNoMemory;
        return nullptr;
    }
    code = kWaveOk;
    return std::unique_ptr<AlsaPcm>(new AlsaPcm(pcm, direction, name, format.blockAlign,
                                                periodFrames, callback, instance, wakeFd));
}

AlsaPcm::AlsaPcm(snd_pcm_t* pcm, WaveDirection direction, std::string name, unsigned frameBytes,
                 snd_pcm_uframes_t periodFrames, WaveCallback callback, void* instance, int wakeFd)
    : QueuedWaveEngine(direction, frameBytes, callback, instance),
      pcm_(pcm),
      name_(std::move(name)),
      periodFrames_(periodFrames),
      wakeFd_(wakeFd) {
    io_ = std::thread([this] { IoLoop(); });
}

AlsaPcm::~AlsaPcm() {
    Reset();
    {
        std::lock_guard lock(mutex_);
        quit_ = true;
    }
    WakeIo();
    io_.join();
    snd_pcm_close(pcm_);
    close(wakeFd_);
}

int AlsaPcm::Start() {
    if (direction_ != WaveDirection::kInput) {
        return kWaveInvalidParam;
    }
    std::unique_lock lock(mutex_);
    HoldIo(lock);
    int result = kWaveOk;
    if (!started_) {
        snd_pcm_state_t state = snd_pcm_state(pcm_);
        if (state != SND_PCM_STATE_PREPARED && state != SND_PCM_STATE_RUNNING) {
            snd_pcm_drop(pcm_);
            snd_pcm_prepare(pcm_);
            state = snd_pcm_state(pcm_);
        }
        if (state == SND_PCM_STATE_PREPARED && snd_pcm_start(pcm_) < 0) {
            result = kWaveError;
        } else {
            started_ = true;
            failed_ = false;
            xrunsWithoutData_ = 0;
        }
    }
    ReleaseIo();
    return result;
}

int AlsaPcm::Stop() {
    if (direction_ != WaveDirection::kInput) {
        return kWaveInvalidParam;
    }
    std::vector<Notice> notices;
    {
        std::unique_lock lock(mutex_);
        HoldIo(lock);
        if (started_) {
            started_ = false;
            snd_pcm_drop(pcm_);
            snd_pcm_prepare(pcm_);
            if (!queue_.empty() && queue_.front()->bytesRecorded > 0) {
                WaveHeader* header = queue_.front();
                queue_.pop_front();
                Complete(header, notices);
            }
        }
        ReleaseIo();
    }
    Deliver(notices);
    return kWaveOk;
}

int AlsaPcm::Reset() {
    std::vector<Notice> notices;
    {
        std::unique_lock lock(mutex_);
        HoldIo(lock);
        ResetLocked(notices);
        ReleaseIo();
    }
    Deliver(notices);
    return kWaveOk;
}

void AlsaPcm::ResetLocked(std::vector<Notice>& notices) {
    if (direction_ == WaveDirection::kOutput) {
        CompletePlayed(notices);
        // What was written and not played is dropped now.
        framesMoved_ = framesPlayed_;
    }
    started_ = false;
    snd_pcm_drop(pcm_);
    if (snd_pcm_prepare(pcm_) == 0) {
        failed_ = false;
        xrunsWithoutData_ = 0;
    }
    for (const InFlight& entry : inFlight_) {
        Complete(entry.header, notices);
    }
    inFlight_.clear();
    for (WaveHeader* header : queue_) {
        Complete(header, notices);
    }
    queue_.clear();
    writeOffset_ = 0;
}

uint64_t AlsaPcm::PositionFrames() const {
    std::lock_guard lock(mutex_);
    return direction_ == WaveDirection::kInput ? framesMoved_ : framesPlayed_;
}

void AlsaPcm::HoldIo(std::unique_lock<std::mutex>& lock) {
    holdIo_ = true;
    WakeIo();
    changed_.wait(lock, [this] { return !ioBusy_; });
}

void AlsaPcm::ReleaseIo() {
    holdIo_ = false;
    changed_.notify_all();
}

void AlsaPcm::WakeIo() {
    const uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = write(wakeFd_, &one, sizeof one);
    changed_.notify_all();
}

bool AlsaPcm::HasWork() const {
    if (holdIo_ || failed_) {
        return false;
    }
    if (direction_ == WaveDirection::kInput) {
        return started_ && !queue_.empty();
    }
    return !queue_.empty() || !inFlight_.empty();
}

void AlsaPcm::IoLoop() {
    std::unique_lock lock(mutex_);
    while (!quit_) {
        if (!HasWork()) {
            changed_.wait(lock);
            continue;
        }
        ioBusy_ = true;
        std::vector<Notice> notices;
        if (direction_ == WaveDirection::kInput) {
            CaptureStep(lock, notices);
        } else {
            PlaybackStep(lock, notices);
        }
        ioBusy_ = false;
        changed_.notify_all();
        if (!notices.empty()) {
            lock.unlock();
            Deliver(notices);
            lock.lock();
        }
    }
}

void AlsaPcm::CaptureStep(std::unique_lock<std::mutex>& lock, std::vector<Notice>& notices) {
    WaveHeader* header = queue_.front();
    const snd_pcm_uframes_t room = (header->bufferLength - header->bytesRecorded) / frameBytes_;
    if (room == 0) {
        queue_.pop_front();
        Complete(header, notices);
        return;
    }
    char* target = header->data + header->bytesRecorded;
    lock.unlock();
    const snd_pcm_sframes_t frames = snd_pcm_readi(pcm_, target, std::min(room, periodFrames_));
    if (frames == -EAGAIN || frames == 0) {
        WaitForDevice(200);
    }
    lock.lock();
    if (frames > 0) {
        xrunsWithoutData_ = 0;
        header->bytesRecorded += static_cast<uint32_t>(frames) * frameBytes_;
        framesMoved_ += static_cast<uint64_t>(frames);
        if (header->bufferLength - header->bytesRecorded < frameBytes_) {
            queue_.pop_front();
            Complete(header, notices);
        }
    } else if (frames < 0 && frames != -EAGAIN) {
        if (!Recover(static_cast<int>(frames), notices)) {
            Fail(static_cast<int>(frames), notices);
        } else if (started_ && snd_pcm_state(pcm_) == SND_PCM_STATE_PREPARED) {
            snd_pcm_start(pcm_);
        }
    }
}

void AlsaPcm::PlaybackStep(std::unique_lock<std::mutex>& lock, std::vector<Notice>& notices) {
    CompletePlayed(notices);
    if (queue_.empty()) {
        if (inFlight_.empty()) {
            return;
        }
        // Nothing more to write: start a stream shorter than the start
        // threshold, then wait for the device to play what it holds.
        if (snd_pcm_state(pcm_) == SND_PCM_STATE_PREPARED && framesMoved_ > framesPlayed_) {
            snd_pcm_start(pcm_);
        }
        changed_.wait_for(lock, std::chrono::milliseconds(10));
        return;
    }
    WaveHeader* header = queue_.front();
    const snd_pcm_uframes_t remaining = (header->bufferLength - writeOffset_) / frameBytes_;
    if (remaining == 0) {
        queue_.pop_front();
        writeOffset_ = 0;
        const SteadyTime notBefore =
            header->bufferLength == 0
                ? std::chrono::steady_clock::now() +
                      std::chrono::milliseconds(WaveDevice::kEmptyBufferHoldMs)
                : SteadyTime::min();
        inFlight_.push_back({header, framesMoved_, notBefore});
        return;
    }
    const char* source = header->data + writeOffset_;
    lock.unlock();
    const snd_pcm_sframes_t frames =
        snd_pcm_writei(pcm_, source, std::min(remaining, periodFrames_));
    if (frames == -EAGAIN || frames == 0) {
        WaitForDevice(100);
    }
    lock.lock();
    if (frames > 0) {
        xrunsWithoutData_ = 0;
        writeOffset_ += static_cast<uint32_t>(frames) * frameBytes_;
        framesMoved_ += static_cast<uint64_t>(frames);
    } else if (frames < 0 && frames != -EAGAIN) {
        // Whatever the device held has been played or is lost.
        framesPlayed_ = framesMoved_;
        if (!Recover(static_cast<int>(frames), notices)) {
            Fail(static_cast<int>(frames), notices);
        }
    }
}

void AlsaPcm::CompletePlayed(std::vector<Notice>& notices) {
    snd_pcm_sframes_t delay = 0;
    const int error = snd_pcm_delay(pcm_, &delay);
    if (error == -EPIPE) {
        // The device ran dry. With data still waiting that is an underrun;
        // after the last buffer it is simply the end of the stream.
        framesPlayed_ = framesMoved_;
        if (!queue_.empty()) {
            if (!Recover(error, notices)) {
                Fail(error, notices);
            }
        } else {
            snd_pcm_prepare(pcm_);
        }
    } else if (error == 0) {
        const uint64_t pending = delay > 0 ? static_cast<uint64_t>(delay) : 0;
        const uint64_t played = framesMoved_ > pending ? framesMoved_ - pending : 0;
        framesPlayed_ = std::max(framesPlayed_, played);
    }
    const SteadyTime now = std::chrono::steady_clock::now();
    while (!inFlight_.empty() && inFlight_.front().endFrame <= framesPlayed_ &&
           inFlight_.front().notBefore <= now) {
        Complete(inFlight_.front().header, notices);
        inFlight_.pop_front();
    }
}

bool AlsaPcm::Recover(int error, std::vector<Notice>& notices) {
    if (error != -EPIPE && error != -ESTRPIPE) {
        return false;
    }
    if (++xrunsWithoutData_ > kMaxXrunsWithoutData) {
        return false;
    }
    if (error == -EPIPE) {
        notices.push_back(
            {direction_ == WaveDirection::kInput ? WaveMessage::kOverrun : WaveMessage::kUnderrun,
             nullptr, 0});
    } else {
        // Suspended: wait up to a second for the device to come back.
        for (int attempt = 0; attempt < 100; ++attempt) {
            const int resumed = snd_pcm_resume(pcm_);
            if (resumed == 0) {
                return true;
            }
            if (resumed != -EAGAIN) {
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    return snd_pcm_prepare(pcm_) == 0;
}

void AlsaPcm::Fail(int error, std::vector<Notice>& notices) {
    failed_ = true;
    // Whatever an input buffer holds so far goes back to the owner, before
    // the failure is reported.
    if (direction_ == WaveDirection::kInput && !queue_.empty() &&
        queue_.front()->bytesRecorded > 0) {
        WaveHeader* header = queue_.front();
        queue_.pop_front();
        Complete(header, notices);
    }
    notices.push_back({WaveMessage::kDeviceError, nullptr, error});
}

void AlsaPcm::WaitForDevice(int timeoutMs) {
    const int count = snd_pcm_poll_descriptors_count(pcm_);
    std::vector<pollfd> fds(static_cast<size_t>(std::max(count, 0)) + 1);
    fds[0] = {wakeFd_, POLLIN, 0};
    if (count > 0) {
        snd_pcm_poll_descriptors(pcm_, fds.data() + 1, static_cast<unsigned>(count));
    }
    poll(fds.data(), fds.size(), timeoutMs);
    uint64_t drained = 0;
    [[maybe_unused]] const ssize_t got = read(wakeFd_, &drained, sizeof drained);
}
