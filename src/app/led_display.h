#pragma once

#include <QByteArray>
#include <QWidget>
#include <vector>

// The frequency read-out: seven-segment digit images in a row of small
// digit windows, sunk into the panel.

// Image ids: 910 + k shows the digit k, 920 the decimal point, 921 nothing.
constexpr int kLedDigitZero = 910;
constexpr int kLedPoint = 920;
constexpr int kLedBlank = 921;

// Logical size of the images.
constexpr int kLedDigitWidth = 13;
constexpr int kLedPointWidth = 6;
constexpr int kLedHeight = 23;

// The images that show a value with that many integer digits and decimals,
// left to right: the integer digits, the point, the decimals. Characters
// beyond the integer places are not shown; places left of the text are blank.
std::vector<int> LedImagesFor(float value, int integers, int decimals);

// The SVG picture of an image id; the blank image for an unknown id.
QByteArray LedImageSvg(int imageId);

// One digit window; paints its image scaled to the screen's pixel ratio.
class TLedDigit : public QWidget {
    Q_OBJECT
  public:
    TLedDigit(int imageId, QWidget* parent);

    // Repaints only when the image changes.
    void SetImage(int imageId);
    int image() const { return image_; }
    // How often the image changed since construction.
    int changes() const { return changes_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    int image_;
    int changes_ = 0;
};

// The read-out: n integer digits (at most 10) and d decimals, with an
// optional sunken frame that adds a pixel on each side. A press of the left
// mouse button on it emits clicked().
class TLedFloat : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kMaxIntegers = 10;

    TLedFloat(int integers, int decimals, bool frame, float value, QWidget* parent = nullptr);

    void SetValue(float value);
    float value() const { return value_; }
    // The images shown, left to right.
    std::vector<int> images() const;
    const std::vector<TLedDigit*>& digits() const { return digits_; }

  signals:
    void clicked();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

  private:
    int integers_;
    int decimals_;
    bool frame_;
    float value_ = 0.0f;
    std::vector<TLedDigit*> digits_;  // left to right
};
