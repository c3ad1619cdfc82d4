#pragma once

#include <QObject>
#include <QSystemTrayIcon>
#include <functional>
#include <memory>
#include <optional>

class QAction;
class QMenu;
class QWidget;

// Whether the desktop shows tray icons. Replaceable (tests); an empty check
// restores the desktop's answer.
using TrayAvailability = std::function<bool()>;
TrayAvailability SetTrayAvailability(TrayAvailability check);
bool TrayAvailable();

// What a click on the tray icon asks for: a single left click restores the
// window, unless it ends a double click, which chooses the tray menu's first
// command.
class TrayClickRule {
  public:
    enum class Action { None, Restore, FirstCommand };
    Action OnActivated(QSystemTrayIcon::ActivationReason reason);

  private:
    bool lastWasDoubleClick_ = false;
};

// The icon in the desktop's tray with its menu: "&Restore window", "M&ute",
// "&About...", "E&xit". Its commands and clicks are posted to the owner
// (the frame) as WM_COMMAND and WM_TRAY_RESTORE.
class TTrayIcon : public QObject {
    Q_OBJECT
  public:
    // muted tells the mute item what to read when the menu opens.
    TTrayIcon(QWidget* owner, std::function<bool()> muted);
    ~TTrayIcon() override;

    // Shows the state icon: adds the icon to the tray the first time and
    // changes it afterwards (the same icon again sends nothing). An icon
    // that does not appear is removed and
    // added once more; false when it is still not there.
    bool SetIcon(int id);
    int iconId() const { return iconId_; }
    // Whether the icon is in the desktop's tray now.
    bool shown() const { return added_; }
    // Follows the tray host: adds the icon when a tray has appeared, and
    // forgets it when the tray has gone. true when shown() changed.
    bool Refresh();

    QMenu* menu() const { return menu_.get(); }
    QAction* muteAction() const { return mute_; }
    // Brings the menu's texts up to date, as when it opens.
    void UpdateMenu();

    // A click, double click or menu request from the tray.
    void OnActivated(QSystemTrayIcon::ActivationReason reason);

  private:
    bool AddIcon();

    QWidget* owner_;
    std::function<bool()> muted_;
    std::unique_ptr<QMenu> menu_;
    QAction* mute_;
    QSystemTrayIcon* icon_ = nullptr;  // made when a tray is first there
    TrayClickRule clicks_;
    int iconId_ = 0;
    bool added_ = false;
};
