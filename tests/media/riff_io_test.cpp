#include <gtest/gtest.h>

#include "media/media_file.h"
#include "media/media_test_support.h"
#include "media/riff_io.h"

namespace {

class RiffIoTest : public ::testing::Test {
  protected:
    bool OpenBytes(const QByteArray& bytes, unsigned mode = kOpenRead) {
        WriteFileBytes(path_, bytes);
        return io_.Open(path_, mode);
    }

    TestDir dir_;
    std::string path_ = dir_.Path("chunks.riff");
    RiffIo io_;
};

TEST_F(RiffIoTest, CreatedChunksGetTheirSizesAndPaddingOnAscend) {
    ASSERT_TRUE(io_.Open(path_, kOpenReadWrite | kOpenCreate));
    RiffChunk riff;
    riff.formType = FourCC("TEST");
    ASSERT_TRUE(io_.CreateChunk(riff, RiffCreate::kRiff));
    RiffChunk odd;
    odd.id = FourCC("odd ");
    ASSERT_TRUE(io_.CreateChunk(odd, RiffCreate::kChunk));
    ASSERT_EQ(io_.Write("abc", 3), 3);
    ASSERT_TRUE(io_.Ascend(odd));
    EXPECT_EQ(odd.size, 3u);
    EXPECT_EQ(io_.Tell(), odd.dataOffset + 4) << "past the pad byte";
    RiffChunk list;
    list.formType = FourCC("INFO");
    ASSERT_TRUE(io_.CreateChunk(list, RiffCreate::kList));
    ASSERT_TRUE(io_.Ascend(list));
    ASSERT_TRUE(io_.Ascend(riff));
    io_.Close();

    const QByteArray expected = "RIFF" + Le32(4 + 12 + 12) + "TEST" + "odd " + Le32(3) +
                                QByteArray("abc\0", 4) + "LIST" + Le32(4) + "INFO";
    EXPECT_EQ(ReadFileBytes(path_), expected);
}

TEST_F(RiffIoTest, DescendFindsChunksByIdAndFormInsideTheParent) {
    const QByteArray inner =
        RiffPiece("abcd", "x") + "LIST" + Le32(8) + "INFO" + "zzzz" + RiffPiece("want", "1234");
    ASSERT_TRUE(
        OpenBytes("RIFF" + Le32(4 + inner.size()) + "TEST" + inner + RiffPiece("late", "")));

    RiffChunk riff;
    riff.formType = FourCC("TEST");
    ASSERT_TRUE(io_.Descend(riff, nullptr, RiffFind::kRiff));
    const int64_t contents = io_.Tell();
    EXPECT_EQ(contents, 12);

    RiffChunk want;
    want.id = FourCC("want");
    ASSERT_TRUE(io_.Descend(want, &riff, RiffFind::kChunk));
    EXPECT_EQ(want.size, 4u);
    char bytes[4];
    ASSERT_EQ(io_.Read(bytes, 4), 4);
    EXPECT_EQ(QByteArray(bytes, 4), "1234");

    io_.Seek(contents);
    RiffChunk list;
    list.formType = FourCC("INFO");
    ASSERT_TRUE(io_.Descend(list, &riff, RiffFind::kList));
    EXPECT_EQ(io_.Tell(), list.dataOffset + 4) << "after the form type";

    // A chunk after the parent's end is not inside it; a failed search
    // leaves the position alone.
    io_.Seek(contents);
    RiffChunk late;
    late.id = FourCC("late");
    EXPECT_FALSE(io_.Descend(late, &riff, RiffFind::kChunk));
    EXPECT_EQ(io_.Tell(), contents);
}

TEST_F(RiffIoTest, HostileSizesEndTheSearch) {
    // Sizes past the end of the file, zero sizes over and over, a header cut
    // short: the search ends without finding anything.
    QByteArray zeros;
    for (int i = 0; i < 5000; ++i) {
        zeros += "zero" + Le32(0);
    }
    const QByteArray cases[] = {
        "RIFF" + Le32(0xFFFFFFF0) + "TEST" + "huge" + Le32(0xFFFFFFFF) + "tiny",
        "RIFF" + Le32(4 + zeros.size()) + "TEST" + zeros,
        "RIFF" + Le32(100) + "TEST" + "shrt" + QByteArray("\x01\x00", 2),
        "RIFF" + Le32(2) + "TE",
        QByteArray(),
    };
    for (const QByteArray& bytes : cases) {
        ASSERT_TRUE(OpenBytes(bytes));
        RiffChunk riff;
        riff.formType = FourCC("TEST");
        if (io_.Descend(riff, nullptr, RiffFind::kRiff)) {
            RiffChunk missing;
            missing.id = FourCC("none");
            EXPECT_FALSE(io_.Descend(missing, &riff, RiffFind::kChunk));
        }
        io_.Close();
    }
}

}  // namespace
