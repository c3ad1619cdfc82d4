#include "radio/sradio.h"

SRadio::~SRadio() = default;

float SRadio::GetFrequency() {
    return frequency;
}

bool SRadio::IsMuted() {
    return muted;
}

bool SRadio::StepVolume(bool /*up*/) {
    return false;
}

bool SRadio::IsTuned() {
    return false;
}

bool SRadio::SensesSignal() {
    return false;
}

bool SRadio::HasAmBand() {
    return false;
}
