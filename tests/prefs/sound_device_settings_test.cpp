#include <gtest/gtest.h>

#include "prefs/sound_device_settings.h"
#include "settings_store_fixture.h"

namespace {

class SoundDeviceSettingsTest : public SettingsStoreTest {};

TEST_F(SoundDeviceSettingsTest, FreshInstallationUsesTheDefaultDevicesAndLineIn) {
    SoundDeviceSettings s;
    s.waveInDriver = "hw:1";
    s.changeMixer = false;
    s.mixerStream = true;
    s.Load(Reader());
    EXPECT_EQ(s.waveInDriver, "-1");
    EXPECT_EQ(s.waveOutDriver, "-1");
    EXPECT_EQ(s.mixerInput, "Line-In");
    EXPECT_TRUE(s.changeMixer);
    EXPECT_FALSE(s.mixerStream);
}

TEST_F(SoundDeviceSettingsTest, EveryValueSurvivesARoundTrip) {
    SoundDeviceSettings saved;
    saved.waveInDriver = "USB Audio, capture";
    saved.waveOutDriver = "<default>";
    saved.mixerInput = "<not connected>";
    saved.changeMixer = false;
    saved.mixerStream = true;
    saved.Save(Writer());
    EXPECT_EQ(Writer().QueryString("WaveInDriver"), saved.waveInDriver);
    EXPECT_EQ(Writer().QueryByte("MixerStream"), 1);

    SoundDeviceSettings s;
    s.Load(Reader());
    EXPECT_EQ(s.waveInDriver, saved.waveInDriver);
    EXPECT_EQ(s.waveOutDriver, saved.waveOutDriver);
    EXPECT_EQ(s.mixerInput, saved.mixerInput);
    EXPECT_FALSE(s.changeMixer);
    EXPECT_TRUE(s.mixerStream);
}

TEST_F(SoundDeviceSettingsTest, DamagedValuesLoadAsDefaultsAndLongNamesAreCut) {
    Writer().SetBinary("WaveInDriver", "hw:0");
    Writer().SetString("WaveOutDriver", QString(400, 'o'));
    Writer().SetString("ChangeMixer", "0");
    Writer().SetBinary("MixerStream", QByteArray(4, '\1'));
    SoundDeviceSettings s;
    s.Load(Reader());
    EXPECT_EQ(s.waveInDriver, "-1");
    EXPECT_EQ(s.waveOutDriver, QString(259, 'o'));
    EXPECT_TRUE(s.changeMixer);
    EXPECT_FALSE(s.mixerStream);
}

}  // namespace
