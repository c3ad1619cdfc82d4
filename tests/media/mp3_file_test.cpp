#include <gtest/gtest.h>

#include <QFile>
#include <algorithm>
#include <vector>

#include "media/id3v1_record.h"
#include "media/media_test_support.h"
#include "media/mp3_file.h"
#include "media/mp3_frame.h"
#include "support/file_size_limit.h"

namespace {

constexpr unsigned kRecordMode = kOpenReadWrite | kOpenCreate | kOpenDenyWrite;

std::optional<Mp3FrameHeader> Header(unsigned char b1, unsigned char b2, unsigned char b3,
                                     unsigned char b4) {
    const unsigned char bytes[4] = {b1, b2, b3, b4};
    return ParseMp3FrameHeader(bytes);
}

// Frame lengths from the first header on, as the headers give them.
std::vector<int> WalkFrames(const QByteArray& bytes, int start) {
    std::vector<int> lengths;
    int at = start;
    while (at + 4 <= bytes.size()) {
        const auto header =
            ParseMp3FrameHeader(reinterpret_cast<const unsigned char*>(bytes.constData() + at));
        if (!header) {
            break;
        }
        lengths.push_back(header->FrameLength());
        at += header->FrameLength();
    }
    if (at != bytes.size()) {
        lengths.clear();  // the walk must end exactly at the end of the audio
    }
    return lengths;
}

// An ID3v2.3 tag holding the given frames (each id, contents).
QByteArray Id3v2Tag(const std::vector<std::pair<QByteArray, QByteArray>>& frames, int padding = 0) {
    QByteArray body;
    for (const auto& [id, contents] : frames) {
        const auto n = static_cast<uint32_t>(contents.size());
        body += id;
        body += static_cast<char>(n >> 24);
        body += static_cast<char>(n >> 16);
        body += static_cast<char>(n >> 8);
        body += static_cast<char>(n);
        body += QByteArray(2, '\0');
        body += contents;
    }
    body += QByteArray(padding, '\0');
    const auto size = static_cast<uint32_t>(body.size());
    QByteArray tag("ID3\x03\x00\x00", 6);
    tag += static_cast<char>((size >> 21) & 0x7F);
    tag += static_cast<char>((size >> 14) & 0x7F);
    tag += static_cast<char>((size >> 7) & 0x7F);
    tag += static_cast<char>(size & 0x7F);
    return tag + body;
}

class Mp3FileTest : public ::testing::Test {
  protected:
    TestDir dir_;
    std::string path_ = dir_.Path("rec.mp3");
    const QByteArray stereo_ = ReadFileBytes(FixturePath("sine_44100_128k.mp3"));
    const QByteArray mono_ = ReadFileBytes(FixturePath("sine_22050_64k_mono.mp3"));
};

TEST(Mp3FrameHeader, LengthsAndFieldsOfTheStandardTables) {
    // MPEG-1 Layer III, 128 kbit/s, 44100 Hz: 417 bytes, 418 with padding.
    auto frame = Header(0xFF, 0xFB, 0x90, 0x00);
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->version, Mp3FrameHeader::Version::kMpeg1);
    EXPECT_EQ(frame->layer, 3);
    EXPECT_EQ(frame->bitRateKbps, 128);
    EXPECT_EQ(frame->sampleRate, 44100);
    EXPECT_EQ(frame->channels, 2);
    EXPECT_EQ(frame->FrameLength(), 417);
    EXPECT_EQ(Header(0xFF, 0xFB, 0x92, 0x00)->FrameLength(), 418);
    EXPECT_EQ(Header(0xFF, 0xFB, 0x92, 0xC0)->channels, 1);
    // MPEG-2 Layer III frames carry half the samples: 64 kbit/s at 22050 Hz.
    frame = Header(0xFF, 0xF3, 0x80, 0xC0);
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->version, Mp3FrameHeader::Version::kMpeg2);
    EXPECT_EQ(frame->bitRateKbps, 64);
    EXPECT_EQ(frame->sampleRate, 22050);
    EXPECT_EQ(frame->FrameLength(), 208);
    // MPEG 2.5 (twelfth sync bit clear), 8 kbit/s at 8000 Hz.
    frame = Header(0xFF, 0xE3, 0x18, 0x00);
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->version, Mp3FrameHeader::Version::kMpeg25);
    EXPECT_EQ(frame->sampleRate, 8000);
    EXPECT_EQ(frame->FrameLength(), 72);
    // Layer I counts in 4-byte slots, Layer II like Layer III of MPEG-1.
    EXPECT_EQ(Header(0xFF, 0xFF, 0x12, 0x00)->FrameLength(), 36);
    EXPECT_EQ(Header(0xFF, 0xFD, 0x40, 0x00)->FrameLength(), 208) << "64 kbit/s in Layer II";
}

TEST(Mp3FrameHeader, InvalidHeadersAreRefused) {
    EXPECT_FALSE(Header(0xFF, 0xFB, 0x00, 0x00)) << "free bit rate";
    EXPECT_FALSE(Header(0xFF, 0xFB, 0xF0, 0x00)) << "bad bit rate";
    EXPECT_FALSE(Header(0xFF, 0xFB, 0x9C, 0x00)) << "reserved sample rate";
    EXPECT_FALSE(Header(0xFF, 0xF9, 0x90, 0x00)) << "reserved layer";
    EXPECT_FALSE(Header(0xFF, 0xEB, 0x90, 0x00)) << "reserved version";
    EXPECT_FALSE(Header(0xFF, 0x1B, 0x90, 0x00)) << "no sync";
    EXPECT_FALSE(Header(0xFE, 0xFB, 0x90, 0x00)) << "no sync";
}

TEST_F(Mp3FileTest, EncoderOutputWalksFrameByFrame) {
    const std::vector<int> stereo = WalkFrames(stereo_, 0);
    ASSERT_FALSE(stereo.empty());
    EXPECT_NE(std::count(stereo.begin(), stereo.end(), 417), 0);
    EXPECT_NE(std::count(stereo.begin(), stereo.end(), 418), 0);
    const std::vector<int> mono = WalkFrames(mono_, 0);
    ASSERT_FALSE(mono.empty());
    EXPECT_TRUE(std::all_of(mono.begin(), mono.end(), [](int n) { return n == 208 || n == 209; }));
}

TEST_F(Mp3FileTest, OpensEncoderOutputWithItsFormat) {
    const struct {
        QByteArray bytes;
        uint16_t channels;
        uint32_t rate;
        uint32_t bytesPerSecond;
    } cases[] = {{stereo_, 2, 44100, 16000}, {mono_, 1, 22050, 8000}};
    for (const auto& c : cases) {
        WriteFileBytes(path_, c.bytes);
        Mp3File file(path_, nullptr, kOpenRead);
        ASSERT_TRUE(file.IsOpen());
        EXPECT_TRUE(file.IsReadOnly());
        EXPECT_EQ(file.GetDataStart(), 0);
        EXPECT_EQ(file.GetLength(), c.bytes.size());
        EXPECT_EQ(file.Format().formatTag, WaveFormat::kTagMpegLayer3);
        EXPECT_EQ(file.Format().channels, c.channels);
        EXPECT_EQ(file.Format().samplesPerSec, c.rate);
        EXPECT_EQ(file.Format().avgBytesPerSec, c.bytesPerSecond);
        QByteArray all(c.bytes.size() + 10, '\0');
        EXPECT_EQ(file.Read(all.data(), all.size()), c.bytes.size());
        EXPECT_EQ(all.left(c.bytes.size()), c.bytes);
    }
}

TEST_F(Mp3FileTest, LeadingId3v2TagIsSkipped) {
    // A tag of 300 bytes whose contents look like frame starts.
    QByteArray junk(300, '\0');
    for (int i = 0; i < junk.size(); i += 30) {
        junk.replace(i, 4, QByteArray("\xFF\xFB\x90\x00", 4));
    }
    QByteArray tag = QByteArray("ID3\x03\x00\x00\x00\x00\x02\x2C", 10) + junk;  // size 300
    WriteFileBytes(path_, tag + stereo_);
    {
        Mp3File file(path_, nullptr, kOpenRead);
        ASSERT_TRUE(file.IsOpen());
        EXPECT_EQ(file.GetDataStart(), 310);
        EXPECT_EQ(file.GetLength(), stereo_.size());
    }
    // Zero padding after the tag: the first frame after it.
    WriteFileBytes(path_, tag + QByteArray(25, '\0') + stereo_);
    {
        Mp3File file(path_, nullptr, kOpenRead);
        EXPECT_EQ(file.GetDataStart(), 335);
    }
    // A tag size past the end of the file leaves nothing to play.
    tag[6] = 0x7F;
    WriteFileBytes(path_, tag + stereo_);
    Mp3File file(path_, nullptr, kOpenRead);
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(file.GetError(), kMediaErrorHeader);
}

TEST_F(Mp3FileTest, StrayBytesBeforeTheFirstFrame) {
    // Bytes that start like frames but are none (reserved layer, or a good
    // header with no frame behind it), then the audio.
    auto strays = [](int count) {
        QByteArray bytes;
        for (int i = 0; i < count; ++i) {
            bytes += i % 2 ? QByteArray("\xFF\xE0\x00\x00", 4) : QByteArray("\xFF\xFB\x90\x00", 4);
            bytes += QByteArray(40, 'x');
        }
        return bytes;
    };
    WriteFileBytes(path_, strays(6) + stereo_);
    {
        Mp3File file(path_, nullptr, kOpenRead);
        ASSERT_TRUE(file.IsOpen());
        EXPECT_EQ(file.GetDataStart(), strays(6).size());
        EXPECT_EQ(file.GetLength(), stereo_.size());
    }
    WriteFileBytes(path_, strays(12) + stereo_);
    Mp3File file(path_, nullptr, kOpenRead);
    EXPECT_FALSE(file.IsOpen()) << "no frame within ten tries";
    EXPECT_EQ(file.GetError(), kMediaErrorHeader);
}

TEST_F(Mp3FileTest, Id3v1RecordIsNotAudio) {
    Id3v1Record record;
    record.SetField("title", "A title of more than thirty characters");
    record.SetField("year", "2026");
    const QByteArray tail(reinterpret_cast<const char*>(record.bytes().data()), 128);
    WriteFileBytes(path_, stereo_ + tail);
    Mp3File file(path_, nullptr, kOpenRead);
    ASSERT_TRUE(file.IsOpen());
    EXPECT_EQ(file.GetLength(), stereo_.size());
    EXPECT_TRUE(file.HasId3v1());
    EXPECT_EQ(file.GetId3v1().Field("title"), "A title of more than thirty ch");
    EXPECT_EQ(file.GetId3v1().Field("year"), "2026");
    QByteArray all(stereo_.size() + 200, '\0');
    EXPECT_EQ(file.Read(all.data(), all.size()), stereo_.size());
    EXPECT_TRUE(file.Seek(stereo_.size() + 50));
    EXPECT_EQ(file.GetPosition(), stereo_.size());
}

TEST_F(Mp3FileTest, SeekStandsOnFrameStarts) {
    WriteFileBytes(path_, stereo_);
    Mp3File file(path_, nullptr, kOpenRead);
    std::vector<int64_t> starts;
    int64_t at = 0;
    for (int length : WalkFrames(stereo_, 0)) {
        starts.push_back(at);
        at += length;
    }
    for (int64_t target : {int64_t{0}, int64_t{1}, int64_t{500}, int64_t{2000}, int64_t{4321}}) {
        ASSERT_TRUE(file.Seek(target));
        const int64_t position = file.GetPosition();
        EXPECT_GE(position, target);
        EXPECT_TRUE(std::find(starts.begin(), starts.end(), position) != starts.end() ||
                    position == file.GetLength())
            << target << " -> " << position;
        // Nothing between the target and the position was a frame start.
        EXPECT_TRUE(std::none_of(starts.begin(), starts.end(), [&](int64_t s) {
            return s >= target && s < position;
        })) << target;
    }
}

TEST_F(Mp3FileTest, NewRecordingTakesTagsAndKeepsTheAudioIntact) {
    {
        Mp3File file(path_, nullptr, kRecordMode);
        ASSERT_TRUE(file.IsOpen());
        EXPECT_EQ(file.GetLength(), 0);
        EXPECT_EQ(file.Write(stereo_.constData(), 1000), 1000);
        EXPECT_EQ(file.Write(stereo_.constData() + 1000, stereo_.size() - 1000),
                  stereo_.size() - 1000);
        EXPECT_TRUE(file.SetTag("title", "Morning News"));
        EXPECT_TRUE(file.SetTag("Year", "2026"));
        EXPECT_TRUE(file.SetTag(kTimecodeTagName, "SAMPLE\tTIMECODE\r\n0\t1796601600\r\n"));
        EXPECT_GT(file.GetDataStart(), 0);
        EXPECT_EQ(file.GetLength(), stereo_.size());
        EXPECT_EQ(file.GetTag("title"), "Morning News");
        EXPECT_EQ(file.GetTag("name"), "Morning News") << "same frame";
        EXPECT_EQ(file.GetTag("year"), "2026");
        EXPECT_EQ(file.GetTag("album"), std::nullopt);
        EXPECT_EQ(file.GetTag("bogus"), std::nullopt);
        EXPECT_FALSE(file.SetTag("bogus", "x"));
    }
    Mp3File file(path_, nullptr, kOpenRead);
    ASSERT_TRUE(file.IsOpen());
    EXPECT_EQ(file.GetLength(), stereo_.size());
    QByteArray audio(stereo_.size(), '\0');
    EXPECT_EQ(file.Read(audio.data(), audio.size()), stereo_.size());
    EXPECT_EQ(audio, stereo_);
    EXPECT_TRUE(file.HasId3v1());
    EXPECT_EQ(file.GetId3v1().Field("title"), "Morning News");
    EXPECT_EQ(file.GetId3v1().Field("year"), "2026");
    EXPECT_EQ(file.GetTag(kTimecodeTagName), "SAMPLE\tTIMECODE\r\n0\t1796601600\r\n");
    EXPECT_EQ(file.GetTag(kTimecodeTagName, 6), "SAMPLE");
}

TEST_F(Mp3FileTest, TitleSetTwiceKeepsTheFirst) {
    WriteFileBytes(path_, stereo_);
    {
        Mp3File file(path_, nullptr, kOpenReadWrite);
        EXPECT_TRUE(file.SetTag("title", "First"));
        EXPECT_FALSE(file.SetTag("TITLE", "Second"));
        EXPECT_EQ(file.GetTag("title"), "First");
        EXPECT_EQ(file.GetId3v1().Field("title"), "First");
    }
    {
        Mp3File file(path_, nullptr, kOpenReadWrite);
        EXPECT_FALSE(file.SetTag("title", "Third"));
        EXPECT_EQ(file.GetTag("title"), "First");
        EXPECT_EQ(file.GetId3v1().Field("title"), "First");
        // Another frame rewrites the tag in front of audio and ID3v1 record.
        EXPECT_TRUE(file.SetTag("album", "Album"));
        EXPECT_EQ(file.GetLength(), stereo_.size());
    }
    Mp3File file(path_, nullptr, kOpenRead);
    EXPECT_EQ(file.GetLength(), stereo_.size());
    EXPECT_EQ(file.GetId3v1().Field("title"), "First");
    EXPECT_EQ(file.GetId3v1().Field("album"), "Album");
    EXPECT_TRUE(ReadFileBytes(path_).endsWith(
        QByteArray(reinterpret_cast<const char*>(file.GetId3v1().bytes().data()), 128)));
}

TEST_F(Mp3FileTest, MetadataItemReplacesOnlyOurPrivateFrame) {
    const QByteArray foreign = QByteArray("WM/Provider\0", 12) + "other program";
    WriteFileBytes(path_, Id3v2Tag({{"PRIV", foreign}}) + stereo_);
    {
        Mp3File file(path_, nullptr, kOpenReadWrite);
        ASSERT_TRUE(file.IsOpen());
        EXPECT_EQ(file.GetTag(kTimecodeTagName), "other program")
            << "any PRIV frame while ours is missing";
        EXPECT_TRUE(file.SetTag(kTimecodeTagName, "first"));
        EXPECT_TRUE(file.SetTag(kTimecodeTagName, "second"));
        EXPECT_EQ(file.GetTag(kTimecodeTagName), "second");
    }
    const QByteArray bytes = ReadFileBytes(path_);
    EXPECT_EQ(bytes.count("PRIV"), 2) << "ours and the other program's";
    EXPECT_EQ(bytes.count("http://www.quillmoor.com"), 1);
    EXPECT_TRUE(bytes.contains("other program"));
    EXPECT_FALSE(bytes.contains("first"));
    EXPECT_TRUE(bytes.endsWith(stereo_)) << "no ID3v1 names were set";
}

TEST_F(Mp3FileTest, ReadsTextFramesOfOtherWriters) {
    // UTF-16 with either byte order mark, odd sizes, Latin-1 without a zero.
    const QByteArray title = QByteArray("\x01\xFF\xFEO\0n\0e\0", 9);
    const QByteArray comment = QByteArray(
        "\x01"
        "eng"
        "\xFE\xFF\0\0"
        "\xFE\xFF\0h\0i\0",
        16);
    const QByteArray album = QByteArray(
        "\x00"
        "Live",
        5);
    const QByteArray artist = QByteArray("\x01\xFF\xFEx", 4);
    WriteFileBytes(
        path_, Id3v2Tag({{"TIT2", title}, {"COMM", comment}, {"TALB", album}, {"TPE1", artist}}) +
                   stereo_);
    Mp3File file(path_, nullptr, kOpenRead);
    ASSERT_TRUE(file.IsOpen());
    EXPECT_EQ(file.GetTag("title"), "One");
    EXPECT_EQ(file.GetTag("comment"), "hi");
    EXPECT_EQ(file.GetTag("album"), "Live");
    EXPECT_EQ(file.GetTag("album", 2), "Li");
    file.GetTag("artist");  // half a character: whatever it reads, nothing beyond the frame
}

TEST_F(Mp3FileTest, WithoutId3v2TagsOnlyTheId3v1RecordChanges) {
    WriteFileBytes(path_, stereo_);
    {
        Mp3File file(path_, nullptr, kOpenReadWrite, false);
        EXPECT_TRUE(file.SetTag("title", "Only v1"));
        EXPECT_TRUE(file.SetTag("copyright", "nowhere"));
        EXPECT_TRUE(file.SetTag(kTimecodeTagName, "lost"));
        EXPECT_EQ(ReadFileBytes(path_), stereo_) << "nothing written before close";
        EXPECT_EQ(file.GetTag("title"), std::nullopt);
    }
    const QByteArray bytes = ReadFileBytes(path_);
    ASSERT_EQ(bytes.size(), stereo_.size() + 128);
    EXPECT_EQ(bytes.left(stereo_.size()), stereo_);
    EXPECT_EQ(bytes.mid(stereo_.size(), 10), QByteArray("TAGOnly v1", 10));
}

TEST_F(Mp3FileTest, AppendedAudioGoesBeforeTheId3v1Record) {
    const int half = 4170;
    WriteFileBytes(path_, stereo_.left(half));
    {
        Mp3File file(path_, nullptr, kOpenReadWrite, false);
        file.SetTag("artist", "Band");
    }
    {
        Mp3File file(path_, nullptr, kRecordMode, false);
        ASSERT_TRUE(file.HasId3v1());
        EXPECT_EQ(file.GetLength(), half);
        EXPECT_EQ(file.Write(stereo_.constData() + half, 50), 50) << "shorter than the record";
    }
    const QByteArray bytes = ReadFileBytes(path_);
    ASSERT_EQ(bytes.size(), half + 50 + 128);
    EXPECT_EQ(bytes.left(half + 50), stereo_.left(half + 50));
    EXPECT_EQ(bytes.mid(half + 50, 7), QByteArray("TAG\0\0\0\0", 7));
    Mp3File file(path_, nullptr, kOpenRead);
    EXPECT_EQ(file.GetLength(), half + 50);
    EXPECT_EQ(file.GetId3v1().Field("artist"), "Band");
}

TEST_F(Mp3FileTest, EmptyAndHostileFiles) {
    WriteFileBytes(path_, {});
    {
        Mp3File file(path_, nullptr, kOpenRead);
        EXPECT_TRUE(file.IsOpen()) << "an empty file is an empty recording";
        EXPECT_EQ(file.GetLength(), 0);
    }
    const QByteArray cases[] = {
        QByteArray(5000, '\xFF'),
        QByteArray("ID3\x04\x00\x10\x7F\x7F\x7F\x7F", 10),
        QByteArray("ID3\x03\x00\x00\x00\x00\x00\x00", 10) + QByteArray(100, 'a'),
        AudioPattern(20000, 3),
        stereo_.left(3),
        stereo_.mid(1, 2000),
    };
    for (const QByteArray& bytes : cases) {
        WriteFileBytes(path_, bytes);
        Mp3File file(path_, nullptr, kOpenRead);
        if (file.IsOpen()) {
            EXPECT_LE(file.GetDataStart() + file.GetLength(), bytes.size());
            file.GetTag("title");
            file.GetTag(kTimecodeTagName);
        } else {
            EXPECT_EQ(file.GetError(), kMediaErrorHeader);
        }
    }
    Mp3File missing(dir_.Path("none/x.mp3"), nullptr, kRecordMode);
    EXPECT_EQ(missing.GetError(), kMediaErrorOpen);
}

TEST_F(Mp3FileTest, RenameAndDelete) {
    const std::string target = dir_.Path("renamed.mp3");
    {
        Mp3File file("", nullptr, kRecordMode);
        ASSERT_TRUE(file.IsTemporary());
        file.Write(stereo_.constData(), stereo_.size());
        ASSERT_TRUE(file.Rename(target));
        EXPECT_EQ(file.GetFileTitle(), "renamed.mp3");
        EXPECT_EQ(file.GetLength(), stereo_.size());
    }
    EXPECT_EQ(ReadFileBytes(target), stereo_);
    Mp3File file(target, nullptr, kOpenReadWrite);
    EXPECT_TRUE(file.Delete());
    EXPECT_FALSE(QFile::exists(QString::fromStdString(target)));
}

}  // namespace

namespace {

// Tagging rewrites the file; when the disk cannot take the new one, the
// recording stays exactly as it was and the tag is reported as not written.
TEST_F(Mp3FileTest, TagThatCannotBeWrittenLeavesTheRecordingAsItWas) {
    {
        Mp3File file(path_, nullptr, kRecordMode);
        ASSERT_EQ(file.Write(stereo_.constData(), stereo_.size()), stereo_.size());
        {
            FileSizeLimit limit(static_cast<rlim_t>(stereo_.size()) + 64);
            EXPECT_FALSE(file.SetTag("title", "Morning News"));
            EXPECT_FALSE(file.SetTag(kTimecodeTagName, std::string(2000, 'x')));
        }
        EXPECT_EQ(file.GetLength(), stereo_.size());
        EXPECT_EQ(file.GetDataStart(), 0);
    }
    EXPECT_EQ(ReadFileBytes(path_), stereo_);
    EXPECT_FALSE(QFile::exists(QString::fromStdString(path_ + ".tagging")));
    if (HaveTool("ffprobe")) {
        const ToolRun run = RunTool("ffprobe", {"-v", "error", "-show_entries", "format=duration",
                                                "-of", "csv=p=0", QString::fromStdString(path_)});
        EXPECT_EQ(run.exitCode, 0);
        EXPECT_GT(run.output.trimmed().toDouble(), 0.2);
    }
}

}  // namespace
