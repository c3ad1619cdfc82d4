#include <gtest/gtest.h>

#include "app/preset_table.h"
#include "app/tuner_control.h"

namespace {

using namespace tuning;

TEST(TuneStep, FmStepsGoToTheNextGridPointAndFineStepsAddAHundredth) {
    EXPECT_NEAR(StepFrequency(89.94f, 1, false, true), 90.0f, 1e-4);
    EXPECT_NEAR(StepFrequency(89.9f, 1, false, true), 90.0f, 1e-4);
    EXPECT_NEAR(StepFrequency(89.95f, 1, false, true), 90.0f, 1e-4);
    EXPECT_NEAR(StepFrequency(90.0f, 1, false, false), 89.9f, 1e-4);
    EXPECT_NEAR(StepFrequency(89.9f, 1, false, false), 89.8f, 1e-4);
    EXPECT_NEAR(StepFrequency(89.95f, 1, false, false), 89.9f, 1e-4);
    EXPECT_NEAR(StepFrequency(90.0f, 1, true, true), 90.01f, 1e-4);
    EXPECT_NEAR(StepFrequency(90.0f, 4, true, false), 89.99f, 1e-4) << "FM4 steps as FM";
}

TEST(TuneStep, AmBanksStepTenKilohertzOrOne) {
    EXPECT_NEAR(StepFrequency(0.54f, 5, false, true), 0.55f, 1e-5);
    EXPECT_NEAR(StepFrequency(0.54f, 5, true, true), 0.541f, 1e-5);
    EXPECT_NEAR(StepFrequency(0.54f, 8, false, false), 0.53f, 1e-5);
    EXPECT_NEAR(StepFrequency(0.54f, 8, true, false), 0.539f, 1e-5);
}

TEST(ScanStep, WrapsAtBothEndsOfBothBands) {
    EXPECT_FLOAT_EQ(ScanStep(108.07f, true), 87.0f);
    EXPECT_NEAR(ScanStep(100.0f, true), 100.05f, 1e-4);
    EXPECT_FLOAT_EQ(ScanStep(87.02f, false), 108.1f);
    EXPECT_NEAR(ScanStep(100.0f, false), 99.95f, 1e-4);
    EXPECT_FLOAT_EQ(ScanStep(1.7095f, true), 0.52f);
    EXPECT_FLOAT_EQ(ScanStep(0.5205f, false), 1.71f);
    EXPECT_NEAR(ScanStep(1.0f, true), 1.001f, 1e-5);
}

TEST(NeighbourPreset, StartsFromTheMatchingPresetAndSkipsEmptyOnes) {
    PresetTable table;
    table.Set(PresetTable::IndexOf(2, 0), 88.0f, "A");
    table.Set(PresetTable::IndexOf(2, 1), 90.0f, "B");
    table.Set(PresetTable::IndexOf(2, 4), 95.0f, "C");
    EXPECT_EQ(NeighbourPreset(table, 2, 100.0f, true), PresetTable::IndexOf(2, 1))
        << "no match: next starts at button 1";
    EXPECT_EQ(NeighbourPreset(table, 2, 90.1f, true), PresetTable::IndexOf(2, 4))
        << "from button 1, the empty buttons 2 and 3 are skipped";
    EXPECT_EQ(NeighbourPreset(table, 2, 95.0f, true), PresetTable::IndexOf(2, 0)) << "wraps";
    EXPECT_EQ(NeighbourPreset(table, 2, 87.9f, false), PresetTable::IndexOf(2, 4))
        << "previous from button 0 searches down from 7";
    EXPECT_EQ(NeighbourPreset(table, 2, 100.0f, false), PresetTable::IndexOf(2, 4))
        << "no match: previous starts at 7";
    EXPECT_EQ(NeighbourPreset(table, 3, 100.0f, true), -1) << "an empty bank";
}

TEST(VolumeRules, LineStepsAndReadBack) {
    EXPECT_EQ(StepLineVolume(100, false), 90);
    EXPECT_EQ(StepLineVolume(120, true), 127);
    EXPECT_EQ(StepLineVolume(50, true), 60);
    EXPECT_EQ(StepLineVolume(0, false), 0);
    EXPECT_EQ(VolumeReadBack(127, 50), 100);
    EXPECT_EQ(VolumeReadBack(66, 50), std::nullopt) << "51 % is within 4 of 50";
    EXPECT_EQ(VolumeReadBack(70, 50), 55);
    EXPECT_EQ(VolumeReadBack(-1, 50), std::nullopt) << "a line that cannot be read";
}

TEST(RadioMenu, TextShowsTheBandLikeTheReadOut) {
    EXPECT_EQ(RadioMenuText(101.3f), "Radio 101.30\tHome");
    EXPECT_EQ(RadioMenuText(0.54f), "Radio 54.0 AM\tHome");
    EXPECT_FLOAT_EQ(DisplayValue(0.54f), 54.0f);
    EXPECT_FLOAT_EQ(DisplayValue(89.9f), 89.9f);
}

}  // namespace
