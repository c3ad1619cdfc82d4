#include "radio/radio_factory.h"

#include "radio/no_radio.h"
#include "radio/pctv_studio_radio.h"
#include "radio/radio_man.h"
#include "radio/radio_models.h"
#include "radio/radio_port.h"
#include "radio/radio_shark.h"
#include "radio/silabs_radio.h"
#include "radio/ssdr_radio.h"
#include "radio/tv_tuner_radio.h"
#include "radio/vendor_library_radios.h"
#include "radio/wintv_radio.h"
#include "radio/zoltrix108.h"
#include "radio/zoltrix_program.h"

namespace {

// The base address of an ISA card: the configured port value, or the model's
// default address when none (or no possible one) is configured.
quint16 CardPort(const RadioModel& model, int port) {
    if (port > 0 && port <= 0xFFFC) {
        return static_cast<quint16>(port);
    }
    const std::vector<PortChoice> choices = PortChoicesFor(model.ports);
    return choices.empty() ? 0 : static_cast<quint16>(choices.front().port);
}

}  // namespace

std::unique_ptr<SRadio> CreateRadioForModel(int modelId, int port, const QString& portString,
                                            const RadioCreateOptions& options) {
    const RadioModel* model = FindRadioModel(modelId);
    if (model == nullptr) {
        return std::make_unique<SNoRadio>();
    }
    const RadioHardware& hw = options.hardware;
    // One case per driver family. A family not built into this program yet
    // falls back to the inert device until its case is added here.
    switch (model->driver) {
        case RadioDriver::SNoRadio:
            return std::make_unique<SNoRadio>();
        case RadioDriver::SRadioTrack2:
            return std::make_unique<SRadioTrack2>(CardPort(*model, port), hw.Ports(),
                                                  hw.GetClock());
        case RadioDriver::SRadioTrack:
            return std::make_unique<SRadioTrack>(CardPort(*model, port), hw.Ports(), hw.GetClock());
        case RadioDriver::SAztechRadio:
            return std::make_unique<SAztechRadio>(CardPort(*model, port), hw.Ports(),
                                                  hw.GetClock());
        case RadioDriver::SRadioCard:
            return std::make_unique<SRadioCard>(CardPort(*model, port), hw.Ports(), hw.GetClock());
        case RadioDriver::SZoltrix108:  // I/O port for sound, the maker's program for tuning
            return std::make_unique<SZoltrix108>(
                CardPort(*model, port),
                std::make_unique<ZoltrixProgram>(false, options.vendor.Automation(), hw.GetClock()),
                hw.Ports(), hw.GetClock());
        case RadioDriver::SRadioMan:  // COM number, 0 = detect
            return std::make_unique<SRadioMan>(port, hw.Serial(), hw.GetClock());
        case RadioDriver::SWizard:  // COM number, 0 = detect
            return std::make_unique<SWizard>(port, hw.Serial(), hw.GetClock());
        case RadioDriver::SRadioShark:
            return std::make_unique<SRadioShark>(hw.Hid());
        case RadioDriver::SSILabs:
            return std::make_unique<SSILabs>(model->usbVendorId, model->usbProductId, hw.Hid(),
                                             hw.GetClock());
        case RadioDriver::SCadet:
            return std::make_unique<SCadet>(hw.GetClock());
        case RadioDriver::SUsbRadio:
            return std::make_unique<SUsbRadio>();
        case RadioDriver::SVoodoo3500:
            return std::make_unique<SVoodoo3500>();
        case RadioDriver::SWinTV:
            return std::make_unique<SWinTV>(options.vendor.Automation(), hw.GetClock());
        case RadioDriver::SPCTVStudio:
            return std::make_unique<SPCTVStudio>(options.vendor.progressDialog,
                                                 options.vendor.Automation(), hw.GetClock());
        case RadioDriver::SSdrRadio:  // the port text names the receiver
            return std::make_unique<SSdrRadio>(portString, options.waveOutDevice);
        case RadioDriver::STvDM:
            return std::make_unique<STvDM>(
                TunerDeviceName(*model, portString), model->tunerRadioMode, !options.diagnosticMode,
                options.waveOutDevice, options.vendor.V4l2(), hw.GetClock());
    }
    return std::make_unique<SNoRadio>();
}
