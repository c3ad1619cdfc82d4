#pragma once

#include <QtGlobal>

// A radio receiver the program can drive. Every kind of hardware derives from
// this class; the radio panel talks to the current device only through the
// virtual operations below. Frequencies are in MHz for both bands (FM 87.0 to
// 108.0, AM 0.52 to 1.71).
class SRadio {
  public:
    virtual ~SRadio();

    SRadio(const SRadio&) = delete;
    SRadio& operator=(const SRadio&) = delete;

    // The frequency last passed to SetFrequency.
    virtual float GetFrequency();
    // Stores the frequency and tunes the hardware. The result is driver
    // specific and only shown in diagnostic mode.
    virtual qint32 SetFrequency(float mhz) = 0;
    // The state last passed to SetMute.
    virtual bool IsMuted();
    // true silences the radio (or releases it), false restores its audio.
    virtual bool SetMute(bool mute) = 0;
    // Changes the hardware volume by one step. false tells the caller to
    // change the sound card's mixer line instead.
    virtual bool StepVolume(bool up);
    // Whether a station is received at the current frequency.
    virtual bool IsTuned();
    // Whether the device can receive AM.
    virtual bool HasAmBand();
    // Whether IsTuned says anything: the device senses a station's signal.
    // Without it a scan would never stop.
    virtual bool SensesSignal();

  protected:
    SRadio() = default;

    float frequency = 0.0f;
    bool muted = true;
};
