#include <gtest/gtest.h>

#include "app/preset_table.h"
#include "prefs/settings_store_fixture.h"

namespace {

TEST(PresetTableTest, SetClearAndSwap) {
    PresetTable table;
    table.Set(3, 101.1f, "Jazz");
    table.Set(PresetTable::IndexOf(5, 0), 0.54f, QString(50, 't'));  // names keep 43 characters
    table.Swap(3, 32);
    EXPECT_FLOAT_EQ(table.GetFrequency(3), 0.54f);
    EXPECT_EQ(table.GetName(3), QString(43, 't'));
    EXPECT_FLOAT_EQ(table.GetFrequency(32), 101.1f);
    EXPECT_EQ(table.GetName(32), "Jazz");
    table.Clear(32);
    EXPECT_EQ(table.GetFrequency(32), 0.0f);
    EXPECT_EQ(table.GetName(32), "");
}

TEST(PresetTableTest, BadIndexesAreIgnored) {
    PresetTable table;
    table.Set(0, 88.0f, "First");
    table.Set(63, 1.71f, "Last");
    const PresetTable before = table;
    for (int bad : {-1, 64}) {
        EXPECT_EQ(table.GetFrequency(bad), -1.0f) << bad;
        EXPECT_EQ(table.GetName(bad), "") << bad;
        table.Set(bad, 99.0f, "Nowhere");
        table.Clear(bad);
        table.Swap(bad, 0);
        table.Swap(63, bad);
    }
    EXPECT_EQ(table, before);
}

class PresetPersistenceTest : public SettingsStoreTest {
  protected:
    PresetTable Load() {
        PresetTable table;
        table.Set(1, 88.8f, "Stale");  // loading empties every preset first
        LoadPresets(Reader(), table);
        return table;
    }
};

TEST_F(PresetPersistenceTest, FmAndAmPresetsSurviveARoundTrip) {
    PresetTable saved;
    saved.Set(0, 87.5f, "First");
    saved.Set(31, 107.9f, "Last FM");
    saved.Set(32, 0.54f, "First AM");
    saved.Set(63, 1.71f, "Last AM");
    SavePresets(Writer(), saved);
    EXPECT_EQ(Writer().QueryString("Station0"), "87.5000");
    EXPECT_EQ(Writer().QueryString("AMStation0"), "0.5400");
    EXPECT_EQ(Writer().QueryString("AMStationName31"), "Last AM");
    EXPECT_EQ(Load(), saved);
}

TEST_F(PresetPersistenceTest, EmptiedPresetsLeaveNeitherValue) {
    PresetTable table;
    table.Set(5, 95.0f, "Gone");
    table.Set(40, 0.9f, "Gone AM");
    SavePresets(Writer(), table);
    ASSERT_TRUE(Writer().Contains("AMStationName8"));

    table.Clear(5);
    table.Set(40, 0.3f, "Too low");  // below 0.5 counts as empty
    table.Set(9, 0.5f, "Edge");      // 0.5 itself is programmed
    SavePresets(Writer(), table);
    for (const char* name : {"Station5", "StationName5", "AMStation8", "AMStationName8"}) {
        EXPECT_FALSE(Writer().Contains(name)) << name;
    }
    EXPECT_EQ(Writer().QueryString("Station9"), "0.5000");
}

TEST_F(PresetPersistenceTest, DamagedValuesLoadAsEmptyFieldsAndNamesAreCut) {
    Writer().SetString("Station0", "FM4");
    Writer().SetString("StationName0", "Kept name");
    Writer().SetBinary("Station1", "99.0");
    Writer().SetString("Station2", "inf");
    Writer().SetString("Station3", "101.3 MHz");  // read like "%f"
    Writer().SetBinary("StationName3", "binary");
    Writer().SetString("AMStationName0", QString(60, 'a'));
    const PresetTable table = Load();
    EXPECT_EQ(table.GetFrequency(0), 0.0f);
    EXPECT_EQ(table.GetName(0), "Kept name");
    EXPECT_EQ(table.GetFrequency(1), 0.0f);
    EXPECT_EQ(table.GetName(1), "");
    EXPECT_EQ(table.GetFrequency(2), 0.0f);
    EXPECT_FLOAT_EQ(table.GetFrequency(3), 101.3f);
    EXPECT_EQ(table.GetName(3), "");
    EXPECT_EQ(table.GetName(32),
              QString(StationPreset::kMaxNameLength, 'a'));  // as the dialog takes it
}

}  // namespace
