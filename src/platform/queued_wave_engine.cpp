#include "platform/queued_wave_engine.h"

int QueuedWaveEngine::Prepare(WaveHeader* header) {
    if (header == nullptr || header->data == nullptr) {
        return kWaveInvalidParam;
    }
    std::lock_guard lock(mutex_);
    header->flags.fetch_or(WaveHeader::kPrepared);
    return kWaveOk;
}

int QueuedWaveEngine::Unprepare(WaveHeader* header) {
    if (header == nullptr) {
        return kWaveInvalidParam;
    }
    std::lock_guard lock(mutex_);
    if ((header->flags.load() & WaveHeader::kInQueue) != 0) {
        return kWaveStillPlaying;
    }
    header->flags.fetch_and(~WaveHeader::kPrepared);
    return kWaveOk;
}

int QueuedWaveEngine::AddBuffer(WaveHeader* header) {
    if (header == nullptr || header->data == nullptr) {
        return kWaveInvalidParam;
    }
    std::lock_guard lock(mutex_);
    const uint32_t flags = header->flags.load();
    if ((flags & WaveHeader::kPrepared) == 0) {
        return kWaveUnprepared;
    }
    if ((flags & WaveHeader::kInQueue) != 0) {
        return kWaveStillPlaying;
    }
    if (direction_ == WaveDirection::kInput) {
        if (header->bufferLength < frameBytes_) {
            return kWaveInvalidParam;  // it could never hold a frame
        }
        header->bytesRecorded = 0;
    }
    header->flags.store((flags & ~WaveHeader::kDone) | WaveHeader::kInQueue);
    queue_.push_back(header);
    Queued();
    return kWaveOk;
}

void QueuedWaveEngine::Complete(WaveHeader* header, std::vector<Notice>& notices) {
    const uint32_t flags = header->flags.load();
    header->flags.store((flags & ~WaveHeader::kInQueue) | WaveHeader::kDone,
                        std::memory_order_release);
    notices.push_back({WaveMessage::kData, header, 0});
}

void QueuedWaveEngine::Deliver(const std::vector<Notice>& notices) {
    if (callback_ == nullptr) {
        return;
    }
    for (const Notice& notice : notices) {
        callback_(notice.message, instance_, notice.header, notice.detail);
    }
}
