#pragma once

#include <cstddef>
#include <vector>

struct msresamp_rrrf_s;

// Changes the rate of a real stream by any ratio with liquid-dsp's
// multi-stage resampler (80 dB stop band); passes the samples through when
// the rates match. Carries its state from one block to the next.
class SdrResampler {
  public:
    // ratio: output rate over input rate.
    explicit SdrResampler(double ratio);
    ~SdrResampler();
    SdrResampler(const SdrResampler&) = delete;
    SdrResampler& operator=(const SdrResampler&) = delete;

    // Replaces out with what count samples of in complete.
    void Run(const float* in, size_t count, std::vector<float>& out);
    void Run(const std::vector<float>& in, std::vector<float>& out) {
        Run(in.data(), in.size(), out);
    }

  private:
    double ratio_;
    msresamp_rrrf_s* q_ = nullptr;
};
