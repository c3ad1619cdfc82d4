#pragma once

#include <QByteArray>
#include <cstdint>
#include <mutex>

// A copy of the last audio buffer a recorder or player handled, with its
// length, for the level meter. The worker keeps it; the user-interface thread
// reads it.
class LastBuffer {
  public:
    static constexpr uint32_t kSize = 45000;

    // Keeps up to kSize bytes.
    void Keep(const char* data, uint32_t length) {
        std::lock_guard lock(mutex_);
        copy_ = QByteArray(data, static_cast<qsizetype>(length < kSize ? length : kSize));
    }
    QByteArray Get() const {
        std::lock_guard lock(mutex_);
        return copy_;
    }

  private:
    mutable std::mutex mutex_;
    QByteArray copy_;
};
