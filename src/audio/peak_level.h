#pragma once

#include <cstdint>

#include "platform/wave_format.h"

// The peak of a buffer of PCM audio for the level meter, 0..128 per
// channel: for 16-bit (and wider) samples the absolute value of each
// sample's high byte read as signed; for 8-bit samples |abs(v) - 127| of each
// byte v read as signed. Mono: that maximum. Stereo: right + left * 256
// (more channels: the first two). 0 for data that is not PCM. A trailing
// part of a frame is ignored.
int PeakLevel(const char* data, uint32_t length, const WaveFormat& format);

// A level of 0..128 in per cent of 127, rounded down (128 gives 100).
inline int LevelPercent(int level) {
    return level * 100 / 127;
}
