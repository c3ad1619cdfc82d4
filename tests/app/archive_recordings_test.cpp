#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <QTreeWidget>

#include "app/record_control.h"
#include "archive/arch_dialog.h"
#include "archive/archive_tree.h"
#include "audio/srecord.h"
#include "audio/wave_test_files.h"
#include "frame_fixture.h"
#include "support/alsa_test_devices.h"

namespace {

constexpr int kCdBytesPerSecond = 44100 * 4;

bool TreeShows(QTreeWidget& tree, const QString& name) {
    return !tree.findItems(name, Qt::MatchContains | Qt::MatchRecursive).isEmpty();
}

// The real frame recording by hand from a test capture device into a
// temporary folder, with its archive tab beside it.
class ArchiveRecordingsTest : public FrameTest {
  protected:
    void SetUp() override {
        FrameTest::SetUp();
        devices_.SetCaptureInput(TestSignal(kCdBytesPerSecond * 2));
        app_->settings().sound.waveInDriver = AlsaTestDevices::kCapture;
        app_->settings().files.defaultDirectory = dir_.path();
        app_->settings().files.fileSize = 9999;
        app_->settings().formats.waveFormat = WaveFormat::Pcm(2, 44100, 16);
        MakeFrame();
    }

    TArchDialog& archive() { return *frame_->archivePanel(); }
    RecordControl& records() { return *frame_->radioPanel()->recordControl(); }

    void StartRecording() {
        frame_->radioPanel()->StartEvent(-1);
        ASSERT_TRUE(WaitUntil([&] { return records().settled(); }));
        ASSERT_TRUE(records().recording());
        ASSERT_TRUE(
            WaitUntil([&] { return records().recorder()->GetBytesWritten() >= 4096; }, 60000));
    }

    AlsaTestDevices devices_;
    QTemporaryDir dir_;
};

TEST_F(ArchiveRecordingsTest, AnEndedRecordingShowsInTheArchiveAtOnce) {
    archive().RefreshArchive();
    ASSERT_FALSE(TreeShows(*archive().tree(), "lstav_1.wav"));
    StartRecording();
    frame_->radioPanel()->StopEvent(-1);
    ASSERT_TRUE(WaitUntil([&] { return records().settled(); }));
    EXPECT_TRUE(TreeShows(*archive().tree(), "lstav_1.wav"));
}

// The archive refuses to delete the recording that runs (here an Ogg one)
// and tells the user; the recording goes on and is kept.
TEST_F(ArchiveRecordingsTest, TheRecordingThatRunsCannotBeDeletedFromTheArchive) {
    app_->settings().formats.defaultAudioFormat = kFormatVorbis;
    StartRecording();
    archive().RefreshArchive();
    archive().OpenRecording(dir_.filePath("lstav_1.ogg"));
    archive().Stop();
    ASSERT_EQ(archive().SelectedRecording(), dir_.filePath("lstav_1.ogg"));
    const size_t before = boxes_.calls().size();
    archive().Delete();
    EXPECT_TRUE(QFile::exists(dir_.filePath("lstav_1.ogg")));
    EXPECT_GT(boxes_.calls().size(), before) << "the user is told why";
    frame_->radioPanel()->StopEvent(-1);
    ASSERT_TRUE(WaitUntil([&] { return records().settled(); }));
    EXPECT_TRUE(QFile::exists(dir_.filePath("lstav_1.ogg")));
}

}  // namespace
