#include "audio/swave_out.h"

#include <algorithm>

#include "audio/log.h"
#include "audio/wave_device_choice.h"
#include "platform/post_message.h"
#include "platform/window_messages.h"

SWaveOut::SWaveOut(QObject* owner, const std::string& fileName, const std::string& deviceName)
    : SWaveOut(owner, fileName, deviceName, ThreadStart::kNow) {}

SWaveOut::SWaveOut(QObject* owner, const std::string& fileName, const std::string& deviceName,
                   ThreadStart start)
    : owner_(owner),
      recFile_(std::make_unique<RecFile>(fileName, nullptr, kOpenRead, false)),
      deviceName_(deviceName) {
    if (start == ThreadStart::kNow) {
        ResumeThread();
    }
}

SWaveOut::~SWaveOut() {
    Stop();
    StopThread();
}

uint32_t SWaveOut::ChunkBytes(const WaveFormat& format) {
    const uint32_t block = format.blockAlign == 0 ? 1 : format.blockAlign;
    const uint32_t bytes = std::min(format.avgBytesPerSec / 5, BufferRing::kBlockSize);
    return bytes - bytes % block;
}

void SWaveOut::Run() {
    for (;;) {
        event_.Wait();
        if (StopRequested()) {
            return;
        }
        std::lock_guard lock(CriticalSection());
        ProcessBuffer(false, nullptr);
    }
}

void SWaveOut::Wake() {
    event_.Set();
}

void SWaveOut::DeviceCallback(WaveMessage message, void* instance, WaveHeader* header, int detail) {
    (void)header;
    if (instance == nullptr) {
        return;
    }
    if (message == WaveMessage::kData) {
        static_cast<SWaveOut*>(instance)->Wake();
    } else if (message == WaveMessage::kDeviceError) {
        LogWarning("Wave output device failed, error %d", detail);
        auto* player = static_cast<SWaveOut*>(instance);
        player->deviceFailed_ = true;
        PostMessage(player->owner_, WM_AUDIO_PROGRESS);
    }
}

int64_t SWaveOut::Fill(WaveHeader& header) {
    const int64_t remaining = std::max<int64_t>(0, recFile_->GetLength() - recFile_->GetPosition());
    const int64_t wanted = std::min<int64_t>(ChunkBytes(recFile_->Format()), remaining);
    const int64_t read = wanted > 0 ? recFile_->ReadAudio(header.data, wanted) : 0;
    header.bufferLength = read > 0 ? static_cast<uint32_t>(read) : 0;
    header.user = static_cast<uintptr_t>(recFile_->GetPosition());
    return read;
}

bool SWaveOut::Play() {
    std::lock_guard lock(CriticalSection());
    if (device_) {
        return true;
    }
    deviceFailed_ = false;
    const WaveDeviceChoice choice =
        ChooseWaveDevice(WaveDirection::kOutput, deviceName_, NameMatch::kIgnoreCase);
    deviceNumber_ = choice.number;
    const WaveFormat format = recFile_->Format();
    device_ = WaveDevice::OpenMappedOrPlain(WaveDirection::kOutput, choice.name, format,
                                            &DeviceCallback, this);
    if (!device_) {
        return false;
    }
    stopped_ = false;
    ring_.ResetIndex();
    for (int i = 0; i < BufferRing::kCount; ++i) {
        WaveHeader& header = ring_[i];
        header.bufferLength = BufferRing::kBlockSize;
        header.flags = 0;
        device_->Prepare(&header);
        if (i == 0) {
            if (Fill(header) <= 0) {
                // Played to its end before: start again from the beginning.
                recFile_->Seek(0);
                Fill(header);
            }
            // Nothing of this session has been heard yet.
            heardPosition_ = static_cast<int64_t>(header.user) - header.bufferLength;
        } else {
            Fill(header);
        }
        // An empty file gets empty buffers, whose progress messages tell the
        // owner that it has been played.
        if (device_->AddBuffer(&header) != kWaveOk) {
            CloseDevice();
            return false;
        }
    }
    return true;
}

void SWaveOut::CloseDevice() {
    stopped_ = true;
    device_->Reset();
    for (int i = 0; i < BufferRing::kCount; ++i) {
        ring_[i].bufferLength = BufferRing::kBlockSize;
        device_->Unprepare(&ring_[i]);
    }
    device_.reset();
    ring_.ResetIndex();
}

bool SWaveOut::ProcessBuffer(bool explicitHeader, WaveHeader* header) {
    PostMessage(owner_, WM_AUDIO_PROGRESS);
    if (!device_ || stopped_) {
        return false;
    }
    WaveHeader* buffer = ring_.Pick(explicitHeader, header);
    if (buffer == nullptr) {
        return false;
    }
    heardPosition_ = static_cast<int64_t>(buffer->user);
    if (buffer->bufferLength != 0) {
        lastBuffer_.Keep(buffer->data, buffer->bufferLength);
    }
    buffer->bufferLength = BufferRing::kBlockSize;
    Fill(*buffer);
    buffer->ClearDone();
    if (device_->AddBuffer(buffer) != kWaveOk) {
        ring_.Drop(buffer);
        return false;
    }
    PostMessage(owner_, WM_AUDIO_PROGRESS);
    return true;
}

bool SWaveOut::Stop() {
    std::lock_guard lock(CriticalSection());
    stopped_ = true;
    if (device_) {
        const int64_t heard = heardPosition_;
        CloseDevice();
        recFile_->Seek(heard);
    }
    return true;
}

bool SWaveOut::IsPlaying() {
    std::lock_guard lock(CriticalSection());
    return device_ != nullptr && !stopped_;
}

bool SWaveOut::SetPosition(int64_t bytes) {
    std::lock_guard lock(CriticalSection());
    return recFile_->Seek(bytes);
}

int64_t SWaveOut::GetPosition() {
    std::lock_guard lock(CriticalSection());
    if (device_ != nullptr && !stopped_) {
        return heardPosition_;
    }
    return recFile_->GetPosition();
}

std::string SWaveOut::GetFileName() {
    std::lock_guard lock(CriticalSection());
    return recFile_->GetFileName();
}

int64_t SWaveOut::GetLength() {
    std::lock_guard lock(CriticalSection());
    return recFile_->GetLength();
}

uint32_t SWaveOut::GetBytesPerSecond() {
    std::lock_guard lock(CriticalSection());
    return recFile_->Format().avgBytesPerSec;
}

uint16_t SWaveOut::GetFormatTag() {
    std::lock_guard lock(CriticalSection());
    return recFile_->Format().formatTag;
}

bool SWaveOut::IsOpen() {
    std::lock_guard lock(CriticalSection());
    return recFile_->IsOpen();
}

std::time_t SWaveOut::GetTimeAt(int64_t bytes) {
    std::lock_guard lock(CriticalSection());
    return recFile_->TimeAt(std::max<int64_t>(bytes, 0));
}

std::string SWaveOut::GetFileTitle() {
    std::lock_guard lock(CriticalSection());
    return recFile_->GetFileTitle();
}
