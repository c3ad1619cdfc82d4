#include "platform/sdr_device.h"

#include <SoapySDR/Types.hpp>

#include <charconv>

#include "platform/rtl_tcp_device.h"
#include "platform/soapy_device.h"

namespace {

constexpr std::string_view kSoapyPrefix = "soapy:";
constexpr std::string_view kRtlTcpPrefix = "rtl_tcp:";

}  // namespace

SdrPort ParseSdrPort(const std::string& text) {
    SdrPort port;
    const std::string_view view(text);
    if (view.starts_with(kSoapyPrefix)) {
        port.kind = SdrPort::Kind::kSoapy;
        port.args = text.substr(kSoapyPrefix.size());
        return port;
    }
    if (!view.starts_with(kRtlTcpPrefix)) {
        return port;
    }
    std::string_view rest = view.substr(kRtlTcpPrefix.size());
    unsigned number = kRtlTcpDefaultPort;
    const size_t colon = rest.rfind(':');
    // "[::1]:1234" or "host:1234"; a bare IPv6 address has more than one colon.
    const bool bracketed = rest.starts_with('[');
    if (colon != std::string_view::npos &&
        (bracketed ? colon > rest.find(']') : rest.find(':') == colon)) {
        const std::string_view digits = rest.substr(colon + 1);
        const auto [end, error] =
            std::from_chars(digits.data(), digits.data() + digits.size(), number);
        if (error != std::errc() || end != digits.data() + digits.size() || number < 1 ||
            number > 65535) {
            return {};
        }
        rest = rest.substr(0, colon);
    }
    if (bracketed && rest.size() >= 2 && rest.back() == ']') {
        rest = rest.substr(1, rest.size() - 2);
    }
    if (rest.empty()) {
        return {};
    }
    port.kind = SdrPort::Kind::kRtlTcp;
    port.host = std::string(rest);
    port.port = static_cast<uint16_t>(number);
    return port;
}

std::string SoapyPortString(const std::string& args) {
    return std::string(kSoapyPrefix) + args;
}

std::string RtlTcpPortString(const std::string& host, uint16_t port) {
    const bool ipv6 = host.find(':') != std::string::npos;
    return std::string(kRtlTcpPrefix) + (ipv6 ? "[" + host + "]" : host) + ":" +
           std::to_string(port);
}

bool SameSdrDevice(const std::string& stored, const std::string& found) {
    const SoapySDR::Kwargs want = SoapySDR::KwargsFromString(stored);
    const SoapySDR::Kwargs have = SoapySDR::KwargsFromString(found);
    if (want.empty()) {
        return stored == found;
    }
    for (const auto& [key, value] : want) {
        const auto it = have.find(key);
        if (it == have.end() || it->second != value) {
            return false;
        }
    }
    return true;
}

SdrDeviceOpener OpenerForPort(const SdrPort& port) {
    switch (port.kind) {
        case SdrPort::Kind::kSoapy:
            return [args = port.args](std::string& error, const std::atomic<bool>&) {
                return OpenSoapyDevice(args, error);
            };
        case SdrPort::Kind::kRtlTcp:
            return [host = port.host, number = port.port](std::string& error,
                                                          const std::atomic<bool>& cancel) {
                return OpenRtlTcpDevice(host, number, error, &cancel);
            };
        case SdrPort::Kind::kNone:
            break;
    }
    return [](std::string& error, const std::atomic<bool>&) -> std::unique_ptr<SdrDevice> {
        error = "no SDR receiver is chosen";
        return nullptr;
    };
}
