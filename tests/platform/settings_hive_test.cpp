#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

#include "platform/settings_hive.h"
#include "support/file_size_limit.h"
#include "support/scoped_xdg_dirs.h"

namespace {

void WriteFile(const QString& path, const QByteArray& text) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
}

QByteArray FileText(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(SettingsHive, MachineWideIsOpenedOnlyWhenItsFileExistsAndIsWritable) {
    ScopedXdgDirs dirs;
    EXPECT_EQ(SettingsKey::OpenMachineWide(), nullptr) << "absent";

    WriteFile(dirs.machineSettingsFile(), "[General]\nMute=@ByteArray(\\x1)\n");
    auto key = SettingsKey::OpenMachineWide();
    ASSERT_NE(key, nullptr) << "present and writable";
    EXPECT_EQ(key->QueryByte("Mute"), 1);

    // Read-only is honoured even for the superuser, who could write anyway.
    QFile::setPermissions(dirs.machineSettingsFile(), QFile::ReadOwner | QFile::ReadGroup);
    EXPECT_EQ(SettingsKey::OpenMachineWide(), nullptr) << "present, read-only";
    EXPECT_EQ(SettingsKey::Create(SettingsKey::Hive::MachineWide), nullptr);
}

TEST(SettingsHive, CreateMakesTheFolderAndWritesOnFlush) {
    ScopedXdgDirs dirs;
    auto key = SettingsKey::Create(SettingsKey::Hive::PerUser);
    ASSERT_NE(key, nullptr);
    EXPECT_TRUE(key->SetString("Frequency", "89.9000"));
    EXPECT_TRUE(key->Flush());
    EXPECT_TRUE(QFileInfo::exists(dirs.userSettingsFile()));
    EXPECT_EQ(SettingsKey::OpenPerUserReadOnly()->QueryString("Frequency"), "89.9000");
}

TEST(SettingsHive, CreateFailsWhereNoFolderCanBeMade) {
    ScopedXdgDirs dirs;
    // A file where the hive's folder would have to be.
    WriteFile(dirs.machineConfigDir() + "/Quillmoor", "not a folder");
    EXPECT_EQ(SettingsKey::Create(SettingsKey::Hive::MachineWide), nullptr);
}

// A hand-edited file with a line the INI reader cannot parse: the one found
// when the file is opened, the other only when its section is read.
TEST(SettingsHive, SyntaxErrorInTheFileIsNoWriteFailure) {
    for (const QByteArray& bad : {QByteArray("[General"), QByteArray("\"Mute")}) {
        SCOPED_TRACE(bad.toStdString());
        ScopedXdgDirs dirs;
        WriteFile(dirs.userSettingsFile(), "[General]\nBank=@ByteArray(\\x1)\n" + bad + "\n");
        auto key = SettingsKey::Create(SettingsKey::Hive::PerUser);
        ASSERT_NE(key, nullptr);
        EXPECT_TRUE(key->SetByte("Volume", 33));
        EXPECT_TRUE(key->Flush());
        EXPECT_TRUE(key->SetString("Frequency", "93.2000"));
        EXPECT_TRUE(key->Flush()) << "also on the next write through the same key";
        key.reset();
        auto reread = SettingsKey::OpenPerUserReadOnly();
        EXPECT_EQ(reread->QueryByte("Volume"), 33);
        EXPECT_EQ(reread->QueryString("Frequency"), "93.2000");
    }
}

TEST(SettingsHive, WriteThatFailsIsReportedEvenWithASyntaxError) {
    ScopedXdgDirs dirs;
    WriteFile(dirs.userSettingsFile(), "[General]\nBank=@ByteArray(\\x1)\n\"Mute\n");
    auto key = SettingsKey::Create(SettingsKey::Hive::PerUser);
    ASSERT_NE(key, nullptr);
    EXPECT_TRUE(key->SetByte("Volume", 33));
    {
        FileSizeLimit limit(4);
        EXPECT_FALSE(key->Flush());
    }
    // Read the file itself: another key in this process would see the
    // pending value and could even write it out.
    EXPECT_FALSE(FileText(dirs.userSettingsFile()).contains("Volume"));
    EXPECT_TRUE(key->Flush()) << "the change is still pending and now goes out";
    EXPECT_TRUE(FileText(dirs.userSettingsFile()).contains("Volume=@ByteArray(!)"));
    EXPECT_EQ(SettingsKey::OpenPerUserReadOnly()->QueryByte("Volume"), 33);
}

TEST(SettingsHive, ReadOnlyKeyRefusesWrites) {
    ScopedXdgDirs dirs;
    auto key = SettingsKey::OpenPerUserReadOnly();
    EXPECT_FALSE(key->SetByte("Mute", 1));
    EXPECT_FALSE(key->SetString("Frequency", "1"));
    EXPECT_FALSE(key->DeleteValue("Mute"));
    EXPECT_FALSE(key->Flush());
    EXPECT_FALSE(QFileInfo::exists(dirs.userSettingsFile()));
}

TEST(SettingsHive, ValuesRoundTripExactly) {
    ScopedXdgDirs dirs;
    const QByteArray binary("\x00\xff\x01,=\n[]", 8);
    const QString text = QStringLiteral("a, b = \"c\"; d\\e \u00e9");
    {
        auto key = SettingsKey::Create(SettingsKey::Hive::PerUser);
        key->SetBinary("Blob", binary);
        key->SetString("Text", text);
        key->SetByte("Byte", 0xFF);
        key->SetInt32("Negative", -5);
        key->SetString("Empty", "");
    }
    auto key = SettingsKey::OpenPerUserReadOnly();
    EXPECT_EQ(key->QueryBinary("Blob"), binary);
    EXPECT_EQ(key->QueryString("Text"), text);
    EXPECT_EQ(key->QueryByte("Byte"), 0xFF);
    EXPECT_EQ(key->QueryInt32("Negative"), -5);
    EXPECT_EQ(key->QueryString("Empty"), "");
    EXPECT_FALSE(key->QueryString("Missing").has_value());
}

TEST(SettingsHive, ValuesOfTheWrongKindOrSizeReadAsMissing) {
    ScopedXdgDirs dirs;
    WriteFile(dirs.userSettingsFile(),
              "[General]\n"
              "Volume=fifty\n"
              "Mute=@ByteArray(\\x1\\x2)\n"
              "WindowX=@ByteArray(\\x1\\x2)\n"
              "Frequency=@ByteArray(89.9)\n"
              "List=a, b\n");
    auto key = SettingsKey::OpenPerUserReadOnly();
    EXPECT_FALSE(key->QueryByte("Volume").has_value()) << "text where bytes belong";
    EXPECT_FALSE(key->QueryByte("Mute").has_value()) << "two bytes for one";
    EXPECT_FALSE(key->QueryInt32("WindowX").has_value()) << "short";
    EXPECT_FALSE(key->QueryString("Frequency").has_value()) << "bytes where text belongs";
    EXPECT_FALSE(key->QueryString("List").has_value()) << "unquoted list";
}

TEST(SettingsHive, DeletedValuesAreGoneAfterFlush) {
    ScopedXdgDirs dirs;
    {
        auto key = SettingsKey::Create(SettingsKey::Hive::PerUser);
        key->SetString("Station3", "99.1000");
        key->SetString("StationName3", "Jazz");
    }
    {
        auto key = SettingsKey::Create(SettingsKey::Hive::PerUser);
        key->DeleteValue("Station3");
        EXPECT_TRUE(key->Flush());
    }
    auto key = SettingsKey::OpenPerUserReadOnly();
    EXPECT_FALSE(key->Contains("Station3"));
    EXPECT_TRUE(key->Contains("StationName3"));
}

}  // namespace
