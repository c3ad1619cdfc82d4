#pragma once

#include <QtGlobal>

#include "platform/clock.h"
#include "platform/port_io.h"
#include "radio/sradio.h"

// Base of the ISA radio cards, which are driven by writing bytes to one I/O
// port (the card's base address) and reading status bits back. It asks for
// port access once, at construction, and keeps frequency and mute state.
//
// When the system refuses port access the user is told once and the card is
// inert: nothing is written, nothing is waited for, and the operations report
// failure (SetFrequency 0, everything else false) while still remembering
// frequency and mute state.
class SRadioPort : public SRadio {
  public:
    float GetFrequency() override;
    bool IsMuted() override;
    bool HasAmBand() override;

    bool HasPortAccess() const { return !noPortAccess; }
    quint16 BaseAddress() const { return port; }

    // Shown when the system refuses port access.
    static constexpr const char* kNoAccessText =
        "This radio requires GIVEIO driver to be installed.\nSee <Getting Started> help topic.";

  protected:
    // Asks for the ports base to base + 3 (the cards read base + 2 and
    // base + 3 as well).
    SRadioPort(quint16 base, PortIo& io, Clock& clock);

    void WritePort(quint8 value);
    quint8 ReadPort();
    quint8 ReadPortAt(quint16 address);
    // Card protocol delays; skipped without port access.
    void Wait(int ms);

    quint16 port;
    bool noPortAccess = true;

  private:
    PortIo& io_;
    Clock& clock_;
};

// The older RadioTrack card and the RadioReveal card: a 24-bit word shifted
// out least significant bit first.
class SRadioTrack : public SRadioPort {
  public:
    explicit SRadioTrack(quint16 base, PortIo& io = PortIo::System(),
                         Clock& clock = Clock::System());

    qint32 SetFrequency(float mhz) override;
    bool SetMute(bool mute) override;
    bool StepVolume(bool up) override;
    bool IsTuned() override;
    bool SensesSignal() override { return true; }

  private:
    void SendBit(bool one);
};

// The RadioTrack card: a 15-bit word after a fixed preamble, most significant
// bit first. Volume goes through the sound card's mixer.
class SRadioTrack2 : public SRadioPort {
  public:
    explicit SRadioTrack2(quint16 base, PortIo& io = PortIo::System(),
                          Clock& clock = Clock::System());

    qint32 SetFrequency(float mhz) override;
    bool SetMute(bool mute) override;
    bool IsTuned() override;
    bool SensesSignal() override { return true; }

  private:
    void SendBit(bool one);
};

// The Aztech / Packard Bell card. The port byte carries the volume level
// (0 to 3) in bits 0 and 2.
class SAztechRadio : public SRadioPort {
  public:
    explicit SAztechRadio(quint16 base, PortIo& io = PortIo::System(),
                          Clock& clock = Clock::System());

    qint32 SetFrequency(float mhz) override;
    bool SetMute(bool mute) override;
    bool StepVolume(bool up) override;
    bool IsTuned() override;
    bool SensesSignal() override { return true; }

    int VolumeBits() const { return volumeBits; }
    static int LevelOfBits(int bits) { return (bits & 1) | ((bits >> 1) & 2); }
    static int BitsOfLevel(int level) { return (level & 1) | ((level & 2) << 1); }

  private:
    void SendBit(bool one);

    int volumeBits = 4;
};

// The GemTek ISA card. It is tuned three times at construction to wake its
// synthesizer.
class SRadioCard : public SRadioPort {
  public:
    explicit SRadioCard(quint16 base, PortIo& io = PortIo::System(),
                        Clock& clock = Clock::System());

    qint32 SetFrequency(float mhz) override;
    bool SetMute(bool mute) override;
    bool IsTuned() override;
    bool SensesSignal() override { return true; }

  private:
    void SendBit(bool one);
};
