#pragma once

#include <QTabWidget>
#include <vector>

// The frame's client: the panels on tabs. It relays the radio reset and the
// remote command to every panel and tells a panel when it becomes visible.
class TWin95TabWindow : public QTabWidget {
    Q_OBJECT
  public:
    explicit TWin95TabWindow(QWidget* parent = nullptr);

    void AddPanel(QWidget* panel, const QString& title);
    const std::vector<QWidget*>& panels() const { return panels_; }

    // Resizes the frame around the largest panel.
    void FitToPanels();

  protected:
    bool event(QEvent* event) override;

  private:
    std::vector<QWidget*> panels_;
};
