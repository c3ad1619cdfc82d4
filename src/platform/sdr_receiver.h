#pragma once

#include <atomic>
#include <complex>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "platform/sdr_device.h"

// Runs one SDR receiver on a thread of its own: opens the device, keeps it
// tuned to the station last asked for (the centre below it by
// sdr_tuning::StationOffsetHz of the device's rate), and hands every block of
// samples to a sink on that thread. A device that cannot be opened, vanishes, or whose
// connection drops is reported once and opened again every few seconds. The
// caller's operations never wait for the device.
class SdrReceiver {
  public:
    struct Block {
        double sampleRate = 0;
        double centreHz = 0;   // the frequency the device is tuned to
        double stationHz = 0;  // the station it is tuned for, above centreHz
        uint64_t tuning = 0;   // the SetFrequency call in effect (its result)
    };
    using Sink = std::function<void(const std::complex<float>* iq, size_t count, const Block&)>;

    struct Events {
        // The device opened (again); it covers AM when coversAm is true.
        std::function<void(bool coversAm)> opened;
        // The device could not be opened or was lost; no more samples until
        // opened() comes. Reported once until the device opens again.
        std::function<void(const std::string& reason)> lost;
    };

    struct Options {
        double sampleRate = 1.024e6;
        int retryMs = 3000;
        int blockSamples = 16384;
    };

    SdrReceiver(SdrDeviceOpener opener, Sink sink, Events events, Options options);
    SdrReceiver(SdrDeviceOpener opener, Sink sink, Events events)
        : SdrReceiver(std::move(opener), std::move(sink), std::move(events), Options()) {}
    // Stops the thread and closes the device.
    ~SdrReceiver();
    SdrReceiver(const SdrReceiver&) = delete;
    SdrReceiver& operator=(const SdrReceiver&) = delete;

    // The device is tuned for the station at stationHz as soon as the thread
    // gets to it. The result numbers the call; blocks tuned by it carry that
    // number.
    uint64_t SetFrequency(double stationHz);
    // True while the device is open and delivers.
    bool running() const { return running_.load(); }
    // The latest reason the device was lost; empty while it runs.
    std::string failure() const;

  private:
    void Run();
    // Waits up to ms or until stopped; false when stopped.
    bool Pause(int ms);

    const SdrDeviceOpener opener_;
    const Sink sink_;
    const Events events_;
    const Options options_;

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    bool stop_ = false;
    std::atomic<bool> cancel_{false};  // stop_, for an open under way
    double wantedHz_ = 0;
    uint64_t wantedSerial_ = 0;
    std::string failure_;
    std::atomic<bool> running_{false};
    std::thread thread_;
};
