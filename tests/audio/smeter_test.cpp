#include "audio/smeter.h"

#include <gtest/gtest.h>

#include <QImage>

namespace {

TEST(SMeter, ValueShowsTheMonoBarAndValuesTheTwoHalves) {
    SMeter meter;
    meter.resize(200, 20);
    meter.show();
    meter.SetValue(40);
    EXPECT_FALSE(meter.IsStereo());
    EXPECT_TRUE(meter.Mono().isVisible());
    EXPECT_FALSE(meter.Left().isVisible());
    EXPECT_EQ(meter.Mono().value(), 40);

    meter.SetValues(70, 10);
    EXPECT_TRUE(meter.IsStereo());
    EXPECT_FALSE(meter.Mono().isVisible());
    EXPECT_TRUE(meter.Left().isVisible());
    EXPECT_TRUE(meter.Right().isVisible());
    EXPECT_EQ(meter.Left().value(), 70);
    EXPECT_EQ(meter.Right().value(), 10);
    EXPECT_EQ(meter.Left().geometry(), QRect(0, 0, 200, 10));
    EXPECT_EQ(meter.Right().geometry(), QRect(0, 10, 200, 10));

    meter.SetValue(5);
    EXPECT_FALSE(meter.IsStereo());
    EXPECT_TRUE(meter.Mono().isVisible());
    EXPECT_FALSE(meter.Right().isVisible());

    meter.SetRange(0, 100);
    meter.SetLed(5, 80);
    EXPECT_EQ(meter.Right().LedCount(), 20) << "range and LEDs apply to every bar";

    meter.Show(false);
    EXPECT_FALSE(meter.isVisible());
}

TEST(FGauge, LightsTheLedsBelowTheValue) {
    FGauge gauge;
    gauge.SetRange(0, 100);
    gauge.SetLed(5, 80);
    gauge.SetValue(0);
    EXPECT_EQ(gauge.LitLedCount(), 0);
    gauge.SetValue(1);
    EXPECT_EQ(gauge.LitLedCount(), 1);
    gauge.SetValue(50);
    EXPECT_EQ(gauge.LitLedCount(), 10);
    gauge.SetValue(150);
    EXPECT_EQ(gauge.LitLedCount(), 20);
}

TEST(FGauge, PaintsEdgesAndLitAndDarkLeds) {
    FGauge gauge;
    gauge.SetRange(0, 100);
    gauge.SetLed(10, 50);
    gauge.SetFrame(FGauge::kAllEdges, 1);
    gauge.SetValue(50);
    gauge.resize(204, 24);
    const QImage image = gauge.grab().toImage();
    const QPalette& colors = gauge.palette();
    const QRgb light = colors.color(QPalette::Light).rgb();
    const QRgb dark = colors.color(QPalette::Dark).rgb();
    ASSERT_NE(light, dark);
    EXPECT_EQ(image.pixel(0, 12), light);
    EXPECT_EQ(image.pixel(100, 0), light);
    EXPECT_EQ(image.pixel(203, 12), dark);
    EXPECT_EQ(image.pixel(100, 23), dark);

    // Ten LEDs over the inside; the first half of each LED is lit or dark,
    // the second half is the gap.
    const int inside = 2 + 1;  // edge and one frame rectangle
    const int width = 204 - 2 * inside;
    auto ledStart = [&](int led) { return inside + width * led / 10; };
    EXPECT_EQ(image.pixelColor(ledStart(0) + 2, 12), FGauge::LitColor(0.0));
    EXPECT_EQ(image.pixelColor(ledStart(4) + 2, 12), FGauge::LitColor(0.4));
    EXPECT_EQ(image.pixelColor(ledStart(5) + 2, 12), FGauge::OffColor());
    EXPECT_EQ(image.pixelColor(ledStart(9) + 2, 12), FGauge::OffColor());
    EXPECT_EQ(image.pixelColor(ledStart(2) + 17, 12), QColor(Qt::black));

    gauge.SetFrame(FGauge::kTop, 0);
    const QImage topOnly = gauge.grab().toImage();
    EXPECT_EQ(topOnly.pixel(100, 0), light);
    // Without the other edges the LEDs reach the sides: the last one starts
    // at 9/10 of the width.
    EXPECT_EQ(topOnly.pixelColor(204 * 9 / 10 + 2, 23), FGauge::OffColor());
    EXPECT_EQ(topOnly.pixelColor(2, 23), FGauge::LitColor(0.0));
}

}  // namespace
