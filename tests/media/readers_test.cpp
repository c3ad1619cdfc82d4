// Files we write, read by programs nobody here wrote: sox, ffprobe and
// mutagen's mid3v2; MP3 input made by a real encoder.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "media/media_test_support.h"
#include "media/mp3_file.h"
#include "media/rec_file.h"
#include "media/wave_file.h"

namespace {

constexpr unsigned kRecordMode = kOpenReadWrite | kOpenCreate | kOpenDenyWrite;

#define REQUIRE_TOOL(name)                           \
    if (!HaveTool(name)) {                           \
        GTEST_SKIP() << name << " is not installed"; \
    }

QByteArray Sine16(int frames, int channels, int rate) {
    QByteArray bytes;
    for (int i = 0; i < frames; ++i) {
        const auto v = static_cast<int16_t>(8000 * std::sin(2 * M_PI * 440 * i / rate));
        for (int c = 0; c < channels; ++c) {
            bytes += static_cast<char>(v & 0xFF);
            bytes += static_cast<char>((v >> 8) & 0xFF);
        }
    }
    return bytes;
}

QString SoxInfo(const std::string& path, const char* option) {
    return RunTool("sox", {"--i", option, QString::fromStdString(path)}).output.trimmed();
}

QString Probe(const std::string& path) {
    const ToolRun run =
        RunTool("ffprobe", {"-v", "error", "-show_entries",
                            "stream=codec_name,sample_rate,channels:format=duration:format_tags",
                            "-of", "default=noprint_wrappers=1", QString::fromStdString(path)});
    EXPECT_EQ(run.exitCode, 0) << run.output.toStdString();
    return run.output;
}

class ReadersTest : public ::testing::Test {
  protected:
    TestDir dir_;
};

TEST_F(ReadersTest, SoxAndFfprobeReadOurWaveRecordings) {
    REQUIRE_TOOL("sox");
    REQUIRE_TOOL("ffprobe");
    const std::string path = dir_.Path("recording.wav");
    const WaveFormat format = WaveFormat::Pcm(2, 44100, 16);
    const QByteArray second = Sine16(44100, 2, 44100);
    {
        RecFile file(path, &format, kRecordMode, false);
        ASSERT_TRUE(file.SetTag("artist", "Night Owls"));
        for (int i = 0; i < 5; ++i) {
            const int part = second.size() / 5;
            ASSERT_EQ(file.WriteAudio(second.constData() + i * part, part), part);
        }
        file.AddComment("a comment", 0);
    }
    EXPECT_EQ(SoxInfo(path, "-r"), "44100");
    EXPECT_EQ(SoxInfo(path, "-c"), "2");
    EXPECT_EQ(SoxInfo(path, "-b"), "16");
    EXPECT_EQ(SoxInfo(path, "-D"), "1.000000");
    const QString probe = Probe(path);
    EXPECT_TRUE(probe.contains("codec_name=pcm_s16le")) << probe.toStdString();
    EXPECT_TRUE(probe.contains("sample_rate=44100"));
    EXPECT_TRUE(probe.contains("channels=2"));
    EXPECT_TRUE(probe.contains("duration=1.000000"));
    EXPECT_TRUE(probe.contains("TAG:artist=Night Owls"));

    // Appended to later.
    {
        RecFile file(path, nullptr, kRecordMode, false);
        ASSERT_EQ(file.GetLength(), second.size());
        file.WriteAudio(second.constData(), 176400 / 2);
    }
    EXPECT_EQ(SoxInfo(path, "-D"), "1.500000");
    EXPECT_TRUE(Probe(path).contains("duration=1.500000"));

    const std::string mono = dir_.Path("mono8.wav");
    {
        RecFile file(mono, nullptr, kRecordMode, false);  // 8-bit mono, 22050 per second
        file.WriteAudio(AudioPattern(22051).constData(), 22051);
    }
    EXPECT_EQ(SoxInfo(mono, "-s"), "22051");
    EXPECT_EQ(SoxInfo(mono, "-b"), "8");
    EXPECT_TRUE(Probe(mono).contains("codec_name=pcm_u8"));
}

TEST_F(ReadersTest, Mid3v2AndFfprobeReadOurMp3Tags) {
    REQUIRE_TOOL("mid3v2");
    REQUIRE_TOOL("ffprobe");
    const QByteArray audio = ReadFileBytes(FixturePath("sine_44100_128k.mp3"));
    const std::string path = dir_.Path("recording.mp3");
    const std::string item =
        "SAMPLE\tTIMECODE\r\n0\t1796601600\r\nEVENT News\r\nSTATION 101.3000\r\n";
    {
        RecFile file(path, nullptr, kRecordMode, false);
        ASSERT_TRUE(file.IsMp3());
        file.WriteAudio(audio.constData(), audio.size());
        EXPECT_TRUE(file.SetTag(kTimecodeTagName, "replaced"));
        EXPECT_TRUE(file.SetTag(kTimecodeTagName, item));
        EXPECT_TRUE(file.SetTag("title", "Morning News"));
        EXPECT_TRUE(file.SetTag("year", "2026"));
        EXPECT_TRUE(file.SetTag("comment", "taped at home"));
    }
    const ToolRun listed = RunTool("mid3v2", {"-l", QString::fromStdString(path)});
    ASSERT_EQ(listed.exitCode, 0) << listed.output.toStdString();
    const QString tags = listed.output;
    EXPECT_TRUE(tags.contains("TIT2=Morning News")) << tags.toStdString();
    EXPECT_TRUE(tags.contains("TYER=2026"));
    EXPECT_TRUE(tags.contains("COMM=") && tags.contains("taped at home"));
    EXPECT_EQ(tags.count("PRIV="), 1);
    EXPECT_TRUE(tags.contains("PRIV=http://www.quillmoor.com="));
    EXPECT_TRUE(tags.contains("EVENT News")) << "the item is the PRIV frame's data";
    EXPECT_FALSE(tags.contains("replaced"));

    const QString probe = Probe(path);
    EXPECT_TRUE(probe.contains("codec_name=mp3")) << probe.toStdString();
    EXPECT_TRUE(probe.contains("sample_rate=44100"));
    EXPECT_TRUE(probe.contains("TAG:title=Morning News"));

    // Only the ID3v1 record when ID3v2 tags are off.
    const std::string plain = dir_.Path("plain.mp3");
    {
        RecFile file(plain, nullptr, kRecordMode, false, false);
        file.WriteAudio(audio.constData(), audio.size());
        EXPECT_TRUE(file.SetTag("title", "Version One"));
    }
    EXPECT_FALSE(ReadFileBytes(plain).startsWith("ID3"));
    EXPECT_TRUE(RunTool("mid3v2", {"-l", QString::fromStdString(plain)})
                    .output.contains("TIT2=Version One"));
    EXPECT_TRUE(Probe(plain).contains("TAG:title=Version One"));
}

TEST_F(ReadersTest, OpensWhatTheEncoderWritesWithItsOwnTag) {
    REQUIRE_TOOL("ffmpeg");
    const std::string path = dir_.Path("encoded.mp3");
    const ToolRun encode = RunTool("ffmpeg", {"-hide_banner",
                                              "-loglevel",
                                              "error",
                                              "-y",
                                              "-f",
                                              "lavfi",
                                              "-i",
                                              "sine=frequency=1000:sample_rate=48000:duration=0.3",
                                              "-ac",
                                              "2",
                                              "-c:a",
                                              "libmp3lame",
                                              "-b:a",
                                              "96k",
                                              "-id3v2_version",
                                              "3",
                                              "-metadata",
                                              "title=From the encoder",
                                              "-write_id3v1",
                                              "1",
                                              QString::fromStdString(path)});
    ASSERT_EQ(encode.exitCode, 0) << encode.output.toStdString();
    const QByteArray bytes = ReadFileBytes(path);
    ASSERT_TRUE(bytes.startsWith("ID3"));

    Mp3File file(path, nullptr, kOpenRead);
    ASSERT_TRUE(file.IsOpen());
    EXPECT_GT(file.GetDataStart(), 10);
    EXPECT_EQ(file.GetDataStart() + file.GetLength() + 128, bytes.size());
    EXPECT_EQ(file.Format().samplesPerSec, 48000u);
    EXPECT_EQ(file.Format().channels, 2);
    EXPECT_EQ(file.GetTag("title"), "From the encoder");
    EXPECT_EQ(file.GetId3v1().Field("title"), "From the encoder");
}

}  // namespace
