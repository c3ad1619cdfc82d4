#pragma once

#include <string>

#include "platform/wave_device.h"

// Which wave device a recorder or player opens for a device setting: the
// default device ("wave mapper") when ALSA defines one, else device 0; then
// every listed device whose name equals the setting replaces that choice, so
// the last match wins. A setting that matches nothing keeps the default.
struct WaveDeviceChoice {
    int number = kWaveMapper;
    std::string name;  // the ALSA name to open; empty when there is none
};

enum class NameMatch { kExact, kIgnoreCase };

WaveDeviceChoice ChooseWaveDevice(WaveDirection direction, const std::string& deviceName,
                                  NameMatch match);
