#include "audio/buffer_ring.h"

BufferRing::BufferRing() : blocks_(new char[size_t{kCount} * kBlockSize]()) {
    for (int i = 0; i < kCount; ++i) {
        WaveHeader& header = headers_[static_cast<size_t>(i)];
        header.data = blocks_.get() + size_t{kBlockSize} * static_cast<size_t>(i);
        header.bufferLength = kBlockSize;
        header.user = static_cast<uintptr_t>(i);
    }
}

void BufferRing::ResetIndex() {
    index_ = 0;
    dropped_.fill(false);
}

void BufferRing::Drop(const WaveHeader* header) {
    for (int i = 0; i < kCount; ++i) {
        if (header == &headers_[static_cast<size_t>(i)]) {
            dropped_[static_cast<size_t>(i)] = true;
        }
    }
}

int BufferRing::DroppedCount() const {
    int count = 0;
    for (bool dropped : dropped_) {
        count += dropped ? 1 : 0;
    }
    return count;
}

WaveHeader* BufferRing::Pick(bool explicitHeader, WaveHeader* header) {
    if (explicitHeader) {
        return header;
    }
    for (int i = 0; i < kCount && dropped_[static_cast<size_t>(index_)]; ++i) {
        index_ = (index_ + 1) % kCount;
    }
    if (dropped_[static_cast<size_t>(index_)]) {
        return nullptr;
    }
    WaveHeader* next = &headers_[static_cast<size_t>(index_)];
    if (!next->IsDone()) {
        return nullptr;
    }
    index_ = (index_ + 1) % kCount;
    return next;
}
