#pragma once

#include <functional>

#include "prefs/general_settings.h"
#include "prefs/property_page.h"

class QCheckBox;

// Name of the program's desktop launcher.
inline constexpr const char* kLauncherName = "Plumora";

// What the General page shows when it is confirmed.
struct GeneralPageChoice {
    GeneralSettings general;
    bool launcher = false;  // "&QuickLaunch icon"
};

// Stores the boxes; calls onTopChanged at once when "Always on top" changed;
// makes the launcher when it is wanted and missing, deletes it when it is
// not wanted and exists.
void StoreGeneralChoice(const GeneralPageChoice& choice, GeneralSettings& settings,
                        const std::function<void(bool onTop)>& onTopChanged);

// "General": how the program starts and shows itself.
class TSetApp : public TPropertyPage {
    Q_OBJECT
  public:
    TSetApp(GeneralSettings& settings, std::function<void(bool onTop)> onTopChanged,
            QWidget* parent = nullptr);

    void Apply() override;
    GeneralPageChoice choice() const;

  private:
    GeneralSettings& settings_;
    std::function<void(bool)> onTopChanged_;
    QCheckBox* alwaysStart_;
    QCheckBox* minimizeOnStart_;
    QCheckBox* trayIcon_;
    QCheckBox* showMenu_;
    QCheckBox* onTop_;
    QCheckBox* launcher_;
};
