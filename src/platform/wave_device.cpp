#include "platform/wave_device.h"

#include "platform/alsa_pcm.h"
#include "platform/sdr_wave_in.h"

std::string WaveOpenFailureText(const std::string& device, int result) {
    const std::string name = "the sound device \"" + device + "\"";
    switch (result) {
        case kWaveNotAnswering:
            return name + " did not answer within " + std::to_string(kWaveOpenTimeoutMs / 1000) +
                   " s";
        case kWaveAllocated:
            return name + " is in use";
        case kWaveBadDeviceId:
            return name + " does not exist";
        case kWaveBadFormat:
            return name + " cannot record in this format";
        default:
            return name + " cannot be opened (error " + std::to_string(result) + ")";
    }
}

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

std::unique_ptr<WaveDevice> WaveDevice::OpenMappedOrPlain(WaveDirection direction,
                                                          const std::string& name,
                                                          const WaveFormat& format,
                                                          WaveCallback callback, void* instance,
                                                          int* result) {
    int code = kWaveOk;
    auto device = Open(direction, name, format, callback, instance, kWaveOpenMapped, &code);
    if (!device && code != kWaveNotAnswering) {
        device = Open(direction, name, format, callback, instance, kWaveOpenPlain, &code);
    }
    if (result != nullptr) {
        *result = code;
    }
    return device;
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
