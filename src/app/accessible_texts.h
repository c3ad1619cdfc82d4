#pragma once

#include <QString>

// What screen readers are told about the radio face. Numbers are written
// the same in every language setting ("89.9 MHz").
namespace accessible {

// The tuned frequency: FM in MHz with its decimals ("89.9 MHz", "101.35
// MHz"), AM (below 50) in kHz ("540 kHz").
QString Frequency(float mhz);
// A preset key k (0 to 7): "preset 3: Jazz, 95.5 MHz", "preset 4: 95.5
// MHz" without a name, "preset 5: empty".
QString PresetKey(int k, const QString& name, float mhz);
// The volume slider and the level meter: "70 %".
QString Percent(int percent);

// Gives the level meter a progress bar's role and value for assistive
// tools. Once per program.
void InstallMeterAccessibility();

}  // namespace accessible
