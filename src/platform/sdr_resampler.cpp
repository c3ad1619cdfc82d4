#include "platform/sdr_resampler.h"

#include <liquid/liquid.h>

#include <cmath>

namespace {

constexpr float kStopDb = 80.0f;

}  // namespace

SdrResampler::SdrResampler(double ratio) : ratio_(ratio) {
    if (std::fabs(ratio - 1.0) > 1e-9) {
        q_ = msresamp_rrrf_create(static_cast<float>(ratio), kStopDb);
    }
}

SdrResampler::~SdrResampler() {
    if (q_ != nullptr) {
        msresamp_rrrf_destroy(q_);
    }
}

void SdrResampler::Run(const float* in, size_t count, std::vector<float>& out) {
    if (q_ == nullptr) {
        out.assign(in, in + count);
        return;
    }
    out.resize(static_cast<size_t>(std::ceil(static_cast<double>(count) * ratio_)) + 16);
    unsigned produced = 0;
    // liquid-dsp does not write to its input; its interface just is not const.
    msresamp_rrrf_execute(q_, const_cast<float*>(in), static_cast<unsigned>(count), out.data(),
                          &produced);
    out.resize(produced);
}
