#include "audio/swave_in_dev.h"

#include "audio/wave_device_choice.h"

SWaveInDev::SWaveInDev(const std::string& deviceName, const WaveFormat& format,
                       WaveCallback callback, void* instance, unsigned openFlags) {
    const WaveDeviceChoice choice =
        ChooseWaveDevice(WaveDirection::kInput, deviceName, NameMatch::kExact);
    deviceNumber_ = choice.number;
    if (choice.name.empty()) {
        openResult_ = kWaveBadDeviceId;
        return;
    }
    device_ = WaveDevice::Open(WaveDirection::kInput, choice.name, format, callback, instance,
                               openFlags, &openResult_);
}

SWaveInDev::~SWaveInDev() {
    if (started_) {
        StopInput();
    }
    device_.reset();
}

int SWaveInDev::Prepare(WaveHeader* header) {
    return device_ ? device_->Prepare(header) : kWaveInvalidHandle;
}

int SWaveInDev::AddBuffer(WaveHeader* header) {
    return device_ ? device_->AddBuffer(header) : kWaveInvalidHandle;
}

int SWaveInDev::Start() {
    if (!device_) {
        return kWaveInvalidHandle;
    }
    started_ = true;
    return device_->Start();
}

int SWaveInDev::StopInput() {
    started_ = false;
    if (!device_) {
        return kWaveInvalidHandle;
    }
    const int stopped = device_->Stop();
    const int reset = device_->Reset();
    return stopped != kWaveOk ? stopped : reset;
}

int SWaveInDev::Unprepare(WaveHeader* header) {
    return device_ ? device_->Unprepare(header) : kWaveInvalidHandle;
}

std::optional<uint64_t> SWaveInDev::GetPositionSamples() const {
    return device_ ? device_->GetPositionSamples() : std::nullopt;
}
