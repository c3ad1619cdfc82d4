// WAVE recordings that outgrow plain RIFF go on as RF64. The limit of a
// plain file is set small here, so the switch happens after a few buffers.
#include <gtest/gtest.h>

#include <unistd.h>

#include <QFile>
#include <cstdio>
#include <memory>

#include "media/byte_order.h"
#include "media/media_test_support.h"
#include "media/rec_file.h"
#include "media/wave_file.h"
#include "support/fake_clock.h"

namespace {

constexpr unsigned kRecordMode = kOpenReadWrite | kOpenCreate | kOpenDenyWrite;
const WaveFormat kFormat = WaveFormat::Pcm(2, 8000, 16);  // 32000 bytes per second

uint64_t Le64At(const QByteArray& bytes, qsizetype at) {
    return LoadLE64(reinterpret_cast<const unsigned char*>(bytes.constData() + at));
}

uint32_t Le32At(const QByteArray& bytes, qsizetype at) {
    return LoadLE32(reinterpret_cast<const unsigned char*>(bytes.constData() + at));
}

// What sox and ffprobe make of a file: samples per channel, duration.
int64_t SoxSamples(const std::string& path) {
    const ToolRun run = RunTool("sox", {"--i", "-s", QString::fromStdString(path)});
    EXPECT_EQ(run.exitCode, 0) << run.output.toStdString();
    return run.output.trimmed().toLongLong();
}

QString ProbedDuration(const std::string& path) {
    const ToolRun run =
        RunTool("ffprobe", {"-v", "error", "-show_entries", "format=duration", "-of",
                            "default=noprint_wrappers=1:nokey=1", QString::fromStdString(path)});
    EXPECT_EQ(run.exitCode, 0) << run.output.toStdString();
    return run.output.trimmed();
}

// The samples a program decodes from the file, as raw 16-bit bytes.
QByteArray DecodedBySox(const std::string& path, const std::string& raw) {
    const ToolRun run =
        RunTool("sox", {QString::fromStdString(path), "-t", "raw", QString::fromStdString(raw)});
    EXPECT_EQ(run.exitCode, 0) << run.output.toStdString();
    return ReadFileBytes(raw);
}

QByteArray DecodedByFfmpeg(const std::string& path, const std::string& raw) {
    const ToolRun run = RunTool("ffmpeg", {"-v", "error", "-y", "-i", QString::fromStdString(path),
                                           "-f", "s16le", QString::fromStdString(raw)});
    EXPECT_EQ(run.exitCode, 0) << run.output.toStdString();
    return ReadFileBytes(raw);
}

QByteArray Buffer(int index, int bytes) {
    return AudioPattern(bytes, index);
}

class Rf64Test : public ::testing::Test {
  protected:
    std::unique_ptr<RecFile> Record(int64_t limit) {
        auto file = std::make_unique<RecFile>(path_, &kFormat, kRecordMode, false, true, clock_);
        file->SetPlainRiffLimit(limit);
        return file;
    }
    // Writes buffers first..first+count-1; returns what was written.
    QByteArray WriteBuffers(RecFile& file, int first, int count, int bytes) {
        QByteArray all;
        for (int i = first; i < first + count; ++i) {
            const QByteArray buffer = Buffer(i, bytes);
            EXPECT_EQ(file.WriteAudio(buffer.constData(), bytes), bytes) << "buffer " << i;
            all += buffer;
        }
        return all;
    }
    // The tools nobody here wrote read the whole audio, sample for sample.
    void ExpectReadersTakeAll(const QByteArray& audio) {
        if (HaveTool("sox")) {
            EXPECT_EQ(SoxSamples(path_), audio.size() / 4);
            EXPECT_TRUE(DecodedBySox(path_, dir_.Path("sox.raw")) == audio) << "sox samples";
        }
        if (HaveTool("ffprobe")) {
            EXPECT_EQ(ProbedDuration(path_),
                      QString::number(static_cast<double>(audio.size()) / 32000, 'f', 6));
        }
        if (HaveTool("ffmpeg")) {
            EXPECT_TRUE(DecodedByFfmpeg(path_, dir_.Path("ffmpeg.raw")) == audio)
                << "ffmpeg samples";
        }
    }

    TestDir dir_;
    std::string path_ = dir_.Path("long.wav");
    FakeClock clock_;
};

TEST_F(Rf64Test, BelowTheLimitTheFileIsPlainRiffThatReadersTake) {
    QByteArray audio;
    {
        auto file = Record(100000);
        audio = WriteBuffers(*file, 0, 10, 6400);
    }
    const QByteArray bytes = ReadFileBytes(path_);
    EXPECT_EQ(bytes.left(4), "RIFF");
    EXPECT_EQ(Le32At(bytes, 4), static_cast<uint32_t>(bytes.size() - 8));
    EXPECT_EQ(bytes.mid(12, 36), Ds64Room()) << "room for ds64 right after WAVE";
    const qsizetype data = bytes.indexOf("data");
    EXPECT_EQ(Le32At(bytes, data + 4), 64000u);
    EXPECT_FALSE(WaveFile(path_, nullptr, kOpenRead).IsRf64());
    ExpectReadersTakeAll(audio);
}

// Crosses the limit in the middle of a buffer, once before the first reopen
// (the reopened file is RF64) and once after it (the limit is kept across
// the reopen).
TEST_F(Rf64Test, RecordingGoesOnAsRf64AndReadersTakeEverySample) {
    const int buffers = RecFile::kReopenInterval + 40;
    const int bytes = 800;
    for (const int64_t limit :
         {int64_t{100001}, int64_t{bytes} * (RecFile::kReopenInterval + 20)}) {
        SCOPED_TRACE(limit);
        std::remove(path_.c_str());  // a new recording, not one appended
        QByteArray audio;
        std::string item;
        {
            auto file = Record(limit);
            file->AddComment("long night", 0);
            audio = WriteBuffers(*file, 0, buffers, bytes);
            EXPECT_TRUE(file->WriteFailure().empty());
            item = file->BuildItem();
        }
        const QByteArray disk = ReadFileBytes(path_);
        ASSERT_EQ(disk.left(4), "RF64");
        EXPECT_EQ(Le32At(disk, 4), 0xFFFFFFFFu);
        EXPECT_EQ(disk.mid(8, 4), "WAVE");
        EXPECT_EQ(disk.mid(12, 8), "ds64" + Le32(28));
        EXPECT_EQ(Le64At(disk, 20), static_cast<uint64_t>(disk.size() - 8)) << "RIFF size";
        EXPECT_EQ(Le64At(disk, 28), static_cast<uint64_t>(audio.size())) << "data size";
        EXPECT_EQ(Le64At(disk, 36), static_cast<uint64_t>(audio.size() / 4)) << "samples";
        EXPECT_EQ(Le32At(disk, 44), 0u) << "no table";
        const qsizetype data = disk.indexOf("data");
        EXPECT_EQ(Le32At(disk, data + 4), 0xFFFFFFFFu);
        EXPECT_TRUE(disk.mid(data + 8, audio.size()) == audio) << "the audio on disk";

        {
            RecFile played(path_, nullptr, kOpenRead, false);
            ASSERT_TRUE(played.IsOpen());
            ASSERT_EQ(played.GetLength(), audio.size());
            QByteArray back(audio.size(), '\0');
            EXPECT_EQ(played.ReadAudio(back.data(), back.size()), audio.size());
            EXPECT_TRUE(back == audio) << "our reader, byte for byte";
            EXPECT_EQ(played.GetTag(kTimecodeTagName), item) << "the item after the data";
            EXPECT_EQ(played.Comments().size(), 1u);
        }
        ExpectReadersTakeAll(audio);
    }
}

TEST_F(Rf64Test, ReopenedRf64RecordingAppendsAndKeepsItsSizesIn64Bits) {
    QByteArray audio;
    {
        auto file = Record(50000);
        audio = WriteBuffers(*file, 0, 20, 6400);
    }
    ASSERT_TRUE(WaveFile(path_, nullptr, kOpenRead).IsRf64());
    {
        // The default limit: being RF64 already, the file needs no room.
        RecFile file(path_, nullptr, kRecordMode & ~kOpenCreate, false, true, clock_);
        ASSERT_TRUE(file.IsOpen());
        EXPECT_FALSE(file.Media().IsReadOnly());
        EXPECT_EQ(file.GetLength(), audio.size());
        audio += WriteBuffers(file, 20, 7, 6400);
        EXPECT_EQ(file.Timecodes().size(), 2u);
    }
    const QByteArray disk = ReadFileBytes(path_);
    EXPECT_EQ(Le64At(disk, 20), static_cast<uint64_t>(disk.size() - 8));
    EXPECT_EQ(Le64At(disk, 28), static_cast<uint64_t>(audio.size()));
    RecFile played(path_, nullptr, kOpenRead, false);
    EXPECT_EQ(played.GetLength(), audio.size());
    ASSERT_EQ(played.Timecodes().size(), 2u);
    EXPECT_EQ(played.Timecodes()[1].position, 20u * 6400);
    ExpectReadersTakeAll(audio);
}

TEST_F(Rf64Test, CompressedSampleCountBeyond32BitsIsKeptInDs64) {
    WaveFormat adpcm;
    adpcm.formatTag = 0x11;
    adpcm.channels = 1;
    adpcm.samplesPerSec = 8000;
    adpcm.avgBytesPerSec = 4055;
    adpcm.blockAlign = 256;
    adpcm.bitsPerSample = 4;
    adpcm.extra = Le16(505);
    const uint64_t samples = 0x100000000ULL + 505;
    {
        WaveFile file(path_, &adpcm, kRecordMode);
        file.SetPlainRiffLimit(2000);
        ASSERT_EQ(file.Write(AudioPattern(4096).constData(), 4096), 4096);
        file.SetSampleCount(samples);
    }
    const QByteArray disk = ReadFileBytes(path_);
    EXPECT_EQ(Le64At(disk, 36), samples);
    const qsizetype fact = disk.indexOf("fact");
    EXPECT_EQ(Le32At(disk, fact + 8), 0xFFFFFFFFu) << "too many for 32 bits";
    WaveFile reopened(path_, nullptr, kOpenRead);
    EXPECT_EQ(reopened.GetSampleCount(), samples);
    EXPECT_EQ(reopened.GetLength(), 4096);
}

// A file made before the room was kept cannot become RF64 in place: it
// takes what fits and the recording stops with the reason.
TEST_F(Rf64Test, FileWithoutRoomForDs64StopsAtTheLimit) {
    WriteFileBytes(path_, WaveContainer(RiffPiece("fmt ", kFormat.Serialize()) +
                                        RiffPiece("fact", Le32(0)) + RiffPiece("data", {})));
    QByteArray audio;
    {
        auto file = std::make_unique<RecFile>(path_, &kFormat, kOpenReadWrite | kOpenDenyWrite,
                                              false, true, clock_);
        file->SetPlainRiffLimit(20000);
        ASSERT_TRUE(file->IsOpen());
        audio = WriteBuffers(*file, 0, 3, 6000);
        const QByteArray last = Buffer(3, 6000);
        EXPECT_EQ(file->WriteAudio(last.constData(), last.size()), -1);
        EXPECT_EQ(file->WriteFailure(), "The file has reached the largest size of its format");
        EXPECT_EQ(file->GetLength(), audio.size()) << "no part of the buffer that did not fit";
    }
    const QByteArray disk = ReadFileBytes(path_);
    EXPECT_EQ(disk.left(4), "RIFF");
    EXPECT_EQ(Le32At(disk, 4), static_cast<uint32_t>(disk.size() - 8));
    ExpectReadersTakeAll(audio);
}

// A recording of more than 4 GiB, made as a sparse file: the audio appended
// to it, its timecode and the times read back lie beyond 32 bits.
TEST_F(Rf64Test, AppendingPastFourGibKeepsPositionsAndTimes) {
    const int64_t length = 5000000000LL;  // a multiple of the 4-byte block
    QByteArray ds64(28, '\0');
    const QByteArray head = "fmt " + Le32(18) + kFormat.Serialize() + RiffPiece("fact", Le32(0)) +
                            "data" + Le32(0xFFFFFFFF);
    const int64_t dataOffset = 12 + 36 + head.size();
    const QByteArray item = RiffPiece("DISP", Le32(1) + "SAMPLE\tTIMECODE\r\n0\t1000\r\n" + '\0');
    StoreLE64(reinterpret_cast<unsigned char*>(ds64.data()),
              static_cast<uint64_t>(dataOffset + length + item.size() - 8));
    StoreLE64(reinterpret_cast<unsigned char*>(ds64.data()) + 8, static_cast<uint64_t>(length));
    WriteFileBytes(path_, "RF64" + Le32(0xFFFFFFFF) + "WAVE" + RiffPiece("ds64", ds64) + head);
    ASSERT_EQ(::truncate(path_.c_str(), dataOffset + length), 0);
    {
        QFile file(QString::fromStdString(path_));
        ASSERT_TRUE(file.open(QIODevice::Append));
        ASSERT_EQ(file.write(item), item.size());
    }
    ASSERT_EQ(WaveFile(path_, nullptr, kOpenRead).GetLength(), length);

    const QByteArray tail = Buffer(7, 96000);
    {
        RecFile file(path_, nullptr, kOpenReadWrite | kOpenDenyWrite, false, true, clock_);
        ASSERT_EQ(file.WriteAudio(tail.constData(), tail.size()), tail.size());
        ASSERT_EQ(file.Timecodes().size(), 2u);
        EXPECT_EQ(file.Timecodes()[1].position, length);
    }
    RecFile played(path_, nullptr, kOpenRead, false, true, clock_);
    ASSERT_EQ(played.GetLength(), length + tail.size());
    EXPECT_EQ(played.Timecodes(), (std::vector<TimecodeEntry>{{1000, 0}, {clock_.Now(), length}}));
    EXPECT_EQ(played.TimeAt(length - 32000), 1000 + length / 32000 - 1) << "first session";
    EXPECT_EQ(played.TimeAt(length + 64000), clock_.Now() + 2) << "the appended one";
    QByteArray back(tail.size(), '\0');
    ASSERT_TRUE(played.Seek(length));
    EXPECT_EQ(played.ReadAudio(back.data(), back.size()), tail.size());
    EXPECT_TRUE(back == tail);
    QFile file(QString::fromStdString(path_));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray header = file.read(48);
    EXPECT_EQ(Le64At(header, 28), static_cast<uint64_t>(length + tail.size()));
}

TEST_F(Rf64Test, HostileRf64HeadersOpenSafely) {
    const QByteArray fmt = RiffPiece("fmt ", kFormat.Serialize());
    const QByteArray audio = AudioPattern(400);
    const QByteArray data = "data" + Le32(0xFFFFFFFF) + audio;
    const auto ds64 = [](uint64_t riff, uint64_t size) {
        QByteArray contents(28, '\0');
        StoreLE64(reinterpret_cast<unsigned char*>(contents.data()), riff);
        StoreLE64(reinterpret_cast<unsigned char*>(contents.data()) + 8, size);
        return RiffPiece("ds64", contents);
    };
    const struct {
        QByteArray chunks;
        int64_t length;
        bool readOnly;
    } cases[] = {
        // Sizes far beyond the file: what is there.
        {ds64(~0ULL, ~0ULL) + fmt + data, 400, false},
        {ds64(1ULL << 62, 1ULL << 62) + fmt + data, 400, false},
        // No ds64: the sizes cannot be written back.
        {fmt + data, 400, true},
        {RiffPiece("ds64", QByteArray(10, '\0')) + fmt + data, 400, true},
    };
    for (const auto& c : cases) {
        WriteFileBytes(path_, "RF64" + Le32(0xFFFFFFFF) + "WAVE" + c.chunks);
        WaveFile file(path_, nullptr, kOpenReadWrite);
        ASSERT_TRUE(file.IsOpen());
        EXPECT_TRUE(file.IsRf64());
        EXPECT_EQ(file.GetLength(), c.length);
        EXPECT_EQ(file.IsReadOnly(), c.readOnly);
        QByteArray back(400, '\0');
        EXPECT_EQ(file.Read(back.data(), 400), 400);
        EXPECT_EQ(back, audio);
    }
}

}  // namespace
