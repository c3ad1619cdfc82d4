#include <gtest/gtest.h>

#include "prefs/settings_values.h"
#include "settings_store_fixture.h"

namespace {

using namespace settings_values;

TEST(SettingsNumbersTest, IntegersReadLikeScanfDecimal) {
    EXPECT_EQ(ParseInt("200"), 200);
    EXPECT_EQ(ParseInt("  -17"), -17);
    EXPECT_EQ(ParseInt("+8"), 8);
    EXPECT_EQ(ParseInt("44100 Hz"), 44100);
    EXPECT_EQ(ParseInt("3.9"), 3);
    EXPECT_EQ(ParseInt("0x10"), 0);  // decimal only: the "x" ends the number
    EXPECT_EQ(ParseInt(""), std::nullopt);
    EXPECT_EQ(ParseInt("fast"), std::nullopt);
    EXPECT_EQ(ParseInt("-"), std::nullopt);
    EXPECT_EQ(ParseInt("99999999999"), std::nullopt);
}

TEST(SettingsNumbersTest, RealsReadLikeScanfFloatAndMustBeFinite) {
    EXPECT_FLOAT_EQ(*ParseFloat("89.9000"), 89.9f);
    EXPECT_FLOAT_EQ(*ParseFloat(" 0.54abc"), 0.54f);
    EXPECT_FLOAT_EQ(*ParseFloat("1e2"), 100.0f);
    EXPECT_FLOAT_EQ(*ParseFloat("101,5"), 101.0f);  // the decimal point is always "."
    EXPECT_EQ(ParseFloat("MHz"), std::nullopt);
    EXPECT_EQ(ParseFloat("nan"), std::nullopt);
    EXPECT_EQ(ParseFloat("inf"), std::nullopt);
    EXPECT_EQ(ParseFloat("1e999"), std::nullopt);
}

TEST(SettingsNumbersTest, ScanningMovesPastEachNumberAndStopsAtTheFirstBadOne) {
    const QString text = "101.5 62\t8 x 9";
    qsizetype pos = 0;
    EXPECT_FLOAT_EQ(*ScanFloat(text, &pos), 101.5f);
    EXPECT_EQ(ScanInt(text, &pos), 62);
    EXPECT_EQ(ScanInt(text, &pos), 8);
    const qsizetype before = pos;
    EXPECT_EQ(ScanInt(text, &pos), std::nullopt);
    EXPECT_EQ(pos, before);
    pos = text.size();
    EXPECT_EQ(ScanInt(text, &pos), std::nullopt);
    pos = text.size() + 5;
    EXPECT_EQ(ScanFloat(text, &pos), std::nullopt);
}

TEST(SettingsNumbersTest, NonLatinCharactersDoNotShiftPositions) {
    const QString text = QString::fromUtf8("\u00e9\u4e2d 12");
    qsizetype pos = 2;
    EXPECT_EQ(ScanInt(text, &pos), 12);
    EXPECT_EQ(pos, text.size());
}

TEST(SettingsNumbersTest, RealsAreWrittenWithFourDecimals) {
    EXPECT_EQ(FormatFloat(89.9f), "89.9000");
    EXPECT_EQ(FormatFloat(0.54f), "0.5400");
    EXPECT_EQ(FormatFloat(-1.0f), "-1.0000");
}

class SettingsValueReadersTest : public SettingsStoreTest {};

TEST_F(SettingsValueReadersTest, FlagsAndTextsFallBackWhenMissingOrOfTheWrongKind) {
    Writer().SetByte("Zero", 0);
    Writer().SetByte("Two", 2);
    Writer().SetString("TypedFlag", "1");
    Writer().SetBinary("Wide", QByteArray(2, '\1'));
    Writer().SetString("Name", QString(300, 'n'));
    Writer().SetBinary("BinaryName", "abc");
    const SettingsKey& key = Reader();

    EXPECT_FALSE(ReadFlag(key, "Zero", true));
    EXPECT_TRUE(ReadFlag(key, "Two", false));
    EXPECT_FALSE(ReadFlag(key, "TypedFlag", false));
    EXPECT_TRUE(ReadFlag(key, "Wide", true));
    EXPECT_TRUE(ReadFlag(key, "Missing", true));

    EXPECT_EQ(ReadText(key, "Name", "x").size(), kMaxTextLength);
    EXPECT_EQ(ReadText(key, "Name", "x", 40), QString(40, 'n'));
    EXPECT_EQ(ReadText(key, "BinaryName", "fallback"), "fallback");
    EXPECT_EQ(ReadText(key, "Missing", "fallback"), "fallback");
}

}  // namespace
