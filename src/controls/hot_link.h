#pragma once

#include <QPushButton>
#include <QRect>
#include <functional>

class QFontMetrics;

// Where a hyperlink's parts go inside its control.
struct HotLinkGeometry {
    QPoint textOrigin;  // left end of the baseline
    int textWidth = 0;
    QLine underline;  // one pixel along the baseline, as wide as the text
    QRect focusRect;
};

// The text is centred on the control's middle, its baseline at the vertical
// middle plus half the height of the letter "L"; the focus rectangle leaves
// two pixels around the text.
HotLinkGeometry ComputeHotLinkGeometry(const QSize& control, const QFontMetrics& metrics,
                                       const QString& text);

// A push button drawn as underlined link text. A click opens the web address,
// or for "winhelp://<n>" the help topic n (0 does nothing).
class THotLink : public QPushButton {
    Q_OBJECT
  public:
    static constexpr QRgb kLinkColour = 0x0000c0;

    THotLink(QWidget* parent, int id, const QString& text);

    const QString& link() const { return link_; }
    // Opens help topics for "winhelp://" links; without one they do nothing.
    void SetHelpTopicHandler(std::function<void(int topic)> handler) {
        helpTopic_ = std::move(handler);
    }

    // What a click does; true when something took the link.
    bool OpenLink();

    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QString link_;
    std::function<void(int)> helpTopic_;
};
