#include <gtest/gtest.h>

#include <QAccessible>
#include <QAccessibleValueInterface>

#include "app/accessible_texts.h"
#include "audio/smeter.h"

TEST(AccessibleTexts, FrequencyPresetKeysAndTheMetersValue) {
    const std::pair<QString, QString> cases[] = {
        {accessible::Frequency(89.9f), "89.9 MHz"},
        {accessible::Frequency(101.35f), "101.35 MHz"},
        {accessible::Frequency(0.54f), "540 kHz"},
        {accessible::PresetKey(2, "Jazz", 95.5f), "preset 3: Jazz, 95.5 MHz"},
        {accessible::PresetKey(3, "", 0.54f), "preset 4: 540 kHz"},
        {accessible::PresetKey(4, "Old", 0.0f), "preset 5: empty"},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(text, expected);
    }
    accessible::InstallMeterAccessibility();
    SMeter meter;
    meter.SetRange(0, 100);
    meter.SetValues(30, 65);  // stereo: the louder channel counts
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(&meter);
    ASSERT_TRUE(face && face->valueInterface());
    EXPECT_EQ(face->valueInterface()->currentValue().toInt(), 65);
    EXPECT_EQ(face->text(QAccessible::Value), "65 %");
}
