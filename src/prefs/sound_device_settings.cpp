#include "prefs/sound_device_settings.h"

#include "platform/settings_hive.h"
#include "prefs/settings_values.h"

using settings_values::ReadFlag;
using settings_values::ReadText;

void SoundDeviceSettings::Load(const SettingsKey& key) {
    ReadText(key, "WaveInDriver", waveInDriver);
    ReadText(key, "WaveOutDriver", waveOutDriver);
    ReadText(key, "MixerInput", mixerInput);
    ReadFlag(key, "ChangeMixer", changeMixer);
    ReadFlag(key, "MixerStream", mixerStream);
}

void SoundDeviceSettings::Save(SettingsKey& key) const {
    key.SetString("WaveOutDriver", waveOutDriver);
    key.SetString("WaveInDriver", waveInDriver);
    key.SetString("MixerInput", mixerInput);
    key.SetByte("ChangeMixer", changeMixer ? 1 : 0);
    key.SetByte("MixerStream", mixerStream ? 1 : 0);
}
