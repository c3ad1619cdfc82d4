#include "radio/radio_models.h"

#include <algorithm>
#include <array>

#include "platform/wave_device.h"

namespace {

constexpr quint8 Group(int g) {
    return static_cast<quint8>(1u << g);
}

constexpr std::array<RadioModel, 25> kModels{{
    {.id = 0,
     .name = "RadioTrack  (Aims Lab, ISA)",
     .driver = RadioDriver::SRadioTrack2,
     .ports = PortList::A},
    {.id = 1,
     .name = "RadioTrack  (Aims Lab older model, ISA)",
     .driver = RadioDriver::SRadioTrack,
     .ports = PortList::A},
    {.id = 2,
     .name = "FM Radio Card  (Aztech/PackardBell, ISA)",
     .driver = RadioDriver::SAztechRadio,
     .ports = PortList::B},
    {.id = 3,
     .name = "RadioReveal  (Reveal, ISA)",
     .driver = RadioDriver::SRadioTrack,
     .ports = PortList::A},
    {.id = 4,
     .name = "RadioMan  (GemTek, RS232)",
     .driver = RadioDriver::SRadioMan,
     .ports = PortList::C},
    {.id = 5,
     .name = "WinTV/Radio PCI  (Hauppauge, PCI)",
     .driver = RadioDriver::SWinTV,
     .ports = PortList::Default,
     .sharingGroups = Group(2)},
    {.id = 11,
     .name = "PCTV Studio USB  (Pinnacle, USB)",
     .driver = RadioDriver::STvDM,
     .ports = PortList::Default,
     .tunerNameFilter = "Studio PCTV",
     .tunerRadioMode = false,
     .sharingGroups = static_cast<quint8>(Group(1) | Group(4))},
    {.id = 8,
     .name = "PCTV Studio USB  (Pinnacle,alternate, USB)",
     .driver = RadioDriver::SPCTVStudio,
     .ports = PortList::Default,
     .sharingGroups = Group(1)},
    {.id = 7,
     .name = "Wizard  (GemTek, RS232)",
     .driver = RadioDriver::SWizard,
     .ports = PortList::C},
    {.id = 9,
     .name = "Radio21  (GemTek, USB)",
     .driver = RadioDriver::SUsbRadio,
     .ports = PortList::Usb},
    {.id = 14,
     .name = "USB PC Radio  (D-Link, USB)",
     .driver = RadioDriver::SUsbRadio,
     .ports = PortList::Usb},
    {.id = 10,
     .name = "Radio Card  (GemTek, ISA)",
     .driver = RadioDriver::SRadioCard,
     .ports = PortList::D},
    {.id = 12,
     .name = "Voodoo3 3500 TV  (3dfx, AGP)",
     .driver = RadioDriver::SVoodoo3500,
     .ports = PortList::Default,
     .sharingGroups = Group(3)},
    {.id = 15,
     .name = "generic USB TV/FM  (several vendors, USB)",
     .driver = RadioDriver::STvDM,
     .ports = PortList::E,
     .tunerRadioMode = false,
     .sharingGroups = Group(4)},
    {.id = 16,
     .name = "Radio Plus 108  (Zoltrix)",
     .driver = RadioDriver::SZoltrix108,
     .ports = PortList::A},
    {.id = 17,
     .name = "Cadet PC Radio  (ADS, ISA)",
     .driver = RadioDriver::SCadet,
     .ports = PortList::Default},
    {.id = 18,
     .name = "generic TV/FM tuner  (several vendors, PCI, WDM drivers)",
     .driver = RadioDriver::STvDM,
     .ports = PortList::E,
     .tunerRadioMode = false,
     .sharingGroups = Group(5)},
    {.id = 19,
     .name = "WinTV USB/FM  (Hauppauge, USB)",
     .driver = RadioDriver::STvDM,
     .ports = PortList::E,
     .tunerRadioMode = true,
     .sharingGroups = Group(4)},
    {.id = 20,
     .name = "PCI FM Radio Card  (GemTek,  PCI",
     .driver = RadioDriver::SUsbRadio,
     .ports = PortList::Default},
    {.id = 21,
     .name = "radioShark  (Griffin Technology, USB)",
     .driver = RadioDriver::SRadioShark,
     .ports = PortList::Usb},
    {.id = 22,
     .name = "USB PC Radio  (D-Link,alternate, USB)",
     .driver = RadioDriver::SNoRadio,
     .ports = PortList::Default},
    {.id = 23,
     .name = "InstantFM  (ADS Tech, USB)",
     .driver = RadioDriver::SSILabs,
     .ports = PortList::Usb,
     .usbVendorId = 0x06E1,
     .usbProductId = 0xA155},
    {.id = 25,
     .name = "PCear (USB)",
     .driver = RadioDriver::SSILabs,
     .ports = PortList::Default,
     .usbVendorId = 0x10C5,
     .usbProductId = 0x819A},
    {.id = kSdrRadioModel,
     .name = "SDR receiver  (RTL-SDR, Airspy, HackRF and others)",
     .driver = RadioDriver::SSdrRadio,
     .ports = PortList::F},
    {.id = kNoRadioModelRow,
     .name = "<no radio>",
     .driver = RadioDriver::SNoRadio,
     .ports = PortList::None},
}};

}  // namespace

std::span<const RadioModel> RadioModels() {
    return kModels;
}

const RadioModel* FindRadioModel(int id) {
    const auto it = std::find_if(kModels.begin(), kModels.end(),
                                 [id](const RadioModel& m) { return m.id == id; });
    return it == kModels.end() ? nullptr : &*it;
}

std::vector<PortChoice> PortChoicesFor(PortList list, const QStringList& tunerDevices) {
    switch (list) {
        case PortList::A:
            return {{"Default (30c hex)", 0x30C}, {"Alternate (20c hex)", 0x20C}};
        case PortList::B:
            return {{"Default (350 hex)", 0x350}, {"Alternate (358 hex)", 0x358}};
        case PortList::C:
            return {{"Auto-Detect", 0}, {"Com1:", 1}, {"Com2:", 2}, {"Com3:", 3},
                    {"Com4:", 4},       {"Com5:", 5}, {"Com6:", 6}};
        case PortList::D:
            return {{"34c hex (Default)", 0x34C},
                    {"30c hex", 0x30C},
                    {"24c hex", 0x24C},
                    {"20c hex", 0x20C}};
        case PortList::F:  // the SDR page fills it from the receivers found
            return {};
        case PortList::E: {
            std::vector<PortChoice> choices;
            choices.reserve(tunerDevices.size());
            for (const QString& name : tunerDevices) {
                choices.push_back({name, 0});
            }
            return choices;
        }
        case PortList::Default:
            return {{"default", 0}};
        case PortList::Usb:
            return {{"USB", 0}};
        case PortList::None:
            return {{"none", 0}};
    }
    return {};
}

QString TunerDeviceName(const RadioModel& model, const QString& portString) {
    return model.tunerNameFilter != nullptr ? QString::fromLatin1(model.tunerNameFilter)
                                            : portString;
}

QString CaptureDeviceFor(int model, const QString& waveInDriver) {
    return model == kSdrRadioModel ? QString::fromLatin1(kSdrCaptureDevice) : waveInDriver;
}

bool PlaysItsOwnAudio(int model) {
    return model == kSdrRadioModel;
}
