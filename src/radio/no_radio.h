#pragma once

#include "radio/sradio.h"

// The device used when no radio is configured: it remembers what it is told
// and does nothing else. Its volume step reports "handled" so that with no
// radio the volume keys leave the sound card alone.
class SNoRadio : public SRadio {
  public:
    SNoRadio() = default;

    qint32 SetFrequency(float mhz) override;
    bool SetMute(bool mute) override;
    bool StepVolume(bool up) override;
};
