#include "audio/svorbis_record.h"

#include <vorbis/vorbisenc.h>

#include <fcntl.h>
#include <sys/uio.h>
#include <unistd.h>

#include <QString>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <random>

#include "audio/log.h"
#include "audio/wave_device_choice.h"
#include "media/metadata_item.h"
#include "platform/post_message.h"
#include "platform/window_messages.h"

namespace {

constexpr int kWakeIntervalMs = 500;

}  // namespace

SVorbisRecord::SVorbisRecord(QObject* owner, const std::string& path, const WaveFormat& settings,
                             const std::string& deviceName)
    : owner_(owner),
      path_(path),
      deviceName_(deviceName),
      settings_(settings),
      captureFormat_(CaptureFormat(settings)),
      recovery_(RecoveryFile::PathFor(path)) {
    for (int i = 0; i < BufferRing::kCount; ++i) {
        ring_[i].bufferLength = BufferBytes(settings_);
    }
    fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd_ < 0) {
        LogWarning("Cannot create Vorbis file %s", path.c_str());
        return;
    }
    vorbis_info_init(&info_);
    // Managed bit rate: the nominal rate, no minimum, no maximum.
    if (vorbis_encode_init(&info_, settings_.channels, static_cast<long>(settings_.samplesPerSec),
                           -1, static_cast<long>(settings_.avgBytesPerSec) * 8, -1) != 0) {
        LogWarning("Vorbis encoder refuses %u channels, %u Hz, %u bit/s", settings_.channels,
                   settings_.samplesPerSec, settings_.avgBytesPerSec * 8);
        vorbis_info_clear(&info_);
        ::close(fd_);
        fd_ = -1;
        ::unlink(path.c_str());
        return;
    }
    vorbis_comment_init(&comment_);
    vorbis_comment_add_tag(&comment_, "ENCODER", "encoder_example.c");
    vorbis_analysis_init(&dsp_, &info_);
    vorbis_block_init(&dsp_, &block_);
    encoderReady_ = true;

    std::minstd_rand serials(static_cast<unsigned>(std::time(nullptr)));
    ogg_stream_init(&stream_, static_cast<int>(serials()));

    ogg_packet identification;
    ogg_packet comments;
    ogg_packet codebooks;
    vorbis_analysis_headerout(&dsp_, &comment_, &identification, &comments, &codebooks);
    ogg_stream_packetin(&stream_, &identification);
    ogg_stream_packetin(&stream_, &comments);
    ogg_stream_packetin(&stream_, &codebooks);
    // The audio starts on a fresh page.
    FlushPages();
    encoderStarted_ = true;
    // Until the stream has ended: when it started.
    recovery_.Write(BuildMetadataItem({{std::time(nullptr), 0}}, {}));
    ResumeThread();
}

SVorbisRecord::~SVorbisRecord() {
    if (fd_ < 0) {
        return;
    }
    Stop();
    StopThread();
    if (ended_ || framesEncoded_.load() == 0) {
        // Complete, or no audio to complete.
        recovery_.Remove();
    }
    ogg_stream_clear(&stream_);
    vorbis_block_clear(&block_);
    vorbis_dsp_clear(&dsp_);
    vorbis_comment_clear(&comment_);
    vorbis_info_clear(&info_);
    ::close(fd_);
}

WaveFormat SVorbisRecord::CaptureFormat(const WaveFormat& settings) {
    return WaveFormat::Pcm(settings.channels, settings.samplesPerSec, 16);
}

uint32_t SVorbisRecord::BufferBytes(const WaveFormat& settings) {
    const WaveFormat pcm = CaptureFormat(settings);
    const uint32_t frame = std::max<uint32_t>(1, pcm.blockAlign);
    const uint32_t bytes =
        std::clamp<uint32_t>(pcm.avgBytesPerSec / 5, frame, BufferRing::kBlockSize);
    return bytes - bytes % frame;
}

void SVorbisRecord::SetRecoveryItem(std::string_view item) {
    if (recovery_.IsHeld()) {
        recovery_.Write(item);
    }
}

std::string SVorbisRecord::GetFileTitle() {
    if (fd_ < 0) {
        return {};
    }
    const size_t slash = path_.find_last_of("/\\");
    return slash == std::string::npos ? path_ : path_.substr(slash + 1);
}

void SVorbisRecord::Run() {
    for (;;) {
        event_.Wait(kWakeIntervalMs);
        if (StopRequested()) {
            return;
        }
        // One buffer per hold of the critical section, so that Stop() gets
        // in even while the device delivers without pause.
        for (int i = 0; i < BufferRing::kCount; ++i) {
            std::lock_guard lock(CriticalSection());
            if (!ProcessBuffer(false, nullptr)) {
                break;
            }
        }
        std::lock_guard lock(CriticalSection());
        if (const int error = deviceError_.load(); error != 0 && device_) {
            Fail(QString::asprintf("The sound device failed (error %d)", error).toStdString());
        }
    }
}

void SVorbisRecord::Wake() {
    event_.Set();
}

void SVorbisRecord::DeviceCallback(WaveMessage message, void* instance, WaveHeader* header,
                                   int detail) {
    (void)header;
    if (instance == nullptr) {
        return;
    }
    auto* self = static_cast<SVorbisRecord*>(instance);
    if (message == WaveMessage::kData) {
        self->Wake();
    } else if (message == WaveMessage::kDeviceError) {
        LogWarning("Wave input device failed, error %d", detail);
        self->deviceError_ = detail != 0 ? detail : -1;
        self->Wake();
    }
}

bool SVorbisRecord::Start() {
    std::lock_guard lock(CriticalSection());
    if (device_) {
        return true;
    }
    if (!encoderReady_ || ended_ || failed_) {
        // The stream has ended; a new recording needs a new recorder.
        return false;
    }
    const WaveDeviceChoice choice =
        ChooseWaveDevice(WaveDirection::kInput, deviceName_, NameMatch::kIgnoreCase);
    deviceNumber_ = choice.number;
    int result = kWaveOk;
    device_ = WaveDevice::Open(WaveDirection::kInput, choice.name, captureFormat_, &DeviceCallback,
                               this, kWaveOpenMapped, &result);
    // A device that did not answer is not asked a second time.
    if (!device_ && result != kWaveNotAnswering) {
        device_ = WaveDevice::Open(WaveDirection::kInput, choice.name, captureFormat_,
                                   &DeviceCallback, this, kWaveOpenPlain, &result);
    }
    if (!device_) {
        LogWarning("Cannot open wave input driver %d", deviceNumber_);
        SetStartFailure(WaveOpenFailureText(deviceName_, result));
        return false;
    }
    stopped_ = false;
    ring_.ResetIndex();
    for (int i = 0; i < BufferRing::kCount; ++i) {
        WaveHeader& header = ring_[i];
        header.bufferLength = BufferBytes(settings_);
        header.bytesRecorded = 0;
        header.flags = 0;
        header.loops = 0;
        header.user = static_cast<uintptr_t>(i);
        if (device_->Prepare(&header) != kWaveOk || device_->AddBuffer(&header) != kWaveOk) {
            stopped_ = true;
            device_.reset();
            return false;
        }
    }
    if (device_->Start() != kWaveOk) {
        stopped_ = true;
        device_.reset();
        return false;
    }
    return true;
}

void SVorbisRecord::Encode(const WaveHeader& header) {
    const int channels = captureFormat_.channels;
    const int frames = static_cast<int>(header.bytesRecorded / (2u * channels));
    if (frames <= 0) {
        return;
    }
    float** buffer = vorbis_analysis_buffer(&dsp_, frames);
    const auto* samples = reinterpret_cast<const int16_t*>(header.data);
    for (int i = 0; i < frames; ++i) {
        for (int c = 0; c < channels; ++c) {
            buffer[c][i] = static_cast<float>(samples[i * channels + c]) / 32768.0f;
        }
    }
    vorbis_analysis_wrote(&dsp_, frames);
    framesEncoded_ += frames;
    Drain();
}

void SVorbisRecord::Drain() {
    while (vorbis_analysis_blockout(&dsp_, &block_) == 1) {
        vorbis_analysis(&block_, nullptr);
        vorbis_bitrate_addblock(&block_);
        ogg_packet packet;
        while (vorbis_bitrate_flushpacket(&dsp_, &packet) != 0) {
            ogg_stream_packetin(&stream_, &packet);
            ogg_page page;
            while (ogg_stream_pageout(&stream_, &page) != 0) {
                if (WritePage(page)) {
                    framesAtFlush_ = framesEncoded_.load();
                }
            }
        }
    }
    // A low bit rate fills a page slowly: what is there goes out anyway.
    if (framesEncoded_.load() - framesAtFlush_ >=
        static_cast<int64_t>(kFlushSeconds) * captureFormat_.samplesPerSec) {
        framesAtFlush_ = framesEncoded_.load();
        FlushPages();
    }
}

bool SVorbisRecord::FlushPages() {
    bool ok = true;
    ogg_page page;
    while (ogg_stream_flush(&stream_, &page) != 0) {
        ok = WritePage(page) && ok;
    }
    return ok;
}

void SVorbisRecord::Fail(const std::string& reason) {
    if (failed_) {
        return;
    }
    failure_ = reason;
    LogWarning("Recording of %s stopped: %s", path_.c_str(), reason.c_str());
    stopped_ = true;
    if (device_) {
        device_->Stop();
        device_->Reset();
    }
    failed_ = true;
    PostMessage(owner_, WM_AUDIO_PROGRESS);
}

std::string SVorbisRecord::GetFailure() {
    std::lock_guard lock(CriticalSection());
    return failure_;
}

bool SVorbisRecord::WritePage(const ogg_page& page) {
    if (writeFailed_) {
        return false;
    }
    const struct iovec parts[2] = {{page.header, static_cast<size_t>(page.header_len)},
                                   {page.body, static_cast<size_t>(page.body_len)}};
    const int64_t size = page.header_len + page.body_len;
    int64_t done = 0;
    int error = 0;
    while (done < size) {
        struct iovec rest[2];
        int count = 0;
        int64_t skip = done;
        for (const iovec& part : parts) {
            const auto length = static_cast<int64_t>(part.iov_len);
            if (skip >= length) {
                skip -= length;
                continue;
            }
            rest[count].iov_base = static_cast<unsigned char*>(part.iov_base) + skip;
            rest[count].iov_len = static_cast<size_t>(length - skip);
            ++count;
            skip = 0;
        }
        const ssize_t n = ::pwritev(fd_, rest, count, fileBytes_ + done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            error = n < 0 ? errno : ENOSPC;
            break;
        }
        done += n;
    }
    if (done == size) {
        fileBytes_ += size;
        if (encoderStarted_) {
            bytesWritten_ += size;  // the header pages are no recorded audio
        }
        return true;
    }
    // The file ends on the last whole page.
    writeFailed_ = true;
    if (done > 0 && ::ftruncate(fd_, fileBytes_) != 0) {
        LogWarning("Cannot cut the part page off %s", path_.c_str());
    }
    Fail(std::string("Cannot write the recording: ") + std::strerror(error));
    return false;
}

bool SVorbisRecord::ProcessBuffer(bool explicitHeader, WaveHeader* header) {
    if (!device_ || !encoderReady_) {
        return false;
    }
    WaveHeader* buffer = ring_.Pick(explicitHeader, header);
    if (buffer == nullptr) {
        return false;
    }
    if (buffer->bytesRecorded != 0) {
        lastBuffer_.Keep(buffer->data, buffer->bytesRecorded);
    }
    Encode(*buffer);
    buffer->bytesRecorded = 0;
    buffer->ClearDone();
    // The owner hears of each buffer written, not of every wake.
    PostMessage(owner_, WM_AUDIO_PROGRESS);
    if (stopped_) {
        return true;
    }
    if (device_->AddBuffer(buffer) != kWaveOk) {
        LogWarning("Cannot add wave input buffer %d", static_cast<int>(buffer->user));
        ring_.Drop(buffer);
        // The owner stops and starts the recorder to get its buffers back.
        PostMessage(owner_, WM_RECORDER_RESTART, 1, 2);
        return false;
    }
    return true;
}

bool SVorbisRecord::Stop() {
    // Set before waiting for the worker: buffers it hands back from now on
    // are not queued again, so the device runs dry and the worker lets go.
    stopped_ = true;
    std::lock_guard lock(CriticalSection());
    if (!device_) {
        return true;
    }
    // The buffer being filled comes back with what it holds, the queued ones
    // empty; all of it is encoded before the stream ends.
    device_->Stop();
    device_->Reset();
    for (int i = 0; i < BufferRing::kCount && ProcessBuffer(false, nullptr); ++i) {
    }
    for (int i = 0; i < BufferRing::kCount; ++i) {
        ring_[i].bufferLength = BufferRing::kBlockSize;
        device_->Unprepare(&ring_[i]);
    }
    device_.reset();
    ring_.ResetIndex();
    vorbis_analysis_wrote(&dsp_, 0);
    Drain();
    const bool complete = FlushPages() && !writeFailed_;
    // A stream whose end could not be written stays one to repair.
    ended_ = complete;
    return complete;
}
