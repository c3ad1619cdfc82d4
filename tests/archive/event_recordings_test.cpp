#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <chrono>
#include <thread>

#include "archive/event_recordings.h"

namespace {

// Recordings made one after another: each gets a later birth time (where the
// file system keeps one) and a later modification time, so the order is the
// same whichever of them stands for the creation time.
class EventRecordingsTest : public testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }

    QString In(const QString& name) const { return dir.path() + '/' + name; }
    void Record(const QString& name) {
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
        QFile file(In(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write("audio of " + name.toUtf8()), 9 + name.size());
        ASSERT_TRUE(file.setFileTime(
            QDateTime(QDate(2020, 1, 1), QTime(0, 0), Qt::UTC).addSecs(3600 * made_++),
            QFileDevice::FileModificationTime));
    }
    QStringList Files() const {
        QStringList names =
            QDir(dir.path())
                .entryList(QDir::Files | QDir::Dirs | QDir::System | QDir::NoDotAndDotDot);
        names.sort();
        return names;
    }
    QByteArray Content(const QString& name) const {
        QFile file(In(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QTemporaryDir dir;
    int made_ = 0;
};

TEST_F(EventRecordingsTest, OnlyTheEventsRecordingsAreCountedAndTheFirstMadeIsOldest) {
    Record("News.wav");  // made first, but has no "_" after the name
    Record("Newsflash_1.wav");
    Record("News_1.wav");
    Record("News_2.mp3");
    Record("News_3.ogg");
    Record("NEWS_4.WAV");  // names are compared without regard to case
    Record("News_5.txt");
    Record("News_6.flac");
    Record("News_8.~av");  // the metadata kept beside a recording being made
    ASSERT_TRUE(QDir(dir.path()).mkdir("News_7.wav"));
    ASSERT_EQ(symlink("News.wav", QFile::encodeName(In("News_0.wav"))), 0);

    const OldestRecording oldest = FindOldestRecording(dir.path(), "News");
    EXPECT_EQ(oldest.count, 4);
    EXPECT_EQ(oldest.path, In("News_1.wav"));
    // The same with a trailing separator on the directory.
    EXPECT_EQ(FindOldestRecording(dir.path() + '/', "news").path, In("News_1.wav"));

    const OldestRecording none = FindOldestRecording(dir.path(), "Jazz");
    EXPECT_EQ(none.count, 0);
    EXPECT_TRUE(none.path.isEmpty());
}

TEST_F(EventRecordingsTest, PruningDeletesTheOldestAcrossFormats) {
    Record("News.wav");
    Record("News_1.wav");
    Record("News_2.mp3");
    Record("News_3.ogg");

    // An event that keeps 2 leaves one old recording before the new one.
    EXPECT_EQ(PruneEventRecordings(dir.path(), "News", 1), PruneResult::kDone);
    EXPECT_EQ(Files(), QStringList({"News.wav", "News_3.ogg"}));
    EXPECT_EQ(Content("News.wav"), "audio of News.wav");
    EXPECT_EQ(Content("News_3.ogg"), "audio of News_3.ogg");

    EXPECT_EQ(PruneEventRecordings(dir.path(), "News", 0), PruneResult::kDone);
    EXPECT_EQ(Files(), QStringList({"News.wav"}));
}

TEST_F(EventRecordingsTest, NothingIsDeletedWithoutALimitOrAName) {
    Record("News_1.wav");
    Record("News_2.wav");
    Record("_1.wav");
    EXPECT_EQ(PruneEventRecordings(dir.path(), "News", -1), PruneResult::kDone);
    EXPECT_EQ(PruneEventRecordings(dir.path(), "", 0), PruneResult::kDone);
    EXPECT_EQ(PruneEventRecordings(dir.path(), "News", 2), PruneResult::kDone);
    EXPECT_EQ(Files(), QStringList({"News_1.wav", "News_2.wav", "_1.wav"}));
}

TEST_F(EventRecordingsTest, DirectoryThatCannotBeListedIsReported) {
    Record("News_1.wav");
    for (const QString& missing : {In("not-there"), In("News_1.wav"), QString()}) {
        EXPECT_EQ(FindOldestRecording(missing, "News").count, -1) << missing.toStdString();
        EXPECT_EQ(PruneEventRecordings(missing, "News", 0), PruneResult::kDirectoryUnreadable);
    }
    EXPECT_EQ(Files(), QStringList({"News_1.wav"}));
}

// Makes a directory refuse deletions: by its permissions, or for a
// privileged user by the immutable attribute; works() is false where
// neither can be had.
class UndeletableDirectory {
  public:
    explicit UndeletableDirectory(const QString& path)
        : path_(QFile::encodeName(path)), fd_(open(path_, O_RDONLY | O_DIRECTORY)) {
        works_ = geteuid() != 0 ? chmod(path_, 0555) == 0 : fd_ >= 0 && SetImmutable(true);
    }
    ~UndeletableDirectory() {
        if (works_) {
            geteuid() != 0 ? chmod(path_, 0755) : SetImmutable(false);
        }
        close(fd_);
    }
    bool works() const { return works_; }

  private:
    bool SetImmutable(bool on) {
        int flags = 0;
        if (ioctl(fd_, FS_IOC_GETFLAGS, &flags) != 0) {
            return false;
        }
        flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        return ioctl(fd_, FS_IOC_SETFLAGS, &flags) == 0;
    }

    QByteArray path_;
    int fd_;
    bool works_ = false;
};

TEST_F(EventRecordingsTest, FailedDeletionStopsAndLeavesTheRecordingWhole) {
    Record("News_1.wav");
    Record("News_2.wav");
    {
        UndeletableDirectory guard(dir.path());
        if (!guard.works()) {
            GTEST_SKIP() << "the directory cannot be made to refuse deletions here";
        }
        EXPECT_EQ(PruneEventRecordings(dir.path(), "News", 0), PruneResult::kDeleteFailed);
    }
    EXPECT_EQ(Files(), QStringList({"News_1.wav", "News_2.wav"}));
    EXPECT_EQ(Content("News_1.wav"), "audio of News_1.wav");
}

}  // namespace

namespace {

TEST_F(EventRecordingsTest, PruningTakesTheRecoveryFileAlong) {
    Record("Talk_1.wav");
    Record("Talk_2.wav");
    QFile recovery(dir.filePath("Talk_1.~av"));
    ASSERT_TRUE(recovery.open(QIODevice::WriteOnly));
    recovery.write("\x01\x00\x00\x00item", 8);
    recovery.close();
    EXPECT_EQ(PruneEventRecordings(dir.path(), "Talk", 1), PruneResult::kDone);
    EXPECT_FALSE(QFile::exists(dir.filePath("Talk_1.wav")));
    EXPECT_FALSE(QFile::exists(dir.filePath("Talk_1.~av")));
    EXPECT_TRUE(QFile::exists(dir.filePath("Talk_2.wav")));
}

}  // namespace
