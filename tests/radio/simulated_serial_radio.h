#pragma once

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// A serial radio on the far side of a pseudo-terminal: the program opens the
// terminal's slave side as its COM port, this object sits on the master side,
// keeps every byte the program sends and answers each status query
// (1D 23 08 23) with the bytes it is given. An empty answer makes it a
// silent device. Disappear() closes the master side, as if the cable were
// pulled.
class SimulatedSerialRadio {
  public:
    explicit SimulatedSerialRadio(std::vector<uint8_t> answer = {0x07})
        : answer_(std::move(answer)) {
        master_ = posix_openpt(O_RDWR | O_NOCTTY);
        if (master_ >= 0 && grantpt(master_) == 0 && unlockpt(master_) == 0) {
            slavePath_ = ptsname(master_);
            // Held open so that the master side never sees a hang-up while
            // the program has the port closed.
            slave_ = ::open(slavePath_.c_str(), O_RDWR | O_NOCTTY);
        }
        thread_ = std::thread([this] { Run(); });
    }

    ~SimulatedSerialRadio() {
        Stop();
        if (master_ >= 0) {
            ::close(master_);
        }
        if (slave_ >= 0) {
            ::close(slave_);
        }
    }

    bool ok() const { return slave_ >= 0; }
    const std::string& path() const { return slavePath_; }

    void SetAnswer(std::vector<uint8_t> answer) {
        std::lock_guard lock(mutex_);
        answer_ = std::move(answer);
    }

    std::vector<uint8_t> Received() {
        std::lock_guard lock(mutex_);
        return received_;
    }

    // Waits (at most 3 s) until count bytes have arrived in all.
    bool WaitForReceived(size_t count) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(3);
        while (std::chrono::steady_clock::now() < end) {
            if (Received().size() >= count) {
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return Received().size() >= count;
    }

    int StatusQueries() {
        std::lock_guard lock(mutex_);
        return queries_;
    }

    // The line settings of the terminal as the program left them.
    termios LineSettings() const {
        termios t{};
        tcgetattr(slave_, &t);
        return t;
    }

    void Disappear() {
        Stop();
        if (master_ >= 0) {
            ::close(master_);
            master_ = -1;
        }
    }

  private:
    void Stop() {
        stop_ = true;
        if (thread_.joinable()) {
            thread_.join();
        }
    }

    void Run() {
        while (!stop_ && master_ >= 0) {
            pollfd p{master_, POLLIN, 0};
            if (poll(&p, 1, 10) <= 0 || (p.revents & POLLIN) == 0) {
                continue;
            }
            uint8_t buffer[256];
            const ssize_t n = ::read(master_, buffer, sizeof buffer);
            if (n <= 0) {
                continue;
            }
            std::vector<uint8_t> reply;
            {
                std::lock_guard lock(mutex_);
                received_.insert(received_.end(), buffer, buffer + n);
                for (; scanned_ + 4 <= received_.size(); ++scanned_) {
                    if (received_[scanned_] == 0x1D && received_[scanned_ + 1] == 0x23 &&
                        received_[scanned_ + 2] == 0x08 && received_[scanned_ + 3] == 0x23) {
                        ++queries_;
                        reply.insert(reply.end(), answer_.begin(), answer_.end());
                    }
                }
            }
            if (!reply.empty()) {
                [[maybe_unused]] ssize_t w = ::write(master_, reply.data(), reply.size());
            }
        }
    }

    int master_ = -1;
    int slave_ = -1;
    std::string slavePath_;
    std::mutex mutex_;
    std::vector<uint8_t> answer_;
    std::vector<uint8_t> received_;
    size_t scanned_ = 0;
    int queries_ = 0;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};
