#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <QByteArray>
#include <QString>
#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// Reads the paced playback device's pipe slowly, one session per opening of
// the device, so that a player takes real time to play.
class PacedPipeReader {
  public:
    explicit PacedPipeReader(const QString& path) : path_(path.toStdString()) {
        thread_ = std::thread([this] { Loop(); });
    }
    ~PacedPipeReader() {
        quit_ = true;
        const int fd = open(path_.c_str(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0) {
            close(fd);
        }
        thread_.join();
    }
    PacedPipeReader(const PacedPipeReader&) = delete;
    PacedPipeReader& operator=(const PacedPipeReader&) = delete;

    std::vector<QByteArray> Sessions() {
        std::lock_guard lock(mutex_);
        return sessions_;
    }

  private:
    void Loop() {
        while (!quit_) {
            const int fd = open(path_.c_str(), O_RDONLY);
            if (fd < 0) {
                return;
            }
            QByteArray session;
            char block[4096];
            ssize_t got = 0;
            while ((got = read(fd, block, sizeof block)) > 0) {
                session.append(block, got);
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
            }
            close(fd);
            if (!session.isEmpty()) {
                std::lock_guard lock(mutex_);
                sessions_.push_back(session);
            }
        }
    }

    std::string path_;
    std::atomic<bool> quit_{false};
    std::mutex mutex_;
    std::vector<QByteArray> sessions_;
    std::thread thread_;
};
