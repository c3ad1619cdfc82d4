#include <gtest/gtest.h>

#include "platform/settings_hive.h"
#include "radio/radio_settings.h"
#include "support/scoped_xdg_dirs.h"

namespace {

class RadioSettingsTest : public ::testing::Test {
  protected:
    std::unique_ptr<SettingsKey> WritableKey() {
        auto key = SettingsKey::Create(SettingsKey::Hive::PerUser);
        EXPECT_NE(key, nullptr);
        return key;
    }
    RadioSettings LoadFresh() {
        RadioSettings settings;
        settings.Load(*SettingsKey::OpenPerUserReadOnly());
        return settings;
    }

    ScopedXdgDirs dirs_;
};

TEST_F(RadioSettingsTest, EmptyKeyGivesNoModelNoPortAndMuteRules) {
    RadioSettings settings;
    settings.vendor = 4;
    settings.portAddress = 2;
    settings.portString = "Com2:";
    settings.onExit = 0;
    settings.startMute = 2;
    // Loading replaces everything, also values that are missing.
    settings.Load(*SettingsKey::OpenPerUserReadOnly());
    EXPECT_EQ(settings.vendor, kNoRadioModel);
    EXPECT_EQ(settings.portAddress, kNoPortValue);
    EXPECT_EQ(settings.portString, QString());
    EXPECT_EQ(settings.onExit, kOnExitMute);
    EXPECT_EQ(settings.startMute, kStartMute);
}

TEST_F(RadioSettingsTest, SavedValuesReadBack) {
    RadioSettings saved;
    saved.vendor = 10;
    saved.portAddress = 0x34C;
    saved.portString = "34c hex (Default)";
    saved.onExit = kOnExitAsk;
    saved.startMute = kStartLastState;
    {
        auto key = WritableKey();
        saved.Save(*key);
        EXPECT_EQ(key->QueryString("PortAddress"), "34c");
        EXPECT_EQ(key->QueryByte("Vendor"), 10);
    }
    const RadioSettings loaded = LoadFresh();
    EXPECT_EQ(loaded.vendor, 10);
    EXPECT_EQ(loaded.portAddress, 0x34C);
    EXPECT_EQ(loaded.portString, "34c hex (Default)");
    EXPECT_EQ(loaded.onExit, kOnExitAsk);
    EXPECT_EQ(loaded.startMute, kStartLastState);
}

TEST_F(RadioSettingsTest, NoModelAndNoPortSurviveARoundTrip) {
    {
        auto key = WritableKey();
        RadioSettings().Save(*key);
        EXPECT_EQ(key->QueryByte("Vendor"), 0xFF);
        EXPECT_EQ(key->QueryString("PortAddress"), "ffffffff");
    }
    const RadioSettings loaded = LoadFresh();
    EXPECT_EQ(loaded.vendor, kNoRadioModel);
    EXPECT_EQ(loaded.portAddress, kNoPortValue);
}

TEST_F(RadioSettingsTest, HandWrittenAndDamagedValuesFallBack) {
    {
        auto key = WritableKey();
        key->SetByte("Vendor", 0xFF);
        key->SetString("PortAddress", "30c");
        key->SetString("PortString", QString(400, 'x'));
    }
    RadioSettings loaded = LoadFresh();
    EXPECT_EQ(loaded.vendor, kNoRadioModel);
    EXPECT_EQ(loaded.portAddress, 0x30C);
    EXPECT_EQ(loaded.portString.size(), 259);
    {
        auto key = WritableKey();
        key->SetString("Vendor", "4");                  // text where a byte belongs
        key->SetString("PortAddress", "none");          // not hexadecimal
        key->SetBinary("OnExit", QByteArray(2, '\0'));  // wrong size
        key->SetByte("StartMute", 0);
    }
    loaded = LoadFresh();
    EXPECT_EQ(loaded.vendor, kNoRadioModel);
    EXPECT_EQ(loaded.portAddress, kNoPortValue);
    EXPECT_EQ(loaded.onExit, kOnExitMute);
    EXPECT_EQ(loaded.startMute, kStartNoMute);
    {
        auto key = WritableKey();
        key->SetBinary("PortAddress", QByteArray("\x0c\x03", 2));  // binary where text belongs
    }
    EXPECT_EQ(LoadFresh().portAddress, kNoPortValue);
}

TEST(PortValueTest, ParsesHexTheWayItIsStored) {
    EXPECT_EQ(ParsePortValue("30c"), 0x30C);
    EXPECT_EQ(ParsePortValue("34C"), 0x34C);
    EXPECT_EQ(ParsePortValue("0"), 0);
    EXPECT_EQ(ParsePortValue("6"), 6);
    EXPECT_EQ(ParsePortValue("-1"), -1);
    EXPECT_EQ(ParsePortValue("ffffffff"), -1);
    EXPECT_EQ(ParsePortValue("  0x20c"), 0x20C);
    EXPECT_EQ(ParsePortValue("350 hex"), 0x350);
    EXPECT_EQ(ParsePortValue(""), std::nullopt);
    EXPECT_EQ(ParsePortValue("-"), std::nullopt);
    EXPECT_EQ(ParsePortValue("hex"), std::nullopt);
    EXPECT_EQ(ParsePortValue("1ffffffff"), std::nullopt);
}

TEST(PortValueTest, FormatsEveryValueSoThatItParsesBack) {
    EXPECT_EQ(FormatPortValue(0x30C), "30c");
    EXPECT_EQ(FormatPortValue(0), "0");
    for (int port : {-1, 0, 1, 6, 0x20C, 0x358, INT_MAX, INT_MIN}) {
        EXPECT_EQ(ParsePortValue(FormatPortValue(port)), port) << port;
    }
}

}  // namespace
