#include "app/status_line.h"

#include <QPaintEvent>
#include <QPainter>

namespace {

// Room between the frame and the text, in pixels.
constexpr int kTextMargin = 3;

}  // namespace

StatusLine::StatusLine(QWidget* parent) : QFrame(parent) {
    setFrameShape(QFrame::StyledPanel);
    setFrameShadow(QFrame::Sunken);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void StatusLine::SetText(const QString& text) {
    if (text == text_) {
        return;
    }
    text_ = text;
    setAccessibleName(text_);
    update(contentsRect());
}

QSize StatusLine::sizeHint() const {
    const int frame = 2 * frameWidth();
    return {120 + frame, fontMetrics().height() + 2 + frame};
}

QSize StatusLine::minimumSizeHint() const {
    return sizeHint();
}

void StatusLine::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.fillRect(event->rect(), palette().brush(QPalette::Window));
    drawFrame(&painter);
    const QRect area = contentsRect().adjusted(kTextMargin, 0, -kTextMargin, 0);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(area, Qt::AlignLeft | Qt::AlignVCenter,
                     fontMetrics().elidedText(text_, Qt::ElideRight, area.width()));
}
