#include "prefs/set_app_page.h"

#include <QCheckBox>
#include <QVBoxLayout>

#include "platform/desktop_identity.h"
#include "prefs/shortcut.h"

void StoreGeneralChoice(const GeneralPageChoice& choice, GeneralSettings& settings,
                        const std::function<void(bool onTop)>& onTopChanged) {
    const bool onTopBefore = settings.onTop;
    settings = choice.general;
    if (settings.onTop != onTopBefore && onTopChanged) {
        onTopChanged(settings.onTop);
    }
    const CShortcut shortcut;
    const bool exists = shortcut.Exists(kLauncherName, CShortcut::QuickLaunchFolder);
    if (choice.launcher && !exists) {
        // The launcher looks like the installed desktop entry.
        shortcut.Create(CShortcut::kThisProgram, kLauncherName, CShortcut::QuickLaunchFolder,
                        QString(), desktop::kIconName);
    } else if (!choice.launcher && exists) {
        shortcut.Delete(kLauncherName, CShortcut::QuickLaunchFolder);
    }
}

TSetApp::TSetApp(GeneralSettings& settings, std::function<void(bool onTop)> onTopChanged,
                 QWidget* parent)
    : TPropertyPage(parent), settings_(settings), onTopChanged_(std::move(onTopChanged)) {
    setObjectName("General");
    auto add = [this](const char* text, const char* name, bool checked) {
        auto* box = new QCheckBox(text, this);
        box->setObjectName(name);
        box->setChecked(checked);
        return box;
    };
    alwaysStart_ = add("&Launch program at system boot", "alwaysStart", settings_.alwaysStart);
    minimizeOnStart_ =
        add("&Minimize at boot-launch", "minimizeOnStart", settings_.minimizeOnStart);
    trayIcon_ = add("Taskbar &tray icon", "trayIcon", settings_.trayIcon);
    showMenu_ = add("&Show menu", "showMenu", settings_.showMenu);
    onTop_ = add("&Always on top", "onTop", settings_.onTop);
    launcher_ = add("&QuickLaunch icon", "launcher",
                    CShortcut().Exists(kLauncherName, CShortcut::QuickLaunchFolder));
    launcher_->setToolTip("A launcher in the desktop's application menu");

    auto* layout = new QVBoxLayout(this);
    for (QCheckBox* box :
         {alwaysStart_, minimizeOnStart_, trayIcon_, showMenu_, onTop_, launcher_}) {
        layout->addWidget(box);
    }
    layout->addStretch();
}

GeneralPageChoice TSetApp::choice() const {
    GeneralPageChoice c;
    c.general.alwaysStart = alwaysStart_->isChecked();
    c.general.minimizeOnStart = minimizeOnStart_->isChecked();
    c.general.trayIcon = trayIcon_->isChecked();
    c.general.showMenu = showMenu_->isChecked();
    c.general.onTop = onTop_->isChecked();
    c.launcher = launcher_->isChecked();
    return c;
}

void TSetApp::Apply() {
    StoreGeneralChoice(choice(), settings_, onTopChanged_);
}
