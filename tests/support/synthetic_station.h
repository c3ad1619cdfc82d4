#pragma once

#include <complex>
#include <cstddef>
#include <cstdint>
#include <vector>

// A broadcast station as an SDR receiver sees it: complex baseband with the
// station at an offset from the centre, in white noise at a stated
// carrier-to-noise ratio. Stateful: successive calls continue the signal, so
// it can be streamed for as long as a test or benchmark needs.
struct SyntheticTone {
    double hz = 1000.0;
    // Peak level as a fraction of full modulation, before pre-emphasis.
    double level = 0.8;
};

enum class SyntheticKind {
    Fm,     // wide FM, mono or stereo with the 19 kHz pilot
    Am,     // AM with a carrier, modulated by the left tones
    Noise,  // no station: the noise alone
};

struct SyntheticStationConfig {
    double sampleRate = 1024000.0;
    // Station frequency minus centre frequency.
    double offsetHz = 250000.0;
    SyntheticKind kind = SyntheticKind::Fm;

    // FM: stereo sends 90 % (L+R)/2 + (L-R)/2 on a 38 kHz DSB-SC subcarrier
    // and a 10 % pilot at 19 kHz; mono sends (L+R)/2 at full deviation.
    bool stereo = true;
    std::vector<SyntheticTone> left = {{1000.0, 0.8}};
    std::vector<SyntheticTone> right = {{1600.0, 0.8}};
    double deviationHz = 75000.0;
    // Pre-emphasis time constant in microseconds; 0 for none.
    int preemphasisUs = 50;
    // Scales the pilot (1 = the broadcast 10 %; 0 = none while still stereo).
    double pilotScale = 1.0;

    // AM: carrier * (1 + the left tones); the levels are modulation depths.

    // Carrier amplitude (full scale of the unsigned 8-bit output is 1).
    double carrierLevel = 0.5;
    // Carrier-to-noise ratio in 200 kHz; noise off when above 200 dB. With
    // SyntheticKind::Noise the noise is that of a station of carrierLevel.
    double cnrDb = 30.0;
    uint64_t seed = 1;
};

class SyntheticStation {
  public:
    explicit SyntheticStation(const SyntheticStationConfig& config);

    // Appends count complex samples.
    void Generate(size_t count, std::vector<std::complex<float>>& out);
    // Appends count samples as interleaved unsigned 8-bit I/Q (127.5 = 0).
    void GenerateU8(size_t count, std::vector<uint8_t>& out);

    const SyntheticStationConfig& Config() const { return config_; }

  private:
    struct Oscillator {
        std::complex<double> phasor;
        std::complex<double> step;
        double amplitude;
    };
    double Modulation();
    double Gaussian();
    void Renormalise();

    SyntheticStationConfig config_;
    std::vector<Oscillator> left_, right_;
    Oscillator pilot_{};
    double phase_ = 0;
    double noiseSigma_ = 0;
    uint64_t state_;
    bool haveSpare_ = false;
    double spare_ = 0;
    size_t sinceRenormalise_ = 0;
    std::vector<std::complex<float>> scratch_;
};
