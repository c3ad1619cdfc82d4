// A SoapySDR module for the tests: driver "plumoratest", one receiver that
// streams a synthetic FM station (in white noise) wherever the test placed
// it, as the tuner would see it. The test steers it through the C functions
// at the end, which it finds by opening this same file.
#include <SoapySDR/Device.hpp>
#include <SoapySDR/Errors.hpp>
#include <SoapySDR/Formats.hpp>
#include <SoapySDR/Registry.hpp>

#include <chrono>
#include <cmath>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <thread>

#include "support/synthetic_station.h"

namespace {

constexpr const char* kSerial = "PT0001";

struct Control {
    std::mutex mutex;
    double stationHz = 0;  // 0: no station, noise only
    double cnrDb = 30;
    bool unplugged = false;
    double lowHz = 24e6;
    double highHz = 1766e6;
    double lowestRate = 0.9e6;
    double highestRate = 3.2e6;
    double centreHz = 0;  // the last frequency a device was tuned to
    int tunings = 0;
    uint64_t generation = 1;  // changes with every setting above
};

Control& TheControl() {
    static Control control;
    return control;
}

class TestDevice final : public SoapySDR::Device {
  public:
    std::string getDriverKey() const override { return "plumoratest"; }
    std::string getHardwareKey() const override { return "plumoratest"; }
    size_t getNumChannels(const int) const override { return 1; }

    SoapySDR::RangeList getSampleRateRange(const int, const size_t) const override {
        Control& c = TheControl();
        std::lock_guard lock(c.mutex);
        return {SoapySDR::Range(c.lowestRate, c.highestRate)};
    }
    void setSampleRate(const int, const size_t, const double rate) override {
        rate_ = rate;
        generation_ = 0;
    }
    double getSampleRate(const int, const size_t) const override { return rate_; }

    SoapySDR::RangeList getFrequencyRange(const int, const size_t) const override {
        Control& c = TheControl();
        std::lock_guard lock(c.mutex);
        return {SoapySDR::Range(c.lowHz, c.highHz)};
    }
    void setFrequency(const int, const size_t, const double hz, const SoapySDR::Kwargs&) override {
        Control& c = TheControl();
        std::lock_guard lock(c.mutex);
        c.centreHz = hz;
        ++c.tunings;
        ++c.generation;
    }
    double getFrequency(const int, const size_t) const override {
        Control& c = TheControl();
        std::lock_guard lock(c.mutex);
        return c.centreHz;
    }
    bool hasGainMode(const int, const size_t) const override { return true; }
    void setGainMode(const int, const size_t, const bool) override {}

    SoapySDR::Stream* setupStream(const int direction, const std::string& format,
                                  const std::vector<size_t>&, const SoapySDR::Kwargs&) override {
        if (direction != SOAPY_SDR_RX || format != SOAPY_SDR_CF32) {
            throw std::runtime_error("plumoratest streams CF32 only");
        }
        return reinterpret_cast<SoapySDR::Stream*>(this);
    }
    void closeStream(SoapySDR::Stream*) override {}
    int activateStream(SoapySDR::Stream*, const int, const long long, const size_t) override {
        start_ = std::chrono::steady_clock::now();
        produced_ = 0;
        return 0;
    }
    int deactivateStream(SoapySDR::Stream*, const int, const long long) override { return 0; }

    int readStream(SoapySDR::Stream*, void* const* buffs, const size_t numElems, int& flags,
                   long long& timeNs, const long) override {
        flags = 0;
        timeNs = 0;
        Control& c = TheControl();
        {
            std::lock_guard lock(c.mutex);
            if (c.unplugged) {
                return SOAPY_SDR_STREAM_ERROR;
            }
            if (generation_ != c.generation || !station_) {
                SyntheticStationConfig config;
                config.sampleRate = rate_;
                const double offset = c.stationHz - c.centreHz;
                const bool inBand = c.stationHz > 0 && std::abs(offset) < rate_ / 2 - 120e3;
                config.kind = inBand ? SyntheticKind::Fm : SyntheticKind::Noise;
                config.offsetHz = inBand ? offset : 0;
                config.cnrDb = c.cnrDb;
                config.seed = static_cast<uint64_t>(c.generation);
                station_ = std::make_unique<SyntheticStation>(config);
                generation_ = c.generation;
            }
        }
        // As fast as a real receiver delivers, in pieces of 20 ms at most.
        const size_t count = std::min(numElems, static_cast<size_t>(rate_ / 50));
        samples_.clear();
        station_->Generate(count, samples_);
        std::copy(samples_.begin(), samples_.end(), static_cast<std::complex<float>*>(buffs[0]));
        produced_ += count;
        std::this_thread::sleep_until(
            start_ + std::chrono::microseconds(static_cast<long long>(produced_ * 1e6 / rate_)));
        return static_cast<int>(count);
    }

  private:
    double rate_ = 1.024e6;
    uint64_t generation_ = 0;
    std::unique_ptr<SyntheticStation> station_;
    std::vector<std::complex<float>> samples_;
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
    uint64_t produced_ = 0;
};

SoapySDR::KwargsList Find(const SoapySDR::Kwargs& args) {
    const auto driver = args.find("driver");
    if (driver != args.end() && driver->second != "plumoratest") {
        return {};
    }
    const auto serial = args.find("serial");
    if (serial != args.end() && serial->second != kSerial) {
        return {};
    }
    Control& c = TheControl();
    std::lock_guard lock(c.mutex);
    if (c.unplugged) {
        return {};
    }
    return {{{"driver", "plumoratest"}, {"serial", kSerial}, {"label", "Plumora test receiver"}}};
}

SoapySDR::Device* Make(const SoapySDR::Kwargs& args) {
    if (Find(args).empty()) {
        throw std::runtime_error("plumoratest: no such device");
    }
    return new TestDevice;
}

const SoapySDR::Registry registration("plumoratest", &Find, &Make, SOAPY_SDR_ABI_VERSION);

}  // namespace

extern "C" {

__attribute__((visibility("default"))) void plumoratest_set_station(double hz, double cnrDb) {
    Control& c = TheControl();
    std::lock_guard lock(c.mutex);
    c.stationHz = hz;
    c.cnrDb = cnrDb;
    ++c.generation;
}

__attribute__((visibility("default"))) void plumoratest_set_unplugged(int unplugged) {
    Control& c = TheControl();
    std::lock_guard lock(c.mutex);
    c.unplugged = unplugged != 0;
}

__attribute__((visibility("default"))) void plumoratest_set_rates(double lowest, double highest) {
    Control& c = TheControl();
    std::lock_guard lock(c.mutex);
    c.lowestRate = lowest;
    c.highestRate = highest;
}

__attribute__((visibility("default"))) void plumoratest_set_range(double lowHz, double highHz) {
    Control& c = TheControl();
    std::lock_guard lock(c.mutex);
    c.lowHz = lowHz;
    c.highHz = highHz;
}

__attribute__((visibility("default"))) double plumoratest_centre(int* tunings) {
    Control& c = TheControl();
    std::lock_guard lock(c.mutex);
    if (tunings != nullptr) {
        *tunings = c.tunings;
    }
    return c.centreHz;
}
}
