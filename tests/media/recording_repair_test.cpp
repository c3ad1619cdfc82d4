// Recordings killed in a second process, completed as the next start does.
#include <gtest/gtest.h>

#include <map>

#include "media/crash_child.h"
#include "media/media_test_support.h"
#include "media/rec_file.h"
#include "media/recording_repair.h"
#include "media/wave_file.h"

namespace {

constexpr std::time_t kStart = 1796601600;

// The end tags tell when the recording ended, in seconds after its start.
RepairOptions Options() {
    RepairOptions options;
    options.endTags = [](const std::string& item, std::time_t end) {
        return std::vector<RepairedTag>{
            {"title", (item.find("EVENT News") != std::string::npos ? "News " : "? ") +
                          std::to_string(end - kStart)}};
    };
    return options;
}

double ProbedSeconds(const std::string& path) {
    const ToolRun probe =
        RunTool("ffprobe", {"-v", "error", "-show_entries", "format=duration", "-of",
                            "default=noprint_wrappers=1:nokey=1", QString::fromStdString(path)});
    EXPECT_EQ(probe.exitCode, 0) << probe.output.toStdString();
    return probe.output.trimmed().toDouble();
}

struct Killed {
    const char* name;
    int buffers;      // fifths of a second
    int bufferBytes;  // WAVE: 16-bit stereo at 8000 per second; MP3: 128 kbit/s
    int64_t riffLimit;
};

TEST(RecordingRepair, KilledRecordingsAreCompletedOnceNobodyHoldsThem) {
    for (const char* tool : {"sox", "ffprobe", "ogginfo", "mid3v2"}) {
        if (!HaveTool(tool)) {
            GTEST_SKIP() << tool << " is needed";
        }
    }
    const Killed cases[] = {
        {"killed.wav", 15, 6400, 0},
        {"rf64.wav", 40, 6400, 6400 * 10 + 3},
        {"killed.mp3", 15, 3200, 0},
        {"killed.ogg", 15, 0, 0},
    };
    for (const Killed& c : cases) {
        SCOPED_TRACE(c.name);
        TestDir dir;
        const std::string path = dir.Path(c.name);
        const std::string recovery = RecFile::RecoveryPath(path);
        const double seconds = c.buffers / 5.0;
        CrashChild child;
        child.Record(path, c.buffers, c.bufferBytes, kStart, c.riffLimit);
        ASSERT_FALSE(HasFatalFailure());

        // While it records, nothing is touched.
        const QByteArray recorded = ReadFileBytes(path);
        EXPECT_EQ(RepairRecording(recovery, Options()).outcome, RepairReport::kHeld);
        EXPECT_EQ(ReadFileBytes(path), recorded);
        child.Kill();
        ASSERT_FALSE(HasFatalFailure());

        const RepairReport report = RepairRecording(recovery, Options());
        ASSERT_EQ(report.outcome, RepairReport::kRepaired) << report.detail;
        EXPECT_EQ(report.recording, path);
        EXPECT_FALSE(FileExists(recovery));
        EXPECT_GE(ProbedSeconds(path), seconds - 0.1);

        if (HasExtension(path, ".wav")) {
            const ToolRun sox = RunTool("sox", {"--i", "-D", QString::fromStdString(path)});
            EXPECT_NEAR(sox.output.trimmed().toDouble(), seconds, 0.001)
                << sox.output.toStdString();
            EXPECT_EQ(ReadFileBytes(path).left(4), c.riffLimit > 0 ? "RF64" : "RIFF");
            WaveFile wave(path, nullptr, kOpenRead);
            EXPECT_NE(wave.GetTag(kTimecodeTagName).value_or("").find("start of the news"),
                      std::string::npos);
        } else if (HasExtension(path, ".mp3")) {
            // mutagen's lister
            const ToolRun tags = RunTool("mid3v2", {"-l", QString::fromStdString(path)});
            EXPECT_EQ(tags.exitCode, 0) << tags.output.toStdString();
            EXPECT_TRUE(tags.output.contains("TIT2=News 3\n")) << tags.output.toStdString();
            EXPECT_TRUE(tags.output.contains("EVENT News")) << tags.output.toStdString();
        } else {
            const ToolRun info = RunTool("ogginfo", {QString::fromStdString(path)});
            EXPECT_EQ(info.exitCode, 0) << info.output.toStdString();
            EXPECT_FALSE(info.output.contains("WARNING", Qt::CaseInsensitive))
                << info.output.toStdString();
        }
        // Complete now: a second repair has nothing to do.
        EXPECT_EQ(FindRecoveryFiles(dir.Root()), std::vector<std::string>{});
    }
}

// What cannot be repaired stays as it is; a recovery file without its
// recording goes; the recording this process makes is held.
TEST(RecordingRepair, LeavesWhatItCannotRepairAndWhatIsHeld) {
    TestDir dir;
    const QByteArray junk = AudioPattern(5000, 7);
    const QByteArray item = QByteArray("\x01\0\0\0", 4) + "SAMPLE\tTIMECODE\r\n0\t1\r\n" + '\0';
    for (const char* name : {"damaged.wav", "damaged.MP3", "damaged.ogg"}) {
        WriteFileBytes(dir.Path(name), junk);
        WriteFileBytes(RecFile::RecoveryPath(dir.Path(name)), item);
    }
    WriteFileBytes(dir.Path("orphan.~av"), item);
    WriteFileBytes(dir.Path("notes.~xt"), item);
    const WaveFormat format = WaveFormat::Pcm(1, 8000, 16);
    RecFile live(dir.Path("live.wav"), &format, kOpenReadWrite | kOpenCreate | kOpenDenyWrite,
                 false);
    ASSERT_EQ(live.WriteAudio(junk.constData(), 4000), 4000);
    const QByteArray liveBytes = ReadFileBytes(dir.Path("live.wav"));

    std::map<std::string, RepairReport::Outcome> outcomes;
    for (const std::string& recovery : FindRecoveryFiles(dir.Root())) {
        const RepairReport report = RepairRecording(recovery, Options());
        outcomes[recovery.substr(dir.Root().size() + 1)] = report.outcome;
    }
    EXPECT_EQ(outcomes, (std::map<std::string, RepairReport::Outcome>{
                            {"damaged.~P3", RepairReport::kNotRepairable},
                            {"damaged.~av", RepairReport::kNotRepairable},
                            {"damaged.~gg", RepairReport::kNotRepairable},
                            {"live.~av", RepairReport::kHeld},
                            {"orphan.~av", RepairReport::kOrphanRemoved}}));
    for (const char* name : {"damaged.wav", "damaged.MP3", "damaged.ogg"}) {
        EXPECT_EQ(ReadFileBytes(dir.Path(name)), junk) << name;
        EXPECT_EQ(ReadFileBytes(RecFile::RecoveryPath(dir.Path(name))), item) << name;
    }
    EXPECT_FALSE(FileExists(dir.Path("orphan.~av")));
    EXPECT_EQ(ReadFileBytes(dir.Path("live.wav")), liveBytes);
}

}  // namespace
