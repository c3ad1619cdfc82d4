#include "audio/swave_in.h"

#include <QString>

#include "audio/log.h"
#include "platform/post_message.h"
#include "platform/window_messages.h"

SWaveIn::SWaveIn(QObject* owner, const std::string& fileName, const WaveFormat& fileFormat,
                 const std::string& deviceName, bool mp3EnableTag)
    : SWaveIn(owner, fileName, fileFormat, deviceName, ThreadStart::kNow, mp3EnableTag) {}

SWaveIn::SWaveIn(QObject* owner, const std::string& fileName, const WaveFormat& fileFormat,
                 const std::string& deviceName, ThreadStart start, bool mp3EnableTag)
    : owner_(owner),
      recFile_(std::make_unique<RecFile>(fileName, &fileFormat,
                                         kOpenReadWrite | kOpenCreate | kOpenDenyWrite, false,
                                         mp3EnableTag)),
      deviceName_(deviceName),
      deviceFormat_(recFile_->Format()) {
    const uint32_t length = BufferBytes(deviceFormat_);
    for (int i = 0; i < BufferRing::kCount; ++i) {
        ring_[i].bufferLength = length;
    }
    if (start == ThreadStart::kNow) {
        ResumeThread();
    }
}

SWaveIn::~SWaveIn() {
    Stop();
    device_.reset();
    StopThread();
}

uint32_t SWaveIn::BufferBytes(const WaveFormat& format) {
    uint32_t bytes = format.avgBytesPerSec / 5;
    if (bytes <= kMinBufferBytes) {
        bytes = kMinBufferBytes;
    }
    if (bytes >= BufferRing::kBlockSize) {
        bytes = BufferRing::kBlockSize;
    }
    const uint32_t block = format.blockAlign == 0 ? 1 : format.blockAlign;
    return bytes - bytes % block;
}

void SWaveIn::Run() {
    for (;;) {
        event_.Wait(kWakeIntervalMs);
        if (StopRequested()) {
            return;
        }
        std::lock_guard lock(CriticalSection());
        ProcessBuffer(false, nullptr, true);
        ProcessBuffer(false, nullptr, true);
        TakeDeviceError();
    }
}

void SWaveIn::TakeDeviceError() {
    const int error = deviceError_.load();
    if (error != 0 && device_ && !failed_) {
        Fail(QString::asprintf("The sound device failed (error %d)", error).toStdString());
    }
}

void SWaveIn::Fail(const std::string& reason) {
    if (failed_) {
        return;
    }
    failure_ = reason;
    LogWarning("Recording of %s stopped: %s", recFile_->GetFileName().c_str(), reason.c_str());
    stopped_ = true;
    if (device_) {
        samplesAtFailure_ = device_->GetPositionSamples();
        // The buffers come back done; what they hold is still written
        // unless writing is what failed.
        device_->StopInput();
    }
    failed_ = true;
    PostMessage(owner_, WM_AUDIO_PROGRESS);
}

bool SWaveIn::WriteToFile(const void* data, int64_t count) {
    if (writeFailed_) {
        return false;
    }
    if (count <= 0 || recFile_->WriteAudio(data, count) == count) {
        return true;
    }
    writeFailed_ = true;
    Fail("Cannot write the recording: " + recFile_->WriteFailure());
    return false;
}

std::string SWaveIn::GetFailure() {
    std::lock_guard lock(CriticalSection());
    return failure_;
}

void SWaveIn::Wake() {
    event_.Set();
}

void SWaveIn::DeviceCallback(WaveMessage message, void* instance, WaveHeader* header, int detail) {
    (void)header;
    if (instance == nullptr) {
        return;
    }
    auto* self = static_cast<SWaveIn*>(instance);
    switch (message) {
        case WaveMessage::kData:
            self->Wake();
            break;
        case WaveMessage::kOverrun:
            self->dropped_.fetch_add(1);
            // The first of a recording is enough in the log.
            if (self->overruns_.fetch_add(1) == 0) {
                LogWarning("Wave input overrun, audio lost");
            }
            break;
        case WaveMessage::kUnderrun:
            break;
        case WaveMessage::kDeviceError:
            LogWarning("Wave input device failed, error %d", detail);
            self->deviceError_ = detail != 0 ? detail : -1;
            self->Wake();
            break;
    }
}

bool SWaveIn::Refuse(const QString& text) {
    SetStartFailure(text.toStdString());
    Tell(text, QStringLiteral("wavein"));
    return false;
}

bool SWaveIn::OpenDevice(const WaveFormat* format) {
    if (device_ && !stopped_) {
        return true;
    }
    const WaveFormat& captureFormat = format != nullptr ? *format : deviceFormat_;
    if (!device_) {
        auto device = std::make_unique<SWaveInDev>(deviceName_, captureFormat, &DeviceCallback,
                                                   this, kWaveOpenMapped);
        // A device that did not answer is not asked a second time.
        if (!device->IsOpen() && device->openResult() != kWaveNotAnswering) {
            device = std::make_unique<SWaveInDev>(deviceName_, captureFormat, &DeviceCallback, this,
                                                  kWaveOpenPlain);
        }
        if (!device->IsOpen()) {
            LogWarning("Cannot open wave input driver %d", device->deviceNumber());
            SetStartFailure(WaveOpenFailureText(deviceName_, device->openResult()));
            return false;
        }
        deviceNumber_ = device->deviceNumber();
        std::lock_guard lock(CriticalSection());
        device_ = std::move(device);
        ring_.ResetIndex();
    }
    if (failed_) {
        return false;  // a failed recording does not go on
    }
    overruns_ = 0;
    const uint32_t size = BufferBytes(captureFormat);
    for (int i = 0; i < BufferRing::kCount; ++i) {
        WaveHeader& header = ring_[i];
        header.bufferLength = size;
        header.bytesRecorded = 0;
        header.flags = 0;
        header.loops = 0;
        if (device_->Prepare(&header) != kWaveOk) {
            CloseDevice();
            return Refuse(QStringLiteral("can't prepare wave buffer"));
        }
        if (device_->AddBuffer(&header) != kWaveOk) {
            CloseDevice();
            return Refuse(QStringLiteral("can't add wave buffer"));
        }
    }
    stopped_ = false;
    const int result = device_->Start();
    if (result != kWaveOk) {
        const QString text =
            QString::asprintf("Can't start wave input\nReturn code %x,dev %x,handle %x",
                              static_cast<unsigned>(result), static_cast<unsigned>(deviceNumber_),
                              static_cast<unsigned>(device_->handle()));
        CloseDevice();
        return Refuse(text);
    }
    return true;
}

bool SWaveIn::ProcessBuffer(bool explicitHeader, WaveHeader* header, bool writeData) {
    if (!device_) {
        return false;
    }
    WaveHeader* buffer = ring_.Pick(explicitHeader, header);
    if (buffer == nullptr) {
        return false;
    }
    if (writeData && buffer->bytesRecorded > 0) {
        WriteToFile(buffer->data, buffer->bytesRecorded);
    }
    if (buffer->bufferLength != 0) {
        lastBuffer_.Keep(buffer->data, buffer->bytesRecorded);
    }
    buffer->bytesRecorded = 0;
    buffer->ClearDone();
    if (stopped_) {
        return true;
    }
    if (device_->AddBuffer(buffer) != kWaveOk) {
        LogWarning("Cannot add wave input buffer %d", static_cast<int>(buffer->user));
        ring_.Drop(buffer);
        dropped_.fetch_add(1);
        // The owner stops and starts the recorder to get its buffers back.
        PostMessage(owner_, WM_RECORDER_RESTART, 1, 2);
        return false;
    }
    PostMessage(owner_, WM_AUDIO_PROGRESS);
    return true;
}

bool SWaveIn::Start() {
    return OpenDevice(nullptr);
}

bool SWaveIn::Stop() {
    bool ok = true;
    if (device_) {
        ok = CloseDevice();
    }
    std::lock_guard lock(CriticalSection());
    ring_.ResetIndex();
    return ok;
}

bool SWaveIn::CloseDevice() {
    {
        // With the worker held off, no buffer can be queued again after the
        // reset has returned them all.
        std::lock_guard lock(CriticalSection());
        stopped_ = true;
        device_->StopInput();
    }
    std::optional<uint64_t> samples = device_->GetPositionSamples();
    if (samplesAtFailure_) {
        samples = samplesAtFailure_;  // what came after did not reach the file
        samplesAtFailure_.reset();
    }
    if (samples) {
        std::lock_guard lock(CriticalSection());
        recFile_->AddSampleCount(static_cast<uint32_t>(std::min<uint64_t>(*samples, 0xFFFFFFFFu)));
    }
    // The reset has returned every buffer done; whatever the worker has not
    // written yet is written here, in ring order, under the critical
    // section. Nothing waits for the worker or runs the owner's messages.
    std::lock_guard lock(CriticalSection());
    TakeDeviceError();
    // Whatever the worker did not get to is written now, in ring order.
    for (int i = 0; i < BufferRing::kCount && ProcessBuffer(false, nullptr, true); ++i) {
    }
    bool ok = true;
    for (int i = 0; i < BufferRing::kCount; ++i) {
        if (device_->Unprepare(&ring_[i]) != kWaveOk) {
            ok = false;
        }
    }
    device_.reset();
    return ok;
}

std::string SWaveIn::GetFileName() {
    std::lock_guard lock(CriticalSection());
    return recFile_->GetFileName();
}

int64_t SWaveIn::GetBytesWritten() {
    std::lock_guard lock(CriticalSection());
    return recFile_->GetLength();
}

uint32_t SWaveIn::GetBytesPerSecond() {
    std::lock_guard lock(CriticalSection());
    return recFile_->Format().avgBytesPerSec;
}

bool SWaveIn::IsOpen() {
    std::lock_guard lock(CriticalSection());
    return recFile_->IsOpen();
}

std::string SWaveIn::GetFileTitle() {
    std::lock_guard lock(CriticalSection());
    return recFile_->GetFileTitle();
}

bool SWaveIn::SetTag(std::string_view name, std::string_view text) {
    std::lock_guard lock(CriticalSection());
    return recFile_->SetTag(name, text);
}

void SWaveIn::SetRecoveryItem(std::string_view item) {
    std::lock_guard lock(CriticalSection());
    recFile_->SetRecoveryItem(item);
}
