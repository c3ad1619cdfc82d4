#include <gtest/gtest.h>

#include "app/radio_panel_state.h"
#include "prefs/settings_store_fixture.h"

namespace {

class RadioPanelStateTest : public SettingsStoreTest {
  protected:
    RadioPanelState Load() {
        RadioPanelState state{1.0f, true, 7};
        state.Load(Reader());
        return state;
    }
};

TEST_F(RadioPanelStateTest, FreshInstallationTunes899UnmutedInBankOne) {
    EXPECT_EQ(Load(), (RadioPanelState{89.9f, false, 1}));
}

TEST_F(RadioPanelStateTest, StateSurvivesARoundTrip) {
    const RadioPanelState saved{0.54f, true, 6};
    saved.Save(Writer());
    EXPECT_EQ(Writer().QueryString("Frequency"), "0.5400");
    EXPECT_EQ(Load(), saved);
}

TEST_F(RadioPanelStateTest, FrequencyIsReadLikePercentFWith899ForAnythingElse) {
    const std::pair<const char*, float> cases[] = {
        {" 95.5 MHz", 95.5f}, {"tuned", 89.9f}, {"", 89.9f}, {"nan", 89.9f}, {"-inf", 89.9f},
    };
    for (const auto& [text, expected] : cases) {
        Writer().SetString("Frequency", text);
        EXPECT_FLOAT_EQ(Load().frequency, expected) << text;
    }
}

TEST_F(RadioPanelStateTest, DamagedValuesAndBanksOutsideOneToEightLoadAsDefaults) {
    Writer().SetBinary("Frequency", "101.3");
    Writer().SetString("Mute", "1");
    Writer().SetString("Bank", "5");
    EXPECT_EQ(Load(), RadioPanelState());

    for (const auto& [stored, expected] : {std::pair{0, 1}, {8, 8}, {9, 1}, {255, 1}}) {
        Writer().SetByte("Bank", static_cast<quint8>(stored));
        EXPECT_EQ(Load().bank, expected) << stored;
    }
}

}  // namespace
