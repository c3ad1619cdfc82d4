#include "sched/event_fields.h"

#include <QStringList>
#include <cmath>

#include "prefs/frequency_band.h"
#include "prefs/settings_values.h"
#include "sched/scheduled_event.h"

EventTime ParseEventTime(const QString& text) {
    int numbers[3] = {0, 0, 0};
    int field = 0;
    int digits = 0;
    // A field holds at most two digits; the length bound keeps repeated "p"
    // from overflowing the hour.
    for (const QChar c : text.left(kMaxEventFieldLength)) {
        if (c.isDigit() && c.unicode() < 128) {
            if (++digits == 3) {
                ++field;
                digits = 1;
            }
            if (field < 3) {
                numbers[field] = numbers[field] * 10 + (c.unicode() - '0');
            }
        } else if (c == QLatin1Char(':')) {
            ++field;
            digits = 0;
        } else if (c == QLatin1Char('a') || c == QLatin1Char('A')) {
            if (numbers[0] == 12) {
                numbers[0] = 0;
            }
        } else if (c == QLatin1Char('p') || c == QLatin1Char('P')) {
            if (numbers[0] != 12) {
                numbers[0] += 12;
            }
        }
    }
    return {numbers[0] % 24, numbers[1] % 60};
}

QString FormatEventTime(int hour, int minute) {
    return QString::asprintf("%d:%2.2d", hour, minute);
}

bool IsEventNameCharAllowed(QChar c) {
    return !QStringLiteral("_./:*?\\").contains(c);
}

QString WithoutRefusedNameChars(const QString& name) {
    QString kept;
    kept.reserve(name.size());
    for (const QChar c : name) {
        if (IsEventNameCharAllowed(c)) {
            kept += c;
        }
    }
    return kept;
}

bool IsEventTimeCharAllowed(QChar c) {
    return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) ||
           QStringLiteral(":apmAPM ").contains(c);
}

bool IsEventNameBlank(const QString& name) {
    for (const QChar c : name) {
        if (c != QLatin1Char(' ')) {
            return false;
        }
    }
    return true;
}

float ParseStationFrequency(const QString& text) {
    return band::ReadTyped(text).Mhz().value_or(0.0f);
}

bool IsStationInBand(const QString& text) {
    return band::InAcceptedBand(band::ReadTyped(text));
}

bool HasOuterBlanks(const QString& name) {
    return !name.isEmpty() && (name.front().isSpace() || name.back().isSpace());
}

std::optional<int> ParseKeepText(const QString& text) {
    if (text.trimmed().compare(QLatin1String("all"), Qt::CaseInsensitive) == 0) {
        return -1;
    }
    return settings_values::ParseInt(text);
}

QString KeepText(int keep) {
    return keep < 0 ? QStringLiteral("All") : QString::number(keep);
}

std::optional<int> ParseEventAction(const QString& text) {
    for (const int action : {kActionRadioOn, kActionNone, kActionRecord, kActionRecordOn}) {
        if (text.compare(EventActionText(action), Qt::CaseInsensitive) == 0) {
            return action;
        }
    }
    return std::nullopt;
}

StationChoices MakeStationChoices(const PresetStations& presets, float eventFrequency) {
    StationChoices choices;
    for (const PresetStation& preset : presets) {
        const float p = preset.frequency;
        if (p < band::kProgrammed) {
            continue;
        }
        const bool am = band::IsAm(p, band::Context::kPreset);
        choices.entries.append(band::Text(p, band::Context::kPreset) + ' ' + preset.name);
        const float tolerance = am ? 0.0009f : 0.09f;
        if (std::fabs(eventFrequency - p) <= tolerance) {
            choices.selected = static_cast<int>(choices.entries.size()) - 1;
        }
    }
    if (choices.selected < 0 && eventFrequency > band::kProgrammed) {
        choices.entries.append(band::Text(eventFrequency, band::Context::kPreset));
        choices.selected = static_cast<int>(choices.entries.size()) - 1;
    }
    return choices;
}
