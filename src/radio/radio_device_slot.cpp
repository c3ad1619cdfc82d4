#include "radio/radio_device_slot.h"

#include "radio/no_radio.h"

RadioDeviceSlot::RadioDeviceSlot(Factory factory)
    : factory_(factory ? std::move(factory) : Factory(CreateRadioForModel)),
      device_(std::make_unique<SNoRadio>()) {}

RadioDeviceSlot::~RadioDeviceSlot() = default;

RadioDeviceSlot::ResetResult RadioDeviceSlot::Reset(int modelId, int port,
                                                    const QString& portString,
                                                    const RadioCreateOptions& options) {
    if (model_ != kNoRadioModel && modelId == model_ && port == port_ &&
        (modelId != kSdrRadioModel || portString == portString_)) {
        return ResetResult::Kept;
    }
    model_ = modelId;
    port_ = port;
    portString_ = portString;
    // The old device lets go of the hardware before its successor opens it.
    device_.reset();
    if (modelId != kNoRadioModel) {
        device_ = factory_(modelId, port, portString, options);
    }
    if (!device_) {
        device_ = std::make_unique<SNoRadio>();
    }
    // Taken now, so that the first tune of the new device already sees
    // whether it can receive AM.
    hasAmBand_ = device_->HasAmBand();
    return modelId == kNoRadioModel ? ResetResult::CreatedWithoutModel : ResetResult::Created;
}

void RadioDeviceSlot::Release() {
    device_.reset();
    device_ = std::make_unique<SNoRadio>();
    model_ = kNoRadioModel;
    port_ = kNoPortValue;
    portString_.clear();
    hasAmBand_ = false;
}
