#include "app/window_decisions.h"

#include "radio/radio_models.h"

namespace {

bool SomeoneMayAnswer(CloseReason reason) {
    return reason != CloseReason::Terminate && reason != CloseReason::SessionEnd;
}

ExitMute ExitRule(const CloseInputs& in) {
    switch (in.onExitRule) {
        case kOnExitMute:
            return ExitMute::Mute;
        case kOnExitAsk:
            // A question nobody answers would hold up the end; no answer
            // means no mute.
            return SomeoneMayAnswer(in.reason) && !in.radioMuted ? ExitMute::Ask : ExitMute::None;
        default:
            return ExitMute::None;
    }
}

}  // namespace

CloseDecision DecideClose(const CloseInputs& in) {
    using Outcome = CloseDecision::Outcome;
    if (in.trayShown && in.windowVisible) {
        if (in.reason == CloseReason::Window) {
            return {Outcome::Hide, ExitMute::None};
        }
        if (in.reason == CloseReason::Power) {
            return {Outcome::Minimize, ExitMute::None};
        }
    }
    return {Outcome::End, ExitRule(in)};
}

StartPlacement DecideMinimizedStart(bool minimizedStart, bool trayOption, bool minimizeOnStart) {
    if (!minimizedStart) {
        return {};
    }
    return {true, trayOption && minimizeOnStart};
}
