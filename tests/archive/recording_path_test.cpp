#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "archive/archive_listing.h"
#include "archive/recording_path.h"
#include "prefs/audio_format_settings.h"
#include "support/fake_clock.h"

namespace {

class RecordingPathTest : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        settings.defaultDirectory = dir.path();
        clock.Set(2026, 12, 7, 10, 15);  // a Monday
    }

    QString In(const QString& name) const { return dir.path() + '/' + name; }
    static bool Touch(const QString& path) {
        const int fd = open(QFile::encodeName(path), O_WRONLY | O_CREAT | O_EXCL, 0644);
        return fd >= 0 && close(fd) == 0;
    }
    // Names the next recording and creates it, as the recorder would.
    QString Next(const QString& base, const QString& extension = "wav") {
        const RecordingPath made = MakeRecordingPath(settings, clock, base, extension);
        EXPECT_TRUE(made.ok()) << made.error.toStdString();
        EXPECT_TRUE(Touch(made.path)) << made.path.toStdString();
        return QFileInfo(made.path).fileName();
    }

    QTemporaryDir dir;
    RecordingFileSettings settings;
    FakeClock clock;
};

TEST_F(RecordingPathTest, PatternWithInstanceAlways) {
    settings.setInstanceMode(InstanceAlways);
    const QString base = RecordingBaseName("News", "%Y%m%d");
    EXPECT_EQ(Next(base, "mp3"), "News_20261207_1.mp3");
    EXPECT_EQ(Next(base, "mp3"), "News_20261207_2.mp3");
    clock.Set(2026, 12, 8, 6, 0);
    settings.defaultDirectory = dir.path() + '/';  // the same with a separator at the end
    EXPECT_EQ(Next(base, "mp3"), "News_20261208_1.mp3");
    EXPECT_EQ(MakeRecordingPath(settings, clock, base, "mp3").path, In("News_20261208_2.mp3"));
}

TEST_F(RecordingPathTest, PatternWithInstanceWhenRequired) {
    settings.setInstanceMode(InstanceWhenRequired);
    const QString base = RecordingBaseName("News", "%H-%M");
    EXPECT_EQ(Next(base, "ogg"), "News_10-15.ogg");
    EXPECT_EQ(Next(base, "ogg"), "News_10-15_1.ogg");
    EXPECT_EQ(Next(base, "ogg"), "News_10-15_2.ogg");
}

TEST_F(RecordingPathTest, HandRecordingWithoutPatternInBothModes) {
    settings.setInstanceMode(InstanceWhenRequired);
    EXPECT_EQ(RecordingBaseName(QString(), QString()), "lstav");
    EXPECT_EQ(Next(QString()), "lstav.wav");
    EXPECT_EQ(Next(QString()), "lstav_1.wav");
    EXPECT_EQ(Next(RecordingBaseName(QString(), QString())), "lstav_2.wav");

    settings.setInstanceMode(InstanceAlways);
    EXPECT_EQ(Next(QString(), "mp3"), "lstav_1.mp3");
}

TEST_F(RecordingPathTest, OnlyTheSameNameAndExtensionIsTaken) {
    settings.setInstanceMode(InstanceAlways);
    ASSERT_TRUE(Touch(In("News_1.wav")));
    ASSERT_TRUE(Touch(In("News_2.ogg")));
    EXPECT_EQ(Next("News", "mp3"), "News_1.mp3");
    EXPECT_EQ(Next("News", "ogg"), "News_1.ogg");
    EXPECT_EQ(Next("News", "ogg"), "News_3.ogg");
    EXPECT_EQ(Next("News", "wav"), "News_2.wav");
}

TEST_F(RecordingPathTest, DanglingLinkCountsAsTaken) {
    ASSERT_EQ(symlink("/nonexistent/elsewhere.wav", QFile::encodeName(In("lstav_1.wav"))), 0);
    EXPECT_EQ(Next(QString()), "lstav_2.wav");
}

TEST_F(RecordingPathTest, AllInstanceNumbersTakenGivesNoPathAndTouchesNothing) {
    settings.setInstanceMode(InstanceWhenRequired);
    ASSERT_TRUE(Touch(In("lstav.wav")));
    for (int n = 1; n <= kMaxInstanceNumber; ++n) {
        ASSERT_TRUE(Touch(In(QStringLiteral("lstav_%1.wav").arg(n))));
    }
    const RecordingPath made = MakeRecordingPath(settings, clock, QString(), "wav");
    EXPECT_FALSE(made.ok());
    EXPECT_TRUE(made.path.isEmpty());
    EXPECT_TRUE(made.error.contains(In("lstav_9999.wav"))) << made.error.toStdString();
    EXPECT_EQ(QDir(dir.path()).count(), 2u + 1u + kMaxInstanceNumber);  // ".", ".." and ours

    // Another format still has its names.
    EXPECT_EQ(Next(QString(), "mp3"), "lstav.mp3");
}

TEST_F(RecordingPathTest, NamesNeverLeaveTheRecordingDirectory) {
    const QString hostile[] = {"../../etc/passwd", "/abs/olute", "Talk_%D", "a/..%n/b"};
    for (const QString& base : hostile) {
        for (const FileInstanceMode mode : {InstanceAlways, InstanceWhenRequired}) {
            settings.setInstanceMode(mode);
            const RecordingPath made = MakeRecordingPath(settings, clock, base, "wav");
            ASSERT_TRUE(made.ok());
            const QFileInfo info(made.path);
            EXPECT_EQ(info.absolutePath(), QFileInfo(dir.path()).absoluteFilePath())
                << made.path.toStdString();
            EXPECT_TRUE(Touch(made.path)) << made.path.toStdString();
        }
    }
    settings.setInstanceMode(InstanceAlways);
    EXPECT_EQ(Next(RecordingBaseName("News", "%D")), "News_12-07-26_1.wav");
}

TEST_F(RecordingPathTest, LongExpansionIsCutToAUsableFileName) {
    QString pattern;
    for (int i = 0; i < 100; ++i) {
        pattern += "%Y";  // "2026" each time
    }
    const QString name = ExpandNameCodes(pattern, clock.LocalNow());
    EXPECT_EQ(name.size(), kMaxRecordingNameLength);
    EXPECT_TRUE(name.startsWith("20262026"));

    settings.setInstanceMode(InstanceAlways);
    const QString file = Next(RecordingBaseName("News", pattern));
    EXPECT_TRUE(file.startsWith("News_20262026"));
    EXPECT_TRUE(file.endsWith("_1.wav"));
    EXPECT_LE(QFile::encodeName(file).size(), 255);
}

TEST_F(RecordingPathTest, PruningAfterTheStartKeepsTheNewRecordingAndOtherLinks) {
    settings.setInstanceMode(InstanceAlways);
    ASSERT_TRUE(Touch(In("News_1.wav")));
    ASSERT_TRUE(Touch(In("News_2.ogg")));
    {
        QFile shared(In("News_2.ogg"));
        ASSERT_TRUE(shared.open(QIODevice::WriteOnly));
        shared.write("another name still needs this");
    }
    ASSERT_EQ(link(QFile::encodeName(In("News_2.ogg")), QFile::encodeName(In("kept.dat"))), 0);
    // Naming deletes nothing; the old recordings go once the new one runs.
    EXPECT_EQ(Next("News"), "News_2.wav");
    EXPECT_TRUE(QFile::exists(In("News_1.wav")));

    // Keep 0 ("all") and hand recordings (-1) delete nothing.
    EXPECT_EQ(PruneOlderRecordings(In("News_2.wav"), 0), "");
    EXPECT_EQ(PruneOlderRecordings(In("News_2.wav"), -1), "");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 4);

    EXPECT_EQ(PruneOlderRecordings(In("News_2.wav"), 1), "");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), (QStringList{"kept.dat", "News_2.wav"}));
    QFile kept(In("kept.dat"));
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), "another name still needs this") << "a hard link is never emptied";
}

TEST_F(RecordingPathTest, AnEventNamedWithTimeCodesPrunesTheRecordingsNamedAfterIt) {
    settings.setInstanceMode(InstanceAlways);
    ASSERT_TRUE(Touch(In("News 07_1.wav")));
    ASSERT_TRUE(Touch(In("News 07_2.wav")));
    ASSERT_TRUE(Touch(In("News 08_1.wav")));
    EXPECT_EQ(Next("News %d"), "News 07_3.wav");
    EXPECT_EQ(PruneOlderRecordings(In("News 07_3.wav"), 1), "");
    EXPECT_FALSE(QFile::exists(In("News 07_1.wav")));
    EXPECT_FALSE(QFile::exists(In("News 07_2.wav")));
    // Another day's name is another set of recordings.
    EXPECT_TRUE(QFile::exists(In("News 08_1.wav")));
}

TEST_F(RecordingPathTest, MissingDirectoryStillGivesAPathAndPruningSaysWhy) {
    settings.defaultDirectory = dir.path() + "/not-there";
    const RecordingPath made = MakeRecordingPath(settings, clock, "News", "mp3");
    EXPECT_TRUE(made.ok());
    EXPECT_EQ(made.path, dir.path() + "/not-there/News_1.mp3");
    const QString warning = PruneOlderRecordings(made.path, 3);
    EXPECT_TRUE(warning.contains("not-there")) << warning.toStdString();
}

TEST_F(RecordingPathTest, ExpandedPatternsGiveNamesTheArchiveListsInTheEventsGroup) {
    settings.setInstanceMode(InstanceAlways);
    const struct {
        const char* pattern;
        const char* name;
    } cases[] = {
        {"%d déc. %Y", "News_07 déc 2026_1.wav"},  // a French "%b" ends in a dot
        {"%d.%m.%Y", "News_07-12-2026_1.wav"},    {"%H:%M %p?*", "News_10-15 AM--_1.wav"},
        {"a\\b%n%tc", "News_a-b--c_1.wav"},       {"%Y_%m", "News_2026_12_1.wav"},
    };
    for (const auto& c : cases) {
        const QString name = Next(RecordingBaseName("News", QString::fromUtf8(c.pattern)));
        EXPECT_EQ(name, QString::fromUtf8(c.name));
        EXPECT_TRUE(IsRecordingName(name)) << c.pattern;
        EXPECT_EQ(GroupNameOf(name), "News") << c.pattern;
    }
    const std::vector<ArchiveGroup> groups = ListArchive(dir.path(), nullptr);
    ASSERT_EQ(groups.size(), 1u);
    EXPECT_EQ(groups[0].recordings.size(), std::size(cases));
}

TEST(FormatPatternPreview, ShowsTheSampleNameForPatternModeAndFormat) {
    FakeClock clock;
    clock.Set(2026, 12, 7, 9, 5);
    EXPECT_EQ(FormatPatternPreview("%Y%m%d", InstanceAlways, kFormatMp3, clock),
              "Event_20261207_1.mp3");
    EXPECT_EQ(FormatPatternPreview("", InstanceWhenRequired, kFormatVorbis, clock), "Event.ogg");
    EXPECT_EQ(FormatPatternPreview("", InstanceAlways, 7, clock), "Event_1.wav");
    EXPECT_EQ(FormatPatternPreview("%d_%H%M", InstanceWhenRequired, kFormatWav, clock),
              "Event_07_0905.wav");
    EXPECT_EQ(FormatPatternPreview("%D", InstanceWhenRequired, kFormatWav, clock),
              "Event_12-07-26.wav");
}

}  // namespace
