// A recording process killed in the middle of a WAVE recording.
#include <gtest/gtest.h>

#include "media/crash_child.h"
#include "media/file_io.h"
#include "media/media_test_support.h"
#include "media/rec_file.h"
#include "media/wave_file.h"

namespace {

constexpr int kBufferBytes = 6400;  // a fifth of a second of 16-bit stereo at 8000 per second
constexpr std::time_t kStart = 1796601600;

QByteArray ChildBuffer(int index) {
    QByteArray bytes(kBufferBytes, '\0');
    for (int j = 0; j < kBufferBytes; ++j) {
        bytes[j] = static_cast<char>((index * 31 + j) & 0xFF);
    }
    return bytes;
}

// Starts the recorder, waits until it has written every buffer and kills it.
// riffLimit: the largest plain RIFF before the recording goes on as RF64
// (0: the default).
void RecordAndKill(const std::string& path, int buffers, int64_t riffLimit = 0) {
    CrashChild child;
    child.Record(path, buffers, kBufferBytes, kStart, riffLimit);
    if (!::testing::Test::HasFatalFailure()) {
        child.Kill();
    }
}

TEST(CrashedRecording, KeepsAllTheAudioOnDiskAndItsMetadata) {
    TestDir dir;
    const std::string path = dir.Path("killed.wav");
    const int buffers = RecFile::kReopenInterval + 50;
    RecordAndKill(path, buffers);
    if (HasFatalFailure()) {
        return;
    }
    // Every buffer written before the kill.
    const int64_t kept = int64_t{kBufferBytes} * buffers;

    if (HaveTool("sox")) {
        const ToolRun sox = RunTool("sox", {"--i", "-D", QString::fromStdString(path)});
        EXPECT_EQ(sox.exitCode, 0) << sox.output.toStdString();
        EXPECT_EQ(sox.output.trimmed(), "130.000000");
    }
    if (HaveTool("ffprobe")) {
        const ToolRun probe =
            RunTool("ffprobe", {"-v", "error", "-show_entries", "format=duration", "-of",
                                "default=noprint_wrappers=1", QString::fromStdString(path)});
        EXPECT_EQ(probe.exitCode, 0) << probe.output.toStdString();
        EXPECT_EQ(probe.output.trimmed(), "duration=130.000000");
    }

    {
        WaveFile wave(path, nullptr, kOpenRead);
        ASSERT_TRUE(wave.IsOpen());
        ASSERT_EQ(wave.GetLength(), kept);
        QByteArray buffer(kBufferBytes, '\0');
        for (int i = 0; i < buffers; ++i) {
            ASSERT_EQ(wave.Read(buffer.data(), kBufferBytes), kBufferBytes);
            ASSERT_EQ(buffer, ChildBuffer(i)) << "buffer " << i;
        }
        EXPECT_EQ(wave.GetTag(kTimecodeTagName), std::nullopt) << "never completed";
    }

    const uint32_t weather = 300 * kBufferBytes;
    {
        RecFile file(path, nullptr, kOpenRead, false);
        EXPECT_EQ(file.GetLength(), kept);
        EXPECT_EQ(file.Timecodes(), (std::vector<TimecodeEntry>{{kStart, 0}}));
        EXPECT_EQ(file.Comments(),
                  (std::vector<RecComment>{{"start of the news", 0, weather},
                                           {"weather", weather, RecComment::kOpenEnd}}));
        EXPECT_EQ(file.TimeAt(weather), kStart + 60);
    }
    EXPECT_TRUE(FileExists(RecFile::RecoveryPath(path)));

    // Recording on into the same file takes the saved metadata along.
    {
        RecFile file(path, nullptr, kOpenReadWrite | kOpenDenyWrite, false);
        file.WriteAudio(ChildBuffer(0).constData(), kBufferBytes);
    }
    EXPECT_FALSE(FileExists(RecFile::RecoveryPath(path)));
    RecFile file(path, nullptr, kOpenRead, false);
    EXPECT_EQ(file.GetLength(), kept + kBufferBytes);
    EXPECT_EQ(file.Comments().size(), 2u);
    ASSERT_EQ(file.Timecodes().size(), 2u);
    EXPECT_EQ(file.Timecodes()[1].position, kept);
}

}  // namespace

namespace {

// Killed long before the first reopen: the header's sizes are a few
// seconds behind at most, and our reader takes every byte on disk.
TEST(CrashedRecording, KilledEarlyStillHoldsItsAudioAndStartTime) {
    TestDir dir;
    const std::string path = dir.Path("early.wav");
    const int buffers = RecFile::kHeaderInterval * 4 + 7;
    RecordAndKill(path, buffers);
    if (HasFatalFailure()) {
        return;
    }
    if (HaveTool("sox")) {
        const ToolRun sox = RunTool("sox", {"--i", "-D", QString::fromStdString(path)});
        EXPECT_EQ(sox.exitCode, 0) << sox.output.toStdString();
        EXPECT_GE(sox.output.trimmed().toDouble(), RecFile::kHeaderInterval * 4 * 0.2 - 0.001);
    }
    RecFile file(path, nullptr, kOpenRead, false);
    EXPECT_EQ(file.GetLength(), int64_t{kBufferBytes} * buffers);
    EXPECT_EQ(file.Timecodes(), (std::vector<TimecodeEntry>{{kStart, 0}}));
}

}  // namespace

namespace {

// Killed after it went on as RF64: the 64-bit sizes in "ds64" are kept
// current like the 32-bit ones were, and our reader takes what is on disk.
TEST(CrashedRecording, KilledAfterBecomingRf64KeepsItsAudio) {
    TestDir dir;
    const std::string path = dir.Path("rf64.wav");
    const int buffers = RecFile::kHeaderInterval * 6 + 7;
    RecordAndKill(path, buffers, int64_t{kBufferBytes} * 40 + 3);
    if (HasFatalFailure()) {
        return;
    }
    ASSERT_EQ(ReadFileBytes(path).left(4), "RF64");
    if (HaveTool("sox")) {
        const ToolRun sox = RunTool("sox", {"--i", "-D", QString::fromStdString(path)});
        EXPECT_EQ(sox.exitCode, 0) << sox.output.toStdString();
        EXPECT_DOUBLE_EQ(sox.output.trimmed().toDouble(), RecFile::kHeaderInterval * 6 * 0.2)
            << "as of the last header update";
    }
    if (HaveTool("ffprobe")) {
        const ToolRun probe =
            RunTool("ffprobe", {"-v", "error", "-show_entries", "format=duration", "-of",
                                "default=noprint_wrappers=1", QString::fromStdString(path)});
        EXPECT_EQ(probe.exitCode, 0) << probe.output.toStdString();
        EXPECT_GE(probe.output.trimmed().mid(9).toDouble(), RecFile::kHeaderInterval * 6 * 0.2);
    }
    RecFile file(path, nullptr, kOpenRead, false);
    ASSERT_EQ(file.GetLength(), int64_t{kBufferBytes} * buffers);
    QByteArray buffer(kBufferBytes, '\0');
    for (int i = 0; i < buffers; ++i) {
        ASSERT_EQ(file.ReadAudio(buffer.data(), kBufferBytes), kBufferBytes);
        ASSERT_EQ(buffer, ChildBuffer(i)) << "buffer " << i;
    }
    EXPECT_EQ(file.Timecodes(), (std::vector<TimecodeEntry>{{kStart, 0}}));
}

}  // namespace
