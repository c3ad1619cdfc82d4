#include <gtest/gtest.h>

#include "app/window_decisions.h"
#include "radio/radio_models.h"

namespace {

using Outcome = CloseDecision::Outcome;
constexpr auto W = CloseReason::Window;
constexpr auto X = CloseReason::Exit;
constexpr auto P = CloseReason::Power;
constexpr auto T = CloseReason::Terminate;
constexpr auto S = CloseReason::SessionEnd;

struct CloseCase {
    CloseReason reason;
    bool trayShown;
    bool visible;
    int onExit;
    bool muted;
    Outcome outcome;
    ExitMute mute;
};

}  // namespace

TEST(CloseDecision, EachReasonWithAndWithoutATrayAndEachExitRule) {
    const CloseCase cases[] = {
        // With the icon in the tray the close box and Pwr keep the program
        // running, and the exit rule waits for the real end.
        {W, true, true, kOnExitAsk, false, Outcome::Hide, ExitMute::None},
        {W, true, true, kOnExitMute, false, Outcome::Hide, ExitMute::None},
        {P, true, true, kOnExitMute, false, Outcome::Minimize, ExitMute::None},
        // A close while hidden in the tray, or any explicit exit, ends it.
        {W, true, false, kOnExitMute, false, Outcome::End, ExitMute::Mute},
        {X, true, true, kOnExitAsk, false, Outcome::End, ExitMute::Ask},
        {X, true, false, kOnExitNoMute, false, Outcome::End, ExitMute::None},
        // Without a tray (or with the option on but no tray host) every
        // close ends the program; Pwr too.
        {W, false, true, kOnExitAsk, false, Outcome::End, ExitMute::Ask},
        {P, false, true, kOnExitMute, false, Outcome::End, ExitMute::Mute},
        {P, false, true, kOnExitAsk, true, Outcome::End, ExitMute::None},
        // Nobody answers at a termination or a session's end: "ask" means
        // no mute there, "mute" still mutes.
        {T, true, true, kOnExitAsk, false, Outcome::End, ExitMute::None},
        {T, false, true, kOnExitMute, false, Outcome::End, ExitMute::Mute},
        {S, true, true, kOnExitAsk, false, Outcome::End, ExitMute::None},
        {S, false, false, kOnExitMute, false, Outcome::End, ExitMute::Mute},
        {S, true, true, kOnExitNoMute, false, Outcome::End, ExitMute::None},
    };
    for (const CloseCase& c : cases) {
        CloseInputs in;
        in.reason = c.reason;
        in.trayShown = c.trayShown;
        in.windowVisible = c.visible;
        in.onExitRule = c.onExit;
        in.radioMuted = c.muted;
        const CloseDecision expected{c.outcome, c.mute};
        EXPECT_EQ(DecideClose(in), expected)
            << "reason " << int(c.reason) << " tray " << c.trayShown << " visible " << c.visible
            << " rule " << c.onExit << " muted " << c.muted;
    }
}

TEST(MinimizedStart, MinimizedAlwaysAndIntoTheTrayOnlyWhenItMayGoThere) {
    struct Case {
        bool switchGiven, trayOption, minimizeOnStart;
        StartPlacement placement;
    } const cases[] = {
        {false, true, true, {false, false}},
        {true, false, true, {true, false}},
        {true, true, false, {true, false}},
        {true, true, true, {true, true}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DecideMinimizedStart(c.switchGiven, c.trayOption, c.minimizeOnStart), c.placement)
            << c.switchGiven << c.trayOption << c.minimizeOnStart;
    }
}
