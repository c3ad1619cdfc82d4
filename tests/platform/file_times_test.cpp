#include <gtest/gtest.h>

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <chrono>
#include <thread>

#include "platform/file_times.h"

namespace {

int64_t NowNs() {
    using namespace std::chrono;
    return duration_cast<nanoseconds>(system_clock::now().time_since_epoch()).count();
}

TEST(FileCreationTime, IsTheBirthTimeOrElseTheModificationTime) {
    QTemporaryDir dir;
    const QString path = dir.filePath("take.wav");
    // File times come from a coarse clock that may lag a little.
    const int64_t before = NowNs() - 20'000'000;
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("RIFF");
    file.close();
    const int64_t created = NowNs();

    // Later changes must not move the creation time: neither the status
    // change they cause nor the modification time set far back.
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    const QDateTime longAgo(QDate(2001, 2, 3), QTime(4, 5, 6), Qt::UTC);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(longAgo, QFileDevice::FileModificationTime));
    file.close();

    const auto time = FileCreationTimeNs(path);
    ASSERT_TRUE(time.has_value());
    // Qt tells independently whether this file system keeps birth times.
    const QDateTime birth = QFileInfo(path).birthTime();
    if (birth.isValid()) {
        EXPECT_EQ(*time / 1'000'000, birth.toMSecsSinceEpoch());
        EXPECT_GE(*time, before);
        EXPECT_LE(*time, created);
    } else {
        EXPECT_EQ(*time, longAgo.toMSecsSinceEpoch() * 1'000'000);
    }
}

TEST(FileCreationTime, MissingFileHasNone) {
    QTemporaryDir dir;
    EXPECT_FALSE(FileCreationTimeNs(dir.filePath("gone.wav")).has_value());
    EXPECT_FALSE(FileCreationTimeNs(QString()).has_value());
}

}  // namespace
