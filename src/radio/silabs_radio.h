#pragma once

#include <QtGlobal>
#include <array>
#include <memory>
#include <vector>

#include "platform/clock.h"
#include "platform/hid_device.h"
#include "radio/sradio.h"

// USB FM sticks built on the Silicon Labs Si470x receiver (InstantFM, PCear).
// The receiver's sixteen 16-bit registers are read and written through HID
// feature reports; a shadow copy is kept here. The stick's scratch page holds
// its band, spacing, de-emphasis, mono and seek settings and the channel to
// start on. The device is opened once, at construction, and stays open.
// Without a stick (or one that refuses its reports) the device is inert.
class SSILabs : public SRadio {
  public:
    // Receiver registers and bits used.
    enum Register {
        kPowerConfig = 2,
        kChannel = 3,
        kSysConfig1 = 4,
        kSysConfig2 = 5,
        kStatus = 10,
        kReadChannel = 11,
    };
    static constexpr quint16 kAudioOn = 1u << 14;      // power configuration
    static constexpr quint16 kMono = 1u << 13;         // power configuration
    static constexpr quint16 kTuneRequest = 1u << 15;  // channel
    static constexpr quint16 kRdsEnable = 1u << 12;    // system configuration 1
    static constexpr quint16 kDeemphasis50 = 1u << 11;
    static constexpr quint16 kBand76To90 = 1u << 7;  // system configuration 2
    static constexpr quint16 kSpacingMask = 0x30;
    static constexpr quint16 kTuneComplete = 1u << 14;  // status

    // Feature report ids.
    static constexpr int kAllRegistersReport = 17;
    static constexpr int kLedReport = 19;
    static constexpr int kScratchReport = 20;
    // LED states.
    static constexpr int kLedConnected = 2;
    static constexpr int kLedDisconnected = 16;
    // Longest a tune may take before it is given up.
    static constexpr int kTuneLimitMs = 6000;

    struct Configuration {
        bool valid = false;  // read from the stick's scratch page
        int seekThreshold = 31;
        bool band76To90 = false;
        int spacingKhz = 200;  // 200, 100 or 50
        bool deemphasis50 = false;
        bool mono = false;
        float startupMhz = 102.3f;
    };

    SSILabs(quint16 vendorId, quint16 productId, HidLayer& hid = HidLayer::System(),
            Clock& clock = Clock::System());
    // Turns the stick's light to "disconnected" and closes it.
    ~SSILabs() override;

    float GetFrequency() override;
    // Remembers and tunes; frequencies outside the band only change the
    // remembered value. Always 0.
    qint32 SetFrequency(float mhz) override;
    // Reports "not muted" whatever the state, as the stick cannot be asked.
    bool IsMuted() override;
    // Switches the receiver's audio; true when the register was sent.
    bool SetMute(bool mute) override;

    bool IsOpen() const { return hidDevice != nullptr; }
    const std::array<quint16, 16>& Registers() const { return registers; }
    const Configuration& GetConfiguration() const { return configuration; }

    // The configuration a scratch page (the 63 bytes after the report id)
    // describes; the defaults when its first byte is 0.
    static Configuration ConfigurationOf(const std::vector<quint8>& page);
    // Frequency of a channel: floor((spacing * channel + bottom + 0.0001) * 100) / 100.
    static float ChannelFrequency(int channel, int spacingKhz, bool band76To90);

  private:
    void Initialize();
    bool ReadAllRegisters();
    bool ReadRegister(int reg);
    // Sends register reg and the count - 1 registers after it.
    bool WriteRegisters(int reg, int count);
    // Sends register reg followed by the rest of the shadow copy.
    bool WriteConfiguration(int reg);
    bool SendLed(int state);
    bool ReadScratchPage(std::vector<quint8>& page);
    bool ApplyConfiguration();
    void Tune(float mhz);
    bool CanCarry(int registers) const { return (featureLength - 1) / 2 >= registers; }

    quint16 vendorId;
    quint16 productId;
    HidLayer& hid_;
    Clock& clock_;
    std::unique_ptr<HidDevice> hidDevice;
    int featureLength = 0;
    std::array<quint16, 16> registers{};
    Configuration configuration;
};
