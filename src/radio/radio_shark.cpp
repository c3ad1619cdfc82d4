#include "radio/radio_shark.h"

namespace {

constexpr quint8 kFmBand = 0x02;
constexpr quint8 kAmBand = 0x12;

}  // namespace

SRadioShark::SRadioShark(HidLayer& hid) : hid_(hid) {
    frequency = 0.0f;
    muted = true;
}

SRadioShark::~SRadioShark() {
    SetMute(true);
}

SRadioShark::Report SRadioShark::ReportFor(float mhz) {
    const double f = mhz;
    int code = 0;
    quint8 band = kFmBand;
    if (f >= 76.0 && f <= 108.0) {
        code = 7892 - static_cast<int>((f + 0.001 - 87.9) * -80);
    } else if (f >= 0.519 && f <= 1.711) {
        code = 450 - static_cast<int>(f * -1000);
        band = kAmBand;
    }
    return {
        0x00, 0xC0, band, static_cast<quint8>((code >> 8) & 0xFF), static_cast<quint8>(code & 0xFF),
        0x00, 0x00};
}

qint32 SRadioShark::SetFrequency(float mhz) {
    frequency = mhz;
    if (!hidDevice) {
        return 0;
    }
    const Report report = ReportFor(mhz);
    hidDevice->WriteOutputReport(report.data(), report.size());
    return (report[3] << 8) | report[4];
}

bool SRadioShark::SetMute(bool mute) {
    muted = mute;
    if (mute) {
        hidDevice.reset();
    } else {
        Open();
    }
    return false;
}

bool SRadioShark::HasAmBand() {
    return true;
}

void SRadioShark::Open() {
    if (hidDevice) {
        return;
    }
    hidDevice = OpenHidDevice(hid_, kVendorId, kProductId);
    if (frequency > 0.1f) {
        SetFrequency(frequency);
    }
}
