#include "app/tray_icon.h"

#include <QMenu>
#include <QWidget>
#include <utility>

#include "app/command_ids.h"
#include "app/state_icons.h"
#include "app/tray_host_watcher.h"
#include "platform/post_message.h"
#include "platform/window_messages.h"

namespace {

// Qt decides once, when it first makes or asks about a tray icon, whether
// the icon goes to a status notifier host; a host that comes later would
// never get it. So Qt is asked only once a host is there.
bool DesktopTrayAvailable() {
    return TrayHostPresent() && QSystemTrayIcon::isSystemTrayAvailable();
}

TrayAvailability& Availability() {
    static TrayAvailability check = DesktopTrayAvailable;
    return check;
}

constexpr int kMaxTipLength = 64;

}  // namespace

TrayAvailability SetTrayAvailability(TrayAvailability check) {
    TrayAvailability previous = std::move(Availability());
    Availability() = check ? std::move(check) : TrayAvailability(DesktopTrayAvailable);
    return previous;
}

bool TrayAvailable() {
    return Availability()();
}

TrayClickRule::Action TrayClickRule::OnActivated(QSystemTrayIcon::ActivationReason reason) {
    switch (reason) {
        case QSystemTrayIcon::Trigger: {
            const bool endsDoubleClick = lastWasDoubleClick_;
            lastWasDoubleClick_ = false;
            return endsDoubleClick ? Action::None : Action::Restore;
        }
        case QSystemTrayIcon::DoubleClick:
            lastWasDoubleClick_ = true;
            return Action::FirstCommand;
        default:
            lastWasDoubleClick_ = false;
            return Action::None;
    }
}

TTrayIcon::TTrayIcon(QWidget* owner, std::function<bool()> muted)
    : QObject(owner),
      owner_(owner),
      muted_(std::move(muted)),
      menu_(std::make_unique<QMenu>("&Tray")) {
    auto add = [this](unsigned id, const QString& text) {
        QAction* action = menu_->addAction(text);
        action->setData(id);
        connect(action, &QAction::triggered, this,
                [this, id] { PostMessage(owner_, WM_COMMAND, id); });
        return action;
    };
    menu_->setDefaultAction(add(cmd::kTrayRestore, "&Restore window"));
    mute_ = add(cmd::kTrayMute, "M&ute");
    add(cmd::kTrayAbout, "&About...");
    add(cmd::kTrayExit, "E&xit");
    connect(menu_.get(), &QMenu::aboutToShow, this, &TTrayIcon::UpdateMenu);
}

TTrayIcon::~TTrayIcon() {
    if (icon_ != nullptr) {
        icon_->hide();
    }
}

void TTrayIcon::UpdateMenu() {
    const bool muted = muted_ && muted_();
    mute_->setText(muted ? "&Unmute" : "M&ute");
}

bool TTrayIcon::SetIcon(int id) {
    if (added_ && id == iconId_) {
        return true;  // shown already: nothing goes to the tray
    }
    iconId_ = id;
    if (icon_ != nullptr) {
        icon_->setIcon(StateIcon(id));
        icon_->setToolTip(StateIconTip(id).left(kMaxTipLength));
    }
    if (added_) {
        return true;
    }
    if (!AddIcon()) {
        if (icon_ != nullptr) {
            icon_->hide();
        }
        if (!AddIcon()) {
            return false;
        }
    }
    added_ = true;
    return true;
}

bool TTrayIcon::Refresh() {
    const bool was = added_;
    if (added_ && !TrayAvailable()) {
        icon_->hide();
        added_ = false;
    } else if (!added_ && iconId_ != 0) {
        SetIcon(iconId_);
    }
    return added_ != was;
}

bool TTrayIcon::AddIcon() {
    if (!TrayAvailable()) {
        return false;
    }
    if (icon_ == nullptr) {  // made only now: see DesktopTrayAvailable
        icon_ = new QSystemTrayIcon(StateIcon(iconId_), this);
        icon_->setToolTip(StateIconTip(iconId_).left(kMaxTipLength));
        icon_->setContextMenu(menu_.get());
        connect(icon_, &QSystemTrayIcon::activated, this, &TTrayIcon::OnActivated);
    }
    icon_->show();
    return icon_->isVisible();
}

void TTrayIcon::OnActivated(QSystemTrayIcon::ActivationReason reason) {
    switch (clicks_.OnActivated(reason)) {
        case TrayClickRule::Action::Restore:
            PostMessage(owner_, WM_TRAY_RESTORE);
            break;
        case TrayClickRule::Action::FirstCommand:
            PostMessage(owner_, WM_COMMAND, cmd::kTrayRestore);
            break;
        case TrayClickRule::Action::None:
            break;
    }
}
