#include "app/led_display.h"

#include <QMouseEvent>
#include <QPainter>
#include <QString>
#include <QSvgRenderer>
#include <algorithm>
#include <array>
#include <map>
#include <memory>

namespace {

// Segments a to g of a seven-segment digit in a 13 x 23 box.
const std::array<const char*, 7> kSegments = {
    "3,1.2 10,1.2 8.6,3.2 4.4,3.2",                            // a, top
    "10.6,1.8 11.8,3 11.6,10.6 10,9.6 10.2,3.6",               // b, upper right
    "11.5,12.4 11.3,20 10.2,21.2 9.6,19.4 9.9,13.4",           // c, lower right
    "2.8,21.8 10,21.8 8.8,19.8 4.2,19.8",                      // d, bottom
    "1.4,12.4 3,13.4 2.8,19.4 1.2,20.6 1.2,13",                // e, lower left
    "1.6,3 2.8,1.8 3.4,3.6 3.2,9.6 1.6,10.6",                  // f, upper left
    "2.2,11.5 3.6,10.5 9.4,10.5 10.8,11.5 9.4,12.5 3.6,12.5",  // g, middle
};

// Lit segments of the digits 0 to 9, bit 0 = a ... bit 6 = g.
constexpr std::array<unsigned, 10> kDigitSegments = {0x3F, 0x06, 0x5B, 0x4F, 0x66,
                                                     0x6D, 0x7D, 0x07, 0x7F, 0x6F};

constexpr const char* kBackground = "#14211a";
constexpr const char* kLit = "#8dff6a";
constexpr const char* kUnlit = "#22382a";
// The sunken frame: shadow above and left, light below and right.
const QColor kFrameShadow(0x05, 0x0a, 0x07);
const QColor kFrameLight(0x4a, 0x66, 0x55);

QByteArray DigitSvg(unsigned lit) {
    QByteArray svg =
        "<svg xmlns='http://www.w3.org/2000/svg' width='13' height='23' "
        "viewBox='0 0 13 23'>";
    svg += QByteArray("<rect width='13' height='23' fill='") + kBackground + "'/>";
    for (size_t i = 0; i < kSegments.size(); ++i) {
        const bool on = (lit >> i) & 1u;
        svg += QByteArray("<polygon points='") + kSegments[i] + "' fill='" + (on ? kLit : kUnlit) +
               "'/>";
    }
    svg += "</svg>";
    return svg;
}

QByteArray PointSvg() {
    QByteArray svg =
        "<svg xmlns='http://www.w3.org/2000/svg' width='6' height='23' "
        "viewBox='0 0 6 23'>";
    svg += QByteArray("<rect width='6' height='23' fill='") + kBackground + "'/>";
    svg += QByteArray("<rect x='1.6' y='19.6' width='2.4' height='2.2' rx='0.4' fill='") + kLit +
           "'/>";
    svg += "</svg>";
    return svg;
}

QSvgRenderer& RendererFor(int imageId) {
    static std::map<int, std::unique_ptr<QSvgRenderer>> renderers;
    auto& renderer = renderers[imageId];
    if (!renderer) {
        renderer = std::make_unique<QSvgRenderer>(LedImageSvg(imageId));
    }
    return *renderer;
}

int ImageOf(char c) {
    if (c >= '0' && c <= '9') {
        return kLedDigitZero + (c - '0');
    }
    return c == '.' ? kLedPoint : kLedBlank;
}

}  // namespace

std::vector<int> LedImagesFor(float value, int integers, int decimals) {
    integers = std::clamp(integers, 0, TLedFloat::kMaxIntegers);
    decimals = std::max(decimals, 0);
    const QByteArray text =
        QString::asprintf("%*.*f", integers, decimals, static_cast<double>(value)).toLatin1();
    std::vector<int> images(static_cast<size_t>(integers + 1 + decimals), kLedBlank);
    // From the end of the text: the decimals, the point, the integer digits.
    qsizetype pos = text.size() - 1;
    for (int k = 0; k < decimals; ++k, --pos) {
        images[static_cast<size_t>(integers + decimals - k)] =
            pos >= 0 ? ImageOf(text[pos]) : kLedBlank;
    }
    images[static_cast<size_t>(integers)] = kLedPoint;
    if (decimals > 0) {
        --pos;  // the point of the text
    }
    for (int k = 0; k < integers; ++k, --pos) {
        images[static_cast<size_t>(integers - 1 - k)] = pos >= 0 ? ImageOf(text[pos]) : kLedBlank;
    }
    return images;
}

QByteArray LedImageSvg(int imageId) {
    if (imageId >= kLedDigitZero && imageId <= kLedDigitZero + 9) {
        return DigitSvg(kDigitSegments[static_cast<size_t>(imageId - kLedDigitZero)]);
    }
    if (imageId == kLedPoint) {
        return PointSvg();
    }
    return DigitSvg(0);
}

TLedDigit::TLedDigit(int imageId, QWidget* parent) : QWidget(parent), image_(imageId) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFixedSize(imageId == kLedPoint ? kLedPointWidth : kLedDigitWidth, kLedHeight);
}

void TLedDigit::SetImage(int imageId) {
    if (imageId == image_) {
        return;
    }
    image_ = imageId;
    ++changes_;
    update();
}

void TLedDigit::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    RendererFor(image_).render(&painter, QRectF(rect()));
}

TLedFloat::TLedFloat(int integers, int decimals, bool frame, float value, QWidget* parent)
    : QWidget(parent),
      integers_(std::clamp(integers, 0, kMaxIntegers)),
      decimals_(std::max(decimals, 0)),
      frame_(frame) {
    const int border = frame_ ? 1 : 0;
    const std::vector<int> images = LedImagesFor(value, integers_, decimals_);
    int x = border;
    for (size_t i = 0; i < images.size(); ++i) {
        const bool point = static_cast<int>(i) == integers_;
        auto* digit = new TLedDigit(point ? kLedPoint : kLedBlank, this);
        digit->move(x, border);
        x += point ? kLedPointWidth : kLedDigitWidth;
        digits_.push_back(digit);
    }
    setFixedSize((integers_ + decimals_) * kLedDigitWidth + kLedPointWidth + 2 * border,
                 kLedHeight + 2 * border);
    setCursor(Qt::PointingHandCursor);
    SetValue(value);
}

void TLedFloat::SetValue(float value) {
    value_ = value;
    const std::vector<int> images = LedImagesFor(value, integers_, decimals_);
    for (size_t i = 0; i < images.size() && i < digits_.size(); ++i) {
        digits_[i]->SetImage(images[i]);
    }
}

std::vector<int> TLedFloat::images() const {
    std::vector<int> shown;
    for (const TLedDigit* digit : digits_) {
        shown.push_back(digit->image());
    }
    return shown;
}

void TLedFloat::paintEvent(QPaintEvent*) {
    if (!frame_) {
        return;
    }
    QPainter painter(this);
    const QRect r = rect();
    painter.setPen(kFrameShadow);
    painter.drawLine(r.topLeft(), r.topRight());
    painter.drawLine(r.topLeft(), r.bottomLeft());
    painter.setPen(kFrameLight);
    painter.drawLine(r.bottomLeft(), r.bottomRight());
    painter.drawLine(r.topRight(), r.bottomRight());
    painter.setPen(QColor(Qt::lightGray));
    painter.drawPoint(r.topRight());
    painter.drawPoint(r.bottomLeft());
}

void TLedFloat::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        emit clicked();
    }
    QWidget::mousePressEvent(event);
}
