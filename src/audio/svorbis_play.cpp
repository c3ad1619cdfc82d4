#include "audio/svorbis_play.h"

#include <QFileInfo>
#include <QString>
#include <algorithm>
#include <cstdio>

#include "audio/log.h"
#include "audio/wave_device_choice.h"
#include "platform/post_message.h"
#include "platform/window_messages.h"

namespace {

constexpr int kReadBytes = 4096;
// Holes in a row the decoder may report before the damage counts as the
// end of the stream.
constexpr int kMaxHoles = 8;

}  // namespace

SVorbisPlay::SVorbisPlay(QObject* owner, const std::string& path, const std::string& deviceName)
    : owner_(owner), path_(path), deviceName_(deviceName) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        LogWarning("Cannot open Vorbis file %s", path.c_str());
        return;
    }
    // On success the decoder owns the file.
    if (ov_open(file, &vorbis_, nullptr, 0) != 0) {
        std::fclose(file);
        LogWarning("Not an Ogg Vorbis file: %s", path.c_str());
        return;
    }
    open_ = true;
    // Opening looked at the end of the file; reading starts at the front.
    ov_raw_seek(&vorbis_, 0);
    if (QFileInfo info(QString::fromStdString(path)); info.exists()) {
        fileSize_ = info.size();
    }
    const vorbis_info* info = ov_info(&vorbis_, -1);
    ov_comment(&vorbis_, -1);
    outputFormat_ = WaveFormat::Pcm(static_cast<uint16_t>(info->channels),
                                    static_cast<uint32_t>(info->rate), 16);
    ResumeThread();
}

SVorbisPlay::~SVorbisPlay() {
    if (!open_) {
        return;
    }
    Stop();
    StopThread();
    ov_clear(&vorbis_);
}

std::string SVorbisPlay::GetFileTitle() {
    if (!open_) {
        return {};
    }
    const size_t slash = path_.find_last_of("/\\");
    return slash == std::string::npos ? path_ : path_.substr(slash + 1);
}

uint32_t SVorbisPlay::RequestBytes() const {
    const uint32_t frame = std::max<uint32_t>(1, outputFormat_.blockAlign);
    const uint32_t bytes =
        std::clamp<uint32_t>(outputFormat_.avgBytesPerSec / 5, frame, BufferRing::kBlockSize);
    return bytes - bytes % frame;
}

void SVorbisPlay::Run() {
    for (;;) {
        event_.Wait();
        if (StopRequested()) {
            return;
        }
        std::lock_guard lock(CriticalSection());
        ProcessBuffer(false, nullptr);
    }
}

void SVorbisPlay::Wake() {
    event_.Set();
}

void SVorbisPlay::DeviceCallback(WaveMessage message, void* instance, WaveHeader* header,
                                 int detail) {
    (void)header;
    if (instance == nullptr) {
        return;
    }
    if (message == WaveMessage::kData) {
        static_cast<SVorbisPlay*>(instance)->Wake();
    } else if (message == WaveMessage::kDeviceError) {
        LogWarning("Wave output device failed, error %d", detail);
        auto* player = static_cast<SVorbisPlay*>(instance);
        player->deviceFailed_ = true;
        PostMessage(player->owner_, WM_AUDIO_PROGRESS);
    }
}

int64_t SVorbisPlay::RawPosition() {
    const ogg_int64_t at = ov_raw_tell(&vorbis_);
    return at < 0 ? 0 : static_cast<int64_t>(at);
}

bool SVorbisPlay::Play() {
    std::unique_lock lock(CriticalSection());
    if (!open_) {
        return false;
    }
    if (device_) {
        return true;
    }
    deviceFailed_ = false;
    const WaveDeviceChoice choice =
        ChooseWaveDevice(WaveDirection::kOutput, deviceName_, NameMatch::kIgnoreCase);
    deviceNumber_ = choice.number;
    device_ = WaveDevice::OpenMappedOrPlain(WaveDirection::kOutput, choice.name, outputFormat_,
                                            &DeviceCallback, this);
    if (!device_) {
        return false;
    }
    stopped_ = false;
    ring_.ResetIndex();
    heardPosition_ = RawPosition();
    for (int i = 0; i < BufferRing::kCount; ++i) {
        WaveHeader& header = ring_[i];
        header.bufferLength = BufferRing::kBlockSize;
        header.flags = 0;
        device_->Prepare(&header);
        header.flags.fetch_or(WaveHeader::kDone);
        header.bufferLength = 0;
        header.user = static_cast<uintptr_t>(RawPosition());
    }
    for (int i = 0; i < BufferRing::kCount; ++i) {
        ProcessBuffer(false, nullptr);
    }
    return true;
}

void SVorbisPlay::Decode(WaveHeader& header) {
    const uint32_t request = RequestBytes();
    uint32_t filled = 0;
    int holes = 0;
    while (!finished_ && filled < request) {
        const int wanted = static_cast<int>(std::min<uint32_t>(kReadBytes, request - filled));
        const long got = ov_read(&vorbis_, header.data + filled, wanted, 0, 2, 1, &currentStream_);
        if (got > 0) {
            filled += static_cast<uint32_t>(got);
            holes = 0;
        } else if (got == OV_HOLE && ++holes <= kMaxHoles) {
            continue;  // a gap in the data; decoding goes on after it
        } else {
            if (got < 0) {
                LogWarning("Vorbis stream damaged at byte %lld, error %ld",
                           static_cast<long long>(RawPosition()), got);
            }
            finished_ = true;
        }
    }
    header.bufferLength = filled;
}

bool SVorbisPlay::ProcessBuffer(bool explicitHeader, WaveHeader* header) {
    PostMessage(owner_, WM_AUDIO_PROGRESS);
    if (!device_ || stopped_) {
        return false;
    }
    WaveHeader* buffer = ring_.Pick(explicitHeader, header);
    if (buffer == nullptr) {
        return false;
    }
    if (buffer->bufferLength != 0) {
        lastBuffer_.Keep(buffer->data, buffer->bufferLength);
    }
    heardPosition_ = static_cast<int64_t>(buffer->user);
    Decode(*buffer);
    buffer->user = static_cast<uintptr_t>(DecodedPosition());
    buffer->ClearDone();
    if (device_->AddBuffer(buffer) != kWaveOk) {
        ring_.Drop(buffer);
        return false;
    }
    PostMessage(owner_, WM_AUDIO_PROGRESS);
    return true;
}

bool SVorbisPlay::Stop() {
    std::lock_guard lock(CriticalSection());
    stopped_ = true;
    if (device_) {
        device_->Reset();
        for (int i = 0; i < BufferRing::kCount; ++i) {
            ring_[i].bufferLength = BufferRing::kBlockSize;
            device_->Unprepare(&ring_[i]);
        }
        device_.reset();
        const int64_t heard = heardPosition_;
        finished_ = false;
        if (ov_raw_seek(&vorbis_, heard) != 0) {
            finished_ = true;
        }
    }
    ring_.ResetIndex();
    return true;
}

bool SVorbisPlay::SetPosition(int64_t bytes) {
    std::lock_guard lock(CriticalSection());
    if (!open_ || ov_raw_seek(&vorbis_, bytes) != 0) {
        return false;
    }
    finished_ = false;
    return true;
}

int64_t SVorbisPlay::GetPosition() {
    std::lock_guard lock(CriticalSection());
    if (!open_) {
        return 0;
    }
    if (device_ && !stopped_) {
        return heardPosition_;
    }
    return DecodedPosition();
}

int64_t SVorbisPlay::DecodedPosition() {
    // A file cut inside a page ends the decoder before its last bytes: once
    // nothing more decodes, the position is the end.
    return finished_ ? LengthLocked() : RawPosition();
}

int64_t SVorbisPlay::LengthLocked() {
    // The decoder's raw total ends where the last page begins, so the
    // position would pass it at the end; the file's size is where it ends.
    const ogg_int64_t total = ov_raw_total(&vorbis_, -1);
    return std::max<int64_t>(fileSize_, total < 0 ? 0 : static_cast<int64_t>(total));
}

int64_t SVorbisPlay::GetLength() {
    std::lock_guard lock(CriticalSection());
    if (!open_) {
        return 0;
    }
    return LengthLocked();
}

uint32_t SVorbisPlay::GetBytesPerSecond() {
    std::lock_guard lock(CriticalSection());
    if (!open_) {
        return 0;
    }
    const long bitrate = ov_bitrate(&vorbis_, -1);
    return bitrate > 0 ? static_cast<uint32_t>(bitrate / 8) : 0;
}
