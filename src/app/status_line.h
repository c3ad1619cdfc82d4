#pragma once

#include <QFrame>
#include <QString>

// The status line along the bottom of the radio panel: one line of text in
// a sunken field. A new text repaints the field and nothing else: the line
// keeps its size whatever it holds (a text too long for it ends in an
// ellipsis), so the panel is not laid out again, and it paints every pixel
// of its own, so nothing behind it is repainted.
class StatusLine : public QFrame {
    Q_OBJECT
  public:
    explicit StatusLine(QWidget* parent = nullptr);

    // Repaints only when the text differs from the one held.
    void SetText(const QString& text);
    QString text() const { return text_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QString text_;
};
