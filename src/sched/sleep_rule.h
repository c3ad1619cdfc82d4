#pragma once

class Clock;
class EventTable;

// Minutes before an event's start from which the computer is kept awake.
inline constexpr int kSleepBlockLeadMinutes = 2;

// Whether the computer must not go to sleep now: while a recording runs or
// is being started, and, while timers are enabled, from
// kSleepBlockLeadMinutes before the start of an event that can start (named,
// with an action, on that day) until its start minute has passed.
bool SleepBlockWanted(const EventTable& table, const Clock& clock, bool recording);
