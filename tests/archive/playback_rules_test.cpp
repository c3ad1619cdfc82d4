#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "archive/playback_position.h"
#include "archive/recording_info.h"

namespace {

class InUtc : public ::testing::Test {
  protected:
    void SetUp() override {
        const char* tz = std::getenv("TZ");
        had_ = tz != nullptr;
        if (had_) {
            previous_ = tz;
        }
        setenv("TZ", "UTC", 1);
        tzset();
    }
    void TearDown() override {
        if (had_) {
            setenv("TZ", previous_.c_str(), 1);
        } else {
            unsetenv("TZ");
        }
        tzset();
    }
    bool had_ = false;
    std::string previous_;
};

using PositionTextTest = InUtc;

TEST_F(PositionTextTest, ClockTimeFromTheTimecodeElseElapsedTime) {
    // 2026-12-07 22:05:09 UTC
    EXPECT_EQ(PositionText(1796681109, 0, 44100), "22:05:09");
    EXPECT_EQ(PositionText(0, 44100 * 65, 44100), "  1:05");
    EXPECT_EQ(PositionText(0, 44100 * 5, 44100), "  0:05");
    EXPECT_EQ(PositionText(0, int64_t{44100} * 3909, 44100), "  1:05:09");
    EXPECT_EQ(PositionText(0, 1000, 0), "");
}

TEST(SliderArithmetic, PerMilleOfTheLength) {
    EXPECT_EQ(SliderPosition(0, 0), 0);
    EXPECT_EQ(SliderPosition(500, 1000), 500);
    EXPECT_EQ(SliderPosition(int64_t{3} << 32, int64_t{4} << 32), 750);
    EXPECT_EQ(SliderPosition(2000, 1000), 1000);
    EXPECT_EQ(SliderToPosition(250, 4000), 1000);
    EXPECT_EQ(SliderToPosition(1000, 4000), 4000);
}

TEST(Seeking, ForwardStopsAtTheEndBackAtZero) {
    const uint32_t bps = 1000;
    const int64_t length = 600 * bps;
    // Forward a minute 30 seconds before the end goes to the end.
    EXPECT_EQ(SeekTarget(length - 30 * bps, length, bps, SeekUnit::kMinute, true), length);
    // Back a minute at 20 seconds goes to 0.
    EXPECT_EQ(SeekTarget(20 * bps, length, bps, SeekUnit::kMinute, false), 0);
    EXPECT_EQ(SeekTarget(100 * bps, length, bps, SeekUnit::kMinute, false), 40 * bps);
    EXPECT_EQ(SeekTarget(100 * bps, length, bps, SeekUnit::kSecond, true), 101 * bps);
    EXPECT_EQ(SeekTarget(bps, length, bps, SeekUnit::kSecond, false), 0);
    SeekUnit unit = SeekUnit::kSecond;
    EXPECT_TRUE(SeekUnitForModifiers(Qt::NoModifier, &unit));
    EXPECT_EQ(unit, SeekUnit::kMinute);
    EXPECT_TRUE(SeekUnitForModifiers(Qt::ShiftModifier | Qt::KeypadModifier, &unit));
    EXPECT_EQ(unit, SeekUnit::kSecond);
    EXPECT_FALSE(SeekUnitForModifiers(Qt::ControlModifier, &unit));
    EXPECT_FALSE(SeekUnitForModifiers(Qt::ControlModifier | Qt::ShiftModifier, &unit));
}

TEST(RecordingInfoParse, TimecodesEventAndStation) {
    const RecordingInfo info = ParseRecordingInfo(
        "SAMPLE\tTIMECODE\r\n0\t1796681109\r\n88200\t1796681111\r\nEVENT News\r\n"
        "STATION 101.3000\r\nCOMMENT 0\t10\tx\r\n");
    ASSERT_EQ(info.timecodes.size(), 2u);
    EXPECT_EQ(info.timecodes[1].position, 88200u);
    EXPECT_EQ(info.startTime, 1796681109);
    EXPECT_EQ(info.eventName, "News");
    EXPECT_DOUBLE_EQ(info.station, 101.3);

    const RecordingInfo none = ParseRecordingInfo("SAMPLE\tTIMECODE\r\nEVENT <unscheduled>\r\n");
    EXPECT_EQ(none.station, -1);
    EXPECT_EQ(none.startTime, 0);
    EXPECT_EQ(none.eventName, "<unscheduled>");

    std::string many = "SAMPLE\tTIMECODE\r\n";
    for (int i = 0; i < 2100; ++i) {
        many += std::to_string(i * 10) + "\t" + std::to_string(1000 + i) + "\r\n";
    }
    EXPECT_EQ(ParseRecordingInfo(many).timecodes.size(), 2000u);
    EXPECT_TRUE(ParseRecordingInfo(std::string("\0\xff\n\n7", 5)).eventName.isEmpty());
}

using DetailsTextTest = InUtc;

TEST_F(DetailsTextTest, EveryLineOfTheDetailsBox) {
    RecordingDetails d;
    d.path = "/rec/News_1.wav";
    d.info.station = 101.3;
    d.info.startTime = 1796681109;
    d.length = 150LL * 1048576;
    d.bytesPerSecond = 176400;
    d.formatTag = 1;
    EXPECT_EQ(RecordingDetailsText(d),
              "/rec/News_1.wav\nStation: 101.30\nMon Dec  7 22:05:09 2026\n\nSize 150MB"
              "\nRecorded Length  14:51\nAudio format: PCM");

    d.info = {};
    d.info.station = 0.54;
    d.length = 524288;  // 0.5 MB
    d.bytesPerSecond = 0;
    d.formatTag = 85;
    d.codecName = "MPEG Layer-3";
    EXPECT_EQ(RecordingDetailsText(d),
              "/rec/News_1.wav\nStation: 54.0 AM\nSize 0.500MB\nAudio format: MPEG Layer-3");

    d.info.station = 5;  // neither FM nor AM: not shown
    d.length = 12345678;
    d.bytesPerSecond = 1000;
    d.formatTag = 0;
    d.codecName.clear();
    EXPECT_EQ(RecordingDetailsText(d),
              "/rec/News_1.wav\nSize 11.77MB\nRecorded Length  3:25:45\nAudio format: ");
}

}  // namespace
