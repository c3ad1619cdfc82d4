#pragma once

#include <QString>
#include <optional>

// The frequency rules every dialog, list and reader shares. A frequency is
// one number in MHz for both bands: FM 87.0 to 108.0, AM 0.52 to 1.71. Which
// band a value belongs to depends on where it is looked at; the user sees AM
// in units of 10 kHz (the value multiplied by 100) with "AM" after it.
namespace band {

// Where a frequency is looked at, each with its own AM boundary.
enum class Context {
    kTuning,  // tuning, the read-out, the menu: AM below 50
    kScan,    // the scan and the Set Radio Frequency dialog: AM below 1.76
    kPreset,  // presets, station lists, events, recordings: AM up to 2
};

inline constexpr float kTuneAmLimit = 50.0f;
inline constexpr float kScanAmLimit = 1.76f;
inline constexpr float kPresetAmLimit = 2.0f;
// Lowest frequency that counts as a station at all.
inline constexpr float kProgrammed = 0.5f;

// FM and AM as the station dialog and the event editor accept them: FM in
// MHz, AM in units of 10 kHz.
inline constexpr float kFmLow = 87.0f;
inline constexpr float kFmHigh = 108.0f;
inline constexpr float kAmUnitsLow = 50.0f;
inline constexpr float kAmUnitsHigh = 200.0f;

bool IsAm(float mhz, Context context);
// The value the user sees: AM multiplied by 100, FM as it is.
float Shown(float mhz, Context context);
// "101.30" (FM with fmDecimals decimals) or "54.0 AM", whatever the locale.
QString Text(float mhz, Context context, int fmDecimals = 2);

// A frequency as typed: the number at the start (blanks before it are
// skipped; a decimal point, and a number with a decimal comma counts as
// none) and whether "AM" (any case) follows it as its unit, with or without
// a blank between. "AM" anywhere else (a name such as "Dream FM") is not a
// unit.
struct Typed {
    std::optional<float> number;
    bool am = false;
    // The text has "AM" before any number, such as " AM" or "AM 54".
    bool unitWithoutNumber = false;
    // In MHz: AM numbers times 0.01.
    std::optional<float> Mhz() const;
};
Typed ReadTyped(const QString& text);

// Whether a typed frequency lies in one of the bands the station dialog
// and the event editor accept (FM 87.0 to 108.0 MHz, AM 50.0 to 200.0).
bool InAcceptedBand(const Typed& typed);

// Messages naming what is allowed.
inline constexpr const char* kFmRangeMessage = "Frequency must be between 87.0 and 108.0";
inline constexpr const char* kAmRangeMessage =
    "AM Frequency must be between 50.0 and 200.0 (x10kHz)";
inline constexpr const char* kAmWithoutNumberMessage =
    "Type the number before \"AM\", for example 54 AM (units of 10 kHz).";

}  // namespace band
