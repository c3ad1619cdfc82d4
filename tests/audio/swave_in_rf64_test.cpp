// A WAVE recording from a sound device that outgrows plain RIFF goes on as
// RF64 without a gap; the limit is set small for the test.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <mutex>

#include "audio/swave_in.h"
#include "media/rec_file.h"
#include "support/alsa_test_devices.h"
#include "support/message_box_recorder.h"
#include "tone_files.h"
#include "wave_test_files.h"

namespace {

const WaveFormat kCd = WaveFormat::Pcm(2, 44100, 16);

// The recorder with a small plain RIFF limit on its file.
class SmallRiffWaveIn : public SWaveIn {
  public:
    SmallRiffWaveIn(const std::string& path, int64_t limit)
        : SWaveIn(nullptr, path, kCd, AlsaTestDevices::kCapture) {
        std::lock_guard lock(CriticalSection());
        recFile_->SetPlainRiffLimit(limit);
    }
};

TEST(SWaveInRf64, RecordingGoesOnPastThePlainRiffLimitWithoutAGap) {
    AlsaTestDevices devices;
    QTemporaryDir dir;
    MessageBoxRecorder messages;
    const QByteArray signal = TestSignal(44100 * 4 * 4, 5);
    devices.SetCaptureInput(signal);
    const std::string path = dir.filePath("long.wav").toStdString();
    int64_t written = 0;
    {
        SmallRiffWaveIn recorder(path, 300001);
        ASSERT_TRUE(recorder.Start());
        ASSERT_TRUE(WaitUntil([&] { return recorder.GetBytesWritten() >= signal.size(); }, 60000));
        EXPECT_FALSE(recorder.HasFailed()) << recorder.GetFailure();
        EXPECT_TRUE(recorder.IsRecording());
        EXPECT_TRUE(recorder.Stop());
        written = recorder.GetBytesWritten();
    }
    QFile file(dir.filePath("long.wav"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.read(4), "RF64");

    RecFile played(path, nullptr, kOpenRead, false);
    ASSERT_EQ(played.GetLength(), written);
    QByteArray audio(static_cast<qsizetype>(written), '\0');
    ASSERT_EQ(played.ReadAudio(audio.data(), audio.size()), written);
    EXPECT_TRUE(audio.left(signal.size()) == signal) << "every sample of the device, in order";

    if (HaveTool("sox")) {
        const ToolRun run = RunTool("sox", {"--i", "-s", dir.filePath("long.wav")});
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        EXPECT_EQ(run.out.trimmed().toLongLong(), written / 4);
    }
    if (HaveTool("ffmpeg")) {
        EXPECT_TRUE(DecodeWithFfmpeg(dir.filePath("long.wav")) == audio);
        const auto probed = Probe(dir.filePath("long.wav"));
        ASSERT_TRUE(probed.has_value());
        EXPECT_NEAR(probed->duration, static_cast<double>(written) / (44100 * 4), 1e-5);
    }
    EXPECT_TRUE(messages.calls().empty());
}

}  // namespace
