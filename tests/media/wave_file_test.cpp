#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <vector>

#include "media/file_io.h"
#include "media/media_test_support.h"
#include "media/media_trace.h"
#include "media/wave_file.h"

namespace {

std::vector<std::string> g_traces;
void RecordTrace(const char* text) {
    g_traces.emplace_back(text);
}

constexpr unsigned kRecordMode = kOpenReadWrite | kOpenCreate | kOpenDenyWrite;

class WaveFileTest : public ::testing::Test {
  protected:
    std::unique_ptr<WaveFile> Create(const WaveFormat& format) {
        return std::make_unique<WaveFile>(path_, &format, kRecordMode);
    }

    TestDir dir_;
    std::string path_ = dir_.Path("rec.wav");
    WaveFormat stereo16_ = WaveFormat::Pcm(2, 44100, 16);
};

TEST_F(WaveFileTest, NewPcmRecordingHasTheExactLayout) {
    const QByteArray audio = AudioPattern(1001);
    {
        auto file = Create(stereo16_);
        ASSERT_TRUE(file->IsOpen());
        EXPECT_EQ(file->GetError(), kMediaErrorNone);
        EXPECT_EQ(file->Write(audio.constData(), audio.size()), audio.size());
        EXPECT_EQ(file->GetLength(), 1001);
        EXPECT_TRUE(file->SetTag(kTimecodeTagName, "SAMPLE\tTIMECODE\r\n"));
    }
    const QByteArray fmt = stereo16_.Serialize();
    ASSERT_EQ(fmt.size(), 18) << "extra size field included";
    const QByteArray chunks = Ds64Room() + RiffPiece("fmt ", fmt) +
                              RiffPiece("fact", Le32(1001 / 4)) + RiffPiece("data", audio) +
                              RiffPiece("DISP", Le32(1) + "SAMPLE\tTIMECODE\r\n" + '\0');
    EXPECT_EQ(ReadFileBytes(path_).toHex(), WaveContainer(chunks).toHex());
}

TEST_F(WaveFileTest, EmptyNewFileIsAlreadyValid) {
    auto file = Create(stereo16_);
    const QByteArray chunks = Ds64Room() + RiffPiece("fmt ", stereo16_.Serialize()) +
                              RiffPiece("fact", Le32(0)) + RiffPiece("data", {});
    EXPECT_EQ(ReadFileBytes(path_), WaveContainer(chunks));
}

TEST_F(WaveFileTest, FormatsWithExtraBytesAndSampleCounts) {
    WaveFormat adpcm;
    adpcm.formatTag = 2;
    adpcm.channels = 1;
    adpcm.samplesPerSec = 8000;
    adpcm.avgBytesPerSec = 4096;
    adpcm.blockAlign = 256;
    adpcm.bitsPerSample = 4;
    adpcm.extra = QByteArray("\xF4\x01\x07\x00", 4);
    {
        auto file = Create(adpcm);
        file->Write(AudioPattern(4096).constData(), 4096);
        file->AddSampleCount(7000);
        file->AddSampleCount(1000);
    }
    const QByteArray bytes = ReadFileBytes(path_);
    EXPECT_EQ(bytes.mid(12, 36), Ds64Room());
    EXPECT_EQ(bytes.mid(48, 8 + 22), RiffPiece("fmt ", adpcm.Serialize()));
    EXPECT_EQ(bytes.mid(78, 12), RiffPiece("fact", Le32(8000))) << "the count given, not computed";

    WaveFile reopened(path_, nullptr, kOpenRead);
    EXPECT_EQ(reopened.Format(), adpcm);
    EXPECT_EQ(reopened.GetSampleCount(), 8000u);
    EXPECT_EQ(reopened.GetLength(), 4096);
}

TEST_F(WaveFileTest, ReopenedRecordingAppendsAfterItsDataAndRewritesTheItemAtTheEnd) {
    const QByteArray first = AudioPattern(600, 1);
    const QByteArray second = AudioPattern(400, 2);
    {
        auto file = Create(stereo16_);
        file->Write(first.constData(), first.size());
        file->SetTag(kTimecodeTagName, "a first item that is longer than what replaces it");
    }
    {
        WaveFile file(path_, nullptr, kRecordMode);
        ASSERT_TRUE(file.IsOpen());
        EXPECT_FALSE(file.IsReadOnly());
        EXPECT_EQ(file.Format(), stereo16_);
        EXPECT_EQ(file.GetLength(), 600);
        EXPECT_EQ(file.GetPosition(), 0);
        EXPECT_EQ(file.GetTag(kTimecodeTagName),
                  "a first item that is longer than what replaces it");
        EXPECT_EQ(file.Write(second.constData(), 40), 40) << "at position 0: appended anyway";
        EXPECT_EQ(file.Write(second.constData() + 40, second.size() - 40), second.size() - 40);
        EXPECT_EQ(file.GetTag(kTimecodeTagName), std::nullopt) << "overwritten by audio";
        EXPECT_TRUE(file.SetTag(kTimecodeTagName, "second"));
    }
    const QByteArray chunks =
        Ds64Room() + RiffPiece("fmt ", stereo16_.Serialize()) + RiffPiece("fact", Le32(1000 / 4)) +
        RiffPiece("data", first + second) + RiffPiece("DISP", Le32(1) + "second" + '\0');
    EXPECT_EQ(ReadFileBytes(path_).toHex(), WaveContainer(chunks).toHex())
        << "nothing of the old item is left behind";
}

TEST_F(WaveFileTest, UpdateKeepsTheItemWhileTheDataDoesNotGrow) {
    {
        auto file = Create(stereo16_);
        file->Write(AudioPattern(400).constData(), 400);
        file->SetTag(kTimecodeTagName, "kept");
    }
    {
        WaveFile file(path_, nullptr, kOpenReadWrite);
        file.SetOverwrite(true);
        ASSERT_TRUE(file.Seek(8));
        EXPECT_EQ(file.Write("abcd", 4), 4);
        EXPECT_EQ(file.GetLength(), 400);
        EXPECT_TRUE(file.Update());
    }
    WaveFile file(path_, nullptr, kOpenRead);
    EXPECT_EQ(file.GetTag(kTimecodeTagName), "kept");
    char bytes[4];
    file.Seek(8);
    ASSERT_EQ(file.Read(bytes, 4), 4);
    EXPECT_EQ(QByteArray(bytes, 4), "abcd");
}

TEST_F(WaveFileTest, SeekLandsOnTheBlockAlignmentInsideTheData) {
    auto file = Create(stereo16_);
    file->Write(AudioPattern(1002).constData(), 1002);
    EXPECT_TRUE(file->Seek(7));
    EXPECT_EQ(file->GetPosition(), 4);
    EXPECT_TRUE(file->Seek(-9));
    EXPECT_EQ(file->GetPosition(), 0);
    EXPECT_TRUE(file->Seek(5000));
    EXPECT_EQ(file->GetPosition(), 1002);

    file->Seek(400);
    char bytes[8];
    EXPECT_EQ(file->Read(bytes, 8), 8);
    EXPECT_EQ(QByteArray(bytes, 8), AudioPattern(1002).mid(400, 8));
    EXPECT_EQ(file->GetPosition(), 408);
    file->Seek(1000);
    EXPECT_EQ(file->Read(bytes, 8), 2) << "reads stop at the end of the data";

    WaveFormat unaligned = stereo16_;
    unaligned.blockAlign = 0;
    WaveFile other(dir_.Path("other.wav"), &unaligned, kRecordMode);
    other.Write("0123456789", 10);
    EXPECT_TRUE(other.Seek(7));
    EXPECT_EQ(other.GetPosition(), 7);
}

TEST_F(WaveFileTest, InfoItemsOnlyWhileTheDataIsEmpty) {
    {
        auto file = Create(stereo16_);
        EXPECT_TRUE(file->SetTag("title", "not kept in WAVE files"));
        EXPECT_EQ(ReadFileBytes(path_).size(), 12 + 36 + 26 + 12 + 8) << "nothing written";
        EXPECT_TRUE(file->SetTag(kTimecodeTagName, "item"));
        EXPECT_TRUE(file->SetTag("ARTIST", "Night Owls"));
        EXPECT_TRUE(file->SetTag("engineer", "Ann"));
        EXPECT_FALSE(file->SetTag("user", "Bob")) << "same INFO id as engineer";
        EXPECT_FALSE(file->SetTag("artist", "again"));
        EXPECT_EQ(file->GetTag("artist"), "Night Owls");
        EXPECT_EQ(file->GetTag("user"), "Ann");
        EXPECT_EQ(file->GetTag(kTimecodeTagName), "item") << "moved along with the data chunk";
        file->Write(AudioPattern(8).constData(), 8);
        EXPECT_FALSE(file->SetTag("comment", "too late"));
        EXPECT_EQ(file->GetTag("comment"), std::nullopt);
    }
    const QByteArray info = "INFO" + RiffPiece("IART", "Night Owls" + QByteArray(1, '\0')) +
                            RiffPiece("IENG", "Ann" + QByteArray(1, '\0'));
    const QByteArray chunks = Ds64Room() + RiffPiece("fmt ", stereo16_.Serialize()) +
                              RiffPiece("fact", Le32(2)) + RiffPiece("LIST", info) +
                              RiffPiece("data", AudioPattern(8));
    // The old item was overwritten by the audio and is gone.
    EXPECT_EQ(ReadFileBytes(path_).toHex(), WaveContainer(chunks).toHex());

    const QByteArray before = ReadFileBytes(path_);
    {
        WaveFile file(path_, nullptr, kOpenReadWrite);
        EXPECT_FALSE(file.SetTag("title", "holds audio"));
        EXPECT_EQ(file.GetTag("artist"), "Night Owls");
    }
    EXPECT_EQ(ReadFileBytes(path_), before);
}

TEST_F(WaveFileTest, ItemSearchSkipsOtherDispChunksAndReadsOnlyItsSize) {
    const QByteArray fmt = RiffPiece("fmt ", stereo16_.Serialize());
    const QByteArray data = RiffPiece("data", AudioPattern(4));
    WriteFileBytes(path_, WaveContainer(fmt + data + RiffPiece("DISP", Le32(8) + "bitmap") +
                                        RiffPiece("DISP", Le32(1) + "no terminator")));
    {
        WaveFile file(path_, nullptr, kOpenRead);
        ASSERT_TRUE(file.IsOpen()) << "no fact chunk is no error";
        EXPECT_EQ(file.GetTag(kTimecodeTagName), "no terminator");
        EXPECT_EQ(file.GetTag(kTimecodeTagName, 5), "no te");
        EXPECT_EQ(file.GetSampleCount(), 0u);
    }
    WriteFileBytes(path_, WaveContainer(data + fmt));
    WaveFile late(path_, nullptr, kOpenRead);
    EXPECT_TRUE(late.IsOpen()) << "fmt after the data";
    EXPECT_EQ(late.GetLength(), 4);
}

TEST_F(WaveFileTest, BrokenFilesGiveErrorCodes) {
    const QByteArray fmt = RiffPiece("fmt ", stereo16_.Serialize());
    const QByteArray data = RiffPiece("data", AudioPattern(4));
    const struct {
        QByteArray bytes;
        int error;
    } cases[] = {
        {QByteArray(), kMediaErrorHeader},
        {WaveContainer(data), kMediaErrorHeader},  // no "fmt "
        {WaveContainer(RiffPiece("fmt ", "\x01\x00") + data), kMediaErrorHeader},
        {WaveContainer(fmt), kMediaErrorHeader},  // no "data"
        {"RIFF" + Le32(4 + fmt.size() + data.size()) + "AVI " + fmt + data, kMediaErrorHeader},
        {"RIFX" + Le32(4) + "WAVE", kMediaErrorHeader},
    };
    for (const auto& c : cases) {
        WriteFileBytes(path_, c.bytes);
        WaveFile file(path_, nullptr, kOpenRead);
        EXPECT_FALSE(file.IsOpen());
        EXPECT_EQ(file.GetError(), c.error);
        EXPECT_EQ(file.Read(nullptr, 0), -1);
    }
    g_traces.clear();
    const MediaTraceHook previous = SetMediaTraceHook(RecordTrace);
    WriteFileBytes(path_, WaveContainer(data));
    WaveFile noFormat(path_, nullptr, kOpenRead);
    WriteFileBytes(path_, WaveContainer(fmt));
    WaveFile noData(path_, nullptr, kOpenRead);
    SetMediaTraceHook(previous);
    EXPECT_EQ(g_traces, (std::vector<std::string>{"can't find child chunk", "can't descend data"}));

    WaveFile missing(dir_.Path("no/such/dir.wav"), nullptr, kRecordMode);
    EXPECT_FALSE(missing.IsOpen());
    EXPECT_EQ(missing.GetError(), kMediaErrorOpen);
    EXPECT_EQ(missing.GetFileTitle(), "");
}

TEST_F(WaveFileTest, SizesBeyondTheFileAreCutToWhatIsThere) {
    QByteArray bytes = WaveContainer(RiffPiece("fmt ", stereo16_.Serialize()) +
                                     RiffPiece("data", AudioPattern(100)));
    bytes.replace(bytes.size() - 104, 4, Le32(0x7FFFFFF0));  // data size
    bytes.replace(4, 4, Le32(0xFFFFFFFF));                   // RIFF size
    WriteFileBytes(path_, bytes);
    {
        WaveFile file(path_, nullptr, kOpenReadWrite);
        ASSERT_TRUE(file.IsOpen());
        EXPECT_EQ(file.GetLength(), 100);
        EXPECT_EQ(file.GetTag(kTimecodeTagName), std::nullopt);
        file.Write("abcd", 4);
    }
    WaveFile file(path_, nullptr, kOpenRead);
    EXPECT_EQ(file.GetLength(), 104);
    EXPECT_EQ(ReadFileBytes(path_).mid(4, 4), Le32(ReadFileBytes(path_).size() - 8))
        << "the RIFF size is put right as well";
}

TEST_F(WaveFileTest, EveryTruncationOfARecordingOpensSafely) {
    {
        auto file = Create(stereo16_);
        file->SetTag("artist", "A");
        file->Write(AudioPattern(64).constData(), 64);
        file->SetTag(kTimecodeTagName, "SAMPLE\tTIMECODE\r\n0\t5\r\n");
    }
    const QByteArray whole = ReadFileBytes(path_);
    const std::string cut = dir_.Path("cut.wav");
    for (int size = 0; size <= whole.size(); ++size) {
        WriteFileBytes(cut, whole.left(size));
        WaveFile file(cut, nullptr, kOpenRead);
        if (!file.IsOpen()) {
            EXPECT_EQ(file.GetError(), kMediaErrorHeader) << size;
            continue;
        }
        EXPECT_LE(file.GetDataOffset() + file.GetLength(), size) << size;
        std::vector<char> buffer(128);
        EXPECT_EQ(file.Read(buffer.data(), 128), file.GetLength());
        const auto item = file.GetTag(kTimecodeTagName);
        if (size == whole.size()) {
            EXPECT_EQ(item, "SAMPLE\tTIMECODE\r\n0\t5\r\n");
            EXPECT_EQ(file.GetTag("artist"), "A");
        }
    }
}

TEST_F(WaveFileTest, TemporaryFilesLastOnlyWithAudio) {
    std::string emptyName;
    {
        WaveFile file("", &stereo16_, kRecordMode);
        ASSERT_TRUE(file.IsOpen());
        EXPECT_TRUE(file.IsTemporary());
        emptyName = file.GetFileName();
        EXPECT_EQ(file.GetFileTitle().substr(0, 3), "RIF");
    }
    EXPECT_FALSE(FileExists(emptyName));

    std::string keptName;
    {
        WaveFile file("", &stereo16_, kRecordMode);
        keptName = file.GetFileName();
        file.Write("abcd", 4);
    }
    EXPECT_TRUE(FileExists(keptName));
    std::remove(keptName.c_str());
}

TEST_F(WaveFileTest, RenameMovesTheFileAndKeepsThePosition) {
    const std::string target = dir_.Path("final.wav");
    WriteFileBytes(target, "old contents");
    {
        WaveFile file("", &stereo16_, kRecordMode);
        const std::string tempName = file.GetFileName();
        file.Write(AudioPattern(40).constData(), 40);
        file.Seek(12);
        ASSERT_TRUE(file.Rename(target));
        EXPECT_EQ(file.GetFileName(), target);
        EXPECT_EQ(file.GetPosition(), 12);
        EXPECT_FALSE(file.IsTemporary());
        EXPECT_FALSE(FileExists(tempName));
        file.Seek(0);
    }
    WaveFile file(target, nullptr, kOpenRead);
    ASSERT_TRUE(file.IsOpen()) << "renamed file kept at close even without new audio";
    EXPECT_EQ(file.GetLength(), 40);
    EXPECT_FALSE(file.Delete()) << "read-only";
    EXPECT_TRUE(FileExists(target));
}

TEST_F(WaveFileTest, DeleteRemovesTheFile) {
    auto file = Create(stereo16_);
    file->Write("abcd", 4);
    EXPECT_TRUE(file->Delete());
    EXPECT_FALSE(FileExists(path_));
    EXPECT_FALSE(file->IsOpen());
    EXPECT_EQ(file->GetFileName(), "");
    EXPECT_EQ(file->GetLength(), 0);
}

TEST_F(WaveFileTest, SecondWriterIsKeptOutAndReadsOnly) {
    auto recording = Create(stereo16_);
    recording->Write("abcd", 4);
    recording->Update();
    WaveFile second(path_, nullptr, kOpenReadWrite);
    ASSERT_TRUE(second.IsOpen());
    EXPECT_TRUE(second.IsReadOnly());
    EXPECT_EQ(second.Write("efgh", 4), 0);
    EXPECT_FALSE(second.SetTag(kTimecodeTagName, "x"));
    WaveFile reader(path_, nullptr, kOpenRead);
    EXPECT_EQ(reader.GetLength(), 4);
}

}  // namespace
