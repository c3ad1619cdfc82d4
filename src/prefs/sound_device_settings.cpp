#include "prefs/sound_device_settings.h"

#include "platform/settings_hive.h"
#include "prefs/settings_values.h"

using settings_values::ReadFlag;
using settings_values::ReadText;

void SoundDeviceSettings::Load(const SettingsKey& key) {
    const SoundDeviceSettings defaults;
    waveInDriver = ReadText(key, "WaveInDriver", defaults.waveInDriver);
    waveOutDriver = ReadText(key, "WaveOutDriver", defaults.waveOutDriver);
    mixerInput = ReadText(key, "MixerInput", defaults.mixerInput);
    changeMixer = ReadFlag(key, "ChangeMixer", defaults.changeMixer);
    mixerStream = ReadFlag(key, "MixerStream", defaults.mixerStream);
}

void SoundDeviceSettings::Save(SettingsKey& key) const {
    key.SetString("WaveOutDriver", waveOutDriver);
    key.SetString("WaveInDriver", waveInDriver);
    key.SetString("MixerInput", mixerInput);
    key.SetByte("ChangeMixer", changeMixer ? 1 : 0);
    key.SetByte("MixerStream", mixerStream ? 1 : 0);
}
