#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/wave_device.h"

// One open wave input device, chosen by name (exact match, else the default
// device). Every operation returns the device's result code (0 = success).
class SWaveInDev {
  public:
    SWaveInDev(const std::string& deviceName, const WaveFormat& format, WaveCallback callback,
               void* instance, unsigned openFlags);
    // Stops the device if started, then closes it.
    virtual ~SWaveInDev();
    SWaveInDev(const SWaveInDev&) = delete;
    SWaveInDev& operator=(const SWaveInDev&) = delete;

    virtual int Prepare(WaveHeader* header);
    virtual int AddBuffer(WaveHeader* header);
    // Sets the started flag and starts input.
    virtual int Start();
    // Clears the started flag, stops input and resets it, so that every
    // queued buffer comes back done.
    virtual int StopInput();
    virtual int Unprepare(WaveHeader* header);
    virtual bool IsOpen() const { return device_ != nullptr; }

    // Frames delivered since the device was opened.
    std::optional<uint64_t> GetPositionSamples() const;
    // The device number chosen (kWaveMapper for the default device) and the
    // result of opening it.
    int deviceNumber() const { return deviceNumber_; }
    int openResult() const { return openResult_; }
    // An identifier of the open device for messages; 0 when closed.
    uintptr_t handle() const { return reinterpret_cast<uintptr_t>(device_.get()); }

  private:
    std::unique_ptr<WaveDevice> device_;
    bool started_ = false;
    int deviceNumber_ = kWaveMapper;
    int openResult_ = kWaveOk;
};
