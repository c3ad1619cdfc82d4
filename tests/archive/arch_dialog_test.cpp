#include "archive/arch_dialog.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include "archive/archive_player.h"
#include "archive/archive_tree.h"
#include "archive/position_slider.h"
#include "archive/recording_file_settings.h"
#include "audio/smeter.h"
#include "audio/splay.h"
#include "audio/sstream_wave_in.h"
#include "audio/svorbis_record.h"
#include "audio/tone_files.h"
#include "audio/wave_test_files.h"
#include "media/file_io.h"
#include "media/media_file.h"
#include "platform/wave_device.h"
#include "prefs/sound_device_settings.h"
#include "support/alsa_test_devices.h"
#include "support/message_box_recorder.h"

namespace {

constexpr std::time_t kStart = 1796681109;  // 7 December 2026 22:05:09 UTC

class ArchDialogTest : public ::testing::Test {
  protected:
    ArchDialogTest() {
        files.defaultDirectory = dir.path();
        sound.waveOutDriver = AlsaTestDevices::kPlayback;
    }

    QString PathOf(const QString& name) const { return dir.filePath(name); }

    // A PCM recording made by the project's recorder from the capture
    // device, with the metadata item the record control writes.
    QByteArray RecordWave(const QString& name, double seconds, bool withItem) {
        const WaveFormat format = WaveFormat::Pcm(1, 8000, 16);
        devices.SetCaptureInput(ToneSamples(440, 8000, 1, seconds * 4));
        {
            SStreamWaveIn recorder(nullptr, PathOf(name).toStdString(), format,
                                   AlsaTestDevices::kCapture);
            EXPECT_TRUE(recorder.IsOpen());
            EXPECT_TRUE(recorder.Start());
            const auto bytes = static_cast<int64_t>(16000 * seconds);
            EXPECT_TRUE(WaitUntil([&] { return recorder.GetBytesWritten() >= bytes; }, 30000));
            EXPECT_TRUE(recorder.Stop());
            if (withItem) {
                const std::string item = "SAMPLE\tTIMECODE\r\n0\t" + std::to_string(kStart) +
                                         "\r\nEVENT News\r\nSTATION 101.3000\r\n";
                EXPECT_TRUE(recorder.SetTag(kTimecodeTagName, item));
            }
        }
        const auto contents = ReadWaveFile(PathOf(name));
        EXPECT_TRUE(contents.has_value());
        return contents ? contents->data : QByteArray();
    }

    void RecordOgg(const QString& name) {
        WaveFormat settings;
        settings.channels = 1;
        settings.samplesPerSec = 16000;
        settings.avgBytesPerSec = 32000 / 8;
        devices.SetCaptureInput(ToneSamples(440, 16000, 1, 4));
        SVorbisRecord recorder(nullptr, PathOf(name).toStdString(), settings,
                               AlsaTestDevices::kCapture);
        ASSERT_TRUE(recorder.Start());
        ASSERT_TRUE(WaitUntil([&] { return recorder.FramesEncoded() >= 16000; }, 30000));
        EXPECT_TRUE(recorder.Stop());
    }

    bool FfmpegMp3(const QString& name, int seconds) {
        return RunTool("ffmpeg", {"-v", "error", "-y", "-f", "lavfi", "-i",
                                  QStringLiteral("sine=frequency=500:duration=%1").arg(seconds),
                                  "-ac", "1", "-ar", "16000", "-b:a", "32k", PathOf(name)})
                   .exitCode == 0;
    }

    void WriteBytes(const QString& name, const QByteArray& bytes) {
        QFile file(PathOf(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    }

    void Activate() {
        PostMessage(&archive, WM_PANEL_ACTIVATED);
        LetWaitingMessagesRun();
    }

    QStringList TopLabels() const {
        QStringList labels;
        for (int i = 0; i < archive.tree()->topLevelItemCount(); ++i) {
            labels << archive.tree()->topLevelItem(i)->text(0);
        }
        return labels;
    }

    QTreeWidgetItem* ItemOf(const QString& name) const {
        for (int g = 0; g < archive.tree()->topLevelItemCount(); ++g) {
            QTreeWidgetItem* group = archive.tree()->topLevelItem(g);
            for (int r = 0; r < group->childCount(); ++r) {
                if (group->child(r)->text(0).endsWith('"' + name + '"')) {
                    return group->child(r);
                }
            }
        }
        return nullptr;
    }

    void SelectFile(const QString& name) {
        QTreeWidgetItem* item = ItemOf(name);
        ASSERT_NE(item, nullptr) << name.toStdString();
        archive.tree()->setCurrentItem(item);
    }

    QString LastMessage() const {
        return messages.calls().empty() ? QString() : messages.calls().back().text;
    }

    AlsaTestDevices devices;
    QTemporaryDir dir;
    MessageBoxRecorder messages;
    RecordingFileSettings files;
    SoundDeviceSettings sound;
    TArchDialog archive{files, sound};
};

TEST_F(ArchDialogTest, GroupsByEventWithTimesAndListsOnlyRecordings) {
    ASSERT_TRUE(FfmpegMp3("News_1.mp3", 1));
    RecordWave("lstav_3.wav", 0.5, false);
    RecordWave("Talk.wav", 0.5, false);
    WriteBytes("x.txt", "text");
    archive.SetEventLookup([](const QString& name) -> std::optional<ArchiveEventTimes> {
        if (name.compare("news", Qt::CaseInsensitive) == 0) {
            return ArchiveEventTimes{7, 30, 62};
        }
        return std::nullopt;
    });
    EXPECT_EQ(archive.tree()->topLevelItemCount(), 0);  // filled when the tab is shown
    Activate();
    EXPECT_EQ(TopLabels(), QStringList({"<unscheduled>", "News  7:30 MTuWThF", "Talk"}));
    ASSERT_NE(ItemOf("News_1.mp3"), nullptr);
    EXPECT_EQ(ItemOf("News_1.mp3")->parent()->text(0), "News  7:30 MTuWThF");
    EXPECT_EQ(ItemOf("lstav_3.wav")->parent()->text(0), "<unscheduled>");
    EXPECT_EQ(ItemOf("x.txt"), nullptr);
    EXPECT_TRUE(
        ItemOf("Talk.wav")
            ->text(0)
            .contains(QRegularExpression(
                R"(^\d{1,2}-(Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec)-\d{4} \d\d:\d\d   "Talk.wav"$)")));

    // The selection survives a rebuild; its group alone is expanded.
    SelectFile("Talk.wav");
    Activate();
    EXPECT_EQ(archive.SelectedRecording(), PathOf("Talk.wav"));
    EXPECT_TRUE(ItemOf("Talk.wav")->parent()->isExpanded());
    EXPECT_FALSE(ItemOf("News_1.mp3")->parent()->isExpanded());
    // A group item is no recording.
    archive.tree()->setCurrentItem(archive.tree()->topLevelItem(0));
    EXPECT_TRUE(archive.SelectedRecording().isEmpty());
}

TEST_F(ArchDialogTest, InfoShowsStationStartSizeLengthAndFormat) {
    setenv("TZ", "UTC", 1);
    tzset();
    RecordWave("News_1.wav", 1.0, true);
    ASSERT_TRUE(FfmpegMp3("Talk_1.mp3", 2));
    // 150 MB of PCM, sparse on disk.
    QByteArray header;
    const uint32_t dataSize = 150u * 1048576u;
    auto put32 = [&](uint32_t v) {
        char b[4];
        qToLittleEndian<uint32_t>(v, b);
        header.append(b, 4);
    };
    header.append("RIFF");
    put32(36 + dataSize);
    header.append("WAVEfmt ");
    put32(16);
    header.append(WaveFormat::Pcm(2, 44100, 16).Serialize().left(16));
    header.append("data");
    put32(dataSize);
    WriteBytes("Big_1.wav", header);
    ASSERT_TRUE(QFile::resize(PathOf("Big_1.wav"), header.size() + dataSize));
    Activate();

    SelectFile("News_1.wav");
    archive.infoButton()->click();
    ASSERT_EQ(messages.calls().size(), 1u);
    EXPECT_EQ(messages.calls()[0].caption, "Details");
    // The recorder takes what the device delivers until it is stopped: the
    // size is whatever it wrote.
    const QString text = messages.calls()[0].text;
    EXPECT_TRUE(text.contains(
        QRegularExpression("^" + QRegularExpression::escape(PathOf("News_1.wav")) +
                           "\nStation: 101.30\nMon Dec  7 22:05:09 2026\n\nSize \\d+\\.\\d{2,3}MB"
                           "\nRecorded Length  \\d+:\\d\\d\nAudio format: PCM$")))
        << text.toStdString();
    EXPECT_EQ(archive.recordingInfo().eventName, "News");

    SelectFile("Talk_1.mp3");
    archive.infoButton()->click();
    EXPECT_TRUE(LastMessage().startsWith(PathOf("Talk_1.mp3") + "\nSize 0.0"));
    EXPECT_FALSE(LastMessage().contains("Station"));
    EXPECT_TRUE(LastMessage().contains("Recorded Length  0:0"));
    EXPECT_TRUE(LastMessage().endsWith("\nAudio format: MPEG Layer-3"))
        << LastMessage().toStdString();

    SelectFile("Big_1.wav");
    archive.infoButton()->click();
    EXPECT_TRUE(LastMessage().contains("\nSize 150MB\nRecorded Length  14:51\n"))
        << LastMessage().toStdString();

    WriteBytes("Half_1.wav", QByteArray(header.left(44)).append(QByteArray(524288, '\1')));
    // The data chunk claims more than there is.
    Activate();
    SelectFile("Half_1.wav");
    archive.infoButton()->click();
    unsetenv("TZ");
    tzset();
}

TEST_F(ArchDialogTest, PlaysTheRecordingsSamplesIntoTheDeviceAndStopsAtTheEnd) {
    const QByteArray samples = RecordWave("News_1.wav", 2.0, true);
    ASSERT_GT(samples.size(), 30000);
    Activate();
    SelectFile("News_1.wav");
    EXPECT_TRUE(archive.playButton()->isVisibleTo(&archive));
    EXPECT_FALSE(archive.stopButton()->isVisibleTo(&archive));
    std::vector<QString> opened;
    archive.SetOpenedHook([&](const QString& path) { opened.push_back(path); });
    archive.playButton()->click();
    EXPECT_TRUE(archive.playing());
    EXPECT_TRUE(archive.stopButton()->isVisibleTo(&archive));
    EXPECT_FALSE(archive.playButton()->isVisibleTo(&archive));
    EXPECT_TRUE(archive.levelMeter()->isVisibleTo(&archive));
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], PathOf("News_1.wav"));
    // The clock time of recording: the timecode's start plus what has been
    // played by now (the test device plays faster than real time).
    bool clockTime = false;
    for (int s = 0; s < 60 && !clockTime; ++s) {
        clockTime = archive.positionText() == PositionText(kStart + s, 0, 16000);
    }
    EXPECT_TRUE(clockTime) << archive.positionText().toStdString();
    ASSERT_TRUE(WaitUntil([&] { return !archive.playing(); }, 30000));
    EXPECT_TRUE(archive.playButton()->isVisibleTo(&archive));
    EXPECT_FALSE(archive.levelMeter()->isVisibleTo(&archive));
    EXPECT_EQ(archive.slider()->value(), 1000);
    EXPECT_EQ(devices.PlaybackOutput(), samples);
    EXPECT_TRUE(messages.calls().empty()) << LastMessage().toStdString();
}

TEST_F(ArchDialogTest, CommandsAndSliderKeysSeekByMinutesAndSeconds) {
    // 100 seconds at 16000 bytes per second, no timecode: elapsed time.
    WriteWaveFile(PathOf("Long_1.wav"), WaveFormat::Pcm(1, 8000, 16), QByteArray(1600000, '\0'));
    Activate();
    SelectFile("Long_1.wav");
    archive.slider()->setFocus();
    QTest::keyClick(archive.slider(), Qt::Key_Right);  // opens the recording, a minute on
    ASSERT_NE(archive.player(), nullptr);
    EXPECT_EQ(archive.player()->GetPosition(), 60 * 16000);
    EXPECT_EQ(archive.positionText(), "  1:00");
    EXPECT_EQ(archive.slider()->value(), 600);
    QTest::keyClick(archive.slider(), Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(archive.player()->GetPosition(), 61 * 16000);
    QTest::keyClick(archive.slider(), Qt::Key_Right, Qt::ControlModifier);
    EXPECT_EQ(archive.player()->GetPosition(), 61 * 16000);
    // Forward a minute 39 seconds before the end goes to the end.
    QTest::keyRelease(archive.slider(), Qt::Key_Control);
    PostMessage(&archive, WM_COMMAND, 209);
    LetWaitingMessagesRun();
    EXPECT_EQ(archive.player()->GetPosition(), 1600000);
    EXPECT_EQ(archive.positionText(), "  1:40");
    PostMessage(&archive, WM_COMMAND, 211);
    LetWaitingMessagesRun();
    EXPECT_EQ(archive.player()->GetPosition(), 99 * 16000);
    for (int i = 0; i < 2; ++i) {
        QTest::keyClick(archive.slider(), Qt::Key_Left);
    }
    EXPECT_EQ(archive.player()->GetPosition(), 0);
    PostMessage(&archive, WM_COMMAND, 210);
    LetWaitingMessagesRun();
    EXPECT_EQ(archive.player()->GetPosition(), 16000);
    // End jumps the slider to the end.
    QTest::keyClick(archive.slider(), Qt::Key_End);
    EXPECT_EQ(archive.player()->GetPosition(), 1600000);

    // Play and stop by command; playing again starts from the beginning.
    PostMessage(&archive, WM_COMMAND, 202);
    LetWaitingMessagesRun();
    EXPECT_TRUE(archive.playing());
    EXPECT_LT(archive.player()->GetPosition(), 1600000);
    PostMessage(&archive, WM_COMMAND, 203);
    LetWaitingMessagesRun();
    EXPECT_FALSE(archive.playing());
    PostMessage(&archive, WM_COMMAND, 214);
    LetWaitingMessagesRun();
    EXPECT_TRUE(archive.playing());
    PostMessage(&archive, WM_COMMAND, 214);
    LetWaitingMessagesRun();
    EXPECT_FALSE(archive.playing());

    // Enter on a recording plays it.
    archive.tree()->setFocus();
    QTest::keyClick(archive.tree(), Qt::Key_Return);
    EXPECT_TRUE(archive.playing());
    archive.Stop();

    // Another selection discards the player.
    WriteWaveFile(PathOf("Other_1.wav"), WaveFormat::Pcm(1, 8000, 16), QByteArray(1600, '\0'));
    Activate();
    EXPECT_EQ(archive.SelectedRecording(), PathOf("Long_1.wav"));
    SelectFile("Other_1.wav");
    EXPECT_EQ(archive.player(), nullptr);
    EXPECT_EQ(archive.slider()->value(), 0);
    EXPECT_TRUE(archive.positionText().isEmpty());

    // Moving through the tree while one plays leaves the playback alone;
    // Play then plays the recording selected.
    SelectFile("Long_1.wav");
    PostMessage(&archive, WM_COMMAND, 202);
    LetWaitingMessagesRun();
    ASSERT_TRUE(archive.playing());
    SelectFile("Other_1.wav");
    EXPECT_TRUE(archive.playing());
    EXPECT_TRUE(archive.player()->GetFileName().ends_with("Long_1.wav"));
    archive.Stop();
    PostMessage(&archive, WM_COMMAND, 202);
    LetWaitingMessagesRun();
    ASSERT_NE(archive.player(), nullptr);
    EXPECT_TRUE(archive.player()->GetFileName().ends_with("Other_1.wav"));
}

TEST_F(ArchDialogTest, DeleteAsksAndRefusesFilesInUse) {
    RecordWave("News_1.wav", 0.3, false);
    RecordWave("News_2.wav", 0.3, false);
    Activate();
    SelectFile("News_1.wav");
    messages.SetAnswer(IDNO);
    archive.deleteButton()->click();
    ASSERT_EQ(messages.calls().size(), 1u);
    EXPECT_EQ(messages.calls()[0].text, "OK to delete file?\n\t   NEWS_1.WAV");
    EXPECT_EQ(messages.calls()[0].caption, "Plumora");
    EXPECT_EQ(messages.calls()[0].buttons, MessageButtons::YesNoCancel);
    EXPECT_TRUE(QFile::exists(PathOf("News_1.wav")));

    // Held by a recorder of another process (the lock a recorder takes).
    {
        BufferedFile holder;
        ASSERT_TRUE(
            holder.Open(PathOf("News_1.wav").toStdString(), kOpenReadWrite | kOpenDenyWrite));
        messages.SetAnswer(IDYES);
        archive.deleteButton()->click();
        EXPECT_EQ(LastMessage(),
                  "Can't delete file\n\t   NEWS_1.WAV\nAlready in use by this or another program?");
        EXPECT_EQ(messages.calls().back().icon, MessageIcon::Warning);
        EXPECT_TRUE(QFile::exists(PathOf("News_1.wav")));
    }
    // Being recorded by this program.
    archive.SetRecordingCheck([&](const QString& path) { return path == PathOf("News_1.wav"); });
    archive.deleteButton()->click();
    EXPECT_TRUE(LastMessage().startsWith("Can't delete file"));
    archive.SetRecordingCheck({});

    // Playing: the player is discarded first, then the file goes.
    archive.playButton()->click();
    EXPECT_TRUE(archive.playing());
    WriteBytes("News_1.~av", QByteArray("\x01\x00\x00\x00item", 8));
    WriteBytes("News_2.~av", QByteArray("\x01\x00\x00\x00item", 8));
    QTreeWidgetItem* item = ItemOf("News_1.wav");
    archive.deleteButton()->click();
    EXPECT_EQ(LastMessage(), "OK to delete file?\n\t   NEWS_1.WAV");
    EXPECT_FALSE(archive.playing());
    EXPECT_EQ(archive.player(), nullptr);
    EXPECT_FALSE(QFile::exists(PathOf("News_1.wav")));
    // Its recovery file goes with it; the other recording keeps its own.
    EXPECT_FALSE(QFile::exists(PathOf("News_1.~av")));
    EXPECT_TRUE(QFile::exists(PathOf("News_2.~av")));
    // The row stays, blank, until the tree is rebuilt.
    EXPECT_EQ(item->text(0), "");
    EXPECT_EQ(item->parent()->childCount(), 2);
    EXPECT_TRUE(archive.SelectedRecording().isEmpty());
    Activate();
    EXPECT_EQ(ItemOf("News_2.wav")->parent()->childCount(), 1);
}

// The question stays open while a recording ends and the tree is rebuilt
// (every item freed); Yes then deletes the file it asked about and blanks
// that file's new row. The Delete key asks as the button does.
TEST_F(ArchDialogTest, DeleteActsOnThePathAfterARebuildDuringTheQuestion) {
    RecordWave("News_1.wav", 0.3, false);
    RecordWave("News_2.wav", 0.3, false);
    Activate();
    SelectFile("News_1.wav");
    QStringList asked;
    const MessageBoxHandler previous =
        SetMessageBoxHandler([&](const QString& text, const QString&, MessageIcon, MessageButtons) {
            asked << text;
            RecordWave("News_3.wav", 0.2, false);  // a recording ends meanwhile
            archive.RefreshArchive();
            return IDYES;
        });
    QTest::keyClick(archive.tree(), Qt::Key_Delete);
    SetMessageBoxHandler(previous);
    EXPECT_EQ(asked, QStringList{"OK to delete file?\n\t   NEWS_1.WAV"});
    EXPECT_FALSE(QFile::exists(PathOf("News_1.wav")));
    EXPECT_TRUE(QFile::exists(PathOf("News_2.wav")));
    ASSERT_NE(ItemOf("News_2.wav"), nullptr);
    EXPECT_EQ(ItemOf("News_2.wav")->parent()->childCount(), 3) << "one blank row";
    EXPECT_EQ(ItemOf("News_1.wav"), nullptr);
}

// An output device that fails while playing ends the playback: Play is
// shown again and the user is told.
TEST_F(ArchDialogTest, FailingOutputDeviceEndsPlaybackWithAMessage) {
    RecordWave("News_1.wav", 3, false);
    sound.waveOutDriver = AlsaTestDevices::kFailingPlayback;
    Activate();
    SelectFile("News_1.wav");
    archive.playButton()->click();
    ASSERT_TRUE(archive.playing());
    EXPECT_TRUE(WaitUntil(
        [&] {
            LetWaitingMessagesRun();
            return !archive.playing();
        },
        20000));
    EXPECT_TRUE(archive.stopButton()->isHidden());
    EXPECT_FALSE(archive.playButton()->isHidden());
    EXPECT_EQ(LastMessage(), "Playback stopped: the sound output device failed.\n\t   NEWS_1.WAV");
}

// Play returns at once and the window goes on while the device opens; a
// device that never answers (the paced one without a reader) is told once,
// unless the playback was stopped or discarded meanwhile; a seek meanwhile
// is taken once the open returns.
TEST_F(ArchDialogTest, PlayOpensTheDeviceBesideTheWindow) {
    enum class Then { kWait, kStop, kSeekAndStop, kDiscard };
    const QString cantPlay = "Can't play.\nWave output device already in use or disabled?";
    const struct {
        const char* device;
        Then then;
        QStringList shown;
    } cases[] = {
        {AlsaTestDevices::kPlayback, Then::kWait, {}},
        {AlsaTestDevices::kPacedPlayback, Then::kWait, {cantPlay}},
        {AlsaTestDevices::kPacedPlayback, Then::kStop, {}},
        {AlsaTestDevices::kPacedPlayback, Then::kSeekAndStop, {}},
        {AlsaTestDevices::kPacedPlayback, Then::kDiscard, {}},
    };
    const QByteArray samples = RecordWave("News_1.wav", 1.0, false);
    Activate();
    SelectFile("News_1.wav");
    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
    ticker.start(50);
    for (const auto& c : cases) {
        const std::string what = std::string(c.device) + " then " + std::to_string(int(c.then));
        sound.waveOutDriver = c.device;
        archive.playerControl().Discard();
        const size_t before = messages.calls().size();
        const bool answers = c.device == std::string(AlsaTestDevices::kPlayback);
        QElapsedTimer clock;
        clock.start();
        archive.playButton()->click();
        EXPECT_LT(clock.elapsed(), 500) << what;
        EXPECT_TRUE(archive.playing()) << what;
        EXPECT_TRUE(archive.stopButton()->isVisibleTo(&archive)) << what;
        ticks = 0;
        if (c.then == Then::kSeekAndStop) {
            // A seek is taken once the open returns; it is told at once.
            archive.playerControl().SeekToTime(500000);
            EXPECT_EQ(archive.playerControl().PositionUs(), 500000);
        }
        if (c.then == Then::kStop || c.then == Then::kSeekAndStop) {
            archive.Stop();
        } else if (c.then == Then::kDiscard) {
            archive.playerControl().Discard();
            EXPECT_EQ(archive.player(), nullptr) << what;
        }
        EXPECT_TRUE(WaitUntil(
            [&] {
                return answers ? !archive.playing()
                               : clock.elapsed() > kWaveOpenTimeoutMs + 500 &&
                                     !archive.playerControl().opening();
            },
            30000))
            << what;
        EXPECT_FALSE(archive.playing()) << what;
        EXPECT_TRUE(archive.playButton()->isVisibleTo(&archive)) << what;
        // A third of the 50 ms ticks at least; a quick play may end before the first.
        EXPECT_GE(ticks, clock.elapsed() / 50 / 3) << what << ": the window went on";
        QStringList shown;
        for (size_t i = before; i < messages.calls().size(); ++i) {
            shown << messages.calls()[i].text;
        }
        EXPECT_EQ(shown.join("|").toStdString(), c.shown.join("|").toStdString()) << what;
        if (answers) {
            EXPECT_EQ(devices.PlaybackOutput(), samples);
        } else if (c.then != Then::kDiscard) {
            EXPECT_EQ(archive.player()->GetPosition(), c.then == Then::kSeekAndStop ? 8000 : 0);
        }
    }
    // The opens that never answered return once the pipe has a reader.
    const int reader =
        open(devices.Path("paced.fifo").toLocal8Bit().constData(), O_RDONLY | O_NONBLOCK);
    EXPECT_TRUE(WaitUntil([] { return WaveOpensNotAnswering() == 0; }));
    close(reader);
}

// Open groups stay open over a rebuild; files other programs add or remove
// show up while the tab is shown.
TEST_F(ArchDialogTest, RefreshKeepsOpenGroupsAndFollowsTheDirectory) {
    RecordWave("News_1.wav", 0.2, false);
    RecordWave("Talk_1.wav", 0.2, false);
    archive.show();
    Activate();
    ItemOf("News_1.wav")->parent()->setExpanded(true);
    ItemOf("Talk_1.wav")->parent()->setExpanded(true);
    SelectFile("Talk_1.wav");
    QFile::copy(PathOf("News_1.wav"), PathOf("Jazz_1.wav"));
    QFile::remove(PathOf("Talk_1.wav"));
    EXPECT_TRUE(WaitUntil(
        [&] {
            LetWaitingMessagesRun();
            return ItemOf("Jazz_1.wav") != nullptr && ItemOf("Talk_1.wav") == nullptr;
        },
        10000));
    EXPECT_TRUE(ItemOf("News_1.wav")->parent()->isExpanded());
    EXPECT_FALSE(ItemOf("Jazz_1.wav")->parent()->isExpanded());

    // The context menu offers the four actions.
    SelectFile("News_1.wav");
    archive.tree()->customContextMenuRequested(
        archive.tree()->visualItemRect(ItemOf("News_1.wav")).center());
    auto* menu = archive.findChild<QMenu*>();
    ASSERT_NE(menu, nullptr);
    QStringList entries;
    for (QAction* action : menu->actions()) {
        if (!action->isSeparator()) {
            entries << action->text();
        }
    }
    EXPECT_EQ(entries, (QStringList{"&Play", "&Info", "&Delete", "Open containing &folder"}));
    menu->close();
}

TEST_F(ArchDialogTest, DamagedAndVanishedFilesDoNothingHarmful) {
    RecordOgg("Good_1.ogg");
    QByteArray ogg;
    {
        QFile file(PathOf("Good_1.ogg"));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        ogg = file.readAll();
    }
    WriteBytes("Cut_1.ogg", ogg.left(ogg.size() / 3));
    WriteBytes("Noise_1.mp3", TestSignal(20000));
    WriteBytes("Head_1.wav", QByteArray("RIFF\x10\0\0\0WAVEfmt ", 16));
    WriteBytes("Empty_1.wav", {});
    Activate();
    for (const char* name :
         {"Good_1.ogg", "Cut_1.ogg", "Noise_1.mp3", "Head_1.wav", "Empty_1.wav"}) {
        SCOPED_TRACE(name);
        SelectFile(name);
        archive.infoButton()->click();
        archive.playButton()->click();
        WaitUntil([&] { return !archive.playing(); }, 20000);
        archive.Stop();
    }
    EXPECT_FALSE(archive.playing());
    // A file that is no recording is named as such.
    bool named = false;
    for (const auto& call : messages.calls()) {
        named = named || call.text ==
                             "Can't play file\n\t   HEAD_1.WAV\nIt is damaged or not a "
                             "recording.";
    }
    EXPECT_TRUE(named);
    // The Ogg recording was played and described.
    SelectFile("Good_1.ogg");
    archive.infoButton()->click();
    EXPECT_TRUE(LastMessage().startsWith(PathOf("Good_1.ogg") + "\nSize 0.0"));

    // A file deleted behind the archive's back is no selected recording.
    SelectFile("Head_1.wav");
    QFile::remove(PathOf("Head_1.wav"));
    EXPECT_TRUE(archive.SelectedRecording().isEmpty());
    const size_t before = messages.calls().size();
    archive.playButton()->click();
    archive.infoButton()->click();
    archive.deleteButton()->click();
    EXPECT_FALSE(archive.playing());
    EXPECT_EQ(messages.calls().size(), before);

    // A folder that cannot be read shows an empty tree.
    files.defaultDirectory = PathOf("missing");
    Activate();
    EXPECT_EQ(archive.tree()->topLevelItemCount(), 0);
}

TEST_F(ArchDialogTest, DragOffersTheFileUrlForCopying) {
    RecordWave("News_1.wav", 0.2, false);
    Activate();
    QAbstractItemModel* model = archive.tree()->model();
    const QModelIndex group = model->index(0, 0);
    const QModelIndex recording = model->index(0, 0, group);
    std::unique_ptr<QMimeData> data(model->mimeData({recording}));
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data->formats(), QStringList({"text/uri-list"}));
    ASSERT_EQ(data->urls().size(), 1);
    EXPECT_EQ(data->urls()[0], QUrl::fromLocalFile(PathOf("News_1.wav")));
    EXPECT_EQ(model->mimeData({group}), nullptr);
    EXPECT_EQ(archive.tree()->defaultDropAction(), Qt::CopyAction);
    EXPECT_EQ(archive.tree()->dragDropMode(), QAbstractItemView::DragOnly);
}

TEST_F(ArchDialogTest, OpenRecordingPlaysItAndSelectsIt) {
    ASSERT_TRUE(FfmpegMp3("News_1.mp3", 1));
    Activate();
    archive.OpenRecording(PathOf("News_1.mp3"));
    EXPECT_EQ(archive.SelectedRecording(), PathOf("News_1.mp3"));
    EXPECT_TRUE(archive.playing());
    // No timecode: the elapsed time.
    EXPECT_TRUE(archive.positionText().startsWith("  0:0"));
    ASSERT_TRUE(WaitUntil([&] { return !archive.playing(); }, 30000));
    EXPECT_GT(devices.PlaybackOutput().size(), 16000 * 2 * 9 / 10);

    archive.OpenRecording(PathOf("Gone_1.wav"));
    EXPECT_FALSE(archive.playing());
    EXPECT_TRUE(LastMessage().startsWith("Can't play file\n\t   Gone_1.wav"));
}

}  // namespace
