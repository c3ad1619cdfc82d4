#include "archive/position_slider.h"

#include <QKeyEvent>

#include "archive/playback_position.h"

namespace {

bool IsArrow(int key) {
    return key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_Up || key == Qt::Key_Down;
}

}  // namespace

PositionSlider::PositionSlider(QWidget* parent) : QSlider(Qt::Horizontal, parent) {
    setRange(0, kSliderRange);
    setPageStep(kSliderRange / 10);
    setFocusPolicy(Qt::StrongFocus);
}

bool PositionSlider::event(QEvent* event) {
    // The arrows belong to the slider while it has the focus, even where the
    // window uses them as shortcuts.
    if (event->type() == QEvent::ShortcutOverride &&
        IsArrow(static_cast<QKeyEvent*>(event)->key())) {
        event->accept();
        return true;
    }
    return QSlider::event(event);
}

void PositionSlider::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    if (!IsArrow(key)) {
        QSlider::keyPressEvent(event);
        return;
    }
    emit lineStep(key == Qt::Key_Right || key == Qt::Key_Up, event->modifiers());
    event->accept();
}
