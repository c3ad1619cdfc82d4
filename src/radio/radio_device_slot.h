#pragma once

#include <QString>
#include <functional>
#include <memory>

#include "radio/radio_factory.h"
#include "radio/radio_models.h"
#include "radio/sradio.h"

// Holds the one current radio device and re-creates it when the configured
// model or port value changes.
class RadioDeviceSlot {
  public:
    using Factory = std::function<std::unique_ptr<SRadio>(
        int modelId, int port, const QString& portString, const RadioCreateOptions& options)>;

    enum class ResetResult {
        Kept,                 // same model and port: the device stays
        CreatedWithoutModel,  // no model configured: the inert device
        Created,              // a device for the configured model; the caller
                              // restores the mute state and tunes it
    };

    // Starts with the inert device; no model or port remembered.
    explicit RadioDeviceSlot(Factory factory = CreateRadioForModel);
    ~RadioDeviceSlot();
    RadioDeviceSlot(const RadioDeviceSlot&) = delete;
    RadioDeviceSlot& operator=(const RadioDeviceSlot&) = delete;

    // Keeps the device when a model was remembered and neither model nor port
    // changed (a changed port text alone does not count, except for the SDR
    // model, whose port text names the receiver). Otherwise destroys
    // the current device first, then creates the new one and takes its
    // HasAmBand answer.
    ResetResult Reset(int modelId, int port, const QString& portString,
                      const RadioCreateOptions& options = {});

    // Destroys the current device (releasing its hardware) and leaves the
    // inert device in its place; the next Reset creates anew.
    void Release();

    SRadio& device() const { return *device_; }
    // The device's HasAmBand answer, taken when it was created; an SDR
    // receiver that opens later may add AM, so it is asked again.
    bool hasAmBand() const { return hasAmBand_ || device_->HasAmBand(); }
    int model() const { return model_; }
    int port() const { return port_; }

  private:
    Factory factory_;
    std::unique_ptr<SRadio> device_;
    int model_ = kNoRadioModel;
    int port_ = kNoPortValue;
    QString portString_;
    bool hasAmBand_ = false;
};
