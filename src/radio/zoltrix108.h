#pragma once

#include <QtGlobal>
#include <memory>

#include "radio/radio_port.h"

// What tunes the Radio Plus 108 card: its maker's radio program, remote
// controlled. The card itself is only muted, set to a volume and asked for
// the tuned signal through its I/O port.
class ZoltrixTuning {
  public:
    virtual ~ZoltrixTuning() = default;
    // Tunes the program to the frequency; 1 when done, 0 when the program
    // is not connected.
    virtual qint32 Tune(float mhz) = 0;
};

// The Zoltrix Radio Plus 108 card. Mute and volume (0 to 15) are written to
// the base port and confirmed by reading base + 3 (mute) or base + 2
// (volume); the tuned signal is bit 1 of the base port, clear when a station
// is received.
class SZoltrix108 : public SRadioPort {
  public:
    // tuning may be null: the card is then never tuned (SetFrequency gives 0).
    SZoltrix108(quint16 base, std::unique_ptr<ZoltrixTuning> tuning, PortIo& io = PortIo::System(),
                Clock& clock = Clock::System());
    ~SZoltrix108() override;

    qint32 SetFrequency(float mhz) override;
    bool SetMute(bool mute) override;
    bool StepVolume(bool up) override;
    bool IsTuned() override;
    bool SensesSignal() override { return true; }

    int Volume() const { return volume; }

  private:
    int volume = 8;
    std::unique_ptr<ZoltrixTuning> tuning_;
};
