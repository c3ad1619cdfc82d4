#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "support/synthetic_station.h"

// An rtl_tcp server on the loopback: greets as an R820T stick, records the
// commands it gets and streams, in real time, a synthetic FM station at the
// frequency the test chose, placed in the band where the tuning puts it.
// Drop() cuts the connection; the server takes the next one.
class FakeRtlTcpServer {
  public:
    struct Command {
        uint8_t code;
        uint32_t value;
        bool operator==(const Command&) const = default;
    };

    FakeRtlTcpServer(double stationHz, double cnrDb) : stationHz_(stationHz), cnrDb_(cnrDb) {
        listen_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(listen_, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
        socklen_t length = sizeof addr;
        getsockname(listen_, reinterpret_cast<sockaddr*>(&addr), &length);
        port_ = ntohs(addr.sin_port);
        ::listen(listen_, 4);
        thread_ = std::thread([this] { Serve(); });
    }
    ~FakeRtlTcpServer() {
        stop_ = true;
        thread_.join();
        close(listen_);
    }

    uint16_t port() const { return port_; }
    int connections() const { return connections_.load(); }
    std::vector<Command> commands() const {
        std::lock_guard lock(mutex_);
        return commands_;
    }
    void Drop() { drop_ = true; }

  private:
    void Serve() {
        while (!stop_) {
            pollfd pfd{listen_, POLLIN, 0};
            if (poll(&pfd, 1, 50) <= 0) {
                continue;
            }
            const int fd = accept(listen_, nullptr, nullptr);
            if (fd < 0) {
                continue;
            }
            ++connections_;
            drop_ = false;
            Stream(fd);
            close(fd);
        }
    }

    void Stream(int fd) {
        const uint8_t greeting[12] = {'R', 'T', 'L', '0', 0, 0, 0, 5, 0, 0, 0, 29};
        send(fd, greeting, sizeof greeting, MSG_NOSIGNAL);
        double rate = 2.048e6;  // the server's own default until told
        double centre = 0;
        std::unique_ptr<SyntheticStation> station;
        std::vector<uint8_t> pending;
        std::vector<uint8_t> iq;
        const auto start = std::chrono::steady_clock::now();
        double sent = 0;  // seconds of samples sent
        while (!stop_ && !drop_) {
            uint8_t bytes[64];
            const ssize_t got = recv(fd, bytes, sizeof bytes, MSG_DONTWAIT);
            if (got == 0) {
                return;
            }
            for (ssize_t i = 0; i < got; ++i) {
                pending.push_back(bytes[i]);
            }
            while (pending.size() >= 5) {
                const Command command{pending[0], (uint32_t{pending[1]} << 24) |
                                                      (uint32_t{pending[2]} << 16) |
                                                      (uint32_t{pending[3]} << 8) | pending[4]};
                pending.erase(pending.begin(), pending.begin() + 5);
                {
                    std::lock_guard lock(mutex_);
                    commands_.push_back(command);
                }
                if (command.code == 0x01) {
                    centre = command.value;
                    station.reset();
                } else if (command.code == 0x02) {
                    rate = command.value;
                    station.reset();
                }
            }
            if (!station) {
                SyntheticStationConfig config;
                config.sampleRate = rate;
                const double offset = stationHz_ - centre;
                const bool inBand = std::abs(offset) < rate / 2 - 120e3;
                config.kind = inBand ? SyntheticKind::Fm : SyntheticKind::Noise;
                config.offsetHz = inBand ? offset : 0;
                config.cnrDb = cnrDb_;
                station = std::make_unique<SyntheticStation>(config);
            }
            const size_t count = static_cast<size_t>(rate / 100);  // 10 ms
            iq.clear();
            station->GenerateU8(count, iq);
            size_t done = 0;
            while (done < iq.size() && !stop_ && !drop_) {
                const ssize_t n =
                    send(fd, iq.data() + done, iq.size() - done, MSG_NOSIGNAL | MSG_DONTWAIT);
                if (n > 0) {
                    done += static_cast<size_t>(n);
                } else if (n < 0 && errno != EAGAIN) {
                    return;
                } else {
                    pollfd pfd{fd, POLLOUT, 0};
                    poll(&pfd, 1, 20);
                }
            }
            sent += static_cast<double>(count) / rate;
            std::this_thread::sleep_until(
                start + std::chrono::microseconds(static_cast<long long>(sent * 1e6)));
        }
    }

    const double stationHz_;
    const double cnrDb_;
    int listen_ = -1;
    uint16_t port_ = 0;
    std::atomic<bool> stop_{false};
    std::atomic<bool> drop_{false};
    std::atomic<int> connections_{0};
    mutable std::mutex mutex_;
    std::vector<Command> commands_;
    std::thread thread_;
};
