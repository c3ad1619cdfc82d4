#include "platform/sdr_receiver.h"

#include <vector>

#include "platform/sdr_tuning.h"

namespace {

constexpr double kAmLowHz = 0.52e6;
constexpr double kAmHighHz = 1.71e6;
constexpr int kReadTimeoutMs = 500;

}  // namespace

SdrReceiver::SdrReceiver(SdrDeviceOpener opener, Sink sink, Events events, Options options)
    : opener_(std::move(opener)),
      sink_(std::move(sink)),
      events_(std::move(events)),
      options_(options) {
    thread_ = std::thread([this] { Run(); });
}

SdrReceiver::~SdrReceiver() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    cancel_ = true;
    wake_.notify_all();
    thread_.join();
}

uint64_t SdrReceiver::SetFrequency(double stationHz) {
    std::lock_guard lock(mutex_);
    wantedHz_ = stationHz;
    return ++wantedSerial_;
}

std::string SdrReceiver::failure() const {
    std::lock_guard lock(mutex_);
    return failure_;
}

bool SdrReceiver::Pause(int ms) {
    std::unique_lock lock(mutex_);
    wake_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return stop_; });
    return !stop_;
}

void SdrReceiver::Run() {
    std::vector<std::complex<float>> samples(static_cast<size_t>(options_.blockSamples));
    bool reported = false;
    auto lose = [&](const std::string& reason) {
        running_ = false;
        {
            std::lock_guard lock(mutex_);
            failure_ = reason;
        }
        if (!reported && events_.lost) {
            events_.lost(reason);
        }
        reported = true;
    };
    for (;;) {
        {
            std::lock_guard lock(mutex_);
            if (stop_) {
                return;
            }
        }
        std::string error;
        std::unique_ptr<SdrDevice> device = opener_(error, cancel_);
        if (cancel_) {
            return;  // closing: nothing to report
        }
        Block block;
        block.sampleRate = device ? device->SetSampleRate(options_.sampleRate) : 0;
        if (!device || block.sampleRate <= 0) {
            lose(device ? device->Failure() : error);
            device.reset();
            if (!Pause(options_.retryMs)) {
                return;
            }
            continue;
        }
        uint64_t appliedSerial = ~uint64_t{0};
        bool first = true;
        for (;;) {
            double hz = 0;
            uint64_t serial = 0;
            {
                std::lock_guard lock(mutex_);
                if (stop_) {
                    return;
                }
                hz = wantedHz_;
                serial = wantedSerial_;
            }
            if (serial != appliedSerial && hz > 0) {
                const double centreHz = sdr_tuning::CentreFrequencyHz(hz, block.sampleRate);
                if (!device->SetFrequency(centreHz)) {
                    break;
                }
                appliedSerial = serial;
                block.centreHz = centreHz;
                block.stationHz = hz;
                block.tuning = serial;
            }
            const int got = device->Read(samples.data(), options_.blockSamples, kReadTimeoutMs);
            if (got < 0) {
                break;
            }
            if (first && got > 0) {
                // Open and delivering: from now on a loss is news again.
                first = false;
                reported = false;
                {
                    std::lock_guard lock(mutex_);
                    failure_.clear();
                }
                running_ = true;
                if (events_.opened) {
                    events_.opened(device->Covers(kAmLowHz, kAmHighHz));
                }
            }
            if (got > 0 && block.centreHz > 0) {
                sink_(samples.data(), static_cast<size_t>(got), block);
            }
        }
        lose(device->Failure().empty() ? "the receiver stopped" : device->Failure());
        device.reset();
        if (!Pause(options_.retryMs)) {
            return;
        }
    }
}
