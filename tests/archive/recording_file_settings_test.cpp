#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include "archive/recording_file_settings.h"
#include "prefs/settings_store_fixture.h"

namespace {

class RecordingFileSettingsTest : public SettingsStoreTest {};

TEST_F(RecordingFileSettingsTest, FreshInstallationRecordsIntoTheCurrentDirectory) {
    RecordingFileSettings s;
    s.defaultDirectory = "/elsewhere";
    s.fileSize = 5;
    s.improvedFilePattern = "%Y";
    s.fileInstanceMode = InstanceWhenRequired;
    s.Load(Reader());
    EXPECT_EQ(s.defaultDirectory, QDir::currentPath());
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
    const QString directory = RecordingFileSettings::DefaultRecordingDirectory();
    ASSERT_TRUE(QDir::setCurrent(previous));
    EXPECT_EQ(directory, QDir::tempPath());
}

TEST_F(RecordingFileSettingsTest, EveryValueSurvivesARoundTrip) {
    RecordingFileSettings saved;
    saved.defaultDirectory = "/srv/radio recordings/";
    saved.fileSize = 4500;
    saved.improvedFilePattern = "%Y%m%d_%H%M";
    saved.fileInstanceMode = 0x81;  // bits other than bit 0 are kept
    saved.Save(Writer());
    EXPECT_EQ(Writer().QueryString("FileSize"), "4500");
    EXPECT_EQ(Writer().QueryByte("FileInstanceMode"), 0x81);

    RecordingFileSettings s;
    s.Load(Reader());
    EXPECT_EQ(s.defaultDirectory, saved.defaultDirectory);
    EXPECT_EQ(s.fileSize, 4500);
    EXPECT_EQ(s.improvedFilePattern, saved.improvedFilePattern);
    EXPECT_EQ(s.fileInstanceMode, 0x81);
    EXPECT_EQ(s.instanceMode(), InstanceWhenRequired);
}

TEST_F(RecordingFileSettingsTest, SizeLimitIsReadAsADecimalNumber) {
    const std::pair<const char*, int> cases[] = {
        {"750", 750}, {" 12 MB", 12}, {"lots", 200}, {"", 200}, {"0", 1}, {"-40", 1},
    };
    for (const auto& [text, expected] : cases) {
        Writer().SetString("FileSize", text);
        RecordingFileSettings s;
        s.Load(Reader());
        EXPECT_EQ(s.fileSize, expected) << text;
    }
}

TEST_F(RecordingFileSettingsTest, DamagedValuesLoadAsDefaults) {
    Writer().SetBinary("FileSize", "300");
    Writer().SetString("FileInstanceMode", "1");
    Writer().SetBinary("ImprovedFilePattern", "%Y");
    Writer().SetString("DefaultDirectory", "");  // would mean the root folder
    RecordingFileSettings s;
    s.Load(Reader());
    EXPECT_EQ(s.fileSize, 200);
    EXPECT_EQ(s.fileInstanceMode, InstanceAlways);
    EXPECT_EQ(s.improvedFilePattern, "");
    EXPECT_EQ(s.defaultDirectory, QDir::currentPath());
}

TEST_F(RecordingFileSettingsTest, LongTextsAreCutTo259Characters) {
    Writer().SetString("DefaultDirectory", "/" + QString(300, 'd'));
    Writer().SetString("ImprovedFilePattern", QString(300, 'p'));
    RecordingFileSettings s;
    s.Load(Reader());
    EXPECT_EQ(s.defaultDirectory, "/" + QString(258, 'd'));
    EXPECT_EQ(s.improvedFilePattern, QString(259, 'p'));
}

TEST(RecordingFileInstanceModeTest, SettingTheModeKeepsTheOtherBits) {
    RecordingFileSettings s;
    s.fileInstanceMode = 0xF0;
    s.setInstanceMode(InstanceWhenRequired);
    EXPECT_EQ(s.fileInstanceMode, 0xF1);
    EXPECT_EQ(s.instanceMode(), InstanceWhenRequired);
    s.setInstanceMode(InstanceAlways);
    EXPECT_EQ(s.fileInstanceMode, 0xF0);
    EXPECT_EQ(s.instanceMode(), InstanceAlways);
}

}  // namespace
