#include "controls/hot_link.h"

#include <QFontMetrics>
#include <QPainter>

#include "controls/url_opener.h"

namespace {

const QString kHelpScheme = QStringLiteral("winhelp://");

}  // namespace

HotLinkGeometry ComputeHotLinkGeometry(const QSize& control, const QFontMetrics& metrics,
                                       const QString& text) {
    HotLinkGeometry g;
    const int w = metrics.horizontalAdvance(text);
    const int h = metrics.height();
    const int centre = control.width() / 2;
    const int baseline = control.height() / 2 + metrics.tightBoundingRect("L").height() / 2;
    g.textWidth = w;
    g.textOrigin = QPoint(centre - w / 2, baseline);
    g.underline = QLine(centre - w / 2, baseline, centre - w / 2 + w - 1, baseline);
    g.focusRect = QRect(QPoint(centre - w / 2 - 2, baseline - h - 2),
                        QPoint(centre + w / 2 + 2, baseline + 2));
    return g;
}

THotLink::THotLink(QWidget* parent, int id, const QString& text)
    : QPushButton(text, parent), link_(text) {
    setObjectName(QString::number(id));
    setFlat(true);
    setCursor(Qt::PointingHandCursor);
    setToolTip(text);
    connect(this, &QPushButton::clicked, this, [this] { OpenLink(); });
}

bool THotLink::OpenLink() {
    if (link_.startsWith(kHelpScheme, Qt::CaseInsensitive)) {
        const int topic = link_.mid(kHelpScheme.size()).toInt();
        if (topic == 0 || !helpTopic_) {
            return false;
        }
        helpTopic_(topic);
        return true;
    }
    return OpenUrl(link_);
}

QSize THotLink::sizeHint() const {
    const QFontMetrics metrics(font());
    return {metrics.horizontalAdvance(link_) + 12, metrics.height() + 10};
}

void THotLink::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QFontMetrics metrics(font());
    const HotLinkGeometry g = ComputeHotLinkGeometry(size(), metrics, link_);
    const QColor colour = QColor::fromRgb(kLinkColour);
    painter.setPen(colour);
    painter.setFont(font());
    painter.drawText(g.textOrigin, link_);
    painter.drawLine(g.underline);
    if (hasFocus()) {
        QPen dotted(palette().color(QPalette::WindowText), 1, Qt::DotLine);
        painter.setPen(dotted);
        painter.drawRect(g.focusRect.adjusted(0, 0, -1, -1));
    }
}
