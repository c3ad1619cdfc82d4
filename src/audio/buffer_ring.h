#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "platform/wave_device.h"

// The five buffers of a recorder or player, each with a data block of
// 45000 bytes, and the ring index of the next one to handle. A header's
// user word starts as its index.
class BufferRing {
  public:
    static constexpr int kCount = 5;
    static constexpr uint32_t kBlockSize = 45000;

    BufferRing();
    BufferRing(const BufferRing&) = delete;
    BufferRing& operator=(const BufferRing&) = delete;

    WaveHeader& operator[](int i) { return headers_[static_cast<size_t>(i)]; }
    int index() const { return index_; }
    // Back to the first buffer, with every buffer in the ring again.
    void ResetIndex();

    // The header to handle: the given one when explicitHeader is set (may be
    // null); otherwise the one at the ring index if the device has marked it
    // done, the index then moving on; else null. Dropped buffers are passed
    // over.
    WaveHeader* Pick(bool explicitHeader, WaveHeader* header);

    // Takes a buffer that could not be queued again out of the ring, so that
    // the others go on without it.
    void Drop(const WaveHeader* header);
    int DroppedCount() const;

  private:
    std::array<WaveHeader, kCount> headers_;
    std::array<bool, kCount> dropped_{};
    std::unique_ptr<char[]> blocks_;
    int index_ = 0;
};
