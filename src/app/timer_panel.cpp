#include "app/timer_panel.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

#include "app/app.h"
#include "app/radio_panel.h"
#include "platform/clock.h"
#include "sched/sched_dialog.h"

namespace {

// A help page beside the program, else in the installed share folder;
// nothing happens when there is none.
void OpenHelpPage(const QString& topic) {
    const QString programDir = QCoreApplication::applicationDirPath();
    for (const QString& dir : {programDir + "/help", programDir + "/../share/plumora/help"}) {
        const QFileInfo page(dir + "/" + topic);
        if (page.exists()) {
            QDesktopServices::openUrl(QUrl::fromLocalFile(page.absoluteFilePath()));
            return;
        }
    }
}

}  // namespace

QWidget* MakeTimerPanel(App& app, const TAppDialog& radio, QWidget* parent) {
    TSchedDialog::Services services;
    services.presets = [&app] {
        PresetStations stations;
        const PresetTable& presets = app.settings().presets;
        for (int i = 0; i < PresetTable::kPresetCount; ++i) {
            stations.push_back({presets.GetFrequency(i), presets.GetName(i)});
        }
        return stations;
    };
    services.currentFrequency = [&radio] { return radio.frequency(); };
    services.saveSettings = [&app] { app.SaveSettings(); };
    services.openHelp = OpenHelpPage;
    return new TSchedDialog(app.settings().events, Clock::System(), std::move(services), parent);
}
