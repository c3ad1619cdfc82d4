#include <gtest/gtest.h>

#include <memory>

#include "media/file_io.h"
#include "media/media_test_support.h"
#include "media/rec_file.h"
#include "media/wave_file.h"
#include "support/fake_clock.h"

namespace {

constexpr unsigned kRecordMode = kOpenReadWrite | kOpenCreate | kOpenDenyWrite;

class RecFileTest : public ::testing::Test {
  protected:
    std::unique_ptr<RecFile> Record(const std::string& path) {
        return std::make_unique<RecFile>(path, &format_, kRecordMode, false, true, clock_);
    }
    std::unique_ptr<RecFile> Play(const std::string& path) {
        return std::make_unique<RecFile>(path, nullptr, kOpenRead, false, true, clock_);
    }
    void WriteBuffers(RecFile& file, int count, int bytes = 100) {
        const QByteArray audio = AudioPattern(bytes);
        for (int i = 0; i < count; ++i) {
            ASSERT_EQ(file.WriteAudio(audio.constData(), bytes), bytes);
        }
    }

    TestDir dir_;
    std::string path_ = dir_.Path("news.wav");
    FakeClock clock_;
    WaveFormat format_ = WaveFormat::Pcm(1, 22050, 16);  // 44100 bytes per second
};

TEST_F(RecFileTest, MediaClassFollowsTheName) {
    const QByteArray mp3 = ReadFileBytes(FixturePath("sine_44100_128k.mp3"));
    WriteFileBytes(dir_.Path("a.MP3"), mp3);
    RecFile upper(dir_.Path("a.MP3"), nullptr, kOpenRead, false);
    EXPECT_TRUE(upper.IsMp3());
    EXPECT_TRUE(upper.IsOpen());
    EXPECT_EQ(upper.GetLength(), mp3.size());
    EXPECT_EQ(upper.Format().formatTag, WaveFormat::kTagMpegLayer3);

    RecFile wave(path_, &format_, kRecordMode, true);
    EXPECT_FALSE(wave.IsMp3()) << "the name wins over the default";
    EXPECT_EQ(wave.Format(), format_);
    EXPECT_EQ(wave.GetFileTitle(), "news.wav");

    RecFile temporary("", nullptr, kRecordMode, true);
    EXPECT_TRUE(temporary.IsMp3());
    EXPECT_TRUE(temporary.Media().IsTemporary());
    EXPECT_EQ(RecFile::RecoveryPath(temporary.GetFileName()), "");
}

TEST_F(RecFileTest, PlayingAMissingRecordingFailsAndCreatesNothing) {
    for (const char* name : {"gone.wav", "gone.mp3"}) {
        const std::string path = dir_.Path(name);
        auto file = Play(path);
        EXPECT_FALSE(file->IsOpen()) << name;
        EXPECT_FALSE(FileExists(path)) << name;
    }
}

TEST_F(RecFileTest, RecoveryFileNames) {
    EXPECT_EQ(RecFile::RecoveryPath("/rec/x.wav"), "/rec/x.~av");
    EXPECT_EQ(RecFile::RecoveryPath("/rec/x.mp3"), "/rec/x.~p3");
    EXPECT_EQ(RecFile::RecoveryPath("/rec/x.wave"), "");
    EXPECT_EQ(RecFile::RecoveryPath(".wa"), "");
}

TEST_F(RecFileTest, OwnersItemFromAScheduledRecordingIsKept) {
    clock_.Set(2026, 12, 7, 6, 0);
    const std::time_t start = clock_.Now();
    const std::string item = "SAMPLE\tTIMECODE\r\n0\t" + std::to_string(start) +
                             "\r\nEVENT News\r\nSTATION 101.3000\r\n";
    {
        auto file = Record(path_);
        WriteBuffers(*file, 10);
        EXPECT_TRUE(file->SetTag(kTimecodeTagName, item));
        EXPECT_FALSE(file->Media().IsDirty());
    }
    EXPECT_FALSE(FileExists(RecFile::RecoveryPath(path_)));
    WaveFile wave(path_, nullptr, kOpenRead);
    EXPECT_EQ(wave.GetTag(kTimecodeTagName), item) << "four lines, not replaced at close";
    EXPECT_EQ(wave.GetLength(), 1000);

    auto played = Play(path_);
    ASSERT_EQ(played->Timecodes().size(), 1u);
    EXPECT_EQ(played->Timecodes()[0], (TimecodeEntry{start, 0}));
    EXPECT_EQ(played->TimeAt(88200), start + 2);
    EXPECT_EQ(played->TimeAt(0), start);
}

TEST_F(RecFileTest, TimeAtUsesTheLastEntryNotAfterThePosition) {
    {
        auto file = Record(path_);
        WriteBuffers(*file, 1);
        file->SetTag(kTimecodeTagName,
                     "SAMPLE\tTIMECODE\r\n0\t0\r\n0\t1000\r\n441000\t5000\r\n882000\t0\r\n");
    }
    auto file = Play(path_);
    EXPECT_EQ(file->TimeAt(44100), 1001) << "of two entries at 0 the later one";
    EXPECT_EQ(file->TimeAt(441000 + 88200), 5002);
    EXPECT_EQ(file->TimeAt(900000), 0) << "an entry without time";
}

TEST_F(RecFileTest, WithoutTimecodesOrRateTheTimeIsUnknown) {
    {
        auto file = Record(path_);
        WriteBuffers(*file, 1);
        file->SetTag(kTimecodeTagName, "SAMPLE\tTIMECODE\r\n");
    }
    EXPECT_EQ(Play(path_)->TimeAt(100), 0);

    WaveFormat noRate = format_;
    noRate.avgBytesPerSec = 0;
    const std::string other = dir_.Path("norate.wav");
    {
        RecFile file(other, &noRate, kRecordMode, false, true, clock_);
        WriteBuffers(file, 1);
    }
    auto file = Play(other);
    ASSERT_EQ(file->Timecodes().size(), 1u);
    EXPECT_EQ(file->TimeAt(50), 0);
}

TEST_F(RecFileTest, ItemWrittenAtCloseHoldsTheSessionsAndComments) {
    clock_.Set(2026, 12, 7, 6, 0);
    const std::time_t first = clock_.Now();
    {
        auto file = Record(path_);
        file->AddComment("intro", 0);
        WriteBuffers(*file, 5);
        file->AddComment("talk");  // at the current position, 500
    }
    EXPECT_FALSE(FileExists(RecFile::RecoveryPath(path_)));
    clock_.Set(2026, 12, 7, 7, 0);
    {
        auto file = Record(path_);  // an existing recording: appended to
        EXPECT_EQ(file->GetLength(), 500);
        ASSERT_EQ(file->Timecodes().size(), 1u);
        WriteBuffers(*file, 2);
    }
    auto file = Play(path_);
    EXPECT_EQ(file->GetLength(), 700);
    EXPECT_EQ(file->Timecodes(), (std::vector<TimecodeEntry>{{first, 0}, {first + 3600, 500}}));
    EXPECT_EQ(file->Comments(),
              (std::vector<RecComment>{{"intro", 0, 500}, {"talk", 500, RecComment::kOpenEnd}}));
    EXPECT_EQ(file->TimeAt(600), first + 3600);
    EXPECT_EQ(file->GetTag(kTimecodeTagName),
              "SAMPLE\tTIMECODE\r\n0\t" + std::to_string(first) + "\r\n500\t" +
                  std::to_string(first + 3600) +
                  "\r\nCOMMENT 0\t500\tintro\r\nCOMMENT 500\t4294967295\ttalk\r\n");
}

TEST_F(RecFileTest, CommentRules) {
    auto file = Record(path_);
    WriteBuffers(*file, 10);
    file->AddComment("a", 100);
    file->AddComment("b", 300);
    EXPECT_EQ(file->Comments(),
              (std::vector<RecComment>{{"a", 100, 300}, {"b", 300, RecComment::kOpenEnd}}));
    file->AddComment("a2", 100);
    EXPECT_EQ(file->Comments().size(), 2u) << "same start: the text is replaced";
    EXPECT_EQ(file->Comments()[0].text, "a2");
    file->AddComment("inner", 200, 0);
    EXPECT_EQ(file->Comments()[0].end, 200u) << "open at 200, closed there";
    EXPECT_EQ(file->Comments()[2], (RecComment{"inner", 200, 300})) << "up to the next start";
    file->AddComment("fixed", 50, 60);
    EXPECT_EQ(file->Comments()[3], (RecComment{"fixed", 50, 60}));
    file->Seek(400);
    file->AddComment("");
    EXPECT_EQ(file->Comments()[1].end, 400u) << "an empty text closes what is open here";
    EXPECT_EQ(file->Comments().size(), 4u);
    file->AddComment("line\r\nbreak", 900);
    EXPECT_EQ(file->Comments()[4].text, "line  break") << "one line of the item";

    WaveFile(dir_.Path("ro.wav"), &format_, kRecordMode).Write("abcd", 4);
    RecFile readOnly(dir_.Path("ro.wav"), nullptr, kOpenRead, false);
    readOnly.AddComment("ignored", 0);
    EXPECT_TRUE(readOnly.Comments().empty());
    EXPECT_FALSE(readOnly.Media().IsDirty());
}

TEST_F(RecFileTest, WaveRecordingIsCompletedOnDiskEveryReopenInterval) {
    const std::string recovery = RecFile::RecoveryPath(path_);
    auto file = Record(path_);
    file->AddComment("news", 0);
    WriteBuffers(*file, RecFile::kHeaderInterval - 1);
    EXPECT_TRUE(FileExists(recovery)) << "from the first write on";
    WriteBuffers(*file, 1);
    {
        // The header on disk already tells readers of the audio so far.
        const QByteArray bytes = ReadFileBytes(path_);
        const qsizetype data = bytes.indexOf("data");
        ASSERT_GT(data, 0);
        EXPECT_EQ(bytes.mid(data + 4, 4), Le32(100 * RecFile::kHeaderInterval));
    }
    WriteBuffers(*file, RecFile::kReopenInterval - RecFile::kHeaderInterval - 1);

    WriteBuffers(*file, 1);
    EXPECT_EQ(WaveFile(path_, nullptr, kOpenRead).GetLength(), 100 * RecFile::kReopenInterval);
    EXPECT_TRUE(file->Media().IsDirty());
    EXPECT_EQ(file->GetPosition(), 100 * RecFile::kReopenInterval);
    const QByteArray saved = ReadFileBytes(recovery);
    EXPECT_EQ(saved.left(4), Le32(1));
    EXPECT_EQ(saved.mid(4), QByteArray::fromStdString(file->BuildItem()) + '\0');

    WriteBuffers(*file, 3);
    file.reset();
    EXPECT_FALSE(FileExists(recovery)) << "the item is in the recording now";
    WaveFile wave(path_, nullptr, kOpenRead);
    EXPECT_EQ(wave.GetLength(), 100 * (RecFile::kReopenInterval + 3));
    EXPECT_TRUE(wave.GetTag(kTimecodeTagName).has_value());
}

TEST_F(RecFileTest, Mp3RecordingIsNotReopened) {
    const std::string path = dir_.Path("news.mp3");
    const QByteArray mp3 = ReadFileBytes(FixturePath("sine_44100_128k.mp3"));
    {
        RecFile file(path, nullptr, kRecordMode, false, true, clock_);
        ASSERT_TRUE(file.IsMp3());
        // The encoder's frames in as many pieces as a WAVE file would take
        // to be reopened.
        const int pieces = RecFile::kReopenInterval + 1;
        for (int i = 0; i < pieces; ++i) {
            const int from = static_cast<int>(static_cast<int64_t>(mp3.size()) * i / pieces);
            const int to = static_cast<int>(static_cast<int64_t>(mp3.size()) * (i + 1) / pieces);
            file.WriteAudio(mp3.constData() + from, to - from);
        }
        EXPECT_TRUE(FileExists(RecFile::RecoveryPath(path))) << "the start time is kept";
        file.AddComment("mp3 comment", 0);
    }
    RecFile file(path, nullptr, kOpenRead, false);
    ASSERT_TRUE(file.IsOpen());
    EXPECT_EQ(file.GetLength(), mp3.size());
    ASSERT_EQ(file.Comments().size(), 1u) << "the item travels in the PRIV frame";
    EXPECT_EQ(file.Comments()[0].text, "mp3 comment");
    EXPECT_EQ(file.Timecodes(), (std::vector<TimecodeEntry>{{clock_.Now(), 0}}));
}

TEST_F(RecFileTest, RecoveryFileStandsInForAMissingItem) {
    {
        WaveFile wave(path_, &format_, kRecordMode);
        wave.Write(AudioPattern(400).constData(), 400);
    }
    const std::string recovery = RecFile::RecoveryPath(path_);
    WriteFileBytes(recovery,
                   Le32(1) + "SAMPLE\tTIMECODE\r\n0\t77\r\nCOMMENT 0\t0\tsaved\r\n" + '\0');
    {
        auto file = Play(path_);
        EXPECT_EQ(file->Timecodes(), (std::vector<TimecodeEntry>{{77, 0}}));
        EXPECT_EQ(file->Comments(), (std::vector<RecComment>{{"saved", 0, RecComment::kOpenEnd}}));
    }
    EXPECT_TRUE(FileExists(recovery)) << "a reader leaves it alone";

    WriteFileBytes(recovery, Le32(2) + "SAMPLE\tTIMECODE\r\n0\t77\r\n" + '\0');
    EXPECT_TRUE(Play(path_)->Timecodes().empty()) << "not text";
    WriteFileBytes(recovery, "SAM");
    EXPECT_TRUE(Play(path_)->Timecodes().empty());

    WriteFileBytes(recovery, Le32(1) + "SAMPLE\tTIMECODE\r\n0\t77\r\n" + '\0');
    {
        auto file = Record(path_);
        EXPECT_TRUE(file->ReloadMetadata());
        EXPECT_EQ(file->Timecodes().size(), 1u);
        WriteBuffers(*file, 1);
    }
    EXPECT_FALSE(FileExists(recovery)) << "taken into the recording";
    EXPECT_EQ(Play(path_)->Timecodes().size(), 2u);
}

TEST_F(RecFileTest, FileThatCannotBeOpenedIsReported) {
    RecFile file(dir_.Path("missing/x.wav"), &format_, kRecordMode, false);
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(file.GetError(), kMediaErrorOpen);
    EXPECT_EQ(file.WriteAudio("abcd", 4), -1);
    EXPECT_EQ(file.TimeAt(10), 0);
}

}  // namespace

namespace {

// A compressed recording longer than a reopen interval: "fact" holds what
// the recorder counted, once, and a second session adds its own on top.
TEST_F(RecFileTest, SampleCountOfACompressedRecordingIsCountedOnceAcrossReopens) {
    format_ = WaveFormat{};
    format_.formatTag = 17;  // IMA ADPCM, 505 samples per 256-byte block
    format_.channels = 1;
    format_.samplesPerSec = 22050;
    format_.avgBytesPerSec = 11100;
    format_.blockAlign = 256;
    format_.bitsPerSample = 4;
    format_.extra = QByteArray("\xf9\x01", 2);
    const uint32_t perSession = (RecFile::kReopenInterval * 2 + 5) * 505;
    for (int session = 1; session <= 2; ++session) {
        auto file = std::make_unique<RecFile>(path_, session == 1 ? &format_ : nullptr,
                                              session == 1 ? kRecordMode : kOpenReadWrite, false,
                                              true, clock_);
        WriteBuffers(*file, RecFile::kReopenInterval * 2 + 5, 256);
        file->AddSampleCount(perSession);
        file.reset();
        EXPECT_EQ(WaveFile(path_, nullptr, kOpenRead).GetSampleCount(), perSession * session);
    }
    if (HaveTool("ffprobe")) {
        const ToolRun run = RunTool("ffprobe", {"-v", "error", "-show_entries", "format=duration",
                                                "-of", "csv=p=0", QString::fromStdString(path_)});
        EXPECT_EQ(run.exitCode, 0);
        EXPECT_NEAR(run.output.trimmed().toDouble(), perSession * 2 / 22050.0, 0.1);
    }
}

}  // namespace

namespace {

TEST_F(RecFileTest, RecordingDeletedWhileRecordingIsMadeAgainInItsOwnFormat) {
    format_ = WaveFormat::Pcm(2, 44100, 16);
    auto file = Record(path_);
    WriteBuffers(*file, 10);
    ASSERT_EQ(::unlink(path_.c_str()), 0);
    WriteBuffers(*file, RecFile::kReopenInterval + 10);
    EXPECT_EQ(file->Format(), format_);
    file.reset();
    WaveFile wave(path_, nullptr, kOpenRead);
    ASSERT_TRUE(wave.IsOpen());
    EXPECT_EQ(wave.Format(), format_);
    EXPECT_EQ(wave.GetLength(), 100 * 20) << "what came after the new file was made";
}

}  // namespace
