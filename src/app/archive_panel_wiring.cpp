#include "app/archive_panel_wiring.h"

#include "app/app.h"
#include "app/recent_recordings.h"
#include "app/record_control.h"
#include "app/settings_records.h"
#include "archive/arch_dialog.h"
#include "audio/srecord.h"

#include <QFileInfo>

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

void ConnectArchiveToRecordings(TArchDialog& archive, RecordControl& records) {
    QObject::connect(&records, &RecordControl::recordingEnded, &archive,
                     [&archive] { archive.RefreshArchive(); });
    QObject::connect(&records, &RecordControl::recordingFailed, &archive,
                     [&archive] { archive.RefreshArchive(); });
    QObject::connect(&records, &RecordControl::recordingLimited, &archive,
                     [&archive] { archive.RefreshArchive(); });
    archive.SetRecordingCheck([&records](const QString& path) {
        SRecord* recorder = records.recorder();
        if (recorder == nullptr || !records.recording()) {
            return false;
        }
        return QFileInfo(QString::fromStdString(recorder->GetFileName())) == QFileInfo(path);
    });
}
