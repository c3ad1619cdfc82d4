#include "support/tone_analysis.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>

namespace tone_analysis {

namespace {

struct Fit {
    double mean = 0, a = 0, b = 0;  // x ~ mean + a cos + b sin
};

// Least-squares fit of mean + a cos(wn) + b sin(wn).
Fit FitAt(const std::vector<double>& x, double rate, double hz) {
    Fit fit;
    if (x.empty()) {
        return fit;
    }
    for (double v : x) {
        fit.mean += v;
    }
    fit.mean /= static_cast<double>(x.size());
    double cc = 0, ss = 0, cs = 0, xc = 0, xs = 0;
    const std::complex<double> step = std::polar(1.0, 2.0 * std::numbers::pi * hz / rate);
    std::complex<double> p = 1.0;
    for (size_t i = 0; i < x.size(); ++i) {
        const double c = p.real(), s = p.imag(), v = x[i] - fit.mean;
        cc += c * c;
        ss += s * s;
        cs += c * s;
        xc += v * c;
        xs += v * s;
        p *= step;
        if ((i & 1023) == 1023) {
            p /= std::abs(p);
        }
    }
    const double det = cc * ss - cs * cs;
    if (std::fabs(det) < 1e-12) {
        return fit;
    }
    fit.a = (xc * ss - xs * cs) / det;
    fit.b = (xs * cc - xc * cs) / det;
    return fit;
}

double FitAmplitude(const Fit& f) {
    return std::hypot(f.a, f.b);
}

}  // namespace

std::vector<double> Channel(const std::vector<int16_t>& pcm, int channels, int channel,
                            size_t skip) {
    std::vector<double> out;
    const size_t frames = pcm.size() / static_cast<size_t>(channels);
    for (size_t i = skip; i < frames; ++i) {
        out.push_back(pcm[i * channels + channel]);
    }
    return out;
}

double Amplitude(const std::vector<double>& x, double rate, double hz) {
    return FitAmplitude(FitAt(x, rate, hz));
}

Tone Measure(const std::vector<double>& x, double rate, double approxHz, double searchHz) {
    Tone tone;
    if (x.size() < 16) {
        return tone;
    }
    // Coarse: a scan over a short stretch.
    const std::vector<double> head(
        x.begin(),
        x.begin() + static_cast<ptrdiff_t>(std::min(x.size(), static_cast<size_t>(rate))));
    const double headSeconds = static_cast<double>(head.size()) / rate;
    const double step = 0.25 / headSeconds;
    double best = approxHz, bestAmplitude = -1;
    for (double f = approxHz - searchHz; f <= approxHz + searchHz; f += step) {
        const double a = Amplitude(head, rate, f);
        if (a > bestAmplitude) {
            bestAmplitude = a;
            best = f;
        }
    }
    // Then a scan of all of it, finer than its main lobe, around the best.
    const double seconds = static_cast<double>(x.size()) / rate;
    const double fine = 0.25 / seconds;
    const double centre = best;
    bestAmplitude = -1;
    for (double f = centre - step; f <= centre + step; f += fine) {
        const double a = Amplitude(x, rate, f);
        if (a > bestAmplitude) {
            bestAmplitude = a;
            best = f;
        }
    }
    double lo = best - fine, hi = best + fine;
    const double g = (std::sqrt(5.0) - 1) / 2;
    double c = hi - g * (hi - lo), d = lo + g * (hi - lo);
    double fc = Amplitude(x, rate, c), fd = Amplitude(x, rate, d);
    while (hi - lo > 1e-3 / seconds) {
        if (fc > fd) {
            hi = d;
            d = c;
            fd = fc;
            c = hi - g * (hi - lo);
            fc = Amplitude(x, rate, c);
        } else {
            lo = c;
            c = d;
            fc = fd;
            d = lo + g * (hi - lo);
            fd = Amplitude(x, rate, d);
        }
    }
    tone.hz = (lo + hi) / 2;
    const Fit fit = FitAt(x, rate, tone.hz);
    tone.amplitude = FitAmplitude(fit);
    // The residual is taken against fits over quarter seconds: a frequency
    // off by a few micro-hertz would otherwise leave a trace of the tone
    // that swamps a noise 70 dB down.
    const double w = 2.0 * std::numbers::pi * tone.hz / rate;
    const size_t segment = std::max<size_t>(16, static_cast<size_t>(rate / 4));
    double residual = 0;
    for (size_t start = 0; start < x.size();) {
        // The last part takes what is left over.
        const size_t end = x.size() - start < 2 * segment ? x.size() : start + segment;
        const std::vector<double> part(x.begin() + static_cast<ptrdiff_t>(start),
                                       x.begin() + static_cast<ptrdiff_t>(end));
        const Fit f = FitAt(part, rate, tone.hz);
        for (size_t i = 0; i < part.size(); ++i) {
            const double phase = w * static_cast<double>(i);
            const double e = part[i] - f.mean - f.a * std::cos(phase) - f.b * std::sin(phase);
            residual += e * e;
        }
        start = end;
    }
    residual /= static_cast<double>(x.size());
    const double power = tone.amplitude * tone.amplitude / 2;
    tone.snrDb = 10 * std::log10(power / std::max(residual, 1e-30));
    return tone;
}

double Db(double ratio) {
    return 20 * std::log10(std::max(ratio, 1e-30));
}

}  // namespace tone_analysis
