// Records a file the way the recorders do, then waits to be killed:
//   media_crash_recorder <path> <buffers> <buffer bytes> <start time> [plain RIFF limit]
// ".wav": buffer i holds bytes seeded by i, written through RecFile; the
// clock says <start time>. ".mp3": the frames of an MP3 fixture, again and
// again, written through RecFile in buffers of that many bytes, with the
// item the end of a recording of the event "News" at 101.3 MHz stores.
// ".ogg": SVorbisRecord from a test capture device playing a tone, until
// <buffers> fifths of a second are on disk. Prints "recorded" once all of
// it is written.
#include <unistd.h>

#include <QFile>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <thread>
#include <vector>

#include "audio/svorbis_record.h"
#include "media/file_io.h"
#include "media/rec_file.h"
#include "support/alsa_test_devices.h"

namespace {

class FixedClock : public Clock {
  public:
    explicit FixedClock(std::time_t now) : now_(now) {}
    std::time_t Now() const override { return now_; }

  private:
    std::time_t now_;
};

[[noreturn]] void WaitToBeKilled() {
    std::printf("recorded\n");
    std::fflush(stdout);
    for (;;) {
        pause();  // the recording is never completed
    }
}

int RecordWave(RecFile& file, int buffers, int bytes) {
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
    WaitToBeKilled();
}

int RecordMp3(RecFile& file, int buffers, int bytes, std::time_t start) {
    QFile fixture(MEDIA_FIXTURES_DIR "/sine_44100_128k.mp3");
    if (!fixture.open(QIODevice::ReadOnly)) {
        return 1;
    }
    const QByteArray frames = fixture.readAll();
    QByteArray stream;
    while (stream.size() < static_cast<qsizetype>(buffers) * bytes) {
        stream += frames;
    }
    file.SetRecoveryItem("SAMPLE\tTIMECODE\r\n0\t" + std::to_string(start) +
                         "\r\nEVENT News\r\nSTATION 101.3000\r\n");
    for (int i = 0; i < buffers; ++i) {
        if (file.WriteAudio(stream.constData() + static_cast<qsizetype>(i) * bytes, bytes) !=
            bytes) {
            return 1;
        }
    }
    WaitToBeKilled();
}

int RecordVorbis(const std::string& path, int fifths) {
    constexpr uint32_t kRate = 22050;
    const double seconds = fifths / 5.0 + SVorbisRecord::kFlushSeconds + 2;
    QByteArray tone(static_cast<qsizetype>(seconds * kRate) * 2, '\0');
    auto* samples = reinterpret_cast<int16_t*>(tone.data());
    for (qsizetype i = 0; i < tone.size() / 2; ++i) {
        samples[i] = static_cast<int16_t>(8000 * std::sin(2 * M_PI * 440 * i / kRate));
    }
    AlsaTestDevices devices;
    devices.SetCaptureInput(tone);
    WaveFormat settings;
    settings.formatTag = 0;
    settings.channels = 1;
    settings.samplesPerSec = kRate;
    settings.avgBytesPerSec = 48000 / 8;
    SVorbisRecord recorder(nullptr, path, settings, AlsaTestDevices::kCapture);
    if (!recorder.IsOpen() || !recorder.Start()) {
        return 1;
    }
    // What the encoder holds back is not on disk yet.
    const auto wanted = static_cast<int64_t>((fifths / 5.0 + SVorbisRecord::kFlushSeconds) * kRate);
    while (recorder.FramesEncoded() < wanted) {
        if (recorder.HasFailed()) {
            return 1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    WaitToBeKilled();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5 && argc != 6) {
        std::fprintf(stderr, "usage: %s path buffers bytes start-time [riff-limit]\n", argv[0]);
        return 2;
    }
    const std::string path = argv[1];
    const int buffers = std::atoi(argv[2]);
    const int bytes = std::atoi(argv[3]);
    const auto start = static_cast<std::time_t>(std::atoll(argv[4]));
    if (HasExtension(path, ".ogg")) {
        return RecordVorbis(path, buffers);
    }
    FixedClock clock(start);
    const bool mp3 = HasExtension(path, ".mp3");
    const WaveFormat format = WaveFormat::Pcm(2, 8000, 16);
    RecFile file(path, mp3 ? nullptr : &format, kOpenReadWrite | kOpenCreate | kOpenDenyWrite,
                 false, true, clock);
    if (!file.IsOpen()) {
        return 1;
    }
    if (argc == 6) {
        file.SetPlainRiffLimit(std::atoll(argv[5]));
    }
    return mp3 ? RecordMp3(file, buffers, bytes, start) : RecordWave(file, buffers, bytes);
}
