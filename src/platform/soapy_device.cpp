#include "platform/soapy_device.h"

#include <SoapySDR/Device.hpp>
#include <SoapySDR/Errors.hpp>
#include <SoapySDR/Formats.hpp>
#include <SoapySDR/Modules.hpp>
#include <SoapySDR/Registry.hpp>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <exception>
#include <future>
#include <list>

namespace {

// Samples in a row without data after which a device counts as gone: a stick
// that is pulled out often just stops delivering.
constexpr int kSilentReadsBeforeLost = 3;

class SoapyDevice final : public SdrDevice {
  public:
    SoapyDevice(SoapySDR::Device* device, SoapySDR::Stream* stream)
        : device_(device), stream_(stream) {}

    ~SoapyDevice() override {
        try {
            device_->deactivateStream(stream_);
            device_->closeStream(stream_);
        } catch (const std::exception&) {
        }
        try {
            SoapySDR::Device::unmake(device_);
        } catch (const std::exception&) {
        }
    }

    double SetSampleRate(double hz) override {
        try {
            double best = 0;
            for (const SoapySDR::Range& range : device_->getSampleRateRange(SOAPY_SDR_RX, 0)) {
                const double candidate = std::clamp(hz, range.minimum(), range.maximum());
                if (best == 0 || std::abs(candidate - hz) < std::abs(best - hz)) {
                    best = candidate;
                }
            }
            device_->setSampleRate(SOAPY_SDR_RX, 0, best > 0 ? best : hz);
            return device_->getSampleRate(SOAPY_SDR_RX, 0);
        } catch (const std::exception& e) {
            failure_ = e.what();
            return 0;
        }
    }

    bool SetFrequency(double hz) override {
        try {
            device_->setFrequency(SOAPY_SDR_RX, 0, hz);
            return true;
        } catch (const std::exception& e) {
            failure_ = e.what();
            return false;
        }
    }

    bool Covers(double lowHz, double highHz) const override {
        try {
            for (const SoapySDR::Range& range : device_->getFrequencyRange(SOAPY_SDR_RX, 0)) {
                if (range.minimum() <= lowHz && range.maximum() >= highHz) {
                    return true;
                }
            }
        } catch (const std::exception&) {
        }
        return false;
    }

    int Read(std::complex<float>* out, int count, int timeoutMs) override {
        void* buffers[] = {out};
        int flags = 0;
        long long timeNs = 0;
        const int result = device_->readStream(stream_, buffers, static_cast<size_t>(count), flags,
                                               timeNs, static_cast<long>(timeoutMs) * 1000);
        if (result > 0) {
            silentReads_ = 0;
            return result;
        }
        if (result == SOAPY_SDR_OVERFLOW) {
            return 0;  // samples were dropped; the stream goes on
        }
        if (result == 0 || result == SOAPY_SDR_TIMEOUT) {
            if (++silentReads_ < kSilentReadsBeforeLost) {
                return 0;
            }
            failure_ = "the device stopped delivering samples";
            return -1;
        }
        failure_ = SoapySDR::errToStr(result);
        return -1;
    }

    std::string Failure() const override { return failure_; }

  private:
    SoapySDR::Device* device_;
    SoapySDR::Stream* stream_;
    std::string failure_;
    int silentReads_ = 0;
};

}  // namespace

std::unique_ptr<SdrDevice> OpenSoapyDevice(const std::string& args, std::string& error) {
    SoapySDR::Device* device = nullptr;
    try {
        device = SoapySDR::Device::make(args);
    } catch (const std::exception& e) {
        error = e.what();
        return nullptr;
    }
    if (device == nullptr) {
        error = "no such device";
        return nullptr;
    }
    try {
        if (device->hasGainMode(SOAPY_SDR_RX, 0)) {
            device->setGainMode(SOAPY_SDR_RX, 0, true);
        }
        SoapySDR::Stream* stream = device->setupStream(SOAPY_SDR_RX, SOAPY_SDR_CF32, {0});
        if (stream == nullptr || device->activateStream(stream) != 0) {
            if (stream != nullptr) {
                device->closeStream(stream);
            }
            SoapySDR::Device::unmake(device);
            error = "the device does not stream";
            return nullptr;
        }
        return std::make_unique<SoapyDevice>(device, stream);
    } catch (const std::exception& e) {
        error = e.what();
        SoapySDR::Device::unmake(device);
        return nullptr;
    }
}

namespace {

SdrDeviceInfo InfoOf(SoapySDR::Kwargs args) {
    std::string label;
    if (const auto it = args.find("label"); it != args.end()) {
        label = it->second;
        args.erase(it);
    }
    if (label.empty()) {
        label = args.count("driver") != 0 ? args["driver"] : "SDR device";
        if (args.count("serial") != 0) {
            label += " " + args["serial"];
        }
    }
    std::string text;  // key=value,key=value without spaces
    for (const auto& [key, value] : args) {
        text += (text.empty() ? "" : ",") + key + "=" + value;
    }
    return {label, text};
}

}  // namespace

void SearchSdrDevices(const SdrDevicesFound& found) {
    SoapySDR::FindFunctions modules;
    try {
        SoapySDR::loadModules();
        modules = SoapySDR::Registry::listFindFunctions();
    } catch (const std::exception&) {
        return;
    }
    struct Search {
        std::string driver;
        std::future<SoapySDR::KwargsList> result;
    };
    std::list<Search> searches;
    for (const auto& [driver, find] : modules) {
        searches.push_back({driver, std::async(std::launch::async, find, SoapySDR::Kwargs())});
    }
    while (!searches.empty()) {
        searches.front().result.wait_for(std::chrono::milliseconds(20));
        for (auto it = searches.begin(); it != searches.end();) {
            if (it->result.wait_for(std::chrono::seconds(0)) != std::future_status::ready) {
                ++it;
                continue;
            }
            std::vector<SdrDeviceInfo> batch;
            try {
                for (SoapySDR::Kwargs& args : it->result.get()) {
                    args["driver"] = it->driver;
                    batch.push_back(InfoOf(std::move(args)));
                }
            } catch (const std::exception&) {
                // A module that fails to search finds nothing.
            }
            it = searches.erase(it);
            if (!batch.empty()) {
                found(std::move(batch));
            }
        }
    }
}

std::vector<SdrDeviceInfo> EnumerateSdrDevices() {
    std::vector<SdrDeviceInfo> devices;
    SearchSdrDevices([&devices](std::vector<SdrDeviceInfo> batch) {
        devices.insert(devices.end(), batch.begin(), batch.end());
    });
    return devices;
}
