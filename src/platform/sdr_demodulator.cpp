#include "platform/sdr_demodulator.h"

#include <liquid/liquid.h>

#include <algorithm>
#include <cmath>
#include <numbers>

#include "platform/sdr_resampler.h"

namespace {

constexpr float kPi = std::numbers::pi_v<float>;
constexpr double kFmDeviationHz = 75000.0;
constexpr double kPilotHz = 19000.0;
constexpr double kSubcarrierHz = 38000.0;
// The rate the channel is decimated to: at least this, below twice this.
constexpr double kFmIfMinRate = 240000.0;
constexpr double kAmIfMinRate = 30000.0;
// The FM channel passes ±kFmPassHz; everything that would fold back into the
// multiplex band below kFmMpxHz is stopped.
constexpr double kFmPassHz = 120000.0;
constexpr double kFmMpxHz = 60000.0;
// The AM channel: ±kAmPassHz passed, stopped from kAmStopHz.
constexpr double kAmPassHz = 4500.0;
constexpr double kAmStopHz = 8000.0;
// The audio band of FM and the rate of its last filter stage.
constexpr double kAudioPassHz = 15000.0;
constexpr double kAudioStopHz = 18500.0;
constexpr double kAudioStageMinRate = 48000.0;
// Time constant of the removal of the multiplex's mean.
constexpr double kDcSeconds = 0.05;
// The reference bandwidths of ChannelSnrDb.
constexpr double kFmSnrBandwidthHz = 200000.0;
constexpr double kAmSnrBandwidthHz = 10000.0;
// Full deviation (or full AM modulation) gives this fraction of full scale.
constexpr float kOutputGain = 0.7f * 32767.0f;
// Stop-band attenuation of every filter, in dB.
constexpr float kStopDb = 80.0f;
// The channel is measured in blocks of this length, the first
// kSettlingBlocks after a start ignored.
constexpr double kMeasureSeconds = 0.05;
constexpr int kSettlingBlocks = 2;
// Input samples handled per internal block.
constexpr size_t kBlock = 16384;
// Pilot level (coherent, in units of full deviation) that locks and unlocks
// stereo; a broadcast pilot is 0.1.
constexpr float kPilotLockLevel = 0.04f;
constexpr float kPilotUnlockLevel = 0.025f;

// atan2 within 1e-5 rad, without branches the compiler cannot turn into
// selects.
inline float FastAtan2(float y, float x) {
    const float ax = std::fabs(x);
    const float ay = std::fabs(y);
    const float mx = std::max(ax, ay);
    const float mn = std::min(ax, ay);
    const float a = mn / (mx + 1e-30f);
    const float s = a * a;
    // Minimax polynomial for atan on [0, 1].
    float r =
        ((((((-0.0040540580f * s + 0.0218612288f) * s - 0.0559098861f) * s + 0.0964200441f) * s -
           0.1390853351f) *
              s +
          0.1994653599f) *
             s -
         0.3332985605f) *
            s * a +
        a;
    r = ay > ax ? 0.5f * kPi - r : r;
    r = x < 0 ? kPi - r : r;
    return y < 0 ? -r : r;
}

// Kaiser-window low-pass taps with unity gain at DC: pass and stop edges in
// Hz at the given rate.
std::vector<float> LowPass(double rate, double passHz, double stopHz) {
    const float df = static_cast<float>((stopHz - passHz) / rate);
    unsigned n = estimate_req_filter_len(df, kStopDb);
    n = std::max(n, 5u) | 1u;
    std::vector<float> taps(n);
    liquid_firdes_kaiser(n, static_cast<float>((passHz + stopHz) / 2 / rate), kStopDb, 0.0f,
                         taps.data());
    double sum = 0;
    for (float t : taps) {
        sum += t;
    }
    for (float& t : taps) {
        t = static_cast<float>(t / sum);
    }
    return taps;
}

// Equivalent noise bandwidth of unity-gain taps at the given rate.
double NoiseBandwidth(const std::vector<float>& taps, double rate) {
    double power = 0;
    for (float t : taps) {
        power += double(t) * t;
    }
    return power * rate;
}

int16_t ToPcm(float x) {
    const float v = std::clamp(x * kOutputGain, -32768.0f, 32767.0f);
    return static_cast<int16_t>(std::lrint(v));
}

// Mixes by a fixed frequency: a table of one stretch of phasors, turned by
// the double-precision phase at the start of each stretch, so that rounding
// never accumulates.
class Rotator {
  public:
    explicit Rotator(double cyclesPerSample) {
        const double w = -2.0 * std::numbers::pi * cyclesPerSample;
        for (size_t k = 0; k < kStretch; ++k) {
            table_[k] = std::polar(1.0, w * static_cast<double>(k));
        }
        stretchStep_ = std::polar(1.0, w * static_cast<double>(kStretch));
    }

    void Mix(const std::complex<float>* in, size_t n, std::complex<float>* out) {
        size_t i = 0;
        while (i < n) {
            if (position_ == 0) {
                for (size_t k = 0; k < kStretch; ++k) {
                    const std::complex<double> p = table_[k] * start_;
                    re_[k] = static_cast<float>(p.real());
                    im_[k] = static_cast<float>(p.imag());
                }
            }
            const size_t m = std::min(n - i, kStretch - position_);
            const float* re = re_ + position_;
            const float* im = im_ + position_;
            for (size_t k = 0; k < m; ++k) {
                const float xr = in[i + k].real(), xi = in[i + k].imag();
                out[i + k] = {xr * re[k] - xi * im[k], xr * im[k] + xi * re[k]};
            }
            i += m;
            position_ += m;
            if (position_ == kStretch) {
                position_ = 0;
                start_ *= stretchStep_;
                start_ /= std::abs(start_);
            }
        }
    }

  private:
    static constexpr size_t kStretch = 1024;
    std::complex<double> table_[kStretch];
    float re_[kStretch], im_[kStretch];
    std::complex<double> start_{1.0, 0.0};
    std::complex<double> stretchStep_;
    size_t position_ = 0;
};

// Decimates a real stream by an integer factor, carrying the samples that do
// not yet fill a step.
class RealDecimator {
  public:
    RealDecimator(unsigned factor, std::vector<float> taps) : factor_(factor) {
        q_ = firdecim_rrrf_create(factor, taps.data(), static_cast<unsigned>(taps.size()));
    }
    ~RealDecimator() { firdecim_rrrf_destroy(q_); }
    RealDecimator(const RealDecimator&) = delete;
    RealDecimator& operator=(const RealDecimator&) = delete;

    // Consumes pending_ (filled by the caller) into out.
    std::vector<float> pending;
    void Run(std::vector<float>& out) {
        const size_t n = pending.size() / factor_;
        out.resize(n);
        if (n) {
            firdecim_rrrf_execute_block(q_, pending.data(), static_cast<unsigned>(n), out.data());
        }
        pending.erase(pending.begin(), pending.begin() + static_cast<ptrdiff_t>(n * factor_));
    }

  private:
    unsigned factor_;
    firdecim_rrrf q_;
};

// A real FIR filter applied in place.
class RealFilter {
  public:
    explicit RealFilter(std::vector<float> taps) {
        q_ = firfilt_rrrf_create(taps.data(), static_cast<unsigned>(taps.size()));
    }
    ~RealFilter() { firfilt_rrrf_destroy(q_); }
    RealFilter(const RealFilter&) = delete;
    RealFilter& operator=(const RealFilter&) = delete;
    void Run(std::vector<float>& x) {
        firfilt_rrrf_execute_block(q_, x.data(), static_cast<unsigned>(x.size()), x.data());
    }

  private:
    firfilt_rrrf q_;
};

// One-pole low-pass 1 / (1 + s tau), impulse invariant.
class Deemphasis {
  public:
    Deemphasis(double tauSeconds, double rate)
        : a_(tauSeconds > 0 ? static_cast<float>(std::exp(-1.0 / (tauSeconds * rate))) : 0.0f) {}
    float Step(float x) {
        y_ = x + a_ * (y_ - x);
        return y_;
    }

  private:
    float a_;
    float y_ = 0;
};

}  // namespace

// The whole receive chain; made anew by Reset.
struct SdrDemodulator::Chain {
    explicit Chain(const SdrDemodulatorConfig& c);
    ~Chain();
    void Run(const std::complex<float>* iq, size_t count, std::vector<int16_t>& audio);
    void RunFm(size_t n);
    void RunAm(size_t n);
    void Emit(std::vector<float>& left, std::vector<float>* right, std::vector<int16_t>& audio);

    SdrDemodulatorConfig config;
    bool am;
    Rotator rotator;
    // Channel filter and decimation to the IF rate.
    unsigned decim1 = 1;
    double ifRate = 0;
    firdecim_crcf channel = nullptr;
    double channelNoiseBw = 0;
    std::vector<std::complex<float>> mixed;  // leftover of the last block at the front
    std::vector<std::complex<float>> ifBuf;

    // Channel measurement: moments of the IF samples (FM) or of the carrier's
    // in-phase and quadrature parts (AM), smoothed over blocks.
    double m2 = 0, m4 = 0, inPhase = 0, quadPower = 0;
    double measured = 0;  // samples in the current measurement block
    double accM2 = 0, accM4 = 0, accI = 0, accQ2 = 0;
    int blocksMeasured = 0;
    // The weight of a new measurement block in the smoothed moments: none
    // while the filters and loops settle, all for the first one after.
    double MeasurementWeight() {
        ++blocksMeasured;
        return blocksMeasured <= kSettlingBlocks       ? 0.0
               : blocksMeasured == kSettlingBlocks + 1 ? 1.0
                                                       : 0.5;
    }
    double snrDb = SdrDemodulator::kNoSignalSnrDb;

    // FM
    std::complex<float> previous{0, 0};
    float mpxScale = 1;
    // The discriminator measures the mean frequency over a sample, a
    // sin(x)/x droop (3.6 % at 38 kHz and 256 kS/s) that would cost
    // separation; [-a, 1 + 2a, -a] restores the level up to 53 kHz.
    float droopA = 0;
    float mpx1 = 0, mpx2 = 0;
    // A receiver tuned a little off (a crystal some ppm out) turns into a
    // constant in the multiplex: followed slowly and taken off the audio.
    // The difference signal passes the same high-pass, so that the two keep
    // the same phase at low frequencies (separation).
    float dc = 0, dcDiff = 0, dcAlpha = 0;
    nco_crcf pilot = nullptr;
    float armI = 0, armQ = 0, armAlpha = 0;
    float lockLevel = 0, lockAlpha = 0;
    bool locked = false;
    Deemphasis deSum{0, 1}, deDiff{0, 1};
    std::unique_ptr<RealDecimator> sumDecim, diffDecim;
    std::unique_ptr<RealFilter> sumFilter, diffFilter;
    double audioStageRate = 0;

    // AM
    nco_crcf carrier = nullptr;
    float envelopeMean = 0, envelopeAlpha = 0;
    firdecim_crcf amChannel = nullptr;
    unsigned decim2 = 1;
    std::vector<std::complex<float>> amPending;
    std::vector<std::complex<float>> amBuf;
    double amRate = 0;
    double amNoiseBw = 0;

    std::unique_ptr<SdrResampler> resampleLeft, resampleRight;
    std::vector<float> sumOut, diffOut, left, right, outLeft, outRight;
};

SdrDemodulator::Chain::Chain(const SdrDemodulatorConfig& c)
    : config(c), am(c.modulation == SdrModulation::Am), rotator(c.offsetHz / c.inputRate) {
    const double rate = config.inputRate;
    decim1 = std::max(1u, static_cast<unsigned>(rate / kFmIfMinRate));
    ifRate = rate / decim1;
    {
        // FM: the channel itself; AM: a first cut that the second stage
        // narrows to the AM channel.
        const double pass = std::min(kFmPassHz, 0.45 * ifRate);
        const double stop = std::max(pass + 0.05 * rate, ifRate - kFmMpxHz);
        std::vector<float> taps = LowPass(rate, pass, stop);
        channelNoiseBw = NoiseBandwidth(taps, rate);
        channel = firdecim_crcf_create(decim1, taps.data(), static_cast<unsigned>(taps.size()));
    }
    double audioInputRate = 0;
    if (!am) {
        mpxScale = static_cast<float>(ifRate / (2.0 * std::numbers::pi * kFmDeviationHz));
        const double x = std::numbers::pi * kSubcarrierHz / ifRate;
        droopA = static_cast<float>((x / std::sin(x) - 1) / (4 * std::sin(x) * std::sin(x)));
        dcAlpha = static_cast<float>(1.0 - std::exp(-1.0 / (kDcSeconds * ifRate)));
        pilot = nco_crcf_create(LIQUID_VCO);
        nco_crcf_set_frequency(pilot,
                               static_cast<float>(2.0 * std::numbers::pi * kPilotHz / ifRate));
        // Natural frequency about 40 Hz, damping 0.5.
        const double wn = 2.0 * std::numbers::pi * 40.0 / ifRate;
        nco_crcf_pll_set_bandwidth(pilot, static_cast<float>(wn * wn));
        armAlpha = static_cast<float>(1.0 - std::exp(-2.0 * std::numbers::pi * 400.0 / ifRate));
        lockAlpha = static_cast<float>(1.0 - std::exp(-1.0 / (0.1 * ifRate)));
        const double tau = config.deemphasisUs * 1e-6;
        deSum = Deemphasis(tau, ifRate);
        deDiff = Deemphasis(tau, ifRate);
        const unsigned decim2f = std::max(1u, static_cast<unsigned>(ifRate / kAudioStageMinRate));
        audioStageRate = ifRate / decim2f;
        // Stop what would fold into the audio band; the audio filter below
        // then removes the pilot and the rest above 15 kHz.
        const double stop = std::max(kAudioStopHz, audioStageRate - kAudioPassHz);
        sumDecim = std::make_unique<RealDecimator>(decim2f, LowPass(ifRate, kAudioPassHz, stop));
        diffDecim = std::make_unique<RealDecimator>(decim2f, LowPass(ifRate, kAudioPassHz, stop));
        const std::vector<float> audioTaps =
            LowPass(audioStageRate, kAudioPassHz, std::min(kAudioStopHz, audioStageRate / 2));
        sumFilter = std::make_unique<RealFilter>(audioTaps);
        diffFilter = std::make_unique<RealFilter>(audioTaps);
        audioInputRate = audioStageRate;
    } else {
        decim2 = std::max(1u, static_cast<unsigned>(ifRate / kAmIfMinRate));
        amRate = ifRate / decim2;
        std::vector<float> taps = LowPass(ifRate, kAmPassHz, std::min(kAmStopHz, amRate / 2));
        amNoiseBw = NoiseBandwidth(taps, ifRate);
        amChannel = firdecim_crcf_create(decim2, taps.data(), static_cast<unsigned>(taps.size()));
        carrier = nco_crcf_create(LIQUID_VCO);
        const double wn = 2.0 * std::numbers::pi * 30.0 / amRate;
        nco_crcf_pll_set_bandwidth(carrier, static_cast<float>(wn * wn));
        envelopeAlpha = static_cast<float>(1.0 - std::exp(-1.0 / (0.05 * amRate)));
        audioInputRate = amRate;
    }
    const double ratio = config.audioRate / audioInputRate;
    resampleLeft = std::make_unique<SdrResampler>(ratio);
    if (!am && config.stereo) {
        resampleRight = std::make_unique<SdrResampler>(ratio);
    }
    mixed.reserve(kBlock + decim1);
}

SdrDemodulator::Chain::~Chain() {
    firdecim_crcf_destroy(channel);
    if (pilot) {
        nco_crcf_destroy(pilot);
    }
    if (carrier) {
        nco_crcf_destroy(carrier);
    }
    if (amChannel) {
        firdecim_crcf_destroy(amChannel);
    }
}

void SdrDemodulator::Chain::Run(const std::complex<float>* iq, size_t count,
                                std::vector<int16_t>& audio) {
    while (count > 0) {
        const size_t n = std::min(count, kBlock);
        const size_t carried = mixed.size();
        mixed.resize(carried + n);
        rotator.Mix(iq, n, mixed.data() + carried);
        iq += n;
        count -= n;
        const size_t outputs = mixed.size() / decim1;
        ifBuf.resize(outputs);
        if (outputs) {
            firdecim_crcf_execute_block(channel, mixed.data(), static_cast<unsigned>(outputs),
                                        ifBuf.data());
        }
        mixed.erase(mixed.begin(), mixed.begin() + static_cast<ptrdiff_t>(outputs * decim1));
        if (am) {
            RunAm(outputs);
        } else {
            RunFm(outputs);
        }
        if (am) {
            Emit(left, nullptr, audio);
        } else {
            Emit(left, config.stereo ? &right : nullptr, audio);
        }
    }
}

void SdrDemodulator::Chain::RunFm(size_t n) {
    // Carrier and noise from the second and fourth moments of the envelope:
    // a constant-envelope carrier C in complex noise N gives
    // M2 = C + N, M4 = C^2 + 4CN + 2N^2.
    double s2 = 0, s4 = 0;
    for (size_t i = 0; i < n; ++i) {
        const double p = std::norm(ifBuf[i]);
        s2 += p;
        s4 += p * p;
    }
    accM2 += s2;
    accM4 += s4;
    measured += static_cast<double>(n);
    if (measured >= kMeasureSeconds * ifRate) {
        const double a = MeasurementWeight();
        m2 += a * (accM2 / measured - m2);
        m4 += a * (accM4 / measured - m4);
        accM2 = accM4 = measured = 0;
        const double c = std::sqrt(std::max(0.0, 2 * m2 * m2 - m4));
        const double noise = std::max(m2 - c, 1e-30);
        // The noise of the channel's own bandwidth, referred to 200 kHz.
        const double snr = c / (noise * kFmSnrBandwidthHz / channelNoiseBw);
        if (blocksMeasured > kSettlingBlocks) {
            snrDb = std::max(SdrDemodulator::kNoSignalSnrDb, 10 * std::log10(std::max(snr, 1e-10)));
        }
    }

    std::vector<float>& sum = sumDecim->pending;
    std::vector<float>& diff = diffDecim->pending;
    const size_t base = sum.size();
    sum.resize(base + n);
    const bool stereo = config.stereo;
    if (stereo) {
        diff.resize(base + n);
    }
    std::complex<float> prev = previous;
    for (size_t i = 0; i < n; ++i) {
        const std::complex<float> z = ifBuf[i];
        const float re = z.real() * prev.real() + z.imag() * prev.imag();
        const float im = z.imag() * prev.real() - z.real() * prev.imag();
        prev = z;
        // Equalised one sample late: the centre tap is the previous sample.
        const float raw = FastAtan2(im, re) * mpxScale;
        const float mpx = (1 + 2 * droopA) * mpx1 - droopA * (mpx2 + raw);
        mpx2 = mpx1;
        mpx1 = raw;
        dc += dcAlpha * (mpx - dc);
        sum[base + i] = deSum.Step(mpx - dc);
        if (!stereo) {
            continue;
        }
        // The pilot: A sin(t) mixed with the oscillator, low-passed; the
        // loop holds the oscillator at t - pi/2, so the 38 kHz subcarrier
        // sin(2t) is -sin(2 phase).
        float s, c;
        nco_crcf_sincos(pilot, &s, &c);
        armI += armAlpha * (mpx * c - armI);
        armQ += armAlpha * (-mpx * s - armQ);
        const float error = FastAtan2(armQ, armI);
        nco_crcf_pll_step(pilot, error);
        nco_crcf_step(pilot);
        lockLevel += lockAlpha * (2.0f * armI - lockLevel);
        const float carrier38 = locked ? -4.0f * s * c : 0.0f;
        const float difference = mpx * carrier38;
        dcDiff += dcAlpha * (difference - dcDiff);
        diff[base + i] = deDiff.Step(difference - dcDiff);
    }
    previous = prev;
    if (stereo) {
        if (!locked && lockLevel > kPilotLockLevel) {
            locked = true;
        } else if (locked && lockLevel < kPilotUnlockLevel) {
            locked = false;
        }
    }

    sumDecim->Run(sumOut);
    sumFilter->Run(sumOut);
    if (stereo) {
        diffDecim->Run(diffOut);
        diffFilter->Run(diffOut);
        left.resize(sumOut.size());
        right.resize(sumOut.size());
        for (size_t i = 0; i < sumOut.size(); ++i) {
            left[i] = sumOut[i] + diffOut[i];
            right[i] = sumOut[i] - diffOut[i];
        }
    } else {
        left.swap(sumOut);
    }
}

void SdrDemodulator::Chain::RunAm(size_t n) {
    amPending.insert(amPending.end(), ifBuf.begin(), ifBuf.begin() + static_cast<ptrdiff_t>(n));
    const size_t outputs = amPending.size() / decim2;
    amBuf.resize(outputs);
    if (outputs) {
        firdecim_crcf_execute_block(amChannel, amPending.data(), static_cast<unsigned>(outputs),
                                    amBuf.data());
    }
    amPending.erase(amPending.begin(),
                    amPending.begin() + static_cast<ptrdiff_t>(outputs * decim2));
    left.resize(outputs);
    for (size_t i = 0; i < outputs; ++i) {
        const std::complex<float> z = amBuf[i];
        // The carrier loop: modulation lies along the carrier, so the
        // quadrature part holds noise alone.
        std::complex<float> y;
        nco_crcf_mix_down(carrier, z, &y);
        nco_crcf_pll_step(carrier, FastAtan2(y.imag(), y.real()));
        nco_crcf_step(carrier);
        accI += y.real();
        accQ2 += double(y.imag()) * y.imag();
        const float envelope = std::abs(z);
        envelopeMean =
            envelopeMean > 0 ? envelopeMean + envelopeAlpha * (envelope - envelopeMean) : envelope;
        left[i] = envelopeMean > 0 ? (envelope - envelopeMean) / envelopeMean : 0.0f;
    }
    measured += static_cast<double>(outputs);
    if (measured >= kMeasureSeconds * amRate) {
        const double a = MeasurementWeight();
        const double mean = accI / measured;
        inPhase += a * (mean * mean - inPhase);
        quadPower += a * (accQ2 / measured - quadPower);
        accI = accQ2 = measured = 0;
        // Quadrature noise is half the noise in the channel's bandwidth.
        const double noise = std::max(2 * quadPower * kAmSnrBandwidthHz / amNoiseBw, 1e-30);
        if (blocksMeasured > kSettlingBlocks) {
            snrDb = std::max(SdrDemodulator::kNoSignalSnrDb,
                             10 * std::log10(std::max(inPhase / noise, 1e-10)));
        }
    }
}

void SdrDemodulator::Chain::Emit(std::vector<float>& l, std::vector<float>* r,
                                 std::vector<int16_t>& audio) {
    resampleLeft->Run(l, outLeft);
    const int channels = config.stereo ? 2 : 1;
    const size_t base = audio.size();
    if (r && resampleRight) {
        resampleRight->Run(*r, outRight);
        const size_t frames = std::min(outLeft.size(), outRight.size());
        audio.resize(base + frames * 2);
        for (size_t i = 0; i < frames; ++i) {
            audio[base + 2 * i] = ToPcm(outLeft[i]);
            audio[base + 2 * i + 1] = ToPcm(outRight[i]);
        }
        return;
    }
    audio.resize(base + outLeft.size() * channels);
    for (size_t i = 0; i < outLeft.size(); ++i) {
        const int16_t v = ToPcm(outLeft[i]);
        for (int c = 0; c < channels; ++c) {
            audio[base + channels * i + c] = v;
        }
    }
}

SdrDemodulator::SdrDemodulator(const SdrDemodulatorConfig& config)
    : config_(config), chain_(std::make_unique<Chain>(config)) {}

SdrDemodulator::~SdrDemodulator() = default;

void SdrDemodulator::Process(const std::complex<float>* iq, size_t count,
                             std::vector<int16_t>& audio) {
    chain_->Run(iq, count, audio);
    snrDb_ = chain_->snrDb;
    stereoLocked_ = config_.stereo && config_.modulation == SdrModulation::Fm && chain_->locked;
}

void SdrDemodulator::Reset() {
    chain_ = std::make_unique<Chain>(config_);
    snrDb_ = kNoSignalSnrDb;
    stereoLocked_ = false;
}

double SdrDemodulator::ChannelSnrDb() const {
    return snrDb_;
}

bool SdrDemodulator::StereoLocked() const {
    return stereoLocked_;
}

void ConvertU8Iq(const uint8_t* bytes, size_t pairs, std::complex<float>* out) {
    constexpr float kScale = 1.0f / 127.5f;
    for (size_t i = 0; i < pairs; ++i) {
        out[i] = {(bytes[2 * i] - 127.5f) * kScale, (bytes[2 * i + 1] - 127.5f) * kScale};
    }
}

void AppendU8Iq(const uint8_t* bytes, size_t byteCount, std::vector<std::complex<float>>& out) {
    const size_t pairs = byteCount / 2;
    const size_t base = out.size();
    out.resize(base + pairs);
    ConvertU8Iq(bytes, pairs, out.data() + base);
}
