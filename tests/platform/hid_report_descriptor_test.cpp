#include <gtest/gtest.h>

#include <vector>

#include "platform/hid_report_descriptor.h"

namespace {

using Bytes = std::vector<uint8_t>;

// A vendor collection with numbered feature reports of 2, 32 and 63 data
// bytes, an input report that must not count, and one report split over two
// main items.
const Bytes kNumbered = {
    0x06, 0x00, 0xFF,  // usage page (vendor)
    0x09, 0x01,        // usage
    0xA1, 0x01,        // collection (application)
    0x75, 0x08,        //   report size 8
    0x85, 0x01,        //   report id 1
    0x95, 0x02,        //   report count 2
    0x09, 0x01,        //   usage
    0xB1, 0x02,        //   feature
    0x85, 0x11,        //   report id 17
    0x95, 0x20,        //   report count 32
    0x09, 0x01,        //   usage
    0xB1, 0x02,        //   feature
    0x85, 0x14,        //   report id 20
    0x95, 0x3E,        //   report count 62
    0xB1, 0x02,        //   feature
    0x95, 0x01,        //   report count 1
    0xB1, 0x02,        //   feature (one more byte of report 20)
    0x85, 0x12,        //   report id 18
    0x95, 0x40,        //   report count 64
    0x81, 0x02,        //   input: not a feature report
    0xC0,              // end collection
};

TEST(HidReportDescriptor, FeatureReportLengthsCountTheReportIdByte) {
    const HidFeatureReports reports = ParseFeatureReports(kNumbered);
    ASSERT_TRUE(reports.valid);
    EXPECT_EQ(reports.LengthOf(1), 3);
    EXPECT_EQ(reports.LengthOf(17), 33);
    EXPECT_EQ(reports.LengthOf(20), 64);
    EXPECT_EQ(reports.LengthOf(18), 0);  // input only
    EXPECT_EQ(reports.LengthOf(2), 0);
    EXPECT_EQ(reports.MaxLength(), 64);
}

TEST(HidReportDescriptor, BitFieldsRoundUpAndGlobalsFollowPushAndPop) {
    const Bytes descriptor = {
        0x75, 0x01,                    // report size 1
        0x95, 0x05,                    // report count 5
        0xB1, 0x02,                    // feature: 5 bits, report 0
        0xA4,                          // push
        0x75, 0x10,                    // report size 16
        0x95, 0x04,                    // report count 4
        0xB1, 0x02,                    // feature: 64 bits more
        0xB4,                          // pop: back to 5 x 1 bit
        0xB1, 0x02,                    // feature: 5 bits more
        0xFE, 0x02, 0x10, 0xAA, 0xBB,  // a long item, skipped
        0x27, 0xFF, 0xFF, 0x00, 0x00,  // logical maximum with 4 data bytes
    };
    const HidFeatureReports reports = ParseFeatureReports(descriptor);
    ASSERT_TRUE(reports.valid);
    // 5 + 64 + 5 = 74 bits = 10 bytes, plus the id byte.
    EXPECT_EQ(reports.LengthOf(0), 11);
    EXPECT_EQ(reports.MaxLength(), 11);
}

TEST(HidReportDescriptor, TruncatedOrEmptyDescriptorsDeclareNothing) {
    Bytes truncated = kNumbered;
    truncated.resize(20);  // ends in a report count without its data byte
    EXPECT_FALSE(ParseFeatureReports(truncated).valid);
    EXPECT_FALSE(ParseFeatureReports(Bytes{0xFE, 0x05}).valid);
    EXPECT_FALSE(ParseFeatureReports(Bytes{0xFE, 0x05, 0x10, 0x01}).valid);

    const HidFeatureReports empty = ParseFeatureReports(Bytes{});
    EXPECT_TRUE(empty.valid);
    EXPECT_EQ(empty.MaxLength(), 0);

    // Absurd sizes are capped at what one transfer can carry.
    const Bytes huge = {0x77, 0xFF, 0xFF, 0xFF, 0x7F, 0x97, 0xFF, 0xFF, 0xFF, 0x7F, 0xB1, 0x02};
    EXPECT_EQ(ParseFeatureReports(huge).LengthOf(0), 65535);
}

}  // namespace
