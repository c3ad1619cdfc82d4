#pragma once

#include <ctime>

#include "sched/scheduled_event.h"

// The event a "New" proposes: no name, the given frequency, today only,
// from the start of this hour to the start of the next, all recordings
// kept, record and listen.
ScheduledEvent DefaultEvent(float frequency, const std::tm& now);
