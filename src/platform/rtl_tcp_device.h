#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/sdr_device.h"

// The rtl_tcp protocol: the server greets with 12 bytes ("RTL0", tuner type
// and number of gain steps, big-endian), then streams unsigned 8-bit I/Q
// pairs; the client sends 5-byte commands (one command byte, a big-endian
// 32-bit value).
namespace rtl_tcp {

enum Command : uint8_t {
    kSetFrequency = 0x01,
    kSetSampleRate = 0x02,
    kSetGainMode = 0x03,  // 0 automatic, 1 manual
    kSetGain = 0x04,      // tenths of a dB
};

// Tuner types the greeting names.
enum Tuner : uint32_t {
    kUnknown = 0,
    kE4000 = 1,
    kFc0012 = 2,
    kFc0013 = 3,
    kFc2580 = 4,
    kR820t = 5,
    kR828d = 6,
};

struct Greeting {
    uint32_t tuner = kUnknown;
    uint32_t gainCount = 0;
};

inline constexpr size_t kGreetingSize = 12;
inline constexpr size_t kCommandSize = 5;

std::array<uint8_t, kCommandSize> EncodeCommand(uint8_t command, uint32_t value);
std::optional<Greeting> ParseGreeting(const std::array<uint8_t, kGreetingSize>& bytes);
// The range the tuner tunes, in Hz; {0, 0} for an unknown tuner.
std::pair<double, double> TunerRange(uint32_t tuner);

}  // namespace rtl_tcp

// Connects to an rtl_tcp server and reads its greeting, giving up after a
// few seconds, or within a tenth of one once *cancel is set. Null with the
// reason in error.
std::unique_ptr<SdrDevice> OpenRtlTcpDevice(const std::string& host, uint16_t port,
                                            std::string& error,
                                            const std::atomic<bool>* cancel = nullptr);
