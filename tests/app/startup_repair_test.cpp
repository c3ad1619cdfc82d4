#include "app/startup_repair.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <cstdlib>

#include "media/rec_file.h"
#include "media/wave_file.h"

namespace {

constexpr std::time_t kStart = 1796601600 + 14 * 3600 + 5 * 60;  // Mon Dec 7 2026 14:05 UTC

class StartupRepairTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const char* tz = std::getenv("TZ");
        had_ = tz != nullptr;
        previous_ = tz ? tz : "";
        setenv("TZ", "UTC", 1);
        tzset();
    }
    void TearDown() override {
        had_ ? setenv("TZ", previous_.c_str(), 1) : unsetenv("TZ");
        tzset();
    }
    bool had_ = false;
    std::string previous_;
};

std::vector<std::pair<std::string, std::string>> Tags(const std::string& item, std::time_t end) {
    std::vector<std::pair<std::string, std::string>> tags;
    for (const RepairedTag& tag : StartupRepair::EndTags(item, end)) {
        tags.emplace_back(tag.name, tag.text);
    }
    return tags;
}

TEST_F(StartupRepairTest, EndTagsAreThoseOfANormalEndFromTheKeptItem) {
    const std::string start = "SAMPLE\tTIMECODE\r\n0\t" + std::to_string(kStart) + "\r\n";
    using Tagged = std::vector<std::pair<std::string, std::string>>;
    EXPECT_EQ(Tags(start + "EVENT News\r\nSTATION 101.3000\r\n", kStart + 3),
              (Tagged{{"title", "News Dec7"}, {"year", "2026"}, {"comment", "101.30"}}));
    // By hand from 23:50 on New Year's Eve to after midnight: the day and
    // year of its end.
    const std::time_t eve = 1796601600 + 24 * 86400 + 23 * 3600 + 50 * 60;
    EXPECT_EQ(Tags("SAMPLE\tTIMECODE\r\n0\t" + std::to_string(eve) +
                       "\r\nEVENT <unscheduled>\r\nSTATION 89.9000\r\n",
                   eve + 1200),
              (Tagged{{"title", "89.90 23:50 Jan1"}, {"year", "2027"}, {"comment", "89.90"}}));
    // Kept by the recording file alone: no station, no title.
    EXPECT_EQ(Tags(start + "COMMENT 0\t0\tnews\r\n", kStart + 3), Tagged{});
    EXPECT_EQ(Tags("SAMPLE\tTIMECODE\r\nEVENT News\r\nSTATION 101.3000\r\n", kStart), Tagged{});
}

// A recording left as a killed process leaves it (a copy of one being made)
// is completed by the start-up repair; the one this process makes is not.
TEST_F(StartupRepairTest, CompletesWhatAKilledRunLeftAndNotTheRecordingOfNow) {
    QTemporaryDir dir;
    const std::string live = (dir.path() + "/live.wav").toStdString();
    const std::string left = (dir.path() + "/left.wav").toStdString();
    const WaveFormat format = WaveFormat::Pcm(1, 8000, 16);
    RecFile recording(live, &format, kOpenReadWrite | kOpenCreate | kOpenDenyWrite, false);
    const QByteArray audio(16000, '\x11');
    ASSERT_EQ(recording.WriteAudio(audio.constData(), audio.size()), audio.size());
    ASSERT_TRUE(QFile::copy(QString::fromStdString(live), QString::fromStdString(left)));
    ASSERT_TRUE(QFile::copy(QString::fromStdString(RecFile::RecoveryPath(live)),
                            QString::fromStdString(RecFile::RecoveryPath(left))));
    ASSERT_EQ(WaveFile(left, nullptr, kOpenRead).GetTag(kTimecodeTagName), std::nullopt);
    StartupRepair repair(dir.path(), true);
    repair.Start();
    repair.Wait();
    EXPECT_FALSE(QFile::exists(QString::fromStdString(RecFile::RecoveryPath(left))));
    EXPECT_TRUE(WaveFile(left, nullptr, kOpenRead).GetTag(kTimecodeTagName).has_value());
    EXPECT_TRUE(QFile::exists(QString::fromStdString(RecFile::RecoveryPath(live))));
    EXPECT_EQ(WaveFile(live, nullptr, kOpenRead).GetTag(kTimecodeTagName), std::nullopt);
}

}  // namespace
