#include "app/record_control.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include "app/action_block.h"
#include "app/radio_panel.h"
#include "app/recent_recordings.h"
#include "app/record_progress.h"
#include "app/recorder_factory.h"
#include "app/recording_items.h"
#include "app/settings_records.h"
#include "audio/smeter.h"
#include "audio/srecord.h"
#include "audio/tone_files.h"
#include "audio/wave_test_files.h"
#include "media/media_file.h"
#include "media/rec_file.h"
#include "platform/codec_manager.h"
#include "platform/post_message.h"
#include "platform/wave_device.h"
#include "platform/window_messages.h"
#include "support/alsa_test_devices.h"
#include "support/fake_clock.h"
#include "support/message_box_recorder.h"
#include "support/scoped_xdg_dirs.h"

namespace {

using ::testing::HasSubstr;

constexpr int kCdBytesPerSecond = 44100 * 4;

TEST(RecordStatusText, SizeAndDurationAsTheRecordingGrows) {
    EXPECT_EQ(RecordProgress::StatusText("lstav_1.wav", 536871, 105000),
              "lstav_1.wav 0.512MB  0:05");
    const int64_t hourAndMore = int64_t{3909} * 3300;  // 1:05:09 at 3300 bytes per second
    EXPECT_EQ(RecordProgress::StatusText("lstav_1.wav", hourAndMore, 3300),
              "lstav_1.wav 12.30MB  1:05:09");
    EXPECT_EQ(RecordProgress::StatusText("News", int64_t{250} * 1048576, 176400),
              "News 250MB  24:46");
    EXPECT_EQ(RecordProgress::StatusText("x.ogg", 1048576, 0), "x.ogg 1.00MB")
        << "no duration without a byte rate";
}

// Counts what the progress view draws.
class ProgressSink : public RecordProgress::Sink {
  public:
    void SetStatusText(const QString& text) override { texts.push_back(text); }
    SMeter* levelMeter() override { return &meter; }
    std::vector<QString> texts;
    SMeter meter;
};

QByteArray StereoPeak(int16_t left, int16_t right) {
    const int16_t frame[2] = {left, right};
    return QByteArray(reinterpret_cast<const char*>(frame), sizeof frame);
}

TEST(RecordProgressView, DrawsOnlyWhatChanged) {
    ProgressSink sink;
    RecordProgress progress(sink);
    progress.Begin("News", WaveFormat::Pcm(2, 44100, 16));
    EXPECT_FALSE(sink.meter.isHidden());
    const QByteArray quiet = StereoPeak(100, 100);
    const QByteArray loud = StereoPeak(30000, -30000);
    struct Report {
        int64_t bytes;
        QByteArray buffer;
    };
    // Five reports a second, as the recorder sends them.
    const Report reports[] = {{35280, quiet}, {70560, quiet},  {105840, quiet}, {141120, loud},
                              {176400, loud}, {211680, quiet}, {352800, quiet}, {388080, quiet}};
    for (const Report& report : reports) {
        progress.Report(report.bytes, kCdBytesPerSecond, report.buffer);
    }
    EXPECT_EQ(sink.texts, (std::vector<QString>{"News 0.034MB  0:00", "News 0.168MB  0:01",
                                                "News 0.336MB  0:02"}))
        << "once per second of recording";
    EXPECT_EQ(progress.meterUpdates(), 3) << "quiet, loud, quiet again";
    progress.Report(400000, 0, quiet);
    progress.Report(400000, 0, quiet);
    EXPECT_EQ(sink.texts.back(), "News 0.381MB") << "without a byte rate: when the text changes";
    EXPECT_EQ(progress.statusUpdates(), 4);
    progress.End();
    EXPECT_TRUE(sink.meter.isHidden());
}

TEST(RecorderForTheDefaultFormat, KindFileFormatAndCaptureFormat) {
    AudioFormatSettings formats;
    formats.waveFormat = WaveFormat::Pcm(1, 22050, 16);
    formats.vorStereo = false;
    formats.vorSampleRate = 32000;
    formats.vorBitRate = 96000;
    struct Case {
        int defaultFormat;
        RecorderPlan::Kind kind;
        uint16_t tag;
        uint16_t channels;
        uint32_t rate;
    };
    const Case cases[] = {
        {kFormatWav, RecorderPlan::kStream, WaveFormat::kTagPcm, 1, 22050},
        {kFormatMp3, RecorderPlan::kStream, WaveFormat::kTagMpegLayer3, 1, 16000},
        {kFormatVorbis, RecorderPlan::kVorbis, 0, 1, 32000},
        {7, RecorderPlan::kStream, WaveFormat::kTagPcm, 1, 22050},  // unknown: WAV
    };
    for (const Case& c : cases) {
        formats.defaultAudioFormat = c.defaultFormat;
        const RecorderPlan plan = PlanRecorder(formats);
        EXPECT_EQ(plan.kind, c.kind) << c.defaultFormat;
        EXPECT_EQ(plan.fileFormat.formatTag, c.tag) << c.defaultFormat;
        EXPECT_EQ(plan.fileFormat.channels, c.channels) << c.defaultFormat;
        EXPECT_EQ(plan.fileFormat.samplesPerSec, c.rate) << c.defaultFormat;
        EXPECT_EQ(plan.captureFormat.formatTag, WaveFormat::kTagPcm) << c.defaultFormat;
        EXPECT_EQ(plan.captureFormat.bitsPerSample, 16) << c.defaultFormat;
    }
    formats.defaultAudioFormat = kFormatVorbis;
    EXPECT_EQ(PlanRecorder(formats).fileFormat.avgBytesPerSec, 12000u);
    // The built-in MP3 format lacks the codec's extra bytes; the plan has them.
    formats.defaultAudioFormat = kFormatMp3;
    ASSERT_TRUE(formats.mp3Format.extra.isEmpty());
    EXPECT_FALSE(PlanRecorder(formats).fileFormat.extra.isEmpty());
}

TEST(RecordMetadataText, TitleAndTimecodeItem) {
    std::tm start{};
    start.tm_hour = 14;
    start.tm_min = 5;
    std::tm today{};
    today.tm_mon = 11;
    today.tm_mday = 7;
    EXPECT_EQ(recording_items::TitleText("", 89.9f, start, today), "89.90 14:05 Dec7");
    EXPECT_EQ(recording_items::TitleText("News", 101.3f, start, today), "News Dec7");
    EXPECT_EQ(recording_items::TimecodeItem(1796652300, "News", 101.3f),
              "SAMPLE\tTIMECODE\r\n0\t1796652300\r\nEVENT News\r\nSTATION 101.3000\r\n");
    EXPECT_EQ(recording_items::TimecodeItem(5, "", 89.9f),
              "SAMPLE\tTIMECODE\r\n0\t5\r\nEVENT <unscheduled>\r\nSTATION 89.9000\r\n");
    today.tm_year = 126;
    const RecordingItems items = recording_items::Make({1796652300, "News", 101.3f, start, today});
    ASSERT_EQ(items.size(), 4u);
    EXPECT_EQ(items[0].first, kTimecodeTagName);
    EXPECT_EQ(items[1], (std::pair<std::string, std::string>{"title", "News Dec7"}));
    EXPECT_EQ(items[2], (std::pair<std::string, std::string>{"year", "2026"}));
    EXPECT_EQ(items[3], (std::pair<std::string, std::string>{"comment", "101.30"}));
}

// Receives what the radio panel sends on to the archive panel.
class CommandSink : public QWidget {
  public:
    bool event(QEvent* event) override {
        if (const WindowMessage* m = AsWindowMessage(event)) {
            if (m->msg == WM_COMMAND) {
                commands.push_back(static_cast<unsigned>(m->wParam));
            }
            return true;
        }
        return QWidget::event(event);
    }
    std::vector<unsigned> commands;
};

class RecordControlTest : public ::testing::Test {
  protected:
    void SetUp() override {
        settings_.radio.vendor = 6;  // "<no radio>"
        settings_.sound.waveInDriver = AlsaTestDevices::kCapture;
        settings_.files.defaultDirectory = dir_.path();
        settings_.files.fileSize = 9999;  // the test device delivers faster than real time
        settings_.formats.waveFormat = WaveFormat::Pcm(2, 44100, 16);
        devices_.SetCaptureInput(TestSignal(kCdBytesPerSecond * 2));
        clock_.Set(2026, 12, 7, 14, 5, 30);
    }

    void MakePanel() {
        panel_ = std::make_unique<TAppDialog>(settings_, actions_, false);
        panel_->SetUp();
        panel_->show();  // the progress of a recording is drawn only on screen
        control().SetClock(clock_);
        control().SetRecentRecordings(&recent_);
    }

    RecordControl& control() { return *panel_->recordControl(); }

    // Starts and stops only ask; these wait until what was asked is done.
    void Settle(int limitMs = 20000) {
        ASSERT_TRUE(WaitUntil([&] { return control().settled(); }, limitMs))
            << RecordStateName(control().state());
    }
    void Start(int event) {
        panel_->StartEvent(event);
        Settle();
    }
    void Stop(int event) {
        panel_->StopEvent(event);
        Settle();
    }
    void TickAt(int hour, int minute) {
        clock_.Set(2026, 12, 7, hour, minute, 0);
        control().Tick();
        Settle();
    }
    QString Path(const QString& name) const { return dir_.filePath(name); }

    // Records by hand until at least `bytes` are in the file, then stops.
    void RecordByHand(int64_t bytes) {
        Start(-1);
        ASSERT_TRUE(panel_->recording())
            << (messages_.calls().empty() ? "" : messages_.calls().back().text.toStdString());
        ASSERT_NE(control().recorder(), nullptr);
        ASSERT_TRUE(
            WaitUntil([&] { return control().recorder()->GetBytesWritten() >= bytes; }, 60000));
        Stop(-1);
    }

    static std::string Item(const QString& path) {
        RecFile file(QFile::encodeName(path).toStdString(), nullptr, kOpenRead, false);
        return file.GetTag(kTimecodeTagName).value_or("");
    }

    ScopedXdgDirs dirs_;
    AlsaTestDevices devices_;
    QTemporaryDir dir_;
    QTemporaryDir listDir_;
    MessageBoxRecorder messages_;
    FakeClock clock_;
    SettingsRecords settings_;
    ActionInbox actions_;
    RecentRecordings recent_{listDir_.filePath("recent.ini")};
    std::unique_ptr<TAppDialog> panel_;
};

TEST_F(RecordControlTest, HandRecordingInWavIsCompleteTaggedAndListed) {
    MakePanel();
    QSignalSpy started(&control(), &RecordControl::recordingStarted);
    QSignalSpy ended(&control(), &RecordControl::recordingEnded);
    Start(-1);
    ASSERT_TRUE(panel_->recording());
    EXPECT_TRUE(panel_->statusText().startsWith("lstav_1.wav"));
    EXPECT_FALSE(panel_->recButton()->isVisibleTo(panel_.get()));
    EXPECT_TRUE(panel_->stopButton()->isVisibleTo(panel_.get()));
    EXPECT_TRUE(panel_->stopButton()->isEnabled());
    EXPECT_TRUE(panel_->levelMeter()->isVisibleTo(panel_.get()));
    ASSERT_TRUE(WaitUntil(
        [&] { return control().recorder()->GetBytesWritten() >= kCdBytesPerSecond; }, 60000));
    ASSERT_TRUE(WaitUntil([&] { return panel_->statusText() != "lstav_1.wav"; }));
    // How far it got depends on the machine: the test device is not paced.
    EXPECT_TRUE(QRegularExpression("^lstav_1\\.wav [0-9.]+MB  [0-9]+:[0-9]{2}(:[0-9]{2})?$")
                    .match(panel_->statusText())
                    .hasMatch())
        << panel_->statusText().toStdString();
    Stop(-1);

    EXPECT_FALSE(panel_->recording());
    EXPECT_EQ(panel_->statusText(), "");
    EXPECT_EQ(control().recorder(), nullptr);
    const QString path = Path("lstav_1.wav");
    const std::optional<WaveContents> wave = ReadWaveFile(path);
    ASSERT_TRUE(wave.has_value()) << "the RIFF structure is complete";
    EXPECT_EQ(wave->format, WaveFormat::Pcm(2, 44100, 16));
    EXPECT_GE(wave->data.size(), kCdBytesPerSecond);
    EXPECT_EQ(wave->data.left(kCdBytesPerSecond),
              TestSignal(kCdBytesPerSecond * 2).left(kCdBytesPerSecond));

    EXPECT_EQ(Item(path), "SAMPLE\tTIMECODE\r\n0\t" + std::to_string(clock_.Now()) +
                              "\r\nEVENT <unscheduled>\r\nSTATION 89.9000\r\n");
    const ToolRun sox = RunTool("sox", {"--i", "-s", path});
    EXPECT_EQ(sox.exitCode, 0) << sox.err.toStdString();
    EXPECT_EQ(sox.out.trimmed().toLongLong(), wave->data.size() / 4);

    EXPECT_EQ(recent_.Path(0), path);
    ASSERT_EQ(started.count(), 1);
    EXPECT_EQ(started[0][0].toInt(), -1);
    EXPECT_EQ(started[0][2].toString(), path);
    ASSERT_EQ(ended.count(), 1);
    EXPECT_EQ(ended[0][2].toString(), path);
    EXPECT_TRUE(messages_.calls().empty());
}

// A fresh installation holds the built-in MP3 format, which lacks the codec's
// extra bytes until the Mp3 page is confirmed; choosing MP3 as the default
// still records.
TEST_F(RecordControlTest, Mp3RecordingWithTheBuiltInFormatRecords) {
    settings_.formats.defaultAudioFormat = kFormatMp3;
    settings_.formats.mp3Format = AudioFormatSettings::DefaultMp3Format();
    MakePanel();
    RecordByHand(4000);
    EXPECT_TRUE(messages_.calls().empty());
    const std::optional<ProbedAudio> probed = Probe(Path("lstav_1.mp3"));
    ASSERT_TRUE(probed.has_value());
    EXPECT_EQ(probed->codec, "mp3");
    EXPECT_EQ(probed->sampleRate, 16000);
    EXPECT_EQ(probed->channels, 1);
}

TEST_F(RecordControlTest, Mp3RecordingCarriesItsItemsInId3AndTagsCanBeSwitchedOff) {
    settings_.formats.defaultAudioFormat = kFormatMp3;
    WaveFormat wanted = AudioFormatSettings::DefaultMp3Format();
    wanted.avgBytesPerSec = 128 * 125;
    wanted.channels = 2;
    wanted.samplesPerSec = 44100;
    const std::optional<WaveFormat> mp3 = codec::SuggestFormat(wanted);
    ASSERT_TRUE(mp3.has_value());
    settings_.formats.mp3Format = *mp3;
    MakePanel();
    RecordByHand(8000);
    const QString path = Path("lstav_1.mp3");
    ASSERT_TRUE(QFile::exists(path));
    const ToolRun tags = RunTool("/usr/bin/mutagen-inspect", {path});
    ASSERT_EQ(tags.exitCode, 0) << tags.err.toStdString();
    const std::string text = tags.out.toStdString();
    EXPECT_THAT(text, HasSubstr("TIT2=89.90 14:05 Dec7"));
    EXPECT_THAT(text, HasSubstr("2026"));
    EXPECT_THAT(text, HasSubstr("89.90"));
    EXPECT_THAT(text, HasSubstr("PRIV="));
    EXPECT_THAT(Item(path), HasSubstr("EVENT <unscheduled>\r\nSTATION 89.9000\r\n"));
    const std::optional<ProbedAudio> probed = Probe(path);
    ASSERT_TRUE(probed.has_value());
    EXPECT_EQ(probed->codec, "mp3");

    settings_.formats.mp3EnableTag = false;
    RecordByHand(8000);
    const ToolRun untagged = RunTool("/usr/bin/mutagen-inspect", {Path("lstav_2.mp3")});
    // Only the ID3v1 record at the end is left.
    EXPECT_THAT(untagged.out.toStdString(), HasSubstr("ID3v1"));
    EXPECT_THAT(untagged.out.toStdString(), ::testing::Not(HasSubstr("PRIV=")));
    EXPECT_TRUE(Probe(Path("lstav_2.mp3")).has_value());
}

TEST_F(RecordControlTest, VorbisRecordingIsAValidOggStream) {
    settings_.formats.defaultAudioFormat = kFormatVorbis;
    MakePanel();
    RecordByHand(4000);
    const QString path = Path("lstav_1.ogg");
    const ToolRun info = RunTool("ogginfo", {path});
    EXPECT_EQ(info.exitCode, 0) << info.out.toStdString();
    const std::optional<ProbedAudio> probed = Probe(path);
    ASSERT_TRUE(probed.has_value());
    EXPECT_EQ(probed->codec, "vorbis");
    EXPECT_EQ(probed->channels, 2);
    EXPECT_EQ(probed->sampleRate, 44100);
    EXPECT_EQ(recent_.Path(0), path);
}

TEST_F(RecordControlTest, SizeLimitEndsTheRecordingWithoutStartingANewOne) {
    settings_.files.fileSize = 1;
    MakePanel();
    QSignalSpy limited(&control(), &RecordControl::recordingLimited);
    QSignalSpy ended(&control(), &RecordControl::recordingEnded);
    QSignalSpy failed(&control(), &RecordControl::recordingFailed);
    QSignalSpy started(&control(), &RecordControl::recordingStarted);
    panel_->StartEvent(-1);
    // The test device is not paced: the limit may come before the start has settled.
    ASSERT_TRUE(WaitUntil([&] { return started.count() == 1; }, 20000));
    ASSERT_TRUE(WaitUntil([&] { return !panel_->recording() && control().settled(); }, 120000));
    // Said so, not announced like a normal end.
    EXPECT_EQ(panel_->statusText(), "lstav_1.wav ended at the size limit of 1 MB");
    ASSERT_EQ(limited.count(), 1);
    EXPECT_EQ(limited[0][2].toString(), Path("lstav_1.wav"));
    EXPECT_EQ(ended.count() + failed.count(), 0);
    EXPECT_TRUE(panel_->recButton()->isVisibleTo(panel_.get())) << "Rec returns";
    EXPECT_TRUE(panel_->recButton()->isEnabled());
    EXPECT_FALSE(panel_->stopButton()->isVisibleTo(panel_.get()));
    const std::optional<WaveContents> wave = ReadWaveFile(Path("lstav_1.wav"));
    ASSERT_TRUE(wave.has_value());
    EXPECT_GE(wave->data.size(), 1048576);
    EXPECT_FALSE(QFile::exists(Path("lstav_2.wav")));
    EXPECT_THAT(Item(Path("lstav_1.wav")), HasSubstr("EVENT <unscheduled>"));
}

TEST_F(RecordControlTest, ScheduledEventPrunesStartsUnderItsNameAndEndsAtItsEndMinute) {
    for (const char* old : {"News_1.wav", "News_2.mp3", "News_3.ogg"}) {
        QFile file(Path(old));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("old");
        file.close();
        clock_.Advance(10);
        QThread::msleep(20);  // distinct creation times
    }
    ScheduledEvent news;
    news.name = "News";
    news.frequency = 101.3f;
    news.days = kEveryDay;
    news.startHour = 14;
    news.startMinute = 6;
    news.endHour = 14;
    news.endMinute = 7;
    news.keep = 2;
    news.action = kActionRecord;
    ASSERT_TRUE(settings_.events.Add(news));
    MakePanel();

    control().Tick();
    Settle();
    EXPECT_FALSE(panel_->recording()) << "14:05: nothing yet";
    clock_.Set(2026, 12, 7, 14, 6, 0);
    const std::time_t startedAt = clock_.Now();
    control().Tick();
    Settle();
    ASSERT_TRUE(panel_->recording());
    EXPECT_EQ(control().activeEvent(), 0);
    EXPECT_FLOAT_EQ(panel_->frequency(), 101.3f);
    EXPECT_FALSE(QFile::exists(Path("News_2.mp3")));
    EXPECT_TRUE(QFile::exists(Path("News_3.ogg")));
    ASSERT_TRUE(WaitUntil([&] { return control().recorder()->GetBytesWritten() > 8000; }, 60000));
    ASSERT_TRUE(WaitUntil([&] { return panel_->statusText().startsWith("News "); }));

    clock_.Set(2026, 12, 7, 14, 7, 0);
    control().Tick();
    Settle();
    EXPECT_FALSE(panel_->recording());
    EXPECT_EQ(control().activeEvent(), -1);
    // Named beside the old ones; the two oldest went once it had started.
    EXPECT_FALSE(QFile::exists(Path("News_1.wav")));
    EXPECT_EQ(Item(Path("News_2.wav")), "SAMPLE\tTIMECODE\r\n0\t" + std::to_string(startedAt) +
                                            "\r\nEVENT News\r\nSTATION 101.3000\r\n");
}

ScheduledEvent EventAt(const char* name, int action) {
    ScheduledEvent event;
    event.name = name;
    event.frequency = 95.5f;
    event.days = kEveryDay;
    event.startHour = 14;
    event.startMinute = 6;
    event.endHour = 14;
    event.endMinute = 7;
    event.keep = -1;
    event.action = action;
    return event;
}

TEST_F(RecordControlTest, PatternNamesHandRecordingsAndAFailedStartPrunesNothing) {
    settings_.files.improvedFilePattern = "%Y%m%d";
    MakePanel();
    RecordByHand(1000);
    EXPECT_TRUE(QFile::exists(Path("lstav_20261207_1.wav")));

    for (const char* old : {"News_1.wav", "News_2.wav"}) {
        QFile file(Path(old));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    ScheduledEvent news = EventAt("News", kActionRecord);
    news.keep = 1;
    ASSERT_TRUE(settings_.events.Add(news));
    settings_.sound.waveInDriver = AlsaTestDevices::kMissing;
    clock_.Set(2026, 12, 7, 14, 6, 0);
    control().Tick();
    EXPECT_FALSE(panel_->recording());
    EXPECT_TRUE(QFile::exists(Path("News_1.wav")));
    EXPECT_TRUE(QFile::exists(Path("News_2.wav")));
    EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files).size(), 3);
}

TEST_F(RecordControlTest, RadioOnEventUnmutesWithoutAFileAndMutesAgainAtItsEnd) {
    settings_.radio.startMute = kStartLastState;
    settings_.radioPanel.muted = true;
    ASSERT_TRUE(settings_.events.Add(EventAt("Morning", kActionRadioOn)));
    MakePanel();
    ASSERT_TRUE(panel_->muted());
    clock_.Set(2026, 12, 7, 14, 6, 0);
    control().Tick();
    Settle();
    EXPECT_FALSE(panel_->recording());
    EXPECT_EQ(control().activeEvent(), 0);
    EXPECT_FALSE(panel_->muted()) << "audible";
    EXPECT_FALSE(panel_->device().IsMuted());
    EXPECT_FLOAT_EQ(panel_->frequency(), 95.5f);
    EXPECT_TRUE(QDir(dir_.path()).isEmpty());

    clock_.Set(2026, 12, 7, 14, 7, 0);
    control().Tick();
    Settle();
    EXPECT_TRUE(panel_->muted()) << "muted again, as before the event";
    EXPECT_TRUE(panel_->device().IsMuted());
    EXPECT_TRUE(QDir(dir_.path()).isEmpty());
}

TEST_F(RecordControlTest, EventWithoutActionNeitherStartsNorStopsAnything) {
    ASSERT_TRUE(settings_.events.Add(EventAt("Nothing", kActionNone)));
    MakePanel();
    Start(-1);
    ASSERT_TRUE(panel_->recording());
    clock_.Set(2026, 12, 7, 14, 6, 0);
    control().Tick();
    Settle();
    EXPECT_TRUE(panel_->recording()) << "the hand recording goes on";
    EXPECT_EQ(control().activeEvent(), -1);
    EXPECT_FLOAT_EQ(panel_->frequency(), 89.9f);
    Stop(0);
    EXPECT_TRUE(panel_->recording());
    Stop(-1);
    EXPECT_FALSE(panel_->recording());
}

TEST_F(RecordControlTest, FolderThatCannotBeMadeEndsIdleWithTheFileMessage) {
    QFile blocker(Path("plain-file"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    settings_.files.defaultDirectory = Path("plain-file/recordings");
    MakePanel();
    QSignalSpy failed(&control(), &RecordControl::recordingFailed);
    Start(-1);
    EXPECT_FALSE(panel_->recording());
    EXPECT_FALSE(control().starting());
    EXPECT_EQ(control().recorder(), nullptr);
    // Shown after the start has returned to idle.
    ASSERT_TRUE(WaitUntil([&] { return !messages_.calls().empty(); }));
    ASSERT_EQ(messages_.calls().size(), 1u);
    EXPECT_EQ(messages_.calls()[0].text, "Can't make new file.\nDisk full or directory problem?");
    EXPECT_EQ(messages_.calls()[0].caption, "Plumora");
    ASSERT_EQ(failed.count(), 1);
    EXPECT_THAT(failed[0][2].toString().toStdString(), HasSubstr("plain-file/recordings"));
    EXPECT_EQ(recent_.Count(), 0);
}

TEST_F(RecordControlTest, DeviceThatCannotOpenLeavesNoFileBehind) {
    settings_.sound.waveInDriver = AlsaTestDevices::kMissing;
    MakePanel();
    Start(-1);
    EXPECT_FALSE(panel_->recording());
    ASSERT_TRUE(WaitUntil([&] { return !messages_.calls().empty(); }));
    EXPECT_EQ(messages_.calls().back().text,
              "Can't record.\nWave input device or compression codec already in use or disabled?");
    EXPECT_FALSE(QFile::exists(Path("lstav_1.wav")));
    EXPECT_EQ(recent_.Count(), 0);
    EXPECT_THAT(panel_->statusText().toStdString(),
                HasSubstr("Recording could not start: the sound device \"plumora_missing\""));
}

TEST_F(RecordControlTest, DeviceFailingMidRecordingEndsIdleKeepingWhatWasRecorded) {
    settings_.sound.waveInDriver = AlsaTestDevices::kFailingCapture;
    MakePanel();
    QSignalSpy failed(&control(), &RecordControl::recordingFailed);
    QSignalSpy ended(&control(), &RecordControl::recordingEnded);
    QSignalSpy started(&control(), &RecordControl::recordingStarted);
    panel_->StartEvent(-1);
    // The device fails after half a second of data, which it delivers at
    // once: the failure may come before the start has settled.
    ASSERT_TRUE(WaitUntil([&] { return started.count() == 1; }, 20000));
    // The progress reports or the timer tick notice it.
    ASSERT_TRUE(WaitUntil(
        [&] {
            control().Tick();
            return !panel_->recording() && control().settled();
        },
        60000));
    EXPECT_EQ(control().recorder(), nullptr);
    EXPECT_TRUE(panel_->recButton()->isVisibleTo(panel_.get()));
    EXPECT_FALSE(panel_->stopButton()->isVisibleTo(panel_.get()));
    EXPECT_THAT(panel_->statusText().toStdString(), HasSubstr("lstav_1.wav stopped: "));
    ASSERT_EQ(failed.count(), 1);
    EXPECT_EQ(ended.count(), 0);
    const std::optional<WaveContents> wave = ReadWaveFile(Path("lstav_1.wav"));
    ASSERT_TRUE(wave.has_value()) << "complete up to the failure";
    EXPECT_EQ(wave->data, TestSignal(kCdBytesPerSecond * 2).left(wave->data.size()));
    EXPECT_THAT(Item(Path("lstav_1.wav")), HasSubstr("EVENT <unscheduled>"));
    EXPECT_EQ(recent_.Path(0), Path("lstav_1.wav"));
}

TEST_F(RecordControlTest, CommandsRecordStopAndHandPlaybackToTheArchive) {
    MakePanel();
    CommandSink archive;
    panel_->SetArchivePanel(&archive);
    PostMessage(panel_.get(), WM_COMMAND, 141);
    ASSERT_TRUE(WaitUntil([&] { return panel_->recording(); }));
    for (unsigned id : {202u, 203u, 208u, 209u, 210u, 211u, 212u, 213u, 214u, 151u}) {
        PostMessage(panel_.get(), WM_COMMAND, id);
    }
    PostMessage(panel_.get(), WM_COMMAND, 142);
    ASSERT_TRUE(WaitUntil([&] { return !panel_->recording() && archive.commands.size() == 9; }));
    EXPECT_EQ(archive.commands,
              (std::vector<unsigned>{202, 203, 208, 209, 210, 211, 212, 213, 214}));
    EXPECT_TRUE(QFile::exists(Path("lstav_1.wav")));
}

TEST_F(RecordControlTest, ClosingThePanelEndsTheRecordingCompleteAndTagged) {
    MakePanel();
    Start(-1);
    ASSERT_TRUE(WaitUntil([&] { return control().recorder()->GetBytesWritten() > 8000; }, 60000));
    panel_.reset();
    EXPECT_TRUE(ReadWaveFile(Path("lstav_1.wav")).has_value());
    EXPECT_THAT(Item(Path("lstav_1.wav")), HasSubstr("EVENT <unscheduled>"));
    EXPECT_EQ(recent_.Path(0), Path("lstav_1.wav"));
}

TEST_F(RecordControlTest, StopDuringAStartAndExitDuringAStopEndTheRecordingComplete) {
    MakePanel();
    QSignalSpy started(&control(), &RecordControl::recordingStarted);
    QSignalSpy ended(&control(), &RecordControl::recordingEnded);
    panel_->StartEvent(-1);
    EXPECT_EQ(control().state(), RecordState::kStarting) << "the start goes on after returning";
    panel_->StopEvent(-1);
    Settle();
    EXPECT_FALSE(panel_->recording());
    EXPECT_EQ(started.count(), 1) << "the recording began";
    EXPECT_EQ(ended.count(), 1) << "and ended at once";
    EXPECT_TRUE(ReadWaveFile(Path("lstav_1.wav")).has_value());

    Start(-1);
    ASSERT_TRUE(WaitUntil([&] { return control().recorder()->GetBytesWritten() > 8000; }, 60000));
    bool completeAtExit = false;
    const QMetaObject::Connection check =
        QObject::connect(&control(), &RecordControl::readyToExit, [&] {
            completeAtExit = control().recorder() == nullptr &&
                             recent_.Path(0) == Path("lstav_2.wav") &&
                             ReadWaveFile(Path("lstav_2.wav")).has_value();
        });
    QSignalSpy ready(&control(), &RecordControl::readyToExit);
    panel_->StopEvent(-1);
    EXPECT_EQ(control().state(), RecordState::kStopping);
    control().RequestExit();
    EXPECT_EQ(ready.count(), 0) << "the exit waits for the stop";
    Settle();
    QObject::disconnect(check);
    ASSERT_EQ(ready.count(), 1);
    EXPECT_TRUE(completeAtExit);
    EXPECT_THAT(Item(Path("lstav_2.wav")), HasSubstr("EVENT <unscheduled>"));
    Start(-1);
    EXPECT_FALSE(panel_->recording()) << "nothing starts once the program is ending";
    EXPECT_FALSE(QFile::exists(Path("lstav_3.wav")));
}

TEST_F(RecordControlTest, TheRunningEventIsKnownByNameWhileTheListChanges) {
    ASSERT_TRUE(settings_.events.Add(EventAt("Early", kActionRecord)));
    ScheduledEvent news = EventAt("News", kActionRecord);
    news.startMinute = 7;
    news.endMinute = 9;
    ASSERT_TRUE(settings_.events.Add(news));
    MakePanel();
    TickAt(14, 6);
    TickAt(14, 7);
    ASSERT_TRUE(panel_->recording());
    EXPECT_EQ(control().runningEvent(), "News") << "Early's start was replaced by News";
    EXPECT_EQ(control().activeEvent(), 1);

    // An earlier event goes, and New replaces News (it moves to the end).
    settings_.events.Remove("Early");
    ASSERT_TRUE(settings_.events.Add(EventAt("Other", kActionRecord)));
    ASSERT_TRUE(settings_.events.Add(news));
    EXPECT_EQ(control().runningEvent(), "News");
    EXPECT_EQ(control().activeEvent(), 1);
    Stop(0);
    EXPECT_TRUE(panel_->recording()) << "Other's end does not end News";
    Stop(settings_.events.Find("News"));
    EXPECT_FALSE(panel_->recording());
    EXPECT_EQ(control().runningEvent(), "");
    EXPECT_TRUE(ReadWaveFile(Path("Early_1.wav")).has_value());
    EXPECT_THAT(Item(Path("News_1.wav")), HasSubstr("EVENT News\r\n"));
}

TEST_F(RecordControlTest, AFailedScheduledStartIsToldWithoutABoxAndTheScheduleGoesOn) {
    settings_.sound.waveInDriver = AlsaTestDevices::kMissing;
    ASSERT_TRUE(settings_.events.Add(EventAt("Alpha", kActionRecord)));
    ScheduledEvent beta = EventAt("Beta", kActionRecord);
    beta.startMinute = 7;
    beta.endMinute = 8;
    ASSERT_TRUE(settings_.events.Add(beta));
    MakePanel();
    QSignalSpy failed(&control(), &RecordControl::recordingFailed);
    TickAt(14, 6);
    LetWaitingMessagesRun();
    EXPECT_FALSE(panel_->recording());
    ASSERT_EQ(failed.count(), 1);
    EXPECT_EQ(failed[0][1].toString(), "Alpha");
    EXPECT_THAT(panel_->statusText().toStdString(),
                HasSubstr("Alpha could not start: the sound device \"plumora_missing\""));
    EXPECT_TRUE(messages_.calls().empty()) << "nobody is there to click a scheduled failure away";

    settings_.sound.waveInDriver = AlsaTestDevices::kCapture;
    TickAt(14, 7);
    EXPECT_TRUE(panel_->recording());
    EXPECT_EQ(control().runningEvent(), "Beta");
}

TEST_F(RecordControlTest, ACaptureDeviceThatNeverOpensFailsTheStartAfterTheTimeOut) {
    settings_.sound.waveInDriver = AlsaTestDevices::kSilentCapture;
    MakePanel();
    QSignalSpy failed(&control(), &RecordControl::recordingFailed);
    QElapsedTimer elapsed;
    elapsed.start();
    panel_->StartEvent(-1);
    EXPECT_LT(elapsed.elapsed(), 1000) << "the open does not hold the user-interface thread";
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(100);
    Settle(kWaveOpenTimeoutMs + 5000);
    EXPECT_LT(elapsed.elapsed(), kWaveOpenTimeoutMs + 3000);
    EXPECT_GE(ticks, kWaveOpenTimeoutMs / 100 / 2) << "the event loop ran meanwhile";
    EXPECT_FALSE(panel_->recording());
    ASSERT_EQ(failed.count(), 1);
    EXPECT_THAT(failed[0][2].toString().toStdString(), HasSubstr("did not answer within"));
    EXPECT_FALSE(QFile::exists(Path("lstav_1.wav")));
    ASSERT_TRUE(WaitUntil([&] { return !messages_.calls().empty(); }));
    EXPECT_THAT(messages_.calls().back().text.toStdString(), HasSubstr("Can't record."));

    // A writer comes at last: the abandoned open returns and closes what it opened.
    EXPECT_EQ(WaveOpensNotAnswering(), 1);
    const int writer =
        open(devices_.Path("silent.fifo").toLocal8Bit().constData(), O_WRONLY | O_NONBLOCK);
    ASSERT_GE(writer, 0);
    EXPECT_TRUE(WaitUntil([] { return WaveOpensNotAnswering() == 0; }));
    close(writer);
}

}  // namespace
