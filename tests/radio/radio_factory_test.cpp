#include <gtest/gtest.h>

#include "radio/no_radio.h"
#include "radio/radio_factory.h"
#include "radio/radio_models.h"

namespace {

TEST(NoRadioTest, StartsMutedAtZeroAndRemembersWhatItIsTold) {
    SNoRadio radio;
    SRadio& device = radio;
    EXPECT_TRUE(device.IsMuted());
    EXPECT_FLOAT_EQ(device.GetFrequency(), 0.0f);

    EXPECT_EQ(device.SetFrequency(101.3f), 1);
    EXPECT_FLOAT_EQ(device.GetFrequency(), 101.3f);
    EXPECT_EQ(device.SetFrequency(0.54f), 1);
    EXPECT_FLOAT_EQ(device.GetFrequency(), 0.54f);

    EXPECT_TRUE(device.SetMute(false));
    EXPECT_FALSE(device.IsMuted());
    EXPECT_TRUE(device.SetMute(true));
    EXPECT_TRUE(device.IsMuted());
}

TEST(NoRadioTest, ClaimsVolumeStepsButHasNoSignalAndNoAm) {
    SNoRadio radio;
    SRadio& device = radio;
    device.SetFrequency(90.0f);
    device.SetMute(false);
    EXPECT_TRUE(device.StepVolume(true));
    EXPECT_TRUE(device.StepVolume(false));
    EXPECT_FALSE(device.IsTuned());
    EXPECT_FALSE(device.HasAmBand());
    // A volume step changes nothing else.
    EXPECT_FLOAT_EQ(device.GetFrequency(), 90.0f);
    EXPECT_FALSE(device.IsMuted());
}

bool IsNoRadio(const std::unique_ptr<SRadio>& radio) {
    return dynamic_cast<SNoRadio*>(radio.get()) != nullptr;
}

TEST(RadioFactoryTest, IdsWithoutADriverGiveTheInertDevice) {
    for (int id : {kNoRadioModel, 13, 24, 27, 99, kNoRadioModelRow, 22}) {
        const auto radio = CreateRadioForModel(id, 0, "default");
        ASSERT_NE(radio, nullptr) << id;
        EXPECT_TRUE(IsNoRadio(radio)) << id;
        EXPECT_TRUE(radio->IsMuted()) << id;
    }
}

}  // namespace
