#pragma once

#include <QtGlobal>
#include <array>
#include <memory>

#include "platform/hid_device.h"
#include "radio/sradio.h"

// The radioShark USB radio, tuned with one 7-byte HID output report. The
// device is held only while the radio plays: the first unmute opens it and
// tunes it to the remembered frequency, a mute closes it again.
class SRadioShark : public SRadio {
  public:
    static constexpr quint16 kVendorId = 0x077D;
    static constexpr quint16 kProductId = 0x627A;

    using Report = std::array<quint8, 7>;

    explicit SRadioShark(HidLayer& hid = HidLayer::System());
    ~SRadioShark() override;

    // Remembers the frequency; when the device is open sends the report and
    // returns its tuning code, else returns 0.
    qint32 SetFrequency(float mhz) override;
    // Closes (mute) or opens (unmute) the device. Always false.
    bool SetMute(bool mute) override;
    bool HasAmBand() override;

    bool IsOpen() const { return hidDevice != nullptr; }

    // The report for a frequency: FM for 76.0 to 108.0 MHz, AM for 0.519 to
    // 1.711 MHz, code 0 marked FM otherwise.
    static Report ReportFor(float mhz);

  private:
    void Open();

    HidLayer& hid_;
    std::unique_ptr<HidDevice> hidDevice;
};
