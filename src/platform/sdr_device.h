#pragma once

#include <atomic>
#include <complex>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// One SDR receiver as the receive thread uses it: I/Q samples at a sample
// rate around a centre frequency. Every operation may block for a while
// (USB, network), so only the receive thread calls them.
class SdrDevice {
  public:
    virtual ~SdrDevice() = default;

    // Sets the rate the device supports nearest to hz; the rate in effect,
    // 0 when none could be set.
    virtual double SetSampleRate(double hz) = 0;
    virtual bool SetFrequency(double hz) = 0;
    // Whether the device tunes the whole range lowHz to highHz.
    virtual bool Covers(double lowHz, double highHz) const = 0;
    // Reads up to count samples: the number read, 0 when none came within
    // timeoutMs, -1 when the device is gone (Failure() says why).
    virtual int Read(std::complex<float>* out, int count, int timeoutMs) = 0;
    virtual std::string Failure() const = 0;
};

// Where the SDR radio's receiver is, as the "PortString" setting holds it:
// "soapy:<key=value,...>" for a device SoapySDR opens, "rtl_tcp:<host>:<port>"
// for a network receiver.
struct SdrPort {
    enum class Kind { kNone, kSoapy, kRtlTcp };
    Kind kind = Kind::kNone;
    std::string args;  // soapy: the device arguments
    std::string host;  // rtl_tcp
    uint16_t port = 0;

    bool operator==(const SdrPort&) const = default;
};

inline constexpr uint16_t kRtlTcpDefaultPort = 1234;

// kNone for text of neither form, an rtl_tcp entry without host, or a port
// that is not 1 to 65535. A missing rtl_tcp port is kRtlTcpDefaultPort.
SdrPort ParseSdrPort(const std::string& text);
std::string SoapyPortString(const std::string& args);
std::string RtlTcpPortString(const std::string& host, uint16_t port);

// A local device SoapySDR can open.
struct SdrDeviceInfo {
    std::string label;  // what the user sees
    std::string args;   // key=value arguments that open it
};
// Every device the installed SoapySDR modules find. May take a second or two.
std::vector<SdrDeviceInfo> EnumerateSdrDevices();
// The same, handed to found in batches: the modules search side by side, and
// the devices of each come as soon as it is done (a module that finds none
// gives no batch). Returns when every module is done; found runs on the
// calling thread.
using SdrDevicesFound = std::function<void(std::vector<SdrDeviceInfo> batch)>;
void SearchSdrDevices(const SdrDevicesFound& found);
// Whether device arguments name the same device: every key of stored is
// present in found with the same value.
bool SameSdrDevice(const std::string& stored, const std::string& found);

// Opens the receiver of a port; null with the reason in error. Gives up soon
// once cancel is set.
using SdrDeviceOpener =
    std::function<std::unique_ptr<SdrDevice>(std::string& error, const std::atomic<bool>& cancel)>;
SdrDeviceOpener OpenerForPort(const SdrPort& port);
