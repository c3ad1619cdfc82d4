#include <gtest/gtest.h>

#include <QAccessible>
#include <QAccessibleValueInterface>

#include "app/accessible_texts.h"
#include "audio/smeter.h"

TEST(AccessibleTexts, FrequencyPresetKeysAndPercent) {
    struct Case {
        QString text, expected;
    } const cases[] = {
        {accessible::Frequency(89.9f), "89.9 MHz"},
        {accessible::Frequency(90.0f), "90.0 MHz"},
        {accessible::Frequency(101.35f), "101.35 MHz"},
        {accessible::Frequency(0.54f), "540 kHz"},
        {accessible::Frequency(1.71f), "1710 kHz"},
        {accessible::PresetKey(2, "Jazz", 95.5f), "preset 3: Jazz, 95.5 MHz"},
        {accessible::PresetKey(3, "", 95.5f), "preset 4: 95.5 MHz"},
        {accessible::PresetKey(0, "Talk", 0.54f), "preset 1: Talk, 540 kHz"},
        {accessible::PresetKey(4, "Old", 0.0f), "preset 5: empty"},
        {accessible::Percent(70), "70 %"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.text, c.expected);
    }
}

TEST(AccessibleTexts, MeterIsAProgressBarWithTheLouderChannelAsValue) {
    accessible::InstallMeterAccessibility();
    SMeter meter;
    meter.SetRange(0, 100);
    meter.SetValues(30, 65);
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(&meter);
    ASSERT_NE(face, nullptr);
    EXPECT_EQ(face->role(), QAccessible::ProgressBar);
    ASSERT_NE(face->valueInterface(), nullptr);
    EXPECT_EQ(face->valueInterface()->currentValue().toInt(), 65);
    EXPECT_EQ(face->text(QAccessible::Value), "65 %");
}
