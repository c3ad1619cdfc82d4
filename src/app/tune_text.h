#pragma once

#include <QByteArray>
#include <optional>

class PresetTable;

// The frequency (MHz) a tune action asks for. A text that begins with a
// digit is a number: MHz, or units of 10 kHz when the text holds an "a" or
// "A" (AM); it counts only above 0.5 MHz. Any other text names an FM preset,
// compared without regard to case; the first match wins.
std::optional<float> FrequencyFromTuneText(const QByteArray& text, const PresetTable& presets);
