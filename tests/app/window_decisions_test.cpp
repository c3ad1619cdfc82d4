#include <gtest/gtest.h>

#include "app/window_decisions.h"
#include "radio/radio_models.h"

namespace {

constexpr auto W = CloseReason::Window;
constexpr auto X = CloseReason::Exit;
constexpr auto P = CloseReason::Power;
constexpr auto T = CloseReason::Terminate;
constexpr auto S = CloseReason::SessionEnd;

}  // namespace

TEST(CloseDecision, EachReasonWithAndWithoutATrayAndEachExitRule) {
    using O = CloseDecision::Outcome;
    struct Case {
        CloseInputs in;  // reason, tray shown, window visible, OnExit, radio muted
        CloseDecision expected;
    } const cases[] = {
        // With the icon in the tray the close box and Pwr keep the program
        // running, and the exit rule waits for the real end.
        {{W, true, true, kOnExitAsk, false}, {O::Hide, ExitMute::None}},
        {{W, true, true, kOnExitMute, false}, {O::Hide, ExitMute::None}},
        {{P, true, true, kOnExitMute, false}, {O::Minimize, ExitMute::None}},
        // A close while hidden in the tray, or any explicit exit, ends it.
        {{W, true, false, kOnExitMute, false}, {O::End, ExitMute::Mute}},
        {{X, true, true, kOnExitAsk, false}, {O::End, ExitMute::Ask}},
        {{X, true, false, kOnExitNoMute, false}, {O::End, ExitMute::None}},
        // Without a tray (or no tray host) every close ends it; Pwr too.
        {{W, false, true, kOnExitAsk, false}, {O::End, ExitMute::Ask}},
        {{P, false, true, kOnExitMute, false}, {O::End, ExitMute::Mute}},
        {{P, false, true, kOnExitAsk, true}, {O::End, ExitMute::None}},
        // Nobody answers at a termination or a session's end: "ask" means
        // no mute there, "mute" still mutes.
        {{T, true, true, kOnExitAsk, false}, {O::End, ExitMute::None}},
        {{T, false, true, kOnExitMute, false}, {O::End, ExitMute::Mute}},
        {{S, true, true, kOnExitAsk, false}, {O::End, ExitMute::None}},
        {{S, false, false, kOnExitMute, false}, {O::End, ExitMute::Mute}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DecideClose(c.in), c.expected)
            << "reason " << int(c.in.reason) << " tray " << c.in.trayShown << " visible "
            << c.in.windowVisible << " rule " << c.in.onExitRule << " muted " << c.in.radioMuted;
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
