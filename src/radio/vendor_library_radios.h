#pragma once

#include <QtGlobal>

#include "platform/clock.h"
#include "platform/dynamic_library.h"
#include "radio/sradio.h"

// Radios driven through their maker's own library, loaded at run time from
// the vendor module folders (VendorModuleDirectories). The driver calls the
// library's exported functions; the hardware is the library's business.
// All the functions take and return 32-bit integers.

// The ADS Cadet ISA card, library "cadetio.dll", loaded for the driver's
// whole life. Tunes FM and AM; the band is switched when a frequency crosses
// 2.0 MHz.
class SCadet : public SRadio {
  public:
    static constexpr const char* kLibraryName = "cadetio.dll";
    static constexpr int kPauseMs = 100;
    static constexpr int kBandSwitchMs = 200;
    static constexpr double kBandLimitMhz = 2.0;

    explicit SCadet(Clock& clock = Clock::System());
    ~SCadet() override;

    // Tunes to trunc(MHz * 1000 + 0.2) kHz and returns that; 0 when the
    // library is not loaded.
    qint32 SetFrequency(float mhz) override;
    bool SetMute(bool mute) override;
    bool IsTuned() override;
    bool SensesSignal() override { return true; }
    bool HasAmBand() override { return true; }

    bool loaded() const { return library.loaded(); }

  private:
    enum Band { kUnknown = -1, kAm = 0, kFm = 1 };
    using Call = qint32 (*)();
    using CallWith = qint32 (*)(qint32);

    void Load();

    DynamicLibrary library;
    int band = kUnknown;
    Call amBand_ = nullptr;
    Call fmBand_ = nullptr;
    Call isTuned_ = nullptr;
    Call mute_ = nullptr;
    Call unMute_ = nullptr;
    Call setStereo_ = nullptr;
    CallWith setTunerFrequency_ = nullptr;
    Clock& clock_;
};

// The GemTek and D-Link USB radios and the GemTek PCI card, library
// "radio.dll". The library is loaded only while the radio plays: muting
// switches the radio off and releases the library, unmuting loads it again
// and restores the station.
class SUsbRadio : public SRadio {
  public:
    static constexpr const char* kLibraryName = "radio.dll";

    SUsbRadio() = default;
    // Switches the radio off and releases the library.
    ~SUsbRadio() override;

    // Tunes to trunc(MHz * 20 + 0.3) in 50 kHz steps and returns that; 0
    // (and no loading) while the library is not loaded.
    qint32 SetFrequency(float mhz) override;
    bool SetMute(bool mute) override;
    // The library's stereo indicator.
    bool IsTuned() override;
    bool SensesSignal() override { return true; }

    bool loaded() const { return library.loaded(); }

  private:
    void Load();

    DynamicLibrary library;
};

// The 3dfx Voodoo3 3500 TV card, libraries "vcapdev.dll" (capture, with the
// card's audio) and "vpxtuner.dll" (tuner), loaded only while the radio
// plays. Opening runs the capture library's tuner mode through every value
// from 0 to 63999 before the audio is switched on, which takes a while.
class SVoodoo3500 : public SRadio {
  public:
    static constexpr const char* kCaptureLibraryName = "vcapdev.dll";
    static constexpr const char* kTunerLibraryName = "vpxtuner.dll";
    static constexpr qint32 kTunerModeCount = 64000;

    SVoodoo3500() = default;
    // Closes the libraries.
    ~SVoodoo3500() override;

    // Tunes to trunc(MHz * 10 + 0.4) in 100 kHz steps and returns that; 0
    // while the libraries are not loaded.
    qint32 SetFrequency(float mhz) override;
    // Unmuting opens the libraries and tunes; false when they cannot be
    // loaded. Muting closes them.
    bool SetMute(bool mute) override;

    bool open() const { return captureLibrary.loaded(); }

  private:
    bool Open();
    void Close();

    DynamicLibrary captureLibrary;
    DynamicLibrary tunerLibrary;
};
