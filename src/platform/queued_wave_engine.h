#pragma once

#include <deque>
#include <mutex>
#include <vector>

#include "platform/wave_engine.h"

// The buffer queue every engine keeps the same way: headers are prepared,
// queued in order, and handed back marked done through the callback. The
// engine moves the data; the queue and its lock live here.
class QueuedWaveEngine : public WaveEngine {
  public:
    WaveDirection direction() const override { return direction_; }
    int Prepare(WaveHeader* header) override;
    int Unprepare(WaveHeader* header) override;
    int AddBuffer(WaveHeader* header) override;

  protected:
    // A callback to make once the lock is released.
    struct Notice {
        WaveMessage message;
        WaveHeader* header;
        int detail;
    };

    QueuedWaveEngine(WaveDirection direction, unsigned frameBytes, WaveCallback callback,
                     void* instance)
        : direction_(direction),
          frameBytes_(frameBytes),
          callback_(callback),
          instance_(instance) {}

    // A header was queued; the lock is held.
    virtual void Queued() {}
    // Marks the header done and notes its kData callback; the lock is held.
    void Complete(WaveHeader* header, std::vector<Notice>& notices);
    // Makes the callbacks; the lock must not be held.
    void Deliver(const std::vector<Notice>& notices);

    const WaveDirection direction_;
    const unsigned frameBytes_;
    const WaveCallback callback_;
    void* const instance_;

    mutable std::mutex mutex_;
    std::deque<WaveHeader*> queue_;  // input: to be filled; output: to be written
};
