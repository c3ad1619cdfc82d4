#include "audio/smeter.h"

SMeter::SMeter(QWidget* parent)
    : QWidget(parent), mono_(new FGauge(this)), left_(new FGauge(this)), right_(new FGauge(this)) {
    left_->hide();
    right_->hide();
    Place();
}

void SMeter::SetRange(int low, int high) {
    for (FGauge* gauge : {mono_, left_, right_}) {
        gauge->SetRange(low, high);
    }
}

void SMeter::SetLed(int spacing, int thickness) {
    for (FGauge* gauge : {mono_, left_, right_}) {
        gauge->SetLed(spacing, thickness);
    }
}

void SMeter::SetValue(int percent) {
    SetStereo(false);
    mono_->SetValue(percent);
}

void SMeter::SetValues(int left, int right) {
    SetStereo(true);
    left_->SetValue(left);
    right_->SetValue(right);
}

void SMeter::SetStereo(bool stereo) {
    if (stereo == stereo_) {
        return;
    }
    stereo_ = stereo;
    mono_->setVisible(!stereo);
    left_->setVisible(stereo);
    right_->setVisible(stereo);
    update();
}

void SMeter::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Place();
}

void SMeter::Place() {
    const QRect area = rect();
    const int half = area.height() / 2;
    mono_->setGeometry(area);
    left_->setGeometry(area.left(), area.top(), area.width(), half);
    right_->setGeometry(area.left(), area.top() + half, area.width(), area.height() - half);
}
