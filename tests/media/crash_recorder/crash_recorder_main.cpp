// Records a WAVE file through RecFile the way the recorder does, then waits
// to be killed:
//   media_crash_recorder <path> <buffers> <buffer bytes> <start time> [plain RIFF limit]
// Buffer i holds the bytes of AudioPattern-like content seeded by i; the
// clock says <start time>. Prints "recorded" once all buffers are written.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "media/rec_file.h"

namespace {

class FixedClock : public Clock {
  public:
    explicit FixedClock(std::time_t now) : now_(now) {}
    std::time_t Now() const override { return now_; }

  private:
    std::time_t now_;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5 && argc != 6) {
        std::fprintf(stderr, "usage: %s path buffers bytes start-time [riff-limit]\n", argv[0]);
        return 2;
    }
    const std::string path = argv[1];
    const int buffers = std::atoi(argv[2]);
    const int bytes = std::atoi(argv[3]);
    FixedClock clock(static_cast<std::time_t>(std::atoll(argv[4])));
    const WaveFormat format = WaveFormat::Pcm(2, 8000, 16);
    RecFile file(path, &format, kOpenReadWrite | kOpenCreate | kOpenDenyWrite, false, true, clock);
    if (!file.IsOpen()) {
        return 1;
    }
    if (argc == 6) {
        file.SetPlainRiffLimit(std::atoll(argv[5]));
    }
    file.AddComment("start of the news", 0);
    std::vector<char> buffer(static_cast<std::size_t>(bytes));
    for (int i = 0; i < buffers; ++i) {
        for (int j = 0; j < bytes; ++j) {
            buffer[static_cast<std::size_t>(j)] = static_cast<char>((i * 31 + j) & 0xFF);
        }
        if (i == 300) {
            file.AddComment("weather", RecFile::kCurrentPosition);
        }
        if (file.WriteAudio(buffer.data(), bytes) != bytes) {
            return 1;
        }
    }
    std::printf("recorded\n");
    std::fflush(stdout);
    for (;;) {
        pause();  // the RecFile is never completed
    }
}
