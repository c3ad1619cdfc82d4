#include <gtest/gtest.h>

#include "app/radio_panel_state.h"
#include "prefs/settings_store_fixture.h"

namespace {

class RadioPanelStateTest : public SettingsStoreTest {
  protected:
    RadioPanelState Load() {
        RadioPanelState state;
        state.frequency = 1.0f;
        state.muted = true;
        state.bank = 7;
        state.Load(Reader());
        return state;
    }
};

TEST_F(RadioPanelStateTest, FreshInstallationTunes899UnmutedInBankOne) {
    const RadioPanelState state = Load();
    EXPECT_FLOAT_EQ(state.frequency, 89.9f);
    EXPECT_FALSE(state.muted);
    EXPECT_EQ(state.bank, 1);
}

TEST_F(RadioPanelStateTest, StateSurvivesARoundTrip) {
    RadioPanelState saved;
    saved.frequency = 0.54f;
    saved.muted = true;
    saved.bank = 6;
    saved.Save(Writer());
    EXPECT_EQ(Writer().QueryString("Frequency"), "0.5400");
    EXPECT_EQ(Writer().QueryByte("Mute"), 1);
    EXPECT_EQ(Writer().QueryByte("Bank"), 6);

    const RadioPanelState state = Load();
    EXPECT_FLOAT_EQ(state.frequency, 0.54f);
    EXPECT_TRUE(state.muted);
    EXPECT_EQ(state.bank, 6);
}

TEST_F(RadioPanelStateTest, FrequencyTextIsReadLikePercentF) {
    const std::pair<const char*, float> cases[] = {
        {"101.3000", 101.3f}, {" 95.5 MHz", 95.5f}, {"tuned", 89.9f},
        {"", 89.9f},          {"nan", 89.9f},       {"-inf", 89.9f},
    };
    for (const auto& [text, expected] : cases) {
        Writer().SetString("Frequency", text);
        EXPECT_FLOAT_EQ(Load().frequency, expected) << text;
    }
}

TEST_F(RadioPanelStateTest, DamagedValuesLoadAsDefaults) {
    Writer().SetBinary("Frequency", "101.3");
    Writer().SetString("Mute", "1");
    Writer().SetString("Bank", "5");
    RadioPanelState state = Load();
    EXPECT_FLOAT_EQ(state.frequency, 89.9f);
    EXPECT_FALSE(state.muted);
    EXPECT_EQ(state.bank, 1);

    Writer().SetBinary("Mute", QByteArray(2, '\1'));
    Writer().SetInt32("Bank", 3);
    state = Load();
    EXPECT_FALSE(state.muted);
    EXPECT_EQ(state.bank, 1);
}

TEST_F(RadioPanelStateTest, BanksOutsideOneToEightGiveBankOne) {
    for (const auto& [stored, expected] :
         {std::pair{0, 1}, {1, 1}, {4, 4}, {8, 8}, {9, 1}, {255, 1}}) {
        Writer().SetByte("Bank", static_cast<quint8>(stored));
        EXPECT_EQ(Load().bank, expected) << stored;
    }
}

}  // namespace
