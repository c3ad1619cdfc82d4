#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Measures a sine tone in recorded audio: its frequency, amplitude and the
// ratio of its power to everything else.
namespace tone_analysis {

struct Tone {
    double hz = 0;
    double amplitude = 0;  // peak, in the units of the samples
    double snrDb = 0;      // tone power over the power of the residual
};

// One channel of interleaved 16-bit frames, from frame `skip` on.
std::vector<double> Channel(const std::vector<int16_t>& pcm, int channels, int channel,
                            size_t skip = 0);

// Peak amplitude of the sine at exactly hz (least squares, mean removed).
double Amplitude(const std::vector<double>& x, double rate, double hz);

// Finds the tone within ±searchHz of approxHz and measures it.
Tone Measure(const std::vector<double>& x, double rate, double approxHz, double searchHz = 20.0);

// 20 log10 of a ratio of amplitudes.
double Db(double ratio);

}  // namespace tone_analysis
