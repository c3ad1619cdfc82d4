#pragma once

#include <cstdint>
#include <string>

#include "platform/wave_device.h"

// What moves the data of an open WaveDevice: an ALSA PCM with its I/O
// thread, or another source of capture audio such as the SDR receiver. The
// operations have the meaning WaveDevice gives them.
class WaveEngine {
  public:
    virtual ~WaveEngine() = default;

    virtual WaveDirection direction() const = 0;
    virtual const std::string& name() const = 0;
    virtual int Prepare(WaveHeader* header) = 0;
    virtual int Unprepare(WaveHeader* header) = 0;
    virtual int AddBuffer(WaveHeader* header) = 0;
    virtual int Start() = 0;
    virtual int Stop() = 0;
    virtual int Reset() = 0;
    virtual uint64_t PositionFrames() const = 0;
};
