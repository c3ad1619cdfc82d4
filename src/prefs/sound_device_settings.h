#pragma once

#include <QString>

class SettingsKey;

// The sound devices, the mixer line the tuner is wired to, and whether the
// program may change mixer settings.
struct SoundDeviceSettings {
    // Device setting that stands for the system's default device.
    static constexpr const char* kDefaultDevice = "-1";
    // Mixer line setting for a tuner that is not wired to the input mixer.
    static constexpr const char* kNotConnected = "<not connected>";

    QString waveInDriver = kDefaultDevice;   // device name, "<default>" or "-1"
    QString waveOutDriver = kDefaultDevice;  // device name, "<default>" or "-1"
    QString mixerInput = QStringLiteral("Line-In");
    bool changeMixer = true;
    bool mixerStream = false;  // play the input through the output device

    // Replaces every value; a missing or unreadable one gives its default.
    void Load(const SettingsKey& key);
    void Save(SettingsKey& key) const;

    bool operator==(const SoundDeviceSettings&) const = default;
};
