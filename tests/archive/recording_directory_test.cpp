#include "archive/recording_directory.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "archive/recording_file_settings.h"
#include "support/scoped_xdg_dirs.h"

namespace {

// Names the music folder of the desktop through user-dirs.dirs.
void SetMusicFolder(const ScopedXdgDirs& dirs, const QString& music) {
    QDir().mkpath(dirs.configHome());
    QFile file(dirs.configHome() + "/user-dirs.dirs");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("XDG_MUSIC_DIR=\"" + music.toUtf8() + "\"\n");
}

TEST(RecordingDirectoryTest, TheMusicFoldersPlumoraFolderIsMadeWhenTheFirstRecordingStarts) {
    ScopedXdgDirs dirs;
    const QString music = dirs.root() + "/Music";
    SetMusicFolder(dirs, music);
    RecordingFileSettings settings;
    EXPECT_EQ(settings.defaultDirectory, music + "/Plumora");
    EXPECT_FALSE(QFileInfo::exists(music + "/Plumora")) << "nothing is made before a recording";
    EXPECT_EQ(PrepareRecordingDirectory(settings), "");
    EXPECT_TRUE(QFileInfo(music + "/Plumora").isDir());
    EXPECT_EQ(settings.defaultDirectory, music + "/Plumora");
}

TEST(RecordingDirectoryTest, AMusicFolderThatCannotBeMadeGivesWayToTheOldRule) {
    ScopedXdgDirs dirs;
    QFile blocker(dirs.root() + "/not-a-folder");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    SetMusicFolder(dirs, dirs.root() + "/not-a-folder/Music");
    RecordingFileSettings settings;
    EXPECT_EQ(PrepareRecordingDirectory(settings), "");
    EXPECT_EQ(settings.defaultDirectory, RecordingFileSettings::FallbackRecordingDirectory());
}

TEST(RecordingDirectoryTest, AChosenFolderIsMadeOrReportedButNeverReplaced) {
    QTemporaryDir dir;
    RecordingFileSettings settings;
    settings.defaultDirectory = dir.filePath("radio/2026");
    EXPECT_EQ(PrepareRecordingDirectory(settings), "");
    EXPECT_TRUE(QFileInfo(dir.filePath("radio/2026")).isDir());

    QFile blocker(dir.filePath("file"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    settings.defaultDirectory = dir.filePath("file/radio");
    EXPECT_EQ(PrepareRecordingDirectory(settings),
              "cannot create the recording folder " + dir.filePath("file/radio"));
    EXPECT_EQ(settings.defaultDirectory, dir.filePath("file/radio"));
}

}  // namespace
