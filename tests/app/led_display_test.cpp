#include "app/led_display.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QSignalSpy>
#include <QSvgRenderer>
#include <QTest>

namespace {

constexpr int B = kLedBlank;
constexpr int P = kLedPoint;
constexpr int D(int k) {
    return kLedDigitZero + k;
}

TEST(LedImages, PanelValuesShowTheirDigits) {
    EXPECT_EQ(LedImagesFor(89.9f, 3, 2), (std::vector<int>{B, D(8), D(9), P, D(9), D(0)}));
    EXPECT_EQ(LedImagesFor(101.3f, 3, 2), (std::vector<int>{D(1), D(0), D(1), P, D(3), D(0)}));
    EXPECT_EQ(LedImagesFor(54.0f, 3, 2), (std::vector<int>{B, D(5), D(4), P, D(0), D(0)}));
    EXPECT_EQ(LedImagesFor(1234.5f, 3, 2), (std::vector<int>{D(2), D(3), D(4), P, D(5), D(0)}))
        << "only the last three integer digits";
    EXPECT_EQ(LedImagesFor(-1.5f, 3, 1), (std::vector<int>{B, B, D(1), P, D(5)}))
        << "a sign shows as nothing";
    EXPECT_EQ(LedImagesFor(5.0f, 20, 0).size(), 11u) << "at most ten integer digits";
}

// How much of an image is lit: pixels whose green clearly outweighs red.
int LitPixels(int imageId, int scale) {
    QSvgRenderer renderer(LedImageSvg(imageId));
    EXPECT_TRUE(renderer.isValid());
    const QSize size = renderer.defaultSize() * scale;
    QImage image(size, QImage::Format_ARGB32);
    image.fill(Qt::black);
    QPainter painter(&image);
    renderer.render(&painter);
    painter.end();
    int lit = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qGreen(image.pixel(x, y)) > 200) {
                ++lit;
            }
        }
    }
    return lit;
}

TEST(LedImages, DrawnAtTheirSizeAndSharpAtTwiceIt) {
    EXPECT_EQ(QSvgRenderer(LedImageSvg(D(8))).defaultSize(), QSize(13, 23));
    EXPECT_EQ(QSvgRenderer(LedImageSvg(P)).defaultSize(), QSize(6, 23));
    EXPECT_EQ(LitPixels(B, 1), 0);
    EXPECT_GT(LitPixels(P, 1), 0);
    // Every digit lights a different pattern; 8 lights the most, 1 the least.
    for (int k = 0; k <= 9; ++k) {
        EXPECT_GT(LitPixels(D(k), 1), 0) << k;
        EXPECT_LE(LitPixels(D(k), 1), LitPixels(D(8), 1)) << k;
        EXPECT_GE(LitPixels(D(k), 1), LitPixels(D(1), 1)) << k;
    }
    // At twice the size the lit area grows about four-fold, as a vector drawing does.
    const int one = LitPixels(D(8), 1);
    const int two = LitPixels(D(8), 2);
    EXPECT_GT(two, one * 3);
    EXPECT_LT(two, one * 5);
}

TEST(LedFloat, GeometryRepaintsOnlyChangedDigitsAndClicks) {
    TLedFloat led(3, 2, true, 89.9f);
    EXPECT_EQ(led.size(), QSize(5 * 13 + 6 + 2, 25));
    TLedFloat bare(3, 2, false, 89.9f);
    EXPECT_EQ(bare.size(), QSize(5 * 13 + 6, 23));

    std::vector<int> before;
    for (TLedDigit* digit : led.digits()) {
        before.push_back(digit->changes());
    }
    led.SetValue(89.7f);  // only the first decimal changes
    for (size_t i = 0; i < led.digits().size(); ++i) {
        EXPECT_EQ(led.digits()[i]->changes() - before[i], i == 4 ? 1 : 0) << i;
    }
    EXPECT_EQ(led.images(), (std::vector<int>{B, D(8), D(9), P, D(7), D(0)}));

    QSignalSpy clicks(&led, &TLedFloat::clicked);
    QTest::mouseClick(led.digits()[2], Qt::LeftButton);
    QTest::mouseClick(&led, Qt::RightButton);
    QTest::mouseClick(&led, Qt::LeftButton, {}, QPoint(1, 1));
    EXPECT_EQ(clicks.count(), 2) << "a left press on a digit or the frame";
}

}  // namespace
