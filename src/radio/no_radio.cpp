#include "radio/no_radio.h"

qint32 SNoRadio::SetFrequency(float mhz) {
    frequency = mhz;
    return 1;
}

bool SNoRadio::SetMute(bool mute) {
    muted = mute;
    return true;
}

bool SNoRadio::StepVolume(bool /*up*/) {
    return true;
}
