#include <gtest/gtest.h>

#include <QDir>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "archive/recording_file_settings.h"
#include "prefs/settings_store_fixture.h"

namespace {

class RecordingFileSettingsTest : public SettingsStoreTest {
  protected:
    RecordingFileSettings Load() {
        RecordingFileSettings s{"/elsewhere", 5, "%Y", InstanceWhenRequired};
        s.Load(Reader());
        return s;
    }
};

TEST_F(RecordingFileSettingsTest, FreshInstallationRecordsIntoThePlumoraFolderOfTheMusicFolder) {
    const RecordingFileSettings s = Load();
    EXPECT_EQ(s.defaultDirectory,
              QStandardPaths::writableLocation(QStandardPaths::MusicLocation) + "/Plumora");
    EXPECT_EQ(s.fileSize, 200);
    EXPECT_EQ(s.improvedFilePattern, "");
    EXPECT_EQ(s.instanceMode(), InstanceAlways);
}

TEST_F(RecordingFileSettingsTest, WithoutAReadableCurrentDirectoryTheTempDirIsTheDefault) {
    const QString previous = QDir::currentPath();
    QTemporaryDir parent;
    const QString gone = parent.path() + "/gone";
    ASSERT_TRUE(QDir().mkdir(gone));
    ASSERT_TRUE(QDir::setCurrent(gone));
    ASSERT_TRUE(QDir().rmdir(gone));
    const QString directory = RecordingFileSettings::FallbackRecordingDirectory();
    ASSERT_TRUE(QDir::setCurrent(previous));
    EXPECT_EQ(directory, QDir::tempPath());
}

TEST_F(RecordingFileSettingsTest, EveryValueSurvivesARoundTrip) {
    // Bits of the instance mode other than bit 0 are kept.
    const RecordingFileSettings saved{"/srv/radio recordings/", 4500, "%Y%m%d_%H%M", 0x81};
    saved.Save(Writer());
    EXPECT_EQ(Writer().QueryString("FileSize"), "4500");
    const RecordingFileSettings s = Load();
    EXPECT_EQ(s, saved);
    EXPECT_EQ(s.instanceMode(), InstanceWhenRequired);
}

TEST_F(RecordingFileSettingsTest, SizeLimitIsReadAsADecimalNumberOfAtLeastOne) {
    const std::pair<const char*, int> cases[] = {
        {" 12 MB", 12}, {"lots", 200}, {"", 200}, {"0", 1}, {"-40", 1},
    };
    for (const auto& [text, expected] : cases) {
        Writer().SetString("FileSize", text);
        EXPECT_EQ(Load().fileSize, expected) << text;
    }
}

TEST_F(RecordingFileSettingsTest, DamagedValuesLoadAsDefaultsAndLongTextsAreCut) {
    Writer().SetBinary("FileSize", "300");
    Writer().SetString("FileInstanceMode", "1");
    Writer().SetString("DefaultDirectory", "");  // would mean the root folder
    Writer().SetString("ImprovedFilePattern", QString(300, 'p'));
    const RecordingFileSettings s = Load();
    EXPECT_EQ(s.fileSize, 200);
    EXPECT_EQ(s.fileInstanceMode, InstanceAlways);
    EXPECT_EQ(s.defaultDirectory, RecordingFileSettings::DefaultRecordingDirectory());
    EXPECT_EQ(s.improvedFilePattern, QString(259, 'p'));
}

TEST(RecordingFileInstanceModeTest, SettingTheModeKeepsTheOtherBits) {
    RecordingFileSettings s;
    s.fileInstanceMode = 0xF0;
    s.setInstanceMode(InstanceWhenRequired);
    EXPECT_EQ(s.fileInstanceMode, 0xF1);
    s.setInstanceMode(InstanceAlways);
    EXPECT_EQ(s.fileInstanceMode, 0xF0);
}

}  // namespace
