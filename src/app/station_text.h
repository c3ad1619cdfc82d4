#pragma once

#include <QString>

class PresetTable;

// The name of the preset of the current bank tuned to the frequency, else of
// any preset of the same band, else the frequency text ("89.50 MHz").
QString StationText(float frequency, const PresetTable& presets, int bank);
