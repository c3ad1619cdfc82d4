#include "radio/radio_factory.h"

#include "radio/no_radio.h"
#include "radio/radio_models.h"

std::unique_ptr<SRadio> CreateRadioForModel(int modelId, [[maybe_unused]] int port,
                                            [[maybe_unused]] const QString& portString,
                                            [[maybe_unused]] const RadioCreateOptions& options) {
    const RadioModel* model = FindRadioModel(modelId);
    if (model == nullptr) {
        return std::make_unique<SNoRadio>();
    }
    // One case per driver family. A family not built into this program yet
    // falls back to the inert device until its case is added here.
    switch (model->driver) {
        case RadioDriver::SNoRadio:
            return std::make_unique<SNoRadio>();
        case RadioDriver::SRadioTrack2:  // I/O port: port
        case RadioDriver::SRadioTrack:   // I/O port: port
        case RadioDriver::SAztechRadio:  // I/O port: port
        case RadioDriver::SRadioCard:    // I/O port: port
        case RadioDriver::SZoltrix108:   // I/O port: port
        case RadioDriver::SRadioMan:     // serial: COM number (0 = detect)
        case RadioDriver::SWizard:       // serial: COM number (0 = detect)
        case RadioDriver::SRadioShark:   // USB HID
        case RadioDriver::SSILabs:       // USB HID: model->usbVendorId, usbProductId
        case RadioDriver::SCadet:        // vendor library
        case RadioDriver::SUsbRadio:     // vendor library
        case RadioDriver::SVoodoo3500:   // vendor library
        case RadioDriver::SWinTV:        // vendor program's window
        case RadioDriver::SPCTVStudio:   // vendor program's window
        case RadioDriver::STvDM:         // TunerDeviceName(*model, portString),
                                         // model->tunerRadioMode, !diagnosticMode,
                                         // options.waveOutDevice
            return std::make_unique<SNoRadio>();
    }
    return std::make_unique<SNoRadio>();
}
