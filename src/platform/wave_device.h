#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/wave_format.h"

// Wave input and output devices over ALSA PCM. The owner prepares buffers,
// queues them, and gets each one back marked done: an input buffer when it is
// full (or when input stops), an output buffer when it has been played. An
// I/O thread of the device moves the data; it reports through a callback
// that should do no more than wake the owner.

// Result codes of the device operations; 0 is success.
enum WaveResult : int {
    kWaveOk = 0,
    kWaveError = 1,
    kWaveBadDeviceId = 2,
    kWaveNotAnswering = 3,  // the open did not return within kWaveOpenTimeoutMs
    kWaveAllocated = 4,     // the device is busy
    kWaveInvalidHandle = 5,
    kWaveNoMemory = 7,
    kWaveInvalidParam = 11,
    kWaveBadFormat = 32,
    kWaveStillPlaying = 33,  // the buffer is still queued
    kWaveUnprepared = 34,
};

// One buffer handed to a device. The owner fills in data, bufferLength and
// user; the device sets bytesRecorded (input) and the flags.
struct WaveHeader {
    static constexpr uint32_t kDone = 0x01;
    static constexpr uint32_t kPrepared = 0x02;
    static constexpr uint32_t kInQueue = 0x10;

    char* data = nullptr;
    uint32_t bufferLength = 0;
    uint32_t bytesRecorded = 0;
    uintptr_t user = 0;
    // Written by the device's I/O thread; kDone is set after bytesRecorded.
    std::atomic<uint32_t> flags{0};
    uint32_t loops = 0;

    bool IsDone() const { return (flags.load(std::memory_order_acquire) & kDone) != 0; }
    void ClearDone() { flags.fetch_and(~kDone, std::memory_order_acq_rel); }
};

enum class WaveDirection { kInput, kOutput };

// How long an open may take. An open that has not returned by then (a named
// pipe without a writer behind ALSA's file plugin, a busy device that opens
// blocking) fails with kWaveNotAnswering; it is left to finish on a thread
// of its own, which closes the device if it ever opens.
constexpr int kWaveOpenTimeoutMs = 3000;
// Opens abandoned that way which have not returned yet.
int WaveOpensNotAnswering();

// The reason for the log and the status line, for a failed open's result.
std::string WaveOpenFailureText(const std::string& device, int result);

// Device number that stands for the system's default device ("default").
constexpr int kWaveMapper = -1;

struct WaveDeviceCaps {
    std::string name;         // the ALSA device name, as given to Open
    std::string description;  // first line of ALSA's description; may be empty
};

// The devices ALSA offers for that direction: its name hints, then the PCM
// devices of the sound cards that the hints do not name.
std::vector<WaveDeviceCaps> ListWaveDevices(WaveDirection direction);
int WaveGetNumDevs(WaveDirection direction);
// Device 0..n-1 of the list, or kWaveMapper: the "default" device when the
// ALSA configuration defines one. Nothing for other numbers.
std::optional<WaveDeviceCaps> WaveGetDevCaps(WaveDirection direction, int device);

// What the device reports through its callback. header is the returned
// buffer for kData, null otherwise; detail is the negative errno for
// kDeviceError, else 0.
enum class WaveMessage {
    kData,      // a buffer is done
    kOverrun,   // input: data came faster than it was read; recovered
    kUnderrun,  // output: the device ran dry while data was queued; recovered
    // The device failed; no more data moves until it is reset. An input
    // buffer it was filling has come back (kData) before this report.
    kDeviceError,
};
using WaveCallback = void (*)(WaveMessage message, void* instance, WaveHeader* header, int detail);

// Open flags.
constexpr unsigned kWaveOpenPlain = 0;
// ALSA may convert rate, channels and sample format to what the device
// supports.
constexpr unsigned kWaveOpenMapped = 1;

class WaveEngine;

// The capture device that carries the demodulated audio of the current SDR
// radio. Listed among the input devices while an SDR radio exists.
inline constexpr const char* kSdrCaptureDevice = "SDR receiver";

// An open wave input or output device.
class WaveDevice {
  public:
    // Opens the device of that ALSA name for PCM data in the given format;
    // kSdrCaptureDevice opens the SDR radio's audio. Null on failure, with the reason in *result
    // when result is not null.
    static std::unique_ptr<WaveDevice> Open(WaveDirection direction, const std::string& name,
                                            const WaveFormat& format, WaveCallback callback,
                                            void* instance, unsigned flags, int* result = nullptr);
    // Open with kWaveOpenMapped, then, when that fails, plain; a device that
    // did not answer is not asked a second time.
    static std::unique_ptr<WaveDevice> OpenMappedOrPlain(WaveDirection direction,
                                                         const std::string& name,
                                                         const WaveFormat& format,
                                                         WaveCallback callback, void* instance,
                                                         int* result = nullptr);
    // Resets the device (every queued buffer comes back done) and closes it.
    ~WaveDevice();
    WaveDevice(const WaveDevice&) = delete;
    WaveDevice& operator=(const WaveDevice&) = delete;

    WaveDirection direction() const;
    const std::string& name() const;

    int Prepare(WaveHeader* header);
    // kWaveStillPlaying while the buffer is queued.
    int Unprepare(WaveHeader* header);
    // Queues a prepared buffer: to be filled (input) or played (output).
    // Output buffers play in the order they are queued; an output buffer of
    // length 0 comes back once what was queued before it has been played,
    // and not sooner than kEmptyBufferHoldMs after it was queued.
    int AddBuffer(WaveHeader* header);
    // Input only: starts filling the queued buffers.
    int Start();
    // Input only: stops filling; the buffer being filled comes back done
    // with what it holds, the others stay queued.
    int Stop();
    // Stops the device; every queued buffer comes back done, in queue order.
    int Reset();
    // Frames moved since the device was opened: delivered into buffers
    // (input) or played (output).
    std::optional<uint64_t> GetPositionSamples() const;

    static constexpr int kEmptyBufferHoldMs = 50;

  private:
    explicit WaveDevice(std::unique_ptr<WaveEngine> engine);

    std::unique_ptr<WaveEngine> pcm_;
};
