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

// Feeds `bytes` of the raw PCM file into the named pipe at the pace of a
// capture device (kRate frames per second, in pieces of 20 ms), from a
// child process of its own so that its work is not counted as ours. The
// pipe is opened for writing when the child starts (it waits for a
// reader); the child ends when all is written or the reader goes. -1 when
// it cannot start. EndPacedFeed stops and reaps it.
pid_t StartPacedFeed(const std::string& fifo, const std::string& pcm, int64_t bytes);
void EndPacedFeed(pid_t feeder);

}  // namespace bench
