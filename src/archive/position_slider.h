#pragma once

#include <QSlider>

// The archive's position slider, 0 to 1000. The arrow keys do not move the
// thumb themselves: they ask for a step forward or back with the modifiers
// held, and the owner decides how far that goes.
class PositionSlider : public QSlider {
    Q_OBJECT
  public:
    explicit PositionSlider(QWidget* parent = nullptr);

  signals:
    void lineStep(bool forward, Qt::KeyboardModifiers modifiers);

  protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};
