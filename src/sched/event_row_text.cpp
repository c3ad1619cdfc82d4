#include "sched/event_row_text.h"

#include <algorithm>

#include "prefs/frequency_band.h"

QString EventProgramText(const QString& name) {
    return name.leftJustified(10, QLatin1Char(' '));
}

QString EventStationText(float frequency, const PresetStations& presets) {
    QString text = frequency > band::kProgrammed
                       ? band::Text(frequency, band::Context::kPreset, 1)
                       : QString::number(static_cast<double>(frequency), 'f', 1);
    const int fmCount = std::min<int>(kFmPresetStations, static_cast<int>(presets.size()));
    for (int i = 0; i < fmCount; ++i) {
        // An empty preset (frequency 0) names no station.
        if (presets[i].frequency >= band::kProgrammed && presets[i].frequency == frequency) {
            text += QLatin1Char(' ') + presets[i].name;
            break;
        }
    }
    return text;
}

QString EventDaysText(int days) {
    switch (days) {
        case kEveryDay:
            return QStringLiteral("daily");
        case kWeekend:
            return QStringLiteral("weekend");
        case kWeekdays:
            return QStringLiteral("weekday");
        default:
            break;
    }
    static const char* const kAbbreviations[] = {"Su", "M", "Tu", "W", "Th", "F", "Sa"};
    QString text;
    for (int day = 0; day < 7; ++day) {
        if (days & (kDaySunday << day)) {
            text += QLatin1String(kAbbreviations[day]);
        }
    }
    return text;
}

QString EventTimeText(const ScheduledEvent& event) {
    return QString::asprintf("%d:%2.2d-%d:%2.2d ", event.startHour, event.startMinute,
                             event.endHour, event.endMinute) +
           EventDaysText(event.days);
}

QString EventFilesText(int keep) {
    return keep < 0 ? QStringLiteral("All") : QString::number(keep);
}

QStringList EventRowTexts(const ScheduledEvent& event, const PresetStations& presets) {
    return {EventProgramText(event.name), EventStationText(event.frequency, presets),
            EventTimeText(event), EventFilesText(event.keep), EventActionText(event.action)};
}
