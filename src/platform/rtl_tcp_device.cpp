#include "platform/rtl_tcp_device.h"

#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <vector>

namespace {

constexpr int kConnectTimeoutMs = 3000;
// No data for this long counts as a dropped connection.
constexpr int kSilenceBeforeLostMs = 3000;

using Clock = std::chrono::steady_clock;

int RemainingMs(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

// Waits until fd is ready for events, in slices so that a cancel is seen;
// false on timeout, cancel or error.
bool WaitCancellable(int fd, short events, int timeoutMs, const std::atomic<bool>* cancel) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        if (cancel != nullptr && cancel->load()) {
            return false;
        }
        const int left = RemainingMs(deadline);
        pollfd pfd{fd, events, 0};
        const int result = poll(&pfd, 1, std::min(left, 100));
        if (result > 0) {
            return true;
        }
        if ((result < 0 && errno != EINTR) || left == 0) {
            return false;
        }
    }
}

// Waits until fd is ready for events; false on timeout or error.
bool WaitFor(int fd, short events, int timeoutMs) {
    pollfd pfd{fd, events, 0};
    int result;
    do {
        result = poll(&pfd, 1, timeoutMs);
    } while (result < 0 && errno == EINTR);
    return result > 0;
}

int ConnectWithTimeout(const std::string& host, uint16_t port, std::string& error,
                       const std::atomic<bool>* cancel) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const int lookup = getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found);
    if (lookup != 0) {
        error = host + ": " + gai_strerror(lookup);
        return -1;
    }
    int fd = -1;
    error = "cannot connect to " + host + ":" + std::to_string(port);
    for (addrinfo* ai = found; ai != nullptr; ai = ai->ai_next) {
        fd = socket(ai->ai_family, ai->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, ai->ai_protocol);
        if (fd < 0) {
            continue;
        }
        int result = connect(fd, ai->ai_addr, ai->ai_addrlen);
        if (result < 0 && errno == EINPROGRESS) {
            if (WaitCancellable(fd, POLLOUT, kConnectTimeoutMs, cancel)) {
                int soError = 0;
                socklen_t length = sizeof soError;
                getsockopt(fd, SOL_SOCKET, SO_ERROR, &soError, &length);
                result = soError == 0 ? 0 : -1;
                errno = soError;
            } else {
                errno = ETIMEDOUT;
            }
        }
        if (result == 0) {
            break;
        }
        error += std::string(": ") + std::strerror(errno != 0 ? errno : ETIMEDOUT);
        close(fd);
        fd = -1;
    }
    freeaddrinfo(found);
    return fd;
}

class RtlTcpDevice final : public SdrDevice {
  public:
    RtlTcpDevice(int fd, std::string peer, rtl_tcp::Greeting greeting)
        : fd_(fd), peer_(std::move(peer)), greeting_(greeting) {
        Send(rtl_tcp::kSetGainMode, 0);
    }
    ~RtlTcpDevice() override { close(fd_); }

    double SetSampleRate(double hz) override {
        // The RTL2832 runs from 225 to 300 kHz and from 0.9 to 3.2 MHz.
        double rate = std::clamp(hz, 225001.0, 3200000.0);
        if (rate > 300000 && rate <= 900000) {
            rate = rate < 600000 ? 300000 : 900001;
        }
        return Send(rtl_tcp::kSetSampleRate, static_cast<uint32_t>(rate)) ? rate : 0;
    }

    bool SetFrequency(double hz) override {
        return hz > 0 && hz < 4.0e9 && Send(rtl_tcp::kSetFrequency, static_cast<uint32_t>(hz));
    }

    bool Covers(double lowHz, double highHz) const override {
        const auto [low, high] = rtl_tcp::TunerRange(greeting_.tuner);
        return high > 0 && low <= lowHz && high >= highHz;
    }

    int Read(std::complex<float>* out, int count, int timeoutMs) override {
        if (!failure_.empty()) {
            return -1;
        }
        const size_t wanted = static_cast<size_t>(count) * 2;
        bytes_.resize(wanted);
        size_t have = pending_.size();
        std::memcpy(bytes_.data(), pending_.data(), have);
        pending_.clear();
        if (!WaitFor(fd_, POLLIN, timeoutMs)) {
            silentMs_ += timeoutMs;
            if (silentMs_ >= kSilenceBeforeLostMs) {
                failure_ = "no data from " + peer_;
                return -1;
            }
        } else {
            const ssize_t got = recv(fd_, bytes_.data() + have, wanted - have, 0);
            if (got == 0) {
                failure_ = "the connection to " + peer_ + " was closed";
                return -1;
            }
            if (got < 0 && errno != EAGAIN && errno != EINTR) {
                failure_ = peer_ + ": " + std::strerror(errno);
                return -1;
            }
            if (got > 0) {
                silentMs_ = 0;
                have += static_cast<size_t>(got);
            }
        }
        const size_t samples = have / 2;
        for (size_t i = 0; i < samples; ++i) {
            out[i] = {(bytes_[2 * i] - 127.5f) / 127.5f, (bytes_[2 * i + 1] - 127.5f) / 127.5f};
        }
        if (have % 2 != 0) {
            pending_.push_back(bytes_[have - 1]);
        }
        return static_cast<int>(samples);
    }

    std::string Failure() const override { return failure_; }

  private:
    bool Send(uint8_t command, uint32_t value) {
        const auto bytes = rtl_tcp::EncodeCommand(command, value);
        size_t sent = 0;
        while (sent < bytes.size()) {
            const ssize_t n = send(fd_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
            if (n > 0) {
                sent += static_cast<size_t>(n);
            } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
                if (!WaitFor(fd_, POLLOUT, 1000)) {
                    failure_ = "cannot send to " + peer_;
                    return false;
                }
            } else {
                failure_ = peer_ + ": " + std::strerror(errno);
                return false;
            }
        }
        return true;
    }

    int fd_;
    std::string peer_;
    rtl_tcp::Greeting greeting_;
    std::vector<uint8_t> bytes_;
    std::vector<uint8_t> pending_;
    std::string failure_;
    int silentMs_ = 0;
};

}  // namespace

namespace rtl_tcp {

std::array<uint8_t, kCommandSize> EncodeCommand(uint8_t command, uint32_t value) {
    return {command, static_cast<uint8_t>(value >> 24), static_cast<uint8_t>(value >> 16),
            static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value)};
}

std::optional<Greeting> ParseGreeting(const std::array<uint8_t, kGreetingSize>& bytes) {
    if (std::memcmp(bytes.data(), "RTL0", 4) != 0) {
        return std::nullopt;
    }
    auto word = [&](size_t at) {
        return (uint32_t{bytes[at]} << 24) | (uint32_t{bytes[at + 1]} << 16) |
               (uint32_t{bytes[at + 2]} << 8) | uint32_t{bytes[at + 3]};
    };
    return Greeting{word(4), word(8)};
}

std::pair<double, double> TunerRange(uint32_t tuner) {
    switch (tuner) {
        case kE4000:
            return {52e6, 2200e6};
        case kFc0012:
            return {22e6, 948.6e6};
        case kFc0013:
            return {22e6, 1100e6};
        case kFc2580:
            return {146e6, 924e6};
        case kR820t:
        case kR828d:
            return {24e6, 1766e6};
        default:
            return {0, 0};
    }
}

}  // namespace rtl_tcp

std::unique_ptr<SdrDevice> OpenRtlTcpDevice(const std::string& host, uint16_t port,
                                            std::string& error, const std::atomic<bool>* cancel) {
    const int fd = ConnectWithTimeout(host, port, error, cancel);
    if (fd < 0) {
        return nullptr;
    }
    const std::string peer = host + ":" + std::to_string(port);
    std::array<uint8_t, rtl_tcp::kGreetingSize> greeting{};
    size_t have = 0;
    const auto deadline = Clock::now() + std::chrono::milliseconds(kConnectTimeoutMs);
    while (have < greeting.size()) {
        if (!WaitCancellable(fd, POLLIN, RemainingMs(deadline), cancel)) {
            error = peer + " sent no rtl_tcp greeting";
            close(fd);
            return nullptr;
        }
        const ssize_t got = recv(fd, greeting.data() + have, greeting.size() - have, 0);
        if (got <= 0 && !(got < 0 && (errno == EAGAIN || errno == EINTR))) {
            error = "the connection to " + peer + " was closed";
            close(fd);
            return nullptr;
        }
        have += got > 0 ? static_cast<size_t>(got) : 0;
    }
    const std::optional<rtl_tcp::Greeting> parsed = rtl_tcp::ParseGreeting(greeting);
    if (!parsed) {
        error = peer + " is not an rtl_tcp server";
        close(fd);
        return nullptr;
    }
    return std::make_unique<RtlTcpDevice>(fd, peer, *parsed);
}
