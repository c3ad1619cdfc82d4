#pragma once

#include <QCheckBox>

// The check box of a format page that makes its format the default
// recording format. The three format pages share one value under edit: a
// page's box shows it whenever the page becomes visible, and a click writes
// it (checkedValue when checked, uncheckedValue when not).
class DefaultFormatBox : public QCheckBox {
    Q_OBJECT
  public:
    DefaultFormatBox(const QString& text, int& sharedValue, int checkedValue, int uncheckedValue,
                     QWidget* parent = nullptr);

    // Shows the shared value.
    void Refresh();

  private:
    int& shared_;
    int checkedValue_;
    int uncheckedValue_;
};
