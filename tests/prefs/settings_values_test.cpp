#include <gtest/gtest.h>

#include "prefs/settings_values.h"

namespace {

using namespace settings_values;

TEST(SettingsNumbersTest, IntegersReadLikeScanfDecimal) {
    EXPECT_EQ(ParseInt("  -17"), -17);
    EXPECT_EQ(ParseInt("44100 Hz"), 44100);
    EXPECT_EQ(ParseInt("3.9"), 3);
    EXPECT_EQ(ParseInt("fast"), std::nullopt);
    EXPECT_EQ(ParseInt("-"), std::nullopt);
    EXPECT_EQ(ParseInt("99999999999"), std::nullopt);
}

TEST(SettingsNumbersTest, RealsReadLikeScanfFloatAndMustBeFinite) {
    EXPECT_FLOAT_EQ(*ParseFloat(" 0.54abc"), 0.54f);
    EXPECT_FLOAT_EQ(*ParseFloat("101,5"), 101.0f);  // the decimal point is always "."
    EXPECT_EQ(ParseFloat("MHz"), std::nullopt);
    EXPECT_EQ(ParseFloat("nan"), std::nullopt);
    EXPECT_EQ(ParseFloat("1e999"), std::nullopt);
    EXPECT_EQ(FormatFloat(0.54f), "0.5400");
}

TEST(SettingsNumbersTest, ScanningMovesPastEachNumberAndStopsAtTheFirstBadOne) {
    const QString text = QString::fromUtf8("101.5 62\t8 \u4e2d 9");
    qsizetype pos = 0;
    EXPECT_FLOAT_EQ(*ScanFloat(text, &pos), 101.5f);
    EXPECT_EQ(ScanInt(text, &pos), 62);
    EXPECT_EQ(ScanInt(text, &pos), 8);
    const qsizetype before = pos;
    EXPECT_EQ(ScanInt(text, &pos), std::nullopt);
    EXPECT_EQ(pos, before);
    pos += 2;  // past the non-Latin character: positions stay character positions
    EXPECT_EQ(ScanInt(text, &pos), 9);
    EXPECT_EQ(pos, text.size());
    pos = text.size() + 5;
    EXPECT_EQ(ScanFloat(text, &pos), std::nullopt);
}

}  // namespace
