#pragma once

#include <QString>

#include "platform/clock.h"
#include "platform/window_automation.h"

// Helpers of the drivers that remote-control a radio maker's program.

// Calls find up to `tries` times, sleeping intervalMs after every miss, and
// returns the first window it gives; 0 when it never gave one.
template <typename Find>
WindowHandle PollForWindow(Clock& clock, int tries, int intervalMs, Find find) {
    for (int attempt = 0; attempt < tries; ++attempt) {
        if (const WindowHandle window = find()) {
            return window;
        }
        clock.SleepMs(intervalMs);
    }
    return 0;
}

// Waits in steps of intervalMs, at most `tries` of them, until the window is
// gone. True when it went.
bool WaitUntilGone(WindowAutomation& automation, Clock& clock, WindowHandle window, int tries,
                   int intervalMs);

// The folder of this program's executable, where the user may copy a radio
// maker's program.
QString ProgramFolder();

// The path with its first character, the drive letter, replaced.
QString WithDrive(const QString& path, QChar drive);
