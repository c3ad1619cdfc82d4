#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "audio/sstream_wave_in.h"
#include "audio/svorbis_record.h"
#include "audio/swave_in.h"
#include "mp3_frames.h"
#include "ogg_pages.h"
#include "platform/codec_manager.h"
#include "process_log_watch.h"
#include "support/alsa_test_devices.h"
#include "support/file_size_limit.h"
#include "support/message_box_recorder.h"
#include "tone_files.h"
#include "wave_test_files.h"

namespace {

using ::testing::HasSubstr;

const WaveFormat kCd = WaveFormat::Pcm(2, 44100, 16);

int Occurrences(const std::string& text, const std::string& part) {
    int count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class RecorderFailureTest : public ::testing::Test {
  protected:
    QString Path(const char* name) const { return dir.filePath(name); }

    // Records until the recorder gives up by itself; the file stays limited
    // to limitBytes while it records.
    void RecordUntilItFails(SRecord& recorder, rlim_t limitBytes) {
        FileSizeLimit limit(limitBytes);
        ASSERT_TRUE(recorder.Start());
        ASSERT_TRUE(WaitUntil([&] { return recorder.HasFailed(); }, 60000));
        EXPECT_FALSE(recorder.IsRecording()) << "it stopped without being told";
    }

    AlsaTestDevices devices;
    QTemporaryDir dir;
    MessageBoxRecorder messages;
};

TEST_F(RecorderFailureTest, WaveRecordingOnAFullDiskStopsOnAWholeBlockAndSaysWhy) {
    devices.SetCaptureInput(TestSignal(44100 * 4 * 4, 3));
    const QString path = Path("full.wav");
    ProcessLogWatch log;
    {
        SWaveIn recorder(nullptr, path.toStdString(), kCd, AlsaTestDevices::kCapture);
        EXPECT_FALSE(recorder.HasFailed());
        EXPECT_TRUE(recorder.GetFailure().empty());
        RecordUntilItFails(recorder, 300001);
        EXPECT_THAT(recorder.GetFailure(), HasSubstr("File too large"));
        EXPECT_FALSE(recorder.Start()) << "a failed recording does not go on";
        recorder.Stop();
    }
    EXPECT_EQ(Occurrences(log.Since(), path.toStdString() + " stopped: Cannot write"), 1)
        << "once, however many writes failed";
    const std::optional<WaveContents> file = ReadWaveFile(path);
    ASSERT_TRUE(file.has_value()) << "the RIFF structure is complete";
    EXPECT_GT(file->data.size(), 200000);
    EXPECT_EQ(file->data.size() % 4, 0);
    EXPECT_EQ(file->data, TestSignal(44100 * 4 * 4, 3).left(file->data.size()));
    EXPECT_LE(QFileInfo(path).size(), 300001);
    if (HaveTool("sox")) {
        const ToolRun run = RunTool("sox", {"--i", "-s", path});
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        EXPECT_EQ(run.out.trimmed().toLongLong(), file->data.size() / 4);
    }
}

TEST_F(RecorderFailureTest, Mp3RecordingOnAFullDiskEndsOnAWholeFrame) {
    WaveFormat wanted;
    wanted.formatTag = WaveFormat::kTagMpegLayer3;
    wanted.channels = 2;
    wanted.samplesPerSec = 44100;
    wanted.avgBytesPerSec = 128 * 125;
    const std::optional<WaveFormat> mp3 = codec::SuggestFormat(wanted);
    ASSERT_TRUE(mp3.has_value());
    devices.SetCaptureInput(ToneSamples(1000, 44100, 2, 20));
    const QString path = Path("full.mp3");
    ProcessLogWatch log;
    {
        SStreamWaveIn recorder(nullptr, path.toStdString(), *mp3, AlsaTestDevices::kCapture);
        RecordUntilItFails(recorder, 60001);
        EXPECT_THAT(recorder.GetFailure(), HasSubstr("File too large"));
        recorder.Stop();
    }
    EXPECT_EQ(Occurrences(log.Since(), path.toStdString() + " stopped: Cannot write"), 1)
        << "once, however many writes failed";
    const QByteArray bytes = ReadAll(path);
    int frames = 0;
    EXPECT_TRUE(WholeMp3Frames(bytes, &frames));
    EXPECT_GT(frames, 100);
    if (HaveTool("ffprobe")) {
        const auto probed = Probe(path);
        ASSERT_TRUE(probed.has_value());
        EXPECT_EQ(probed->codec, "mp3");
        EXPECT_GT(probed->duration, 3.0);
    }
}

TEST_F(RecorderFailureTest, VorbisRecordingOnAFullDiskLogsOnceAndEndsOnAWholePage) {
    WaveFormat settings;
    settings.channels = 2;
    settings.samplesPerSec = 44100;
    settings.avgBytesPerSec = 64000 / 8;
    devices.SetCaptureInput(ToneSamples(1000, 44100, 2, 20));
    const QString path = Path("full.ogg");
    ProcessLogWatch log;
    {
        SVorbisRecord recorder(nullptr, path.toStdString(), settings, AlsaTestDevices::kCapture);
        RecordUntilItFails(recorder, 40001);
        EXPECT_THAT(recorder.GetFailure(), HasSubstr("File too large"));
        EXPECT_FALSE(recorder.Stop()) << "the end of the stream could not be written";
        EXPECT_FALSE(recorder.Start());
    }
    EXPECT_EQ(Occurrences(log.Since(), "Cannot write Vorbis page to " + path.toStdString()), 0);
    EXPECT_EQ(Occurrences(log.Since(), path.toStdString() + " stopped: Cannot write"), 1)
        << "once, however many writes failed";
    const QByteArray bytes = ReadAll(path);
    qsizetype end = 0;
    EXPECT_GT(WholeOggPages(bytes, &end), 3);
    EXPECT_EQ(end, bytes.size()) << "no part page at the end";
    if (HaveTool("ffprobe")) {
        const auto probed = Probe(path);
        ASSERT_TRUE(probed.has_value());
        EXPECT_EQ(probed->codec, "vorbis");
        EXPECT_GT(probed->duration, 2.0);
    }
}

TEST_F(RecorderFailureTest, FailingDeviceEndsEveryRecorderWithTheReason) {
    devices.SetCaptureInput(TestSignal(44100 * 4 * 3, 21));
    WaveFormat vorbis;
    vorbis.channels = 2;
    vorbis.samplesPerSec = 44100;
    vorbis.avgBytesPerSec = 64000 / 8;
    const std::string wave = Path("device.wav").toStdString();
    const std::string ogg = Path("device.ogg").toStdString();
    {
        SWaveIn pcm(nullptr, wave, kCd, AlsaTestDevices::kFailingCapture);
        SVorbisRecord encoded(nullptr, ogg, vorbis, AlsaTestDevices::kFailingCapture);
        for (SRecord* recorder : {static_cast<SRecord*>(&pcm), static_cast<SRecord*>(&encoded)}) {
            ASSERT_TRUE(recorder->Start());
            ASSERT_TRUE(WaitUntil([&] { return recorder->HasFailed(); }, 30000));
            EXPECT_FALSE(recorder->IsRecording());
            EXPECT_THAT(recorder->GetFailure(), HasSubstr("sound device failed"));
        }
        EXPECT_TRUE(pcm.Stop());
        EXPECT_TRUE(encoded.Stop());
    }
    const std::optional<WaveContents> file = ReadWaveFile(QString::fromStdString(wave));
    ASSERT_TRUE(file.has_value());
    EXPECT_EQ(file->data.size(), 44100 * 4 / 2) << "all that was delivered";
}

}  // namespace
