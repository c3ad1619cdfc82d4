#include "app/archive_panel_wiring.h"

#include "app/app.h"
#include "app/recent_recordings.h"
#include "app/settings_records.h"
#include "archive/arch_dialog.h"

TArchDialog* MakeArchivePanel(App& app, QWidget* parent) {
    SettingsRecords& settings = app.settings();
    auto* archive = new TArchDialog(settings.files, settings.sound, parent);
    archive->SetEventLookup([&settings](const QString& name) -> std::optional<ArchiveEventTimes> {
        const int index = settings.events.Find(name);
        if (index < 0) {
            return std::nullopt;
        }
        const ScheduledEvent& event = settings.events.at(index);
        return ArchiveEventTimes{event.startHour, event.startMinute, event.days};
    });
    archive->SetOpenedHook([&app](const QString& path) { app.recentRecordings().Add(path); });
    return archive;
}
