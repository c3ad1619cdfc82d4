#include "platform/wave_device.h"

#include "platform/alsa_pcm.h"
#include "platform/sdr_wave_in.h"

std::unique_ptr<WaveDevice> WaveDevice::Open(WaveDirection direction, const std::string& name,
                                             const WaveFormat& format, WaveCallback callback,
                                             void* instance, unsigned flags, int* result) {
    std::unique_ptr<WaveEngine> pcm;
    if (direction == WaveDirection::kInput && name == kSdrCaptureDevice) {
        pcm = SdrWaveIn::Open(format, callback, instance, result);
    } else {
        pcm = AlsaPcm::Open(direction, name, format, callback, instance, flags, result);
    }
    if (!pcm) {
        return nullptr;
    }
    return std::unique_ptr<WaveDevice>(new WaveDevice(std::move(pcm)));
}

WaveDevice::WaveDevice(std::unique_ptr<WaveEngine> pcm) : pcm_(std::move(pcm)) {}

WaveDevice::~WaveDevice() = default;

WaveDirection WaveDevice::direction() const {
    return pcm_->direction();
}

const std::string& WaveDevice::name() const {
    return pcm_->name();
}

int WaveDevice::Prepare(WaveHeader* header) {
    return pcm_->Prepare(header);
}

int WaveDevice::Unprepare(WaveHeader* header) {
    return pcm_->Unprepare(header);
}

int WaveDevice::AddBuffer(WaveHeader* header) {
    return pcm_->AddBuffer(header);
}

int WaveDevice::Start() {
    return pcm_->Start();
}

int WaveDevice::Stop() {
    return pcm_->Stop();
}

int WaveDevice::Reset() {
    return pcm_->Reset();
}

std::optional<uint64_t> WaveDevice::GetPositionSamples() const {
    return pcm_->PositionFrames();
}
