#include <gtest/gtest.h>
#include <sys/resource.h>

#include <QFile>
#include <QTemporaryDir>
#include <chrono>
#include <thread>

#include "audio/svorbis_play.h"
#include "audio/svorbis_record.h"
#include "pipe_reader.h"
#include "support/alsa_test_devices.h"
#include "support/message_box_recorder.h"
#include "tone_files.h"
#include "wave_test_files.h"

namespace {

WaveFormat VorbisSettings(uint16_t channels, uint32_t rate, uint32_t bitsPerSecond) {
    WaveFormat settings;
    settings.formatTag = 0;
    settings.channels = channels;
    settings.samplesPerSec = rate;
    settings.avgBytesPerSec = bitsPerSecond / 8;
    settings.blockAlign = 0;
    settings.bitsPerSample = 0;
    return settings;
}

double ProcessCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

class SVorbisTest : public ::testing::Test {
  protected:
    QString Path(const char* name) const { return dir.filePath(name); }

    // Records the tone from the capture device until `seconds` of it have
    // been encoded.
    void RecordTone(const QString& path, const WaveFormat& settings, double seconds, double hz) {
        devices.SetCaptureInput(
            ToneSamples(hz, settings.samplesPerSec, settings.channels, seconds + 2));
        SVorbisRecord recorder(nullptr, path.toStdString(), settings, AlsaTestDevices::kCapture);
        ASSERT_TRUE(recorder.IsOpen());
        ASSERT_TRUE(recorder.Start());
        const auto frames = static_cast<int64_t>(settings.samplesPerSec * seconds);
        ASSERT_TRUE(WaitUntil([&] { return recorder.FramesEncoded() >= frames; }, 30000));
        EXPECT_TRUE(recorder.Stop());
        EXPECT_FALSE(recorder.IsRecording());
    }

    AlsaTestDevices devices;
    QTemporaryDir dir;
    MessageBoxRecorder messages;
};

TEST(SVorbisRecordFormat, CaptureBuffersHoldAFifthOfASecondOfPcm) {
    EXPECT_EQ(SVorbisRecord::BufferBytes(VorbisSettings(2, 44100, 128000)), 35280u);
    EXPECT_EQ(SVorbisRecord::BufferBytes(VorbisSettings(1, 8000, 16000)), 3200u);
    EXPECT_EQ(SVorbisRecord::BufferBytes(VorbisSettings(2, 96000, 64000)), 45000u);
    EXPECT_EQ(SVorbisRecord::CaptureFormat(VorbisSettings(1, 22050, 64000)),
              WaveFormat::Pcm(1, 22050, 16));
}

TEST_F(SVorbisTest, HeaderPagesAtConstructionEndOfStreamAtStop) {
    const QString path = Path("headers.ogg");
    {
        SVorbisRecord recorder(nullptr, path.toStdString(), VorbisSettings(2, 44100, 64000),
                               AlsaTestDevices::kCapture);
        ASSERT_TRUE(recorder.IsOpen());
        EXPECT_EQ(recorder.GetFileTitle(), "headers.ogg");
        EXPECT_EQ(recorder.GetBytesPerSecond(), 8000u);
        EXPECT_FALSE(recorder.SetTag("title", "x"));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray start = file.readAll();
        EXPECT_TRUE(start.startsWith("OggS"));
        EXPECT_GT(start.size(), 100);
        // The header pages do not count as recorded bytes.
        EXPECT_EQ(recorder.GetBytesWritten(), 0);
        // Never started: no end-of-stream page.
    }
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    const qsizetype last = bytes.lastIndexOf("OggS");
    ASSERT_GE(last, 0);
    EXPECT_EQ(bytes[last + 5] & 0x04, 0) << "end-of-stream page without a recording";

    // Settings the encoder refuses leave no file behind.
    const QString refused = Path("refused.ogg");
    SVorbisRecord bad(nullptr, refused.toStdString(), VorbisSettings(2, 8000, 500000),
                      AlsaTestDevices::kCapture);
    EXPECT_FALSE(bad.IsOpen());
    EXPECT_FALSE(bad.Start());
    EXPECT_FALSE(QFile::exists(refused));
}

// Ten seconds of a tone in Vorbis at 64 kbit/s: ffprobe, ogginfo and ffmpeg
// agree, and our player plays the tone back through a file device.
TEST_F(SVorbisTest, RecordedToneIsReadBackByExternalReadersAndOurPlayer) {
    if (!HaveTool("ffprobe") || !HaveTool("ffmpeg") || !HaveTool("ogginfo")) {
        GTEST_SKIP() << "ffprobe, ffmpeg and ogginfo are needed";
    }
    const QString path = Path("tone.ogg");
    RecordTone(path, VorbisSettings(2, 44100, 64000), 10.0, 1000.0);

    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    const qsizetype last = bytes.lastIndexOf("OggS");
    ASSERT_GE(last, 0);
    EXPECT_NE(bytes[last + 5] & 0x04, 0) << "the last page carries the end-of-stream mark";
    EXPECT_TRUE(bytes.contains("ENCODER=encoder_example.c"));

    const auto probed = Probe(path);
    ASSERT_TRUE(probed.has_value());
    EXPECT_EQ(probed->codec, "vorbis");
    EXPECT_EQ(probed->sampleRate, 44100);
    EXPECT_EQ(probed->channels, 2);
    // What the five buffers held at the stop may come on top.
    EXPECT_GE(probed->duration, 9.99);
    EXPECT_LE(probed->duration, 11.0);
    // A managed rate: a plain tone needs less than its nominal 64 kbit/s,
    // never more.
    EXPECT_LT(bytes.size() * 8.0 / probed->duration, 64000 * 1.2);

    const ToolRun info = RunTool("ogginfo", {path});
    EXPECT_EQ(info.exitCode, 0) << info.out.constData();
    EXPECT_FALSE(info.out.contains("WARNING")) << info.out.constData();
    EXPECT_FALSE(info.out.contains("Warning")) << info.out.constData();
    EXPECT_TRUE(info.out.contains("Nominal bitrate: 64.0")) << info.out.constData();

    const QByteArray decoded = DecodeWithFfmpeg(path);
    EXPECT_NEAR(MeasuredFrequency(decoded, 44100, 2, 0), 1000.0, 5.0);
    EXPECT_NEAR(MeasuredFrequency(decoded, 44100, 2, 1), 1000.0, 5.0);

    // Our player into the playback file device, to the end of the stream.
    ProgressCounter owner;
    SVorbisPlay player(&owner, path.toStdString(), AlsaTestDevices::kPlayback);
    ASSERT_TRUE(player.IsOpen());
    EXPECT_EQ(player.OutputFormat(), WaveFormat::Pcm(2, 44100, 16));
    EXPECT_EQ(player.GetLength(), bytes.size());
    EXPECT_LT(player.GetPosition(), 8000);
    EXPECT_NEAR(player.GetBytesPerSecond(), bytes.size() / probed->duration,
                bytes.size() / probed->duration * 0.2);
    EXPECT_EQ(player.GetFormatTag(), 0);
    ASSERT_TRUE(player.Play());
    EXPECT_TRUE(player.IsPlaying());
    ASSERT_TRUE(WaitUntil([&] { return player.GetPosition() >= player.GetLength(); }, 30000));

    // At the end the player idles: empty buffers circulate with progress
    // messages, without spinning a core.
    const double cpuBefore = ProcessCpuSeconds();
    const int progressBefore = owner.count;
    WaitUntil([] { return false; }, 1000);
    const double cpuUsed = ProcessCpuSeconds() - cpuBefore;
    EXPECT_LT(cpuUsed, 0.5);
    EXPECT_GT(owner.count, progressBefore);
    EXPECT_TRUE(player.Stop());
    EXPECT_FALSE(player.IsPlaying());

    const QByteArray played = devices.PlaybackOutput();
    EXPECT_GE(played.size(), decoded.size() - 4);
    EXPECT_NEAR(MeasuredFrequency(played, 44100, 2, 1), 1000.0, 5.0);
}

TEST_F(SVorbisTest, MonoRecordingAndStopThenPlayResumesWhereItWasHeard) {
    const QString path = Path("mono.ogg");
    RecordTone(path, VorbisSettings(1, 16000, 32000), 30.0, 500.0);
    const int pcmBytes = 30 * 16000 * 2;
    PacedPipeReader reader(devices.Path("paced.fifo"));
    SVorbisPlay player(nullptr, path.toStdString(), AlsaTestDevices::kPacedPlayback);
    ASSERT_TRUE(player.IsOpen());
    EXPECT_EQ(player.OutputFormat(), WaveFormat::Pcm(1, 16000, 16));
    const int64_t start = player.GetPosition();
    ASSERT_TRUE(player.Play());
    ASSERT_TRUE(WaitUntil([&] { return player.GetPosition() > start; }));
    ASSERT_TRUE(player.Stop());
    const int64_t stoppedAt = player.GetPosition();
    EXPECT_GT(stoppedAt, start);
    EXPECT_LT(stoppedAt, player.GetLength()) << "stopped before the end";
    ASSERT_TRUE(WaitUntil([&] { return reader.Sessions().size() == 1; }));

    ASSERT_TRUE(player.Play());
    EXPECT_GE(player.GetPosition(), stoppedAt);
    ASSERT_TRUE(WaitUntil([&] { return player.GetPosition() >= player.GetLength(); }, 20000));
    EXPECT_TRUE(player.Stop());
    ASSERT_TRUE(WaitUntil([&] { return reader.Sessions().size() == 2; }));
    const auto sessions = reader.Sessions();
    // The second session goes on from where the first was heard, at an Ogg
    // page boundary (positions are page offsets, and a page of this plain
    // tone holds seconds of it): the two hold the recording but for part of
    // a page, the second alone much less.
    EXPECT_GE(sessions[0].size() + sessions[1].size(), pcmBytes - 5 * 16000 * 2);
    EXPECT_LT(sessions[1].size(), pcmBytes - 16000 * 2);
    EXPECT_NEAR(MeasuredFrequency(sessions[1], 16000, 1), 500.0, 5.0);

    // Seeking outside the file fails, inside succeeds.
    EXPECT_FALSE(player.SetPosition(player.GetLength() + 100000));
    EXPECT_TRUE(player.SetPosition(0));
    EXPECT_LT(player.GetPosition(), stoppedAt);
}

TEST_F(SVorbisTest, DamagedOrForeignFilesStopCleanly) {
    const QString path = Path("damaged.ogg");
    RecordTone(path, VorbisSettings(2, 44100, 64000), 4.0, 700.0);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    QByteArray bytes = file.readAll();
    // Garbage over the last half of the stream, pages and all.
    for (qsizetype i = bytes.size() / 2; i < bytes.size(); ++i) {
        bytes[i] = static_cast<char>((i * 2654435761u) >> 24);
    }
    file.seek(0);
    file.write(bytes);
    file.close();
    {
        SVorbisPlay player(nullptr, path.toStdString(), AlsaTestDevices::kPlayback);
        if (player.IsOpen()) {
            ASSERT_TRUE(player.Play());
            WaitUntil([] { return false; }, 1500);
            EXPECT_TRUE(player.Stop());
        }
    }
    const QByteArray played = devices.PlaybackOutput();
    EXPECT_GT(played.size(), 44100 * 4);
    EXPECT_NEAR(MeasuredFrequency(played, 44100, 2, 0, 0.1, 0.5), 700.0, 5.0);

    const QString foreign = Path("foreign.ogg");
    QFile other(foreign);
    ASSERT_TRUE(other.open(QIODevice::WriteOnly));
    other.write(TestSignal(10000));
    other.close();
    SVorbisPlay notVorbis(nullptr, foreign.toStdString(), AlsaTestDevices::kPlayback);
    EXPECT_FALSE(notVorbis.IsOpen());
    EXPECT_FALSE(notVorbis.Play());
    EXPECT_EQ(notVorbis.GetFileTitle(), "");
    SVorbisPlay missing(nullptr, Path("none.ogg").toStdString(), AlsaTestDevices::kPlayback);
    EXPECT_FALSE(missing.IsOpen());
    EXPECT_TRUE(messages.calls().empty());
}

}  // namespace

namespace {

// A recording cut inside a page (killed, or the disk ran full) plays to its
// end: the position reaches the length.
TEST_F(SVorbisTest, FileCutInsideAPageReachesItsEnd) {
    const QString path = Path("cut.ogg");
    RecordTone(path, VorbisSettings(1, 16000, 32000), 4.0, 500.0);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    const qsizetype lastPage = file.readAll().lastIndexOf("OggS");
    ASSERT_GT(lastPage, 0);
    ASSERT_TRUE(file.resize(lastPage + 40)) << "a few bytes into the last page";
    file.close();
    SVorbisPlay player(nullptr, path.toStdString(), AlsaTestDevices::kPlayback);
    ASSERT_TRUE(player.IsOpen());
    ASSERT_TRUE(player.Play());
    EXPECT_TRUE(WaitUntil([&] { return player.GetPosition() >= player.GetLength(); }, 20000))
        << player.GetPosition() << " of " << player.GetLength();
    EXPECT_TRUE(player.Stop());
    EXPECT_EQ(player.GetPosition(), player.GetLength());
}

}  // namespace

namespace {

// Offsets of the Ogg pages in a file's bytes.
QList<qsizetype> PageOffsets(const QByteArray& bytes) {
    QList<qsizetype> offsets;
    for (qsizetype at = bytes.indexOf("OggS"); at >= 0; at = bytes.indexOf("OggS", at + 4)) {
        offsets.append(at);
    }
    return offsets;
}

// A recording cut halfway into a page in the middle of its audio plays what
// decodes, then reaches the length and idles there as a whole one does; a
// whole one ends exactly at its size.
TEST_F(SVorbisTest, RecordingCutMidStreamPlaysToItsEndAndIdles) {
    const QString path = Path("killed.ogg");
    RecordTone(path, VorbisSettings(1, 16000, 32000), 20.0, 500.0);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    const QByteArray whole = file.readAll();
    const QList<qsizetype> pages = PageOffsets(whole);
    ASSERT_GE(pages.size(), 5);
    qsizetype page = pages.size() - 2;
    while (page > 3 && pages[page] > whole.size() / 2) {
        --page;
    }
    const qsizetype cut = (pages[page] + pages[page + 1]) / 2;
    ASSERT_GT(cut, pages[page] + 27) << "inside the page's data";

    {
        SVorbisPlay complete(nullptr, path.toStdString(), AlsaTestDevices::kPlayback);
        ASSERT_TRUE(complete.Play());
        ASSERT_TRUE(
            WaitUntil([&] { return complete.GetPosition() >= complete.GetLength(); }, 30000));
        EXPECT_TRUE(complete.Stop());
        EXPECT_EQ(complete.GetPosition(), whole.size());
        EXPECT_EQ(complete.GetLength(), whole.size());
    }
    const qsizetype wholePlayed = devices.PlaybackOutput().size();

    ASSERT_TRUE(file.resize(cut));
    file.close();
    ProgressCounter owner;
    SVorbisPlay player(&owner, path.toStdString(), AlsaTestDevices::kPlayback);
    ASSERT_TRUE(player.IsOpen());
    EXPECT_EQ(player.GetLength(), cut);
    ASSERT_TRUE(player.Play());
    EXPECT_TRUE(WaitUntil([&] { return player.GetPosition() >= player.GetLength(); }, 30000))
        << player.GetPosition() << " of " << player.GetLength();
    EXPECT_EQ(player.GetPosition(), player.GetLength());

    // At the end: still the owner's to stop, progress goes on, no core spins.
    const double cpuBefore = ProcessCpuSeconds();
    const int progressBefore = owner.count;
    WaitUntil([] { return false; }, 1000);
    EXPECT_LT(ProcessCpuSeconds() - cpuBefore, 0.5);
    EXPECT_GT(owner.count, progressBefore);
    EXPECT_TRUE(player.IsPlaying());
    EXPECT_EQ(player.GetPosition(), player.GetLength());
    EXPECT_TRUE(player.Stop());
    EXPECT_EQ(player.GetPosition(), player.GetLength());

    // What decoded before the cut was played (each session replaces the
    // device's output): a part of the tone, not all of it.
    const QByteArray played = devices.PlaybackOutput();
    EXPECT_GT(played.size(), 16000 * 2 * 3);
    EXPECT_LT(played.size(), wholePlayed);
    EXPECT_NEAR(MeasuredFrequency(played, 16000, 1), 500.0, 5.0);

    // Played again from the end, it stays there.
    ASSERT_TRUE(player.Play());
    WaitUntil([] { return false; }, 500);
    EXPECT_EQ(player.GetPosition(), player.GetLength());
    EXPECT_TRUE(player.Stop());
}

}  // namespace
