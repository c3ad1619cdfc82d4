#pragma once

#include <QString>
#include <QStringList>

#include "sched/preset_stations.h"
#include "sched/scheduled_event.h"

// The texts of an event's row in the timer list, one per column.
enum EventColumn : int {
    kColumnProgram = 0,
    kColumnStation = 1,
    kColumnTime = 2,
    kColumnFiles = 3,
    kColumnAction = 4,
    kEventColumnCount = 5,
};

// The name, padded with blanks to at least 10 characters.
QString EventProgramText(const QString& name);
// "%.1f" MHz, or "%.1f AM" in units of 10 kHz between 0.5 and 2; then the
// name of the first FM preset of exactly this frequency, after a blank.
QString EventStationText(float frequency, const PresetStations& presets);
// "daily", "weekend", "weekday", or the abbreviations of the set days.
QString EventDaysText(int days);
// "h:mm-h:mm " and the days.
QString EventTimeText(const ScheduledEvent& event);
// "All" for a negative keep count, else the count.
QString EventFilesText(int keep);
// All five, in column order.
QStringList EventRowTexts(const ScheduledEvent& event, const PresetStations& presets);
