#pragma once

#include <QString>
#include <functional>
#include <vector>

// One station preset as the scheduler sees it: the 64 presets in table
// order, the first 32 FM, the rest AM. Frequency 0 marks an empty preset.
struct PresetStation {
    float frequency = 0.0f;  // MHz, AM too
    QString name;
};

using PresetStations = std::vector<PresetStation>;
using PresetStationSource = std::function<PresetStations()>;

inline constexpr int kFmPresetStations = 32;
