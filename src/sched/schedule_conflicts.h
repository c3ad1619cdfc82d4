#pragma once

#include <QString>

class EventTable;

// Longest conflict report; a line that would make it longer is left out.
inline constexpr int kMaxConflictReportLength = 1999;

// One line per pair of overlapping events, for every event A and every
// event B before it in the table, naming A first: both named, both with an
// action, at least one common day, and their times of day overlapping
// (minutes of the day compared as they are, so an event that runs past
// midnight is seen only up to midnight). Empty when nothing overlaps.
QString ScheduleConflictReport(const EventTable& table);

// Shows the report in a message box captioned "Schedule conflict" when it
// is not empty; returns whether there was one. The events stay as they are.
bool CheckConflicts(const EventTable& table);
