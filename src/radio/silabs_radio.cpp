#include "radio/silabs_radio.h"

#include <cmath>

namespace {

constexpr int kRegisterCount = 16;
constexpr int kFirstWritableReport = 3;
constexpr int kLastWritableReport = 10;
constexpr int kScratchPageSize = 63;
constexpr quint8 kLedCommand = 0x35;

double SpacingMhz(int spacingKhz) {
    return spacingKhz / 1000.0;
}

int SpacingKhzOfRegister(quint16 sysConfig2) {
    switch ((sysConfig2 >> 4) & 3) {
        case 1:
            return 100;
        case 2:
            return 50;
        default:
            return 200;
    }
}

}  // namespace

SSILabs::SSILabs(quint16 vendorId, quint16 productId, HidLayer& hid, Clock& clock)
    : vendorId(vendorId), productId(productId), hid_(hid), clock_(clock) {
    frequency = 0.0f;
    muted = true;
    Initialize();
}

SSILabs::~SSILabs() {
    if (hidDevice) {
        SendLed(kLedDisconnected);
        hidDevice.reset();
    }
}

float SSILabs::GetFrequency() {
    return frequency;
}

bool SSILabs::IsMuted() {
    return false;
}

// ---- reports ----

bool SSILabs::ReadAllRegisters() {
    if (!hidDevice || !CanCarry(kRegisterCount)) {
        return false;
    }
    std::vector<quint8> buffer(static_cast<size_t>(featureLength), 0);
    buffer[0] = kAllRegistersReport;
    if (!hidDevice->GetFeatureReport(buffer.data(), buffer.size())) {
        return false;
    }
    for (int r = 0; r < kRegisterCount; ++r) {
        registers[r] = static_cast<quint16>((buffer[1 + 2 * r] << 8) | buffer[2 + 2 * r]);
    }
    return true;
}

bool SSILabs::ReadRegister(int reg) {
    if (!hidDevice || !CanCarry(1)) {
        return false;
    }
    std::vector<quint8> buffer(static_cast<size_t>(featureLength), 0);
    buffer[0] = static_cast<quint8>(reg + 1);
    if (!hidDevice->GetFeatureReport(buffer.data(), buffer.size())) {
        return false;
    }
    registers[reg] = static_cast<quint16>((buffer[1] << 8) | buffer[2]);
    return true;
}

bool SSILabs::WriteRegisters(int reg, int count) {
    const int report = reg + 1;
    if (!hidDevice || report < kFirstWritableReport || report > kLastWritableReport || count < 1 ||
        reg + count > kRegisterCount || !CanCarry(count)) {
        return false;
    }
    std::vector<quint8> buffer(static_cast<size_t>(featureLength), 0);
    buffer[0] = static_cast<quint8>(report);
    for (int i = 0; i < count; ++i) {
        buffer[1 + 2 * i] = static_cast<quint8>(registers[reg + i] >> 8);
        buffer[2 + 2 * i] = static_cast<quint8>(registers[reg + i] & 0xFF);
    }
    return hidDevice->SetFeatureReport(buffer.data(), buffer.size());
}

bool SSILabs::WriteConfiguration(int reg) {
    return WriteRegisters(reg, kRegisterCount - reg);
}

bool SSILabs::SendLed(int state) {
    if (!hidDevice || featureLength < 4) {
        return false;
    }
    std::vector<quint8> buffer(static_cast<size_t>(featureLength), 0);
    buffer[0] = kLedReport;
    buffer[1] = kLedCommand;
    buffer[2] = static_cast<quint8>(state);
    buffer[3] = 0xFF;
    return hidDevice->SetFeatureReport(buffer.data(), buffer.size());
}

bool SSILabs::ReadScratchPage(std::vector<quint8>& page) {
    if (!hidDevice || featureLength < kScratchPageSize + 1) {
        return false;
    }
    std::vector<quint8> buffer(static_cast<size_t>(featureLength), 0);
    buffer[0] = kScratchReport;
    if (!hidDevice->GetFeatureReport(buffer.data(), buffer.size())) {
        return false;
    }
    page.assign(buffer.begin() + 1, buffer.begin() + 1 + kScratchPageSize);
    return true;
}

// ---- configuration ----

SSILabs::Configuration SSILabs::ConfigurationOf(const std::vector<quint8>& page) {
    Configuration config;
    if (page.size() < 21 || page[0] == 0) {
        return config;
    }
    config.valid = true;
    const quint8 flags = page[19];
    config.band76To90 = (flags & 0x20) != 0;
    switch (flags & 0x0C) {
        case 0x04:
            config.spacingKhz = 100;
            break;
        case 0x08:
            config.spacingKhz = 50;
            break;
        default:
            config.spacingKhz = 200;
            break;
    }
    config.deemphasis50 = (flags & 0x02) != 0;
    config.mono = (flags & 0x10) != 0;
    config.seekThreshold = page[20];
    const int channel = ((page[18] * 4) + (flags >> 6)) & 0x3FF;
    config.startupMhz = ChannelFrequency(channel, config.spacingKhz, config.band76To90);
    return config;
}

float SSILabs::ChannelFrequency(int channel, int spacingKhz, bool band76To90) {
    const double bottom = band76To90 ? 76.0 : 87.5;
    return static_cast<float>(
        std::floor((SpacingMhz(spacingKhz) * channel + bottom + 0.0001) * 100) * 0.01);
}

bool SSILabs::ApplyConfiguration() {
    registers[kSysConfig1] |= kRdsEnable;
    if (configuration.band76To90) {
        registers[kSysConfig2] |= kBand76To90;
    } else {
        registers[kSysConfig2] &= ~kBand76To90;
    }
    registers[kSysConfig2] &= ~kSpacingMask;
    if (configuration.spacingKhz == 100) {
        registers[kSysConfig2] |= 0x10;
    } else if (configuration.spacingKhz == 50) {
        registers[kSysConfig2] |= 0x20;
    }
    if (configuration.deemphasis50) {
        registers[kSysConfig1] |= kDeemphasis50;
    } else {
        registers[kSysConfig1] &= ~kDeemphasis50;
    }
    if (configuration.mono) {
        registers[kPowerConfig] |= kMono;
    } else {
        registers[kPowerConfig] &= ~kMono;
    }
    registers[kSysConfig2] = static_cast<quint16>((registers[kSysConfig2] & 0x00FF) |
                                                  ((configuration.seekThreshold & 0xFF) << 8));
    return WriteConfiguration(kSysConfig1) && WriteConfiguration(kSysConfig2) &&
           WriteConfiguration(kPowerConfig);
}

void SSILabs::Initialize() {
    hidDevice = OpenHidDevice(hid_, vendorId, productId, 64);
    if (!hidDevice) {
        return;
    }
    featureLength = hidDevice->FeatureReportLength();
    if (featureLength <= 32 || !ReadAllRegisters()) {
        hidDevice.reset();
        featureLength = 0;
        return;
    }
    SendLed(kLedConnected);

    // A page that cannot be read counts as one that holds nothing: the
    // stick then runs on the defaults.
    std::vector<quint8> page;
    ReadScratchPage(page);
    configuration = ConfigurationOf(page);
    if (configuration.valid && !ApplyConfiguration()) {
        return;
    }
    if (!ApplyConfiguration()) {
        return;
    }
    SetFrequency(configuration.startupMhz);
}

// ---- operations ----

void SSILabs::Tune(float mhz) {
    if (!hidDevice) {
        return;
    }
    const double f = mhz;
    const bool band76To90 = (registers[kSysConfig2] & kBand76To90) != 0;
    const double bottom = band76To90 ? 76.0 : 87.5;
    const double top = band76To90 ? 90.0 : 108.0;
    if (!(f >= bottom && f <= top)) {
        return;
    }
    const double spacing = SpacingMhz(SpacingKhzOfRegister(registers[kSysConfig2]));
    const int channel = static_cast<int>((f - bottom) / spacing + 0.0001) & 0x3FF;
    registers[kChannel] =
        static_cast<quint16>(kTuneRequest | (registers[kChannel] & 0x7C00) | channel);
    if (!WriteRegisters(kChannel, 1)) {
        registers[kChannel] &= ~kTuneRequest;
        return;
    }
    const int64_t start = clock_.MonotonicMs();
    bool complete = false;
    while (ReadRegister(kStatus)) {
        if ((registers[kStatus] & kTuneComplete) != 0) {
            complete = true;
            break;
        }
        if (clock_.MonotonicMs() - start > kTuneLimitMs) {
            break;
        }
    }
    if (!complete) {
        return;  // the request stays set in the shadow copy
    }
    registers[kChannel] &= ~kTuneRequest;
    WriteRegisters(kChannel, 1);
    ReadRegister(kReadChannel);
}

qint32 SSILabs::SetFrequency(float mhz) {
    frequency = mhz;
    Tune(mhz);
    return 0;
}

bool SSILabs::SetMute(bool mute) {
    muted = mute;
    if (mute) {
        registers[kPowerConfig] &= ~kAudioOn;
    } else {
        registers[kPowerConfig] |= kAudioOn;
    }
    return WriteRegisters(kPowerConfig, 1);
}
