#include "support/synthetic_station.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr double kTwoPi = 2.0 * std::numbers::pi;
constexpr double kCnrBandwidthHz = 200000.0;

}  // namespace

SyntheticStation::SyntheticStation(const SyntheticStationConfig& config)
    : config_(config), state_(config.seed * 0x9E3779B97F4A7C15ull + 1) {
    const double rate = config_.sampleRate;
    const bool fm = config_.kind == SyntheticKind::Fm;
    const double tau = fm ? config_.preemphasisUs * 1e-6 : 0.0;
    auto make = [&](const std::vector<SyntheticTone>& tones, std::vector<Oscillator>& out) {
        for (const SyntheticTone& tone : tones) {
            // Pre-emphasis 1 + s tau on a sine: a gain and a phase lead.
            const std::complex<double> h(1.0, kTwoPi * tone.hz * tau);
            out.push_back({std::polar(1.0, std::arg(h)), std::polar(1.0, kTwoPi * tone.hz / rate),
                           tone.level * std::abs(h)});
        }
    };
    make(config_.left, left_);
    make(config_.right, right_);
    pilot_ = {1.0, std::polar(1.0, kTwoPi * 19000.0 / rate), 0.1 * config_.pilotScale};
    if (config_.cnrDb <= 200.0) {
        // Noise power over the whole sample rate, from the power in 200 kHz.
        const double carrier = config_.carrierLevel * config_.carrierLevel;
        const double inBand = carrier / std::pow(10.0, config_.cnrDb / 10.0);
        noiseSigma_ = std::sqrt(inBand * rate / kCnrBandwidthHz / 2.0);
    }
}

double SyntheticStation::Gaussian() {
    if (haveSpare_) {
        haveSpare_ = false;
        return spare_;
    }
    auto next = [this] {
        // splitmix64
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        z ^= z >> 31;
        return (static_cast<double>(z >> 11) + 0.5) * (1.0 / 9007199254740992.0);
    };
    const double r = std::sqrt(-2.0 * std::log(next()));
    const double t = kTwoPi * next();
    spare_ = r * std::sin(t);
    haveSpare_ = true;
    return r * std::cos(t);
}

double SyntheticStation::Modulation() {
    auto sum = [](std::vector<Oscillator>& oscillators) {
        double value = 0;
        for (Oscillator& o : oscillators) {
            value += o.amplitude * o.phasor.imag();
            o.phasor *= o.step;
        }
        return value;
    };
    const double l = sum(left_);
    const double r = sum(right_);
    if (config_.kind != SyntheticKind::Fm) {
        return l;
    }
    if (!config_.stereo) {
        return (l + r) / 2;
    }
    // sin(2t) = 2 sin t cos t: the subcarrier in phase with the pilot.
    const double s = pilot_.phasor.imag();
    const double c = pilot_.phasor.real();
    pilot_.phasor *= pilot_.step;
    return 0.9 * ((l + r) / 2 + (l - r) / 2 * 2 * s * c) + pilot_.amplitude * s;
}

void SyntheticStation::Renormalise() {
    for (auto* list : {&left_, &right_}) {
        for (Oscillator& o : *list) {
            o.phasor /= std::abs(o.phasor);
        }
    }
    pilot_.phasor /= std::abs(pilot_.phasor);
}

void SyntheticStation::Generate(size_t count, std::vector<std::complex<float>>& out) {
    const double rate = config_.sampleRate;
    const double carrierStep = kTwoPi * config_.offsetHz / rate;
    const double deviationStep = kTwoPi * config_.deviationHz / rate;
    const double a = config_.carrierLevel;
    out.reserve(out.size() + count);
    for (size_t i = 0; i < count; ++i) {
        const double m = Modulation();
        std::complex<double> z;
        switch (config_.kind) {
            case SyntheticKind::Fm:
                z = std::polar(a, phase_);
                phase_ += carrierStep + deviationStep * m;
                break;
            case SyntheticKind::Am:
                z = std::polar(a * (1.0 + m), phase_);
                phase_ += carrierStep;
                break;
            case SyntheticKind::Noise:
                break;
        }
        if (phase_ > kTwoPi || phase_ < -kTwoPi) {
            phase_ = std::fmod(phase_, kTwoPi);
        }
        if (noiseSigma_ > 0) {
            const double re = Gaussian() * noiseSigma_;
            z += std::complex<double>(re, Gaussian() * noiseSigma_);
        }
        out.emplace_back(static_cast<float>(z.real()), static_cast<float>(z.imag()));
        if (++sinceRenormalise_ == 4096) {
            sinceRenormalise_ = 0;
            Renormalise();
        }
    }
}

void SyntheticStation::GenerateU8(size_t count, std::vector<uint8_t>& out) {
    scratch_.clear();
    Generate(count, scratch_);
    const size_t base = out.size();
    out.resize(base + 2 * count);
    auto quantise = [](float x) {
        const long v = std::lround(127.5 * x + 127.5);
        return static_cast<uint8_t>(std::clamp(v, 0L, 255L));
    };
    for (size_t i = 0; i < count; ++i) {
        out[base + 2 * i] = quantise(scratch_[i].real());
        out[base + 2 * i + 1] = quantise(scratch_[i].imag());
    }
}
