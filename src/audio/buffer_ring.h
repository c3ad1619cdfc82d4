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
    void ResetIndex() { index_ = 0; }

    // The header to handle: the given one when explicitHeader is set (may be
    // null); otherwise the one at the ring index if the device has marked it
    // done, the index then moving on; else null.
    WaveHeader* Pick(bool explicitHeader, WaveHeader* header);

  private:
    std::array<WaveHeader, kCount> headers_;
    std::unique_ptr<char[]> blocks_;
    int index_ = 0;
};
