#pragma once

#include <QObject>
#include <QPointer>
#include <optional>

class QKeyEvent;
class QWidget;

// The frame's keyboard accelerators. They are looked at before any control
// of the frame sees a key, whether or not the menu bar is shown, and post
// WM_COMMAND with their command id to the command target. Keys in other
// windows (dialogs, open menus) are left alone.
class TAccelerators : public QObject {
    Q_OBJECT
  public:
    TAccelerators(QWidget* window, QObject* commandTarget);
    ~TAccelerators() override;

    // The command of a key with its modifiers; nothing for other keys.
    static std::optional<unsigned> CommandFor(int key, Qt::KeyboardModifiers modifiers);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    bool InWindow(QObject* watched) const;

    QPointer<QWidget> window_;
    QPointer<QObject> target_;
};
