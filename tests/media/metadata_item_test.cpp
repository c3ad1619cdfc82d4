#include <gtest/gtest.h>

#include <string>

#include "media/metadata_item.h"

namespace {

TEST(MetadataItem, ReadsTimecodesAndCommentsAndSkipsTheOtherKeywords) {
    const MetadataLines lines = ParseMetadataItem(
        "SAMPLE\tTIMECODE\r\n"
        "0\t0\r\n"
        "88200\t1796601602\r\n"
        "event <unscheduled>\r\n"
        "STATION 101.3000\r\n"
        "  4294967295\t-5\r\n"
        "COMMENT 10\t20\t  two words\tand a tab  \r\n"
        "comment 30 4294967295 open\r\n");
    ASSERT_EQ(lines.timecodes.size(), 3u);
    EXPECT_EQ(lines.timecodes[0], (TimecodeEntry{0, 0})) << "first word beginning with 0";
    EXPECT_EQ(lines.timecodes[1], (TimecodeEntry{1796601602, 88200}));
    EXPECT_EQ(lines.timecodes[2], (TimecodeEntry{-5, 0xFFFFFFFF}));
    ASSERT_EQ(lines.comments.size(), 2u);
    EXPECT_EQ(lines.comments[0], (RecComment{"two words\tand a tab  ", 10, 20}));
    EXPECT_EQ(lines.comments[1], (RecComment{"open", 30, RecComment::kOpenEnd}));
}

TEST(MetadataItem, UnknownWordStopsTheParsing) {
    const MetadataLines lines = ParseMetadataItem(
        "SAMPLE\tTIMECODE\r\n"
        "100\t5\r\n"
        "\r\n"
        "RECORDED by hand\r\n"
        "200\t6\r\n"
        "COMMENT 1\t2\tlost\r\n");
    ASSERT_EQ(lines.timecodes.size(), 1u) << "blank lines are passed over, words are not";
    EXPECT_EQ(lines.timecodes[0], (TimecodeEntry{5, 100}));
    EXPECT_TRUE(lines.comments.empty());

    EXPECT_TRUE(ParseMetadataItem("-0\t7\r\n1\t2\r\n").timecodes.empty()) << "not a number";
    EXPECT_EQ(ParseMetadataItem("12abc\t3").timecodes.size(), 1u) << "starts with a number";
}

TEST(MetadataItem, EntriesBeyondTheTableAndOverlongLinesAreDropped) {
    std::string text = "SAMPLE\tTIMECODE\r\n";
    for (int i = 1; i <= 20001; ++i) {
        text += std::to_string(i) + "\t" + std::to_string(1000 + i) + "\r\n";
    }
    text += "COMMENT 5\t6\t" + std::string(400, 'x') + "\r\n";
    text += "COMMENT 7\t8\tafter\r\n";
    const MetadataLines lines = ParseMetadataItem(text);
    ASSERT_EQ(lines.timecodes.size(), 20000u);
    EXPECT_EQ(lines.timecodes.back(), (TimecodeEntry{21000, 20000}));
    ASSERT_EQ(lines.comments.size(), 2u) << "comments after the ignored entry still count";
    EXPECT_EQ(lines.comments[0].text, std::string(259 - 12, 'x'));
    EXPECT_EQ(lines.comments[1].text, "after") << "the rest of the long line is no line";
}

TEST(MetadataItem, CommentsWithoutBothNumbersArePassedOver) {
    const MetadataLines lines = ParseMetadataItem("COMMENT 5 text\nCOMMENT\nCOMMENT 1 2\n3\t4");
    ASSERT_EQ(lines.comments.size(), 1u);
    EXPECT_EQ(lines.comments[0], (RecComment{"", 1, 2}));
    ASSERT_EQ(lines.timecodes.size(), 1u) << "LF alone ends a line";
}

TEST(MetadataItem, BuildsTheLinesItReads) {
    const std::vector<TimecodeEntry> timecodes = {{1796601600, 0}, {1796605200, 158760000}};
    const std::vector<RecComment> comments = {{"news", 0, 4000},
                                              {"music", 4000, RecComment::kOpenEnd}};
    const std::string item = BuildMetadataItem(timecodes, comments);
    EXPECT_EQ(item,
              "SAMPLE\tTIMECODE\r\n"
              "0\t1796601600\r\n"
              "158760000\t1796605200\r\n"
              "COMMENT 0\t4000\tnews\r\n"
              "COMMENT 4000\t4294967295\tmusic\r\n");
    const MetadataLines lines = ParseMetadataItem(item);
    EXPECT_EQ(lines.timecodes, timecodes);
    EXPECT_EQ(lines.comments, comments);
}

}  // namespace
