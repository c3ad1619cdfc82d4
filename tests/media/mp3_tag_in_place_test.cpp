#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QFile>
#include <QStringList>
#include <memory>
#include <string>
#include <vector>

#include "media/media_test_support.h"
#include "media/mp3_file.h"
#include "media/rec_file.h"
#include "support/fake_clock.h"
#include "support/file_size_limit.h"

namespace {

constexpr unsigned kRecordMode = kOpenReadWrite | kOpenCreate | kOpenDenyWrite;

ino_t InodeOf(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? info.st_ino : 0;
}

QByteArray Be32(uint32_t n) {
    QByteArray bytes(4, '\0');
    for (int i = 0; i < 4; ++i) {
        bytes[i] = static_cast<char>(n >> (24 - 8 * i));
    }
    return bytes;
}

// An ID3v2.3 tag of text frames (id, Latin-1 text) with zeros behind them.
QByteArray TextTag(const std::vector<std::pair<QByteArray, QByteArray>>& frames, int padding) {
    QByteArray body;
    for (const auto& [id, text] : frames) {
        body += id + Be32(static_cast<uint32_t>(text.size() + 1)) + QByteArray(2, '\0');
        body += '\0' + text;
    }
    body += QByteArray(padding, '\0');
    const auto size = static_cast<uint32_t>(body.size());
    QByteArray header("ID3\x03\x00\x00", 6);
    for (int shift = 21; shift >= 0; shift -= 7) {
        header += static_cast<char>((size >> shift) & 0x7F);
    }
    return header + body;
}

// Bytes the tag at the start of bytes takes, header included.
int TagBytes(const QByteArray& bytes) {
    if (!bytes.startsWith("ID3")) {
        return 0;
    }
    int size = 0;
    for (int i = 6; i < 10; ++i) {
        size = size << 7 | (static_cast<unsigned char>(bytes[i]) & 0x7F);
    }
    return 10 + size;
}

// What mutagen reads: one "ID=text" line a frame (PRIV as "PRIV=owner:data"),
// after a "length=" line.
constexpr char kMutagenScript[] = R"(
import sys
from mutagen.id3 import ID3, ID3NoHeaderError
from mutagen.mp3 import MP3
print("length=%.2f" % MP3(sys.argv[1]).info.length)
try:
    frames = ID3(sys.argv[1], translate=False).values()
except ID3NoHeaderError:
    frames = []
for frame in frames:
    if frame.FrameID == "PRIV":
        print("PRIV=%s:%s" % (frame.owner, frame.data.rstrip(b"\0").decode("latin-1")))
    else:
        print("%s=%s" % (frame.FrameID, frame.text[0]))
)";

QStringList MutagenLines(const std::string& path) {
    const ToolRun run =
        RunTool("/usr/bin/python3", {"-c", kMutagenScript, QString::fromStdString(path)});
    EXPECT_EQ(run.exitCode, 0) << run.output.toStdString();
    return run.output.split('\n', Qt::SkipEmptyParts);
}

// ffprobe's duration and tags of the file, one "key=value" a line.
QString FfprobeFormat(const std::string& path) {
    const ToolRun run = RunTool("ffprobe", {"-v", "error", "-show_entries", "format=duration:tags",
                                            "-of", "default=nw=1", QString::fromStdString(path)});
    EXPECT_EQ(run.exitCode, 0) << run.output.toStdString();
    return run.output;
}

class Mp3TagInPlaceTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!HaveTool("ffprobe") || !QFile::exists("/usr/bin/python3")) {
            GTEST_SKIP() << "ffprobe and python3-mutagen check the files";
        }
        const QByteArray stereo = ReadFileBytes(FixturePath("sine_44100_128k.mp3"));
        for (int i = 0; i < 20; ++i) {
            audio_ += stereo;  // about 11 s of whole frames
        }
        // How long the readers take the untagged audio to be.
        const std::string plain = dir_.Path("plain.mp3");
        WriteFileBytes(plain, audio_);
        mutagenLength_ = MutagenLines(plain).value(0).mid(7).toDouble();
        ffprobeDuration_ = Duration(FfprobeFormat(plain));
        ASSERT_GT(mutagenLength_, 10.0);
        ASSERT_GT(ffprobeDuration_, 10.0);
    }

    static double Duration(const QString& probe) {
        const qsizetype at = probe.indexOf("duration=");
        return at < 0 ? 0.0 : probe.mid(at + 9).section('\n', 0, 0).toDouble();
    }

    // Readers nobody here wrote find the whole audio and the frames.
    void ExpectReadersSee(const QStringList& frames) {
        const QStringList lines = MutagenLines(path_);
        ASSERT_FALSE(lines.isEmpty());
        EXPECT_NEAR(lines[0].mid(7).toDouble(), mutagenLength_, 0.05) << lines[0].toStdString();
        for (const QString& frame : frames) {
            EXPECT_TRUE(lines.contains(frame))
                << frame.toStdString() << " not in " << lines.join(" | ").toStdString();
        }
        const QString probe = FfprobeFormat(path_);
        EXPECT_NEAR(Duration(probe), ffprobeDuration_, 0.05) << probe.toStdString();
    }

    TestDir dir_;
    std::string path_ = dir_.Path("rec.mp3");
    QByteArray audio_;
    double mutagenLength_ = 0;
    double ffprobeDuration_ = 0;
};

// A frame that fits the old tag's room is written over it: the same file,
// the same size, the audio behind it untouched, even where the file could
// not grow at all.
TEST_F(Mp3TagInPlaceTest, FrameThatFitsTheRoomIsWrittenOverTheOldTag) {
    const QByteArray oldTag = TextTag({{"TIT2", "Old title"}}, 1500);
    WriteFileBytes(path_, oldTag + audio_);
    const ino_t inode = InodeOf(path_);
    {
        Mp3File file(path_, nullptr, kOpenReadWrite);
        ASSERT_TRUE(file.IsOpen());
        ASSERT_EQ(file.GetDataStart(), oldTag.size());
        {
            FileSizeLimit limit(static_cast<rlim_t>(oldTag.size() + audio_.size() / 2));
            EXPECT_TRUE(file.SetTag("comment", "89.90"));
            EXPECT_TRUE(file.SetTag(kTimecodeTagName, "SAMPLE\tTIMECODE\r\n0\t1796601600\r\n"));
            EXPECT_TRUE(file.SetTag(kTimecodeTagName, "replaced"));
        }
        EXPECT_EQ(file.GetDataStart(), oldTag.size());
        EXPECT_EQ(file.GetLength(), audio_.size());
        EXPECT_EQ(file.GetTag("comment"), "89.90");
        EXPECT_EQ(file.GetTag("title"), "Old title");
        EXPECT_EQ(file.GetTag(kTimecodeTagName), "replaced");
    }
    EXPECT_EQ(InodeOf(path_), inode) << "not copied";
    QByteArray bytes = ReadFileBytes(path_);
    ASSERT_GE(bytes.size(), oldTag.size() + audio_.size());
    EXPECT_EQ(TagBytes(bytes), oldTag.size()) << "the header gives the old size";
    bytes.chop(128);  // the ID3v1 record of the comment, written at close
    EXPECT_EQ(bytes.size(), oldTag.size() + audio_.size());
    EXPECT_TRUE(bytes.endsWith(audio_)) << "the audio is byte for byte what it was";
    ExpectReadersSee({"TIT2=Old title", "COMM=89.90", "PRIV=http://www.quillmoor.com:replaced"});
    EXPECT_TRUE(FfprobeFormat(path_).contains("comment=89.90"));
}

// A frame too large for the old tag's room: the file is made anew beside
// the old one (a new file), with room for later frames, which then go in
// place. Where the new file cannot be written the recording stays as it was.
TEST_F(Mp3TagInPlaceTest, FrameThatDoesNotFitGoesThroughACopyWithRoomForMore) {
    const QByteArray oldTag = TextTag({{"TIT2", "Old title"}}, 20);
    WriteFileBytes(path_, oldTag + audio_);
    const std::string longComment(400, 'c');
    {
        Mp3File file(path_, nullptr, kOpenReadWrite);
        ASSERT_TRUE(file.IsOpen());
        {
            FileSizeLimit limit(static_cast<rlim_t>(oldTag.size() + audio_.size() + 100));
            EXPECT_FALSE(file.SetTag("album", longComment));
        }
        EXPECT_EQ(ReadFileBytes(path_), oldTag + audio_) << "left as it was";
        EXPECT_FALSE(QFile::exists(QString::fromStdString(path_ + ".tagging")));

        const ino_t before = InodeOf(path_);
        EXPECT_TRUE(file.SetTag("album", longComment));
        EXPECT_NE(InodeOf(path_), before) << "made anew";
        EXPECT_FALSE(QFile::exists(QString::fromStdString(path_ + ".tagging")));
        const QByteArray copied = ReadFileBytes(path_);
        EXPECT_TRUE(copied.endsWith(audio_));
        EXPECT_EQ(file.GetDataStart(), copied.size() - audio_.size());
        EXPECT_GE(TagBytes(copied), 400 + static_cast<int>(Mp3File::kTagPadding))
            << "both frames and the room behind them";

        // What a recording gets at its end then fits.
        const ino_t copy = InodeOf(path_);
        EXPECT_TRUE(file.SetTag("year", "2026"));
        EXPECT_TRUE(file.SetTag(kTimecodeTagName, std::string(600, 'x')));
        EXPECT_TRUE(file.SetTag(kTimecodeTagName, std::string(900, 'y')));
        EXPECT_EQ(InodeOf(path_), copy) << "written in place";
        EXPECT_EQ(ReadFileBytes(path_).size(), copied.size());
        EXPECT_EQ(file.GetLength(), audio_.size());
    }
    const QByteArray bytes = ReadFileBytes(path_);
    EXPECT_EQ(bytes.mid(TagBytes(bytes), audio_.size()), audio_);
    ExpectReadersSee({"TIT2=Old title", "TALB=" + QString::fromStdString(longComment), "TYER=2026",
                      "PRIV=http://www.quillmoor.com:" + QString(900, 'y')});
}

// The tag library reads no frames of a version 2.4 tag (as mutagen writes
// it): such a tag is left as it was rather than replaced by one without the
// other writer's frames.
TEST_F(Mp3TagInPlaceTest, Version24TagOfAnotherWriterKeepsItsFrames) {
    WriteFileBytes(path_, audio_);
    const ToolRun tagged =
        RunTool("/usr/bin/python3", {"-c",
                                     "import sys\nfrom mutagen.id3 import ID3, TIT2, TPE1\n"
                                     "t = ID3()\nt.add(TIT2(encoding=3, text='Their title'))\n"
                                     "t.add(TPE1(encoding=1, text='Them'))\nt.save(sys.argv[1])",
                                     QString::fromStdString(path_)});
    ASSERT_EQ(tagged.exitCode, 0) << tagged.output.toStdString();
    const QByteArray before = ReadFileBytes(path_);
    ASSERT_EQ(before.at(3), 4);
    {
        Mp3File file(path_, nullptr, kOpenReadWrite);
        ASSERT_TRUE(file.IsOpen());
        EXPECT_FALSE(file.SetTag("comment", "89.90"));
        EXPECT_FALSE(file.SetTag("year", "2026"));
        EXPECT_EQ(file.GetLength(), audio_.size());
    }
    EXPECT_EQ(ReadFileBytes(path_), before);
    ExpectReadersSee({"TIT2=Their title", "TPE1=Them"});
    {
        Mp3File file(path_, nullptr, kOpenReadWrite, false);
        EXPECT_TRUE(file.SetTag("comment", "89.90")) << "without ID3v2 tags only the ID3v1 record";
    }
    const QByteArray bytes = ReadFileBytes(path_);
    EXPECT_EQ(bytes.size(), before.size() + 128);
    EXPECT_TRUE(bytes.startsWith(before));
}

// The tags a recording gets when it ends (the metadata item, title, year,
// comment, and the item once more as the file closes) cost one copy of the
// file at most, and the recovery file goes once the item is in.
TEST_F(Mp3TagInPlaceTest, RecordingTaggedAtItsEndIsCopiedAtMostOnce) {
    FakeClock clock;
    int copies = 0;
    {
        RecFile file(path_, nullptr, kRecordMode, false, true, clock);
        ASSERT_TRUE(file.IsMp3());
        for (int at = 0; at < audio_.size(); at += 4096) {
            const int n = std::min<int>(4096, static_cast<int>(audio_.size()) - at);
            ASSERT_EQ(file.WriteAudio(audio_.constData() + at, n), n);
        }
        ino_t inode = InodeOf(path_);
        const auto countCopy = [&] {
            const ino_t now = InodeOf(path_);
            copies += now != inode ? 1 : 0;
            inode = now;
        };
        EXPECT_TRUE(file.SetTag(kTimecodeTagName, "SAMPLE\tTIMECODE\r\n0\t1796601600\r\n"));
        countCopy();
        EXPECT_TRUE(file.SetTag("title", "89.90 14:05 Dec7"));
        countCopy();
        EXPECT_TRUE(file.SetTag("year", "2026"));
        countCopy();
        EXPECT_TRUE(file.SetTag("comment", "89.90"));
        countCopy();
        file.AddComment("news at two", 0);
        ASSERT_TRUE(FileExists(RecFile::RecoveryPath(path_)));
    }
    EXPECT_LE(copies, 1);
    EXPECT_FALSE(FileExists(RecFile::RecoveryPath(path_))) << "the item is in the file";
    const QByteArray bytes = ReadFileBytes(path_);
    EXPECT_EQ(bytes.mid(TagBytes(bytes), audio_.size()), audio_);
    ExpectReadersSee({"TIT2=89.90 14:05 Dec7", "TYER=2026", "COMM=89.90"});
    RecFile file(path_, nullptr, kOpenRead, false);
    ASSERT_EQ(file.Comments().size(), 1u) << "the item of the close";
    EXPECT_EQ(file.Comments()[0].text, "news at two");
    EXPECT_EQ(file.GetLength(), audio_.size());
}

// A write over the old tag that stops part way (a crash, a failing disk)
// leaves the old header, and with it the audio where it was. The change is
// written as four zeros where the first changed frame starts, then the rest,
// then that frame's id: at every point in between, every reader finds all
// of the audio and the frames before the change.
TEST_F(Mp3TagInPlaceTest, TagCutOffWhileWrittenInPlaceKeepsTheAudioAndTheFramesBefore) {
    const QByteArray oldFile = TextTag({{"TIT2", "Old title"}}, 1500) + audio_;
    WriteFileBytes(path_, oldFile);
    {
        Mp3File file(path_, nullptr, kOpenReadWrite, true);
        ASSERT_TRUE(file.SetTag(kTimecodeTagName, "SAMPLE\tTIMECODE\r\n0\t1796601600\r\n"));
        ASSERT_TRUE(file.SetTag("comment", "89.90"));
    }
    const QByteArray newFile = ReadFileBytes(path_).left(oldFile.size());
    ASSERT_EQ(newFile.left(10), oldFile.left(10)) << "the header stays as it was";
    int first = 10;
    while (newFile[first] == oldFile[first]) {
        ++first;
    }
    int last = TagBytes(oldFile);
    while (newFile[last - 1] == oldFile[last - 1]) {
        --last;
    }
    ASSERT_EQ(first, 10 + 20) << "the new frames follow the title";
    ASSERT_LT(first + 4, last);
    QByteArray torn = oldFile;
    torn.replace(first, 4, QByteArray(4, '\0'));
    for (int cut = first + 4; cut <= last + 1; ++cut) {
        if (cut <= last) {
            torn.replace(first + 4, cut - first - 4, newFile.mid(first + 4, cut - first - 4));
        } else {
            torn.replace(first, 4, newFile.mid(first, 4));  // the id at last
            ASSERT_EQ(torn, newFile);
        }
        WriteFileBytes(path_, torn);
        Mp3File file(path_, nullptr, kOpenRead);
        ASSERT_TRUE(file.IsOpen()) << cut;
        EXPECT_EQ(file.GetDataStart(), TagBytes(oldFile)) << cut;
        EXPECT_EQ(file.GetLength(), audio_.size()) << cut;
        EXPECT_EQ(file.GetTag("title"), "Old title") << cut;
        EXPECT_EQ(file.GetTag("comment").has_value(), cut > last) << cut;
        if ((cut - first) % 16 == 0 || cut > last) {
            ExpectReadersSee({"TIT2=Old title"});
        }
    }
    // Such a file takes the next tag as any other.
    WriteFileBytes(path_, newFile.left(first) + QByteArray(4, '\0') + newFile.mid(first + 4, 20) +
                              oldFile.mid(first + 24));
    {
        Mp3File file(path_, nullptr, kOpenReadWrite, true);
        EXPECT_TRUE(file.SetTag("comment", "89.90"));
    }
    ExpectReadersSee({"TIT2=Old title", "COMM=89.90"});
}

}  // namespace
