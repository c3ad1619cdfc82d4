#include "audio/sstream_wave_in.h"

#include "audio/sstream_wave_out.h"

#include <gtest/gtest.h>
#include <QThread>

#include <QFile>
#include <QTemporaryDir>
#include <algorithm>

#include "mp3_frames.h"
#include "platform/codec_manager.h"
#include "support/alsa_test_devices.h"
#include "support/message_box_recorder.h"
#include "tone_files.h"
#include "wave_test_files.h"

namespace {

WaveFormat CodecFormat(uint16_t tag, uint16_t channels, uint32_t rate, uint32_t kbps = 0) {
    WaveFormat wanted;
    wanted.formatTag = tag;
    wanted.channels = channels;
    wanted.samplesPerSec = rate;
    wanted.avgBytesPerSec = kbps * 125;
    const auto format = codec::SuggestFormat(wanted);
    return format ? *format : WaveFormat{};
}

class SStreamWaveInTest : public ::testing::Test {
  protected:
    std::string PathOf(const char* name) const { return dir.filePath(name).toStdString(); }

    // Records at least `seconds` of a tone from the capture device into the
    // file; the sample frames converted.
    int64_t RecordTone(const std::string& path, const WaveFormat& format, double seconds,
                       double hz) {
        // The test device delivers as fast as it is read: the tone lasts
        // well past the moment the recorder is stopped.
        devices.SetCaptureInput(
            ToneSamples(hz, format.samplesPerSec, format.channels, seconds * 4));
        SStreamWaveIn recorder(nullptr, path, format, AlsaTestDevices::kCapture);
        EXPECT_TRUE(recorder.IsOpen());
        EXPECT_TRUE(recorder.Start());
        EXPECT_TRUE(recorder.HasCodecStream());
        EXPECT_EQ(recorder.GetBytesPerSecond(), format.avgBytesPerSec);
        const auto frames = static_cast<int64_t>(format.samplesPerSec * seconds);
        EXPECT_TRUE(WaitUntil([&] { return recorder.FramesConverted() >= frames; }, 30000));
        EXPECT_TRUE(recorder.Stop());
        EXPECT_FALSE(recorder.HasCodecStream());
        return recorder.FramesConverted();
    }

    AlsaTestDevices devices;
    QTemporaryDir dir;
    MessageBoxRecorder messages;
};

struct Target {
    const char* name;
    WaveFormat format;
    const char* probedCodec;
};

class SStreamWaveInReaders : public SStreamWaveInTest,
                             public ::testing::WithParamInterface<Target> {};

// Ten seconds of a tone; ffprobe sees the codec, rate, channels and about
// ten seconds, and the file decoded by ffmpeg and by our player holds the
// tone.
TEST_P(SStreamWaveInReaders, TenSecondsOfAToneReadBackByFfprobeFfmpegAndOurPlayer) {
    if (!HaveTool("ffprobe") || !HaveTool("ffmpeg")) {
        GTEST_SKIP() << "ffprobe and ffmpeg are needed";
    }
    const Target target = GetParam();
    ASSERT_NE(target.format.formatTag, WaveFormat::kTagPcm) << "a format of the codec manager";
    const std::string path = PathOf(target.name);
    const int64_t frames = RecordTone(path, target.format, 10.0, 1000.0);
    EXPECT_TRUE(messages.calls().empty());
    const double rate = target.format.samplesPerSec;
    const double captured = frames / rate;
    // At least ten seconds; how much more depends on how fast the test
    // device delivered until the stop took hold.
    EXPECT_GE(captured, 10.0);

    const auto probed = Probe(QString::fromStdString(path));
    ASSERT_TRUE(probed.has_value());
    EXPECT_EQ(probed->codec, target.probedCodec);
    EXPECT_EQ(probed->sampleRate, static_cast<int>(target.format.samplesPerSec));
    EXPECT_EQ(probed->channels, target.format.channels);
    // Everything captured is in the file: up to an encoder's last frame and
    // its delay more, nothing less.
    EXPECT_GE(probed->duration, captured - 0.01);
    EXPECT_LE(probed->duration, captured + 0.2);

    const QByteArray decoded = DecodeWithFfmpeg(QString::fromStdString(path));
    const int64_t decodedFrames = decoded.size() / (2 * target.format.channels);
    EXPECT_GE(decodedFrames, frames);
    EXPECT_LE(decodedFrames, frames + 4000);
    for (int ch = 0; ch < target.format.channels; ++ch) {
        EXPECT_NEAR(MeasuredFrequency(decoded, target.format.samplesPerSec, target.format.channels,
                                      ch, 0.05, std::min(0.95, 9.5 / captured)),
                    1000.0, 5.0)
            << "channel " << ch;
    }

    // Our player decodes it back into the playback device.
    {
        SStreamWaveOut player(nullptr, path, AlsaTestDevices::kPlayback);
        ASSERT_TRUE(player.IsOpen());
        ASSERT_TRUE(player.Play());
        // Let it play until its position stands still. The file-backed
        // device may keep the last few buffers until it is stopped, so the
        // sound itself is checked after the stop: every frame must be there.
        int64_t last = -1;
        for (int i = 0; i < 60 && player.GetPosition() != last; ++i) {
            last = player.GetPosition();
            QThread::msleep(500);
        }
        EXPECT_GT(player.GetPosition(), 0);
        player.Stop();
    }
    const QByteArray played = devices.PlaybackOutput();
    EXPECT_GE(played.size() / (2 * target.format.channels), frames);
    for (int ch = 0; ch < target.format.channels; ++ch) {
        EXPECT_NEAR(MeasuredFrequency(played, target.format.samplesPerSec, target.format.channels,
                                      ch, 0.05, std::min(0.95, 9.5 / captured)),
                    1000.0, 5.0)
            << "played channel " << ch;
    }

    QFile file(QString::fromStdString(path));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    if (target.format.formatTag == codec::kTagMpegLayer3) {
        int frames = 0;
        EXPECT_TRUE(WholeMp3Frames(bytes, &frames)) << "the file ends on a whole frame";
        EXPECT_GT(frames, 10 * static_cast<int>(target.format.samplesPerSec) / 1152);
    } else {
        const auto contents = ReadWaveFile(QString::fromStdString(path));
        ASSERT_TRUE(contents.has_value());
        EXPECT_EQ(contents->format, target.format) << "the record with its extra bytes";
        EXPECT_EQ(contents->data.size() % target.format.blockAlign, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Codecs, SStreamWaveInReaders,
    ::testing::Values(
        Target{"ima.wav", CodecFormat(codec::kTagImaAdpcm, 2, 22050), "adpcm_ima_wav"},
        Target{"alaw.wav", CodecFormat(codec::kTagALaw, 1, 8000), "pcm_alaw"},
        Target{"stereo128.mp3", CodecFormat(codec::kTagMpegLayer3, 2, 44100, 128), "mp3"},
        Target{"mono32.mp3", CodecFormat(codec::kTagMpegLayer3, 1, 16000, 32), "mp3"}),
    [](const ::testing::TestParamInfo<Target>& info) {
        std::string name = info.param.name;
        return name.substr(0, name.find('.'));
    });

TEST_F(SStreamWaveInTest, StopWritesThePendingRingTurnSoNothingCapturedIsLost) {
    // A-law keeps one byte per sample: the data must match the samples the
    // device delivered, including the last ring turn before the stop.
    const WaveFormat alaw = CodecFormat(codec::kTagALaw, 2, 8000);
    const std::string path = PathOf("complete.wav");
    devices.SetCaptureInput(ToneSamples(440, 8000, 2, 5.0));
    {
        SStreamWaveIn recorder(nullptr, path, alaw, AlsaTestDevices::kCapture);
        ASSERT_TRUE(recorder.Start());
        ASSERT_TRUE(WaitUntil([&] { return recorder.GetBytesWritten() >= 16000; }));
        // A second Start while recording changes nothing.
        EXPECT_TRUE(recorder.Start());
        ASSERT_TRUE(WaitUntil([&] { return recorder.GetBytesWritten() >= 3 * 16000; }));
        ASSERT_TRUE(recorder.Stop());
        EXPECT_EQ(recorder.DroppedBuffers(), 0);
    }
    const auto contents = ReadWaveFile(QString::fromStdString(path));
    ASSERT_TRUE(contents.has_value());
    ASSERT_TRUE(contents->factSamples.has_value());
    EXPECT_EQ(contents->data.size(), static_cast<qsizetype>(*contents->factSamples) * 2);
}

TEST_F(SStreamWaveInTest, PcmFilesRecordWithoutACodecStream) {
    const WaveFormat pcm = WaveFormat::Pcm(1, 8000, 16);
    const QByteArray signal = TestSignal(16000 * 3);
    devices.SetCaptureInput(signal);
    const std::string path = PathOf("plain.wav");
    {
        SStreamWaveIn recorder(nullptr, path, pcm, AlsaTestDevices::kCapture);
        ASSERT_TRUE(recorder.Start());
        EXPECT_FALSE(recorder.HasCodecStream());
        ASSERT_TRUE(WaitUntil([&] { return recorder.GetBytesWritten() >= signal.size(); }));
        recorder.Stop();
    }
    const auto contents = ReadWaveFile(QString::fromStdString(path));
    ASSERT_TRUE(contents.has_value());
    EXPECT_EQ(contents->data.left(signal.size()), signal);
    EXPECT_EQ(SStreamWaveIn::CaptureFormat(pcm), pcm);
    EXPECT_EQ(SStreamWaveIn::CaptureFormat(CodecFormat(codec::kTagMpegLayer3, 2, 44100, 128)),
              WaveFormat::Pcm(2, 44100, 16));
}

// Exposes whether a device is open.
class ObservedRecorder : public SStreamWaveIn {
  public:
    using SStreamWaveIn::SStreamWaveIn;
    bool DeviceOpen() const { return device_ != nullptr; }
};

TEST_F(SStreamWaveInTest, CodecThatCannotOpenShowsItsCodeAndLeavesNoDeviceOpen) {
    WaveFormat odd = CodecFormat(codec::kTagMpegLayer3, 2, 44100, 128);
    odd.avgBytesPerSec = 15000;  // 120 kbit/s: no MPEG bit rate
    devices.SetCaptureInput(ToneSamples(440, 44100, 2, 2.0));
    ObservedRecorder recorder(nullptr, PathOf("refused.mp3"), odd, AlsaTestDevices::kCapture);
    EXPECT_FALSE(recorder.Start());
    EXPECT_FALSE(recorder.DeviceOpen());
    EXPECT_FALSE(recorder.IsRecording());
    EXPECT_FALSE(recorder.HasCodecStream());
    ASSERT_EQ(messages.calls().size(), 1u);
    EXPECT_EQ(messages.calls()[0].text, QString::number(codec::kResultNotPossible));
    EXPECT_EQ(messages.calls()[0].caption, "foo");
    EXPECT_TRUE(recorder.Stop());
}

}  // namespace

namespace {

TEST_F(SStreamWaveInTest, Mp3RecordingWithoutTagsWhenTheSettingSaysSo) {
    const WaveFormat mp3 = CodecFormat(WaveFormat::kTagMpegLayer3, 2, 44100, 128);
    devices.SetCaptureInput(ToneSamples(1000, 44100, 2, 4));
    for (const bool tags : {false, true}) {
        const std::string path = PathOf(tags ? "tagged.mp3" : "untagged.mp3");
        {
            SStreamWaveIn recorder(nullptr, path, mp3, AlsaTestDevices::kCapture, tags);
            ASSERT_TRUE(recorder.Start());
            ASSERT_TRUE(WaitUntil([&] { return recorder.FramesConverted() >= 44100; }, 30000));
            EXPECT_TRUE(recorder.Stop());
            recorder.SetTag("title", "Morning show");
        }
        QFile file(QString::fromStdString(path));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll().startsWith("ID3"), tags) << path;
    }
}

}  // namespace
