#include "app/recent_recordings.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "support/scoped_xdg_dirs.h"

namespace {

class RecentRecordingsTest : public ::testing::Test {
  protected:
    QString IniFile() const { return dir_.filePath("plumora.ini"); }
    static QString Rec(const QString& name) { return "/srv/rec/" + name; }

    QTemporaryDir dir_;
};

TEST_F(RecentRecordingsTest, MostRecentFirstWithoutDuplicates) {
    RecentRecordings recent(IniFile());
    EXPECT_EQ(recent.Count(), 0);
    recent.Add(Rec("a.wav"));
    recent.Add(Rec("b.mp3"));
    recent.Add(Rec("c.ogg"));
    EXPECT_EQ(recent.Paths(), QStringList({Rec("c.ogg"), Rec("b.mp3"), Rec("a.wav")}));

    recent.Add(Rec("a.wav"));
    recent.Add("/srv/rec/./old/../b.mp3");  // the same file, spelled differently
    EXPECT_EQ(recent.Paths(), QStringList({Rec("b.mp3"), Rec("a.wav"), Rec("c.ogg")}));

    // Names differing in case are different files here.
    recent.Add(Rec("A.wav"));
    EXPECT_EQ(recent.Count(), 4);
    recent.Add("");
    EXPECT_EQ(recent.Count(), 4);

    EXPECT_EQ(recent.Path(0), Rec("A.wav"));
    EXPECT_EQ(recent.Path(4), QString());
    EXPECT_EQ(recent.Path(-1), QString());
    EXPECT_EQ(recent.MenuText(1), "b.mp3");
    EXPECT_EQ(recent.MenuText(9), QString());
}

TEST_F(RecentRecordingsTest, KeepsTheSevenLatest) {
    RecentRecordings recent(IniFile());
    for (int i = 1; i <= 9; ++i) {
        recent.Add(Rec(QString("take%1.wav").arg(i)));
    }
    ASSERT_EQ(recent.Count(), RecentRecordings::kMaxEntries);
    EXPECT_EQ(recent.Path(0), Rec("take9.wav"));
    EXPECT_EQ(recent.Path(6), Rec("take3.wav"));

    // Re-adding a listed entry at the limit drops nothing else.
    recent.Add(Rec("take5.wav"));
    EXPECT_EQ(recent.Paths(),
              QStringList({Rec("take5.wav"), Rec("take9.wav"), Rec("take8.wav"), Rec("take7.wav"),
                           Rec("take6.wav"), Rec("take4.wav"), Rec("take3.wav")}));
    EXPECT_EQ(RecentRecordings(IniFile()).Paths(), recent.Paths());
}

TEST_F(RecentRecordingsTest, SurvivesARestart) {
    const QString odd = QString::fromUtf8("/srv/rec/Nachtkonzert, Grüße = 1; \"live\".wav");
    {
        RecentRecordings recent(IniFile());
        recent.Add(Rec("gone.wav"));  // files need not exist
        recent.Add(odd);
        recent.Add(Rec("keep.ogg"));
    }
    RecentRecordings reopened(IniFile());
    EXPECT_EQ(reopened.Paths(), QStringList({Rec("keep.ogg"), odd, Rec("gone.wav")}));

    EXPECT_TRUE(reopened.Remove(odd));
    EXPECT_FALSE(reopened.Remove(odd));
    EXPECT_EQ(RecentRecordings(IniFile()).Paths(), QStringList({Rec("keep.ogg"), Rec("gone.wav")}));
}

TEST_F(RecentRecordingsTest, CleansUpAHandEditedFile) {
    QFile file(IniFile());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(
        "[Recent File List]\n"
        "File1=/srv/rec/a.wav\n"
        "File2=\n"
        "File3=/srv/rec/x/../a.wav\n"
        "File4=/srv/rec/b.wav\n"
        "File8=/srv/rec/eighth.wav\n");
    file.close();
    RecentRecordings recent(IniFile());
    EXPECT_EQ(recent.Paths(), QStringList({Rec("a.wav"), Rec("b.wav")}));
}

TEST_F(RecentRecordingsTest, DefaultFileLiesInTheConfigHome) {
    ScopedXdgDirs xdg;
    const QString expected = xdg.configHome() + "/Quillmoor/plumora.ini";
    EXPECT_EQ(RecentRecordings::DefaultFilePath(), expected);
    RecentRecordings recent;
    EXPECT_EQ(recent.filePath(), expected);
    recent.Add(Rec("a.wav"));
    EXPECT_TRUE(QFileInfo::exists(expected));
    EXPECT_EQ(RecentRecordings().Paths(), QStringList({Rec("a.wav")}));
}

TEST_F(RecentRecordingsTest, ReportsAFileThatCannotBeWritten) {
    QFile blocker(dir_.filePath("plain"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    RecentRecordings recent(dir_.filePath("plain/plumora.ini"));
    recent.Add(Rec("a.wav"));
    EXPECT_EQ(recent.Count(), 1);
    EXPECT_FALSE(recent.Save());
}

TEST(RecentRecordingsMenuTextTest, ShortensLongNamesToFortyCharacters) {
    EXPECT_EQ(RecentRecordings::MenuTextFor("/srv/rec/Morning_2024-01-03_0600_1.wav"),
              "Morning_2024-01-03_0600_1.wav");
    const QString forty = QString(36, 'n') + ".wav";
    EXPECT_EQ(RecentRecordings::MenuTextFor("/srv/rec/" + forty), forty);

    const QString longName = "Evening concert from the hall_2024-01-03_2000_12.mp3";
    const QString text = RecentRecordings::MenuTextFor("/srv/rec/" + longName);
    EXPECT_EQ(text.size(), RecentRecordings::kMaxMenuTextLength);
    EXPECT_TRUE(text.contains("..."));
    EXPECT_TRUE(longName.startsWith(text.section("...", 0, 0)));
    EXPECT_TRUE(longName.endsWith(text.section("...", 1)));
    EXPECT_TRUE(text.endsWith("_2000_12.mp3"));

    // Characters outside the basic plane are never cut in half.
    for (int prefix = 0; prefix < 2; ++prefix) {
        QString wide = QString(prefix, 'x');
        for (int i = 0; i < 30; ++i) {
            wide += QString::fromUtf8("\xF0\x9F\x93\xBB");  // radio
        }
        const QString shortened = RecentRecordings::MenuTextFor("/srv/rec/" + wide);
        EXPECT_LE(shortened.size(), RecentRecordings::kMaxMenuTextLength);
        EXPECT_TRUE(shortened.isValidUtf16()) << prefix;
    }
}

}  // namespace
