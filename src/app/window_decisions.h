#pragma once

// The frame's two decisions about showing and ending, as plain rules: what a
// close request does, and how a minimized start places the window.

// Where a close request comes from.
enum class CloseReason {
    Window,      // the window's close box (or Alt+F4)
    Exit,        // Exit in the File menu or the tray menu
    Power,       // the radio's Pwr key
    Terminate,   // SIGTERM, SIGINT or SIGHUP
    SessionEnd,  // the desktop session ends (logout, shut-down)
};

// What the exit mute rule does when the program ends.
enum class ExitMute { None, Mute, Ask };

struct CloseInputs {
    CloseReason reason = CloseReason::Window;
    bool trayShown = false;     // a tray icon is in the desktop's tray now
    bool windowVisible = true;  // the window is on screen (also minimized)
    int onExitRule = 0;         // "OnExit": 0 nothing, 1 mute, 2 ask
    bool radioMuted = false;    // the device is silent already
};

struct CloseDecision {
    enum class Outcome {
        Hide,      // into the tray; the program keeps running
        Minimize,  // minimize; with a tray icon the frame then hides itself
        End,       // end the program: the recording ends, then the exit rule
    };
    Outcome outcome = Outcome::End;
    ExitMute mute = ExitMute::None;  // only when the program ends

    bool operator==(const CloseDecision&) const = default;
};

// The close box hides into a tray icon that the desktop shows; Pwr then
// minimizes (which hides); everything else, and every request while no tray
// icon is shown, ends the program. The exit rule runs only when the program
// ends, and never asks when nobody may be there to answer.
CloseDecision DecideClose(const CloseInputs& in);

// How the window appears at a start with the minimized-start switch.
struct StartPlacement {
    bool minimize = false;      // minimized at once (it stays in the task bar)
    bool hideIntoTray = false;  // hidden as soon as the tray shows its icon
                                // (after the start's delay)

    bool operator==(const StartPlacement&) const = default;
};
StartPlacement DecideMinimizedStart(bool minimizedStart, bool trayOption, bool minimizeOnStart);
