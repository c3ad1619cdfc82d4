#pragma once

#include <QWidget>

#include "audio/fgauge.h"

// The level meter: one full-height bar for mono audio, or two half-height
// bars, left on top and right below, for stereo.
class SMeter : public QWidget {
    Q_OBJECT
  public:
    explicit SMeter(QWidget* parent = nullptr);

    // Apply to all three bars.
    void SetRange(int low, int high);
    void SetLed(int spacing, int thickness);
    // Mono mode: the single bar shows the value.
    void SetValue(int percent);
    // Stereo mode: top = left, bottom = right.
    void SetValues(int left, int right);
    void Show(bool show) { setVisible(show); }

    bool IsStereo() const { return stereo_; }
    FGauge& Mono() { return *mono_; }
    FGauge& Left() { return *left_; }
    FGauge& Right() { return *right_; }

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    void SetStereo(bool stereo);
    void Place();

    FGauge* mono_;
    FGauge* left_;
    FGauge* right_;
    bool stereo_ = false;
};
