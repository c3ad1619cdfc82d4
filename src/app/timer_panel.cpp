#include "app/timer_panel.h"

#include "app/app.h"
#include "app/radio_panel.h"
#include "platform/clock.h"
#include "sched/sched_dialog.h"

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
    services.openHelp = [&app](const QString& topic) { app.help().Open(topic); };
    return new TSchedDialog(app.settings().events, Clock::System(), std::move(services), parent);
}
