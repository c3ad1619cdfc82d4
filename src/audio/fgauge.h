#pragma once

#include <QWidget>

// An LED-style bar gauge in a sunken frame. The bar runs from left to right;
// the range is cut into LEDs of `spacing` units each, of which `thickness`
// per cent is lit, and every LED below the value lights.
class FGauge : public QWidget {
    Q_OBJECT
  public:
    enum Edge { kTop = 1, kLeft = 2, kBottom = 4, kRight = 8, kAllEdges = 15 };

    explicit FGauge(QWidget* parent = nullptr);

    void SetRange(int low, int high);
    // spacing in units of the range (at least 1), thickness in per cent
    // (1..100).
    void SetLed(int spacing, int thickness);
    // Repaints only the LEDs that go on or off.
    void SetValue(int value);
    // The sides that get the highlight (top, left) or shadow (bottom,
    // right) edge, and the count of one-pixel rectangles inside it.
    void SetFrame(int edges, int frameWidth);

    int low() const { return low_; }
    int high() const { return high_; }
    int value() const { return value_; }
    int spacing() const { return spacing_; }
    int thickness() const { return thickness_; }
    int LedCount() const;
    int LitLedCount() const;

    // The colours of a lit LED at that position of the range, and of an
    // LED that is off.
    static QColor LitColor(double fraction);
    static QColor OffColor();

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    int EdgeWidth() const;
    // The black field the LEDs sit in, inside the edge and the frame.
    QRect LedArea() const;
    // The part of the field that LEDs first to end - 1 take.
    QRect LedSpan(int first, int end) const;

    int low_ = 0;
    int high_ = 100;
    int value_ = 0;
    int spacing_ = 5;
    int thickness_ = 80;
    int edges_ = kAllEdges;
    int frameWidth_ = 1;
};
