#include "audio/wave_device_choice.h"

#include <QString>

WaveDeviceChoice ChooseWaveDevice(WaveDirection direction, const std::string& deviceName,
                                  NameMatch match) {
    const std::vector<WaveDeviceCaps> devices = ListWaveDevices(direction);
    WaveDeviceChoice choice;
    if (const std::optional<WaveDeviceCaps> mapper = WaveGetDevCaps(direction, kWaveMapper)) {
        choice = {kWaveMapper, mapper->name};
    } else {
        choice = {0, devices.empty() ? std::string() : devices.front().name};
    }
    const QString wanted = QString::fromStdString(deviceName);
    for (size_t i = 0; i < devices.size(); ++i) {
        const bool equal =
            match == NameMatch::kExact
                ? devices[i].name == deviceName
                : QString::fromStdString(devices[i].name).compare(wanted, Qt::CaseInsensitive) == 0;
        if (equal) {
            choice = {static_cast<int>(i), devices[i].name};
        }
    }
    return choice;
}
