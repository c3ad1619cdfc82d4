#include <gtest/gtest.h>

#include "app/freq_popup.h"
#include "app/preset_buttons.h"
#include "app/preset_table.h"
#include "app/station_dialog.h"

namespace {

TEST(BankRules, FmOnlyWithoutAmAndAllEightWithIt) {
    EXPECT_EQ(presets::NextBank(4, false), 1);
    EXPECT_EQ(presets::NextBank(4, true), 5);
    EXPECT_EQ(presets::NextBank(8, true), 1);
    EXPECT_EQ(presets::NextBank(0, true), 1);
    EXPECT_EQ(presets::PreviousBank(1, false), 4);
    EXPECT_EQ(presets::PreviousBank(1, true), 8);
    EXPECT_EQ(presets::PreviousBank(6, true), 5);
    EXPECT_EQ(presets::ValidBank(6, false), 1) << "an AM bank left from an AM device";
    EXPECT_EQ(presets::BankLabel(3), "F&M3");
    EXPECT_EQ(presets::BankLabel(5), "A&M1");
    EXPECT_EQ(presets::BankLabel(8), "A&M4");
}

TEST(PresetButtonText, NameWhenItFitsElseTheFrequency) {
    EXPECT_EQ(presets::ButtonText(101.3f, "Radio One", true), "Radio One");
    EXPECT_EQ(presets::ButtonText(101.3f, "Radio One", false), "101.3");
    EXPECT_EQ(presets::ButtonText(0.54f, "", true), "54.0");
    EXPECT_EQ(presets::ButtonText(0.0f, "", true), "");
    EXPECT_EQ(presets::ButtonText(0.4f, "", true), "") << "not programmed";
    EXPECT_TRUE(presets::IsAmPreset(0.54f));
    EXPECT_TRUE(presets::IsAmPreset(1.99f));
    EXPECT_FALSE(presets::IsAmPreset(0.0f));
    EXPECT_FALSE(presets::IsAmPreset(89.9f));
}

TEST(PresetHighlight, FirstPresetWithinTheWindowAndAmCountsTwentyFold) {
    PresetTable table;
    table.Set(PresetTable::IndexOf(1, 2), 100.0f, "");
    table.Set(PresetTable::IndexOf(1, 5), 100.1f, "");
    EXPECT_EQ(presets::HighlightButton(table, 1, 100.05f), 2) << "two within: the first";
    EXPECT_EQ(presets::HighlightButton(table, 1, 100.2f), 5);
    EXPECT_EQ(presets::HighlightButton(table, 1, 101.0f), -1);
    table.Set(PresetTable::IndexOf(5, 0), 0.54f, "");
    EXPECT_EQ(presets::HighlightButton(table, 5, 0.545f), 0);
    EXPECT_EQ(presets::HighlightButton(table, 5, 0.55f), -1) << "10 kHz off is 0.2 twenty-fold";
}

TEST(StationFrequency, RangesMessagesAndTheFilter) {
    auto am = station::ParseFrequency("54 AM", 0.0f);
    ASSERT_TRUE(am.frequency);
    EXPECT_FLOAT_EQ(*am.frequency, 0.54f);
    auto fm = station::ParseFrequency("101.3", 0.0f);
    ASSERT_TRUE(fm.frequency);
    EXPECT_FLOAT_EQ(*fm.frequency, 101.3f);
    EXPECT_EQ(station::ParseFrequency("0.3", 0.0f).error,
              "Frequency must be between 87.0 and 108.0");
    EXPECT_EQ(station::ParseFrequency("30 am", 0.0f).error,
              "AM Frequency must be between 50.0 and 200.0 (x10kHz)");
    auto empty = station::ParseFrequency("", 95.0f);
    ASSERT_TRUE(empty.frequency) << "nothing to read keeps the opening frequency";
    EXPECT_FLOAT_EQ(*empty.frequency, 95.0f);
    EXPECT_EQ(station::Filtered("1x01.-3, Am!"), "101.3 Am");
    EXPECT_EQ(station::FrequencyText(101.3f), "101.30");
    EXPECT_EQ(station::FrequencyText(0.54f), "54.0 AM");
    EXPECT_EQ(station::FrequencyText(0.3f), "");
}

TEST(FrequencyPopup, TextAndSliderRules) {
    EXPECT_EQ(freq_popup::SliderRange(true), std::make_pair(5200, 17100));
    EXPECT_EQ(freq_popup::SliderRange(false), std::make_pair(8700, 10800));
    EXPECT_EQ(freq_popup::SliderPosition(0.54f, true), 5400);
    EXPECT_EQ(freq_popup::SliderPosition(89.9f, false), 8990);
    EXPECT_EQ(freq_popup::Text(89.9f, false), "89.9");
    EXPECT_EQ(freq_popup::Text(0.54f, true), "54.0 AM");
    EXPECT_EQ(freq_popup::FrequencyFromText("9", false), std::nullopt) << "partial text";
    EXPECT_EQ(freq_popup::FrequencyFromText("abc", false), std::nullopt);
    EXPECT_NEAR(*freq_popup::FrequencyFromText("101.3", false), 101.3f, 1e-4);
    EXPECT_NEAR(*freq_popup::FrequencyFromText("101.3", true), 1.013f, 1e-5);
    EXPECT_EQ(freq_popup::FrequencyFromText("180", true), std::nullopt) << "above 170.1";
    EXPECT_NEAR(*freq_popup::FrequencyFromText("54 AM", true), 0.54f, 1e-5);
    EXPECT_NEAR(*freq_popup::FrequencyFromSlider(5400, true, 0.54f), 0.54f, 1e-5);
    EXPECT_EQ(freq_popup::FrequencyFromSlider(9003, false, 90.0f), std::nullopt)
        << "FM slider within 0.05 leaves the device alone";
    EXPECT_NEAR(*freq_popup::FrequencyFromSlider(9010, false, 90.0f), 90.1f, 1e-4);
}

}  // namespace
