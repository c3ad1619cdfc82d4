#pragma once

#include <QString>
#include <QStringList>
#include <optional>

#include "sched/preset_stations.h"

// How the event editor reads and writes its fields.

inline constexpr int kMaxEventFieldLength = 255;

struct EventTime {
    int hour = 0;
    int minute = 0;
};

// Reads a time of day as typed: "7:30", "1930", "7:30pm", "12:15am",
// "12pm". Up to two digits make a field (hour, minute, second) and a third
// starts the next one; ":" moves on; "a" makes 12 o'clock 0, "p" adds 12 to
// any other hour; anything else is ignored. Hour and minute wrap at 24 and
// 60. An empty text is 0:00.
EventTime ParseEventTime(const QString& text);
// "h:mm".
QString FormatEventTime(int hour, int minute);

// Characters an event name may not hold, since the name becomes part of a
// file name: _ . / : * ? backslash.
bool IsEventNameCharAllowed(QChar c);
// The name without the characters the editor refuses, as if it had been
// typed there.
QString WithoutRefusedNameChars(const QString& name);
// Characters of the start and end time fields.
bool IsEventTimeCharAllowed(QChar c);

// Empty, or only blanks.
bool IsEventNameBlank(const QString& name);

// The number at the start of the station text; "AM" (any case) right after
// it means units of 10 kHz ("AM" in a station's name does not). 0 when the
// text holds no leading number.
float ParseStationFrequency(const QString& text);
// Whether the station text is a frequency of FM 87.0 to 108.0 or AM 50.0
// to 200.0 (x10kHz).
bool IsStationInBand(const QString& text);
// Whether the name starts or ends with a blank.
bool HasOuterBlanks(const QString& name);

// "all" (any case) keeps every recording (-1); otherwise the number at the
// start of the text. Empty when the text has no leading number.
std::optional<int> ParseKeepText(const QString& text);
QString KeepText(int keep);

// The action named by the text, case ignored; empty for any other text.
std::optional<int> ParseEventAction(const QString& text);

// The station list of the editor: every programmed preset, and the event's
// own frequency when no preset matches it.
struct StationChoices {
    QStringList entries;
    int selected = -1;
};
StationChoices MakeStationChoices(const PresetStations& presets, float eventFrequency);
