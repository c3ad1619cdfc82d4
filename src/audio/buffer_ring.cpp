#include "audio/buffer_ring.h"

BufferRing::BufferRing() : blocks_(new char[size_t{kCount} * kBlockSize]()) {
    for (int i = 0; i < kCount; ++i) {
        WaveHeader& header = headers_[static_cast<size_t>(i)];
        header.data = blocks_.get() + size_t{kBlockSize} * static_cast<size_t>(i);
        header.bufferLength = kBlockSize;
        header.user = static_cast<uintptr_t>(i);
    }
}

WaveHeader* BufferRing::Pick(bool explicitHeader, WaveHeader* header) {
    if (explicitHeader) {
        return header;
    }
    WaveHeader* next = &headers_[static_cast<size_t>(index_)];
    if (!next->IsDone()) {
        return nullptr;
    }
    index_ = (index_ + 1) % kCount;
    return next;
}
