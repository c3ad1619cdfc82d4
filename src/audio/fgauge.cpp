#include "audio/fgauge.h"

#include <QPainter>
#include <QStyle>
#include <algorithm>

FGauge::FGauge(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(20, 4);
}

void FGauge::SetRange(int low, int high) {
    low_ = low;
    high_ = std::max(high, low + 1);
    update();
}

void FGauge::SetLed(int spacing, int thickness) {
    spacing_ = std::max(spacing, 1);
    thickness_ = std::clamp(thickness, 1, 100);
    update();
}

void FGauge::SetValue(int value) {
    if (value == value_) {
        return;
    }
    const int before = LitLedCount();
    value_ = value;
    const int after = LitLedCount();
    if (after != before) {
        update(LedSpan(std::min(before, after), std::max(before, after)));
    }
}

void FGauge::SetFrame(int edges, int frameWidth) {
    edges_ = edges & kAllEdges;
    frameWidth_ = std::max(frameWidth, 0);
    update();
}

int FGauge::LedCount() const {
    return (high_ - low_ + spacing_ - 1) / spacing_;
}

int FGauge::LitLedCount() const {
    if (value_ <= low_) {
        return 0;
    }
    return std::min(LedCount(), (value_ - low_ + spacing_ - 1) / spacing_);
}

QColor FGauge::LitColor(double fraction) {
    if (fraction >= 0.9) {
        return QColor(230, 40, 30);
    }
    if (fraction >= 0.7) {
        return QColor(240, 210, 40);
    }
    return QColor(40, 220, 60);
}

QColor FGauge::OffColor() {
    return QColor(20, 60, 25);
}

int FGauge::EdgeWidth() const {
    return std::max(1, style()->pixelMetric(QStyle::PM_DefaultFrameWidth) / 2);
}

QRect FGauge::LedArea() const {
    QRect area = rect();
    const int border = EdgeWidth();
    area.adjust(edges_ & kLeft ? border : 0, edges_ & kTop ? border : 0,
                edges_ & kRight ? -border : 0, edges_ & kBottom ? -border : 0);
    for (int i = 0; i < frameWidth_ && area.width() > 2 && area.height() > 2; ++i) {
        area.adjust(1, 1, -1, -1);
    }
    return area;
}

QRect FGauge::LedSpan(int first, int end) const {
    const QRect area = LedArea();
    const int leds = LedCount();
    if (leds <= 0 || area.width() <= 0) {
        return {};
    }
    const int x0 = area.left() + area.width() * first / leds;
    const int x1 = area.left() + area.width() * end / leds;
    return {x0, area.top(), x1 - x0, area.height()};
}

void FGauge::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QRect area = rect();
    const int border = EdgeWidth();
    const QPalette& colors = palette();
    painter.fillRect(area, colors.color(QPalette::Window));

    // The edge: highlight on the top and left, shadow on the bottom and
    // right, each only where asked for.
    for (int i = 0; i < border; ++i) {
        if (edges_ & kTop) {
            painter.fillRect(area.left(), area.top(), area.width(), 1,
                             colors.color(QPalette::Light));
        }
        if (edges_ & kLeft) {
            painter.fillRect(area.left(), area.top(), 1, area.height(),
                             colors.color(QPalette::Light));
        }
        if (edges_ & kBottom) {
            painter.fillRect(area.left(), area.bottom(), area.width(), 1,
                             colors.color(QPalette::Dark));
        }
        if (edges_ & kRight) {
            painter.fillRect(area.right(), area.top(), 1, area.height(),
                             colors.color(QPalette::Dark));
        }
        area.adjust(edges_ & kLeft ? 1 : 0, edges_ & kTop ? 1 : 0, edges_ & kRight ? -1 : 0,
                    edges_ & kBottom ? -1 : 0);
    }
    painter.setPen(colors.color(QPalette::Shadow));
    for (int i = 0; i < frameWidth_ && area.width() > 2 && area.height() > 2; ++i) {
        painter.drawRect(area.adjusted(0, 0, -1, -1));
        area.adjust(1, 1, -1, -1);
    }
    painter.fillRect(area, Qt::black);

    const int leds = LedCount();
    const int lit = LitLedCount();
    if (leds <= 0 || area.width() <= 0) {
        return;
    }
    for (int i = 0; i < leds; ++i) {
        const int x0 = area.left() + area.width() * i / leds;
        const int x1 = area.left() + area.width() * (i + 1) / leds;
        const int width = std::max(1, (x1 - x0) * thickness_ / 100);
        const QColor color = i < lit ? LitColor(static_cast<double>(i) / leds) : OffColor();
        painter.fillRect(x0, area.top(), width, area.height(), color);
    }
}
