#pragma once

#include <sys/resource.h>
#include <sys/types.h>

#include <QString>
#include <cstdint>
#include <string>
#include <vector>

// What the benchmarks share: CPU time, the PCM they record or encode, and a
// reference program run beside ours.
namespace bench {

// The sample rate of the benchmarks' PCM: 16-bit stereo at 44100 Hz.
inline constexpr uint32_t kRate = 44100;

// User plus system time.
double CpuSeconds(const rusage& usage);
// CPU seconds of this process so far.
double SelfCpu();

// Writes seconds of raw PCM at kRate: a tone on each channel (440 and 1234
// Hz) with a little noise, so that encoders have something real to do.
bool WritePcm(const QString& path, double seconds);

// CPU seconds of a child program, its output discarded; negative when it
// cannot be started or fails.
double RunProgram(std::vector<std::string> args);

// The capture device of bench/paced_capture.sh: a test signal (440 Hz left,
// 1234 Hz right, a little noise) delivered in real time like a sound card's
// input, for the life of this object. Start brings it up in `folder` and
// points ALSA_CONFIG_PATH of this process (and so of its children) at it;
// its ALSA device is then kPacedDevice.
inline constexpr const char* kPacedDevice = "paced_capture";
class PacedCapture {
  public:
    PacedCapture() = default;
    PacedCapture(const PacedCapture&) = delete;
    PacedCapture& operator=(const PacedCapture&) = delete;
    ~PacedCapture();
    bool Start(const std::string& folder);

  private:
    std::string folder_;
};

// CPU seconds of two programs joined by a pipe (the first one's output is
// the second one's input), each measured on its own; negative for one that
// cannot be started or fails.
struct PipeCpu {
    double first = -1;
    double second = -1;
};
PipeCpu RunPipe(std::vector<std::string> first, std::vector<std::string> second);

}  // namespace bench
