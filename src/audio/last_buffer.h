#pragma once

#include <QByteArray>
#include <cstdint>
#include <cstring>
#include <mutex>

// A copy of the last audio buffer a recorder or player handled, with its
// length, for the level meter. The worker keeps it; the user-interface thread
// reads it.
class LastBuffer {
  public:
    static constexpr uint32_t kSize = 45000;

    // Keeps up to kSize bytes, in the storage of the last copy unless a
    // reader still holds that one.
    void Keep(const char* data, uint32_t length) {
        const auto size = static_cast<qsizetype>(length < kSize ? length : kSize);
        std::lock_guard lock(mutex_);
        if (!copy_.isDetached()) {
            copy_ = QByteArray(data, size);
            return;
        }
        copy_.resize(size);
        std::memcpy(copy_.data(), data, static_cast<size_t>(size));
    }
    QByteArray Get() const {
        std::lock_guard lock(mutex_);
        return copy_;
    }

  private:
    mutable std::mutex mutex_;
    QByteArray copy_;
};
