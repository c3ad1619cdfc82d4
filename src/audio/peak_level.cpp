#include "audio/peak_level.h"

#include <algorithm>
#include <cstdlib>

namespace {

int SampleLevel(const char* sample, int bytesPerSample) {
    if (bytesPerSample == 1) {
        const int v = static_cast<signed char>(sample[0]);
        return std::abs(std::abs(v) - 127);
    }
    // Little-endian: the high byte comes last.
    return std::abs(static_cast<int>(static_cast<signed char>(sample[bytesPerSample - 1])));
}

}  // namespace

int PeakLevel(const char* data, uint32_t length, const WaveFormat& format) {
    const int bytesPerSample = format.bitsPerSample / 8;
    if (format.formatTag != WaveFormat::kTagPcm || data == nullptr || bytesPerSample < 1 ||
        format.channels == 0 || format.blockAlign < format.channels * bytesPerSample) {
        return 0;
    }
    const bool stereo = format.channels >= 2;
    int left = 0;
    int right = 0;
    for (uint32_t frame = 0; frame + format.blockAlign <= length; frame += format.blockAlign) {
        left = std::max(left, SampleLevel(data + frame, bytesPerSample));
        if (stereo) {
            right = std::max(right, SampleLevel(data + frame + bytesPerSample, bytesPerSample));
        }
    }
    return stereo ? right + left * 256 : left;
}
