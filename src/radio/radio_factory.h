#pragma once

#include <QString>
#include <memory>

#include "radio/radio_hardware.h"
#include "radio/vendor_radio_services.h"
#include "radio/sradio.h"

// What the drivers need from the program besides model and port.
struct RadioCreateOptions {
    bool diagnosticMode = false;  // TV tuners show their workings
    QString waveOutDevice;        // configured wave-output device name
    RadioHardware hardware;       // ports, serial, HID, clock; null = the real ones
    VendorRadioServices vendor;   // makers' programs, V4L2 tuners; null = the real ones
};

// Creates the driver of a model's row, set up for the given port value and
// port text. Ids without a row, and kNoRadioModel, give SNoRadio. Never
// fails: a driver that cannot reach its hardware says so and stays inert.
std::unique_ptr<SRadio> CreateRadioForModel(int modelId, int port, const QString& portString,
                                            const RadioCreateOptions& options = {});
