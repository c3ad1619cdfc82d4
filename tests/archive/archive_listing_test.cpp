#include "archive/archive_listing.h"

#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

void Touch(const QString& path) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("x");
}

std::tm LocalTm(int year, int month, int day, int hour, int minute) {
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    return t;
}

TEST(ArchiveNames, RecordingExtensionAndGroupComeFromTheFirstDotAndUnderscore) {
    EXPECT_TRUE(IsRecordingName("News_1.mp3"));
    EXPECT_TRUE(IsRecordingName("Talk.WAV"));
    EXPECT_TRUE(IsRecordingName("x.Ogg"));
    EXPECT_FALSE(IsRecordingName("a.b.wav"));
    EXPECT_FALSE(IsRecordingName("x.txt"));
    EXPECT_FALSE(IsRecordingName("wav"));
    EXPECT_EQ(GroupNameOf("News_20261207_1.mp3"), "News");
    EXPECT_EQ(GroupNameOf("Talk.wav"), "Talk");
    EXPECT_EQ(GroupNameOf("lstav_3.wav"), kUnscheduledGroup);
    EXPECT_EQ(GroupNameOf("LSTAV.wav"), kUnscheduledGroup);
    EXPECT_EQ(GroupNameOf("_1.wav"), kUnscheduledGroup);
    EXPECT_EQ(GroupNameOf(".wav"), kUnscheduledGroup);
}

TEST(ArchiveNames, LabelsOfGroupsAndRecordings) {
    EXPECT_EQ(GroupLabel("News", ArchiveEventTimes{7, 30, 62}), "News  7:30 MTuWThF");
    EXPECT_EQ(GroupLabel("Late", ArchiveEventTimes{23, 5, 65}), "Late  23:05 SuSa");
    EXPECT_EQ(GroupLabel("Never", ArchiveEventTimes{0, 0, 0}), "Never  0:00 ");
    EXPECT_EQ(GroupLabel("Talk", std::nullopt), "Talk");
    EXPECT_EQ(RecordingDateText(LocalTm(2026, 12, 7, 22, 5)), "7-Dec-2026 22:05");
    EXPECT_EQ(RecordingDateText(LocalTm(2027, 1, 17, 3, 9)), "17-Jan-2027 03:09");
    EXPECT_EQ(RecordingLabel(LocalTm(2026, 12, 7, 22, 5), "News_1.mp3"),
              "7-Dec-2026 22:05   \"News_1.mp3\"");
    EXPECT_EQ(QuotedFileName("7-Dec-2026 22:05   \"News_1.mp3\""), "News_1.mp3");
    EXPECT_EQ(QuotedFileName("News  7:30 MTuWThF"), "");
    EXPECT_EQ(QuotedFileName("\"open"), "");
}

TEST(ArchiveNames, ItemDataIsTheUpperHalfOfTheLocalFileTime) {
    // 1 January 1970 00:00 UTC is 116444736000000000 units after 1601.
    EXPECT_EQ(RecordingItemData(0, 0), static_cast<uint32_t>(116444736000000000ULL >> 32));
    // An hour east of UTC adds 36000000000 units.
    EXPECT_EQ(RecordingItemData(0, 3600),
              static_cast<uint32_t>((116444736000000000ULL + 36000000000ULL) >> 32));
    // The key changes every 429.4967296 seconds.
    const int64_t base = (4294967296LL - (116444736000000000LL % 4294967296LL)) * 100;
    EXPECT_EQ(RecordingItemData(base, 0), RecordingItemData(base - 100, 0) + 1);
    EXPECT_EQ(RecordingItemData(base + 429'000'000'000LL, 0), RecordingItemData(base, 0));
    EXPECT_EQ(FileCompare(1, 2), 1);
    EXPECT_EQ(FileCompare(2, 1), -1);
    EXPECT_EQ(FileCompare(0xFFFFFFFF, 1), -1);
    EXPECT_EQ(FileCompare(5, 5), 0);
}

TEST(ArchiveListing, GroupsSortedByLabelRecordingsNewestFirst) {
    QTemporaryDir dir;
    for (const char* name :
         {"News_1.mp3", "lstav_3.wav", "Talk.wav", "x.txt", "a.b.wav", "news_2.WAV", "Lstav.ogg"}) {
        Touch(dir.filePath(name));
    }
    QDir(dir.path()).mkdir("Folder_1.wav");
    // Make News_1 clearly older than news_2.
    QFile old(dir.filePath("News_1.mp3"));
    ASSERT_TRUE(old.open(QIODevice::ReadWrite));
    ASSERT_TRUE(old.setFileTime(QDateTime::currentDateTime().addDays(-3),
                                QFileDevice::FileModificationTime));
    old.close();

    const auto groups = ListArchive(dir.path(), [](const QString& name) {
        return name.compare("news", Qt::CaseInsensitive) == 0
                   ? std::optional(ArchiveEventTimes{7, 30, 62})
                   : std::nullopt;
    });
    ASSERT_EQ(groups.size(), 3u);
    EXPECT_EQ(groups[0].label, "<unscheduled>");
    EXPECT_EQ(groups[1].label, "News  7:30 MTuWThF");
    EXPECT_EQ(groups[2].label, "Talk");
    ASSERT_EQ(groups[0].recordings.size(), 2u);
    ASSERT_EQ(groups[1].recordings.size(), 2u);
    EXPECT_EQ(groups[2].recordings.size(), 1u);
    // Where the file system keeps birth times both are new; only the
    // modification time moved back. Either way the order follows the keys.
    EXPECT_GE(FileCompare(groups[1].recordings[1].itemData, groups[1].recordings[0].itemData), 0);
    for (const ArchiveGroup& group : groups) {
        for (const ArchiveRecording& r : group.recordings) {
            EXPECT_EQ(QuotedFileName(r.label), r.fileName);
        }
    }
}

TEST(ArchiveListing, UnreadableOrMissingFolderGivesNoGroups) {
    EXPECT_TRUE(ListArchive("/nonexistent/plumora", {}).empty());
    QTemporaryDir dir;
    Touch(dir.filePath("plain.wav"));
    EXPECT_TRUE(ListArchive(dir.filePath("plain.wav"), {}).empty());
}

// Listing reads names and file times only: no recording is opened.
TEST(ArchiveListing, OpensNoFile) {
    QTemporaryDir dir;
    for (int i = 0; i < 50; ++i) {
        Touch(dir.filePath(QStringLiteral("Ev%1_%2.wav").arg(i % 5).arg(i)));
    }
    const int fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(fd, 0);
    ASSERT_GE(inotify_add_watch(fd, QFile::encodeName(dir.path()).constData(), IN_OPEN), 0);
    const auto groups = ListArchive(dir.path(), {});
    EXPECT_EQ(groups.size(), 5u);
    int fileOpens = 0;
    alignas(inotify_event) char buffer[8192];
    ssize_t got;
    while ((got = read(fd, buffer, sizeof buffer)) > 0) {
        for (char* p = buffer; p < buffer + got;) {
            const auto* e = reinterpret_cast<const inotify_event*>(p);
            if (!(e->mask & IN_ISDIR)) {
                ++fileOpens;
            }
            p += sizeof(inotify_event) + e->len;
        }
    }
    close(fd);
    EXPECT_EQ(fileOpens, 0);
}

}  // namespace
