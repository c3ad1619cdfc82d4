#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest/QTest>

#include "archive/dir_pick.h"
#include "archive/pattern_dialog.h"
#include "archive/set_file_page.h"
#include "prefs/audio_format_settings.h"
#include "support/fake_clock.h"
#include "support/message_box_recorder.h"

namespace {

// Runs the check once the next modal dialog is shown.
template <typename Dialog, typename Check>
void WhenShown(Check check) {
    QTimer::singleShot(0, [check] {
        auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        check(*dialog);
    });
}

TEST(FilePage, FreshInstallationShowsTheDefaultsAndTheEstimate) {
    RecordingFileSettings files;
    AudioFormatSettings formats;
    FakeClock clock;
    TSetFile page(files, formats, clock);
    EXPECT_EQ(page.findChild<QLineEdit*>("directory")->text(), files.defaultDirectory);
    EXPECT_EQ(page.findChild<QSpinBox*>("size")->value(), 200);
    EXPECT_EQ(page.findChild<QSpinBox*>("size")->minimum(), 1);
    EXPECT_EQ(page.findChild<QSpinBox*>("size")->maximum(), 9999);
    EXPECT_EQ(page.previewText(), "Event_1.wav");
    // 8000 bytes per second: 200 MB last 436.9 minutes.
    EXPECT_EQ(page.estimateText(), "436.9 minutes");
}

TEST(FilePage, EstimateFollowsTheTypedSize) {
    RecordingFileSettings files;
    AudioFormatSettings formats;
    formats.sixteenBit = true;
    formats.sampleRate = 44100;
    formats.waveFormat = WaveFormat::Pcm(1, 44100, 16);
    FakeClock clock;
    TSetFile page(files, formats, clock);
    EXPECT_EQ(page.estimateText(), "39.6 minutes");
    auto* size = page.findChild<QSpinBox*>("size");
    size->selectAll();
    QTest::keyClicks(size, "5000");
    EXPECT_EQ(page.estimateText(), "990.7 minutes");
}

TEST(FilePage, ConfirmStoresAtLeastOneMegabyte) {
    RecordingFileSettings files;
    StoreFileChoice({"/tmp/rec", 0, "%Y", InstanceWhenRequired}, files);
    EXPECT_EQ(files.fileSize, 1);
    EXPECT_EQ(files.defaultDirectory, "/tmp/rec");
    EXPECT_EQ(files.improvedFilePattern, "%Y");
    EXPECT_EQ(files.fileInstanceMode, InstanceWhenRequired);
    StoreFileChoice({"/tmp/rec", -5, "", InstanceAlways}, files);
    EXPECT_EQ(files.fileSize, 1);
    StoreFileChoice({"~/Music", 9999, "", InstanceAlways}, files);
    EXPECT_EQ(files.fileSize, 9999);
    EXPECT_EQ(files.defaultDirectory, QDir::homePath() + "/Music");
}

TEST(PatternDialog, RefusesCharactersInsertsCodesAndPreviews) {
    FakeClock clock;  // 7 December 2026
    TPatternDialog dialog("", InstanceAlways, kFormatMp3, clock);
    QLineEdit* field = dialog.patternField();
    QTest::keyClicks(field, "a./:*?\\b_");
    EXPECT_EQ(field->text(), "ab_");
    EXPECT_EQ(dialog.previewText(), "Event_ab__1.mp3");

    EXPECT_EQ(dialog.codeList()->currentText(), "Choose format code to add:");
    dialog.InsertCode();
    EXPECT_EQ(field->text(), "ab_") << "the heading inserts nothing";

    // The selection is replaced by the code, at the caret.
    field->setSelection(0, 2);
    dialog.codeList()->setCurrentIndex(dialog.codeList()->findText("%Y Year with century"));
    dialog.findChild<QPushButton*>("insert")->click();
    EXPECT_EQ(field->text(), "%Y_");
    EXPECT_EQ(field->cursorPosition(), 2);
    field->end(false);
    dialog.codeList()->setCurrentIndex(dialog.codeList()->findText("%m Month number (1 - 12)"));
    dialog.InsertCode();
    EXPECT_EQ(field->text(), "%Y_%m");
    EXPECT_EQ(dialog.previewText(), "Event_2026_12_1.mp3");

    dialog.findChild<QRadioButton*>("whenRequired")->click();
    EXPECT_EQ(dialog.previewText(), "Event_2026_12.mp3");
    EXPECT_EQ(dialog.instanceMode(), InstanceWhenRequired);
    EXPECT_EQ(dialog.pattern(), "%Y_%m");
    EXPECT_EQ(PatternCodeRows().size(), 17);
}

TEST(PatternDialog, InstanceModeKeepsTheOtherBits) {
    FakeClock clock;
    TPatternDialog dialog("x", 0x81, kFormatWav, clock);
    EXPECT_TRUE(dialog.findChild<QRadioButton*>("whenRequired")->isChecked());
    dialog.findChild<QRadioButton*>("always")->click();
    EXPECT_EQ(dialog.instanceMode(), 0x80);
}

TEST(FilePage, EditKeepsThePatternOnOkOnly) {
    RecordingFileSettings files;
    AudioFormatSettings formats;
    FakeClock clock;
    TSetFile page(files, formats, clock);
    WhenShown<TPatternDialog>([](TPatternDialog& d) {
        QTest::keyClicks(d.patternField(), "News");
        d.reject();
    });
    page.EditPattern();
    EXPECT_EQ(page.previewText(), "Event_1.wav");

    WhenShown<TPatternDialog>([](TPatternDialog& d) {
        QTest::keyClicks(d.patternField(), "%Y");
        d.accept();
    });
    page.EditPattern();
    EXPECT_EQ(page.previewText(), "Event_2026_1.wav");
    page.Apply();
    EXPECT_EQ(files.improvedFilePattern, "%Y");
}

TEST(DirPick, MessagesForBadPathsAndTheCreatedFolder) {
    QTemporaryDir root;
    MessageBoxRecorder boxes(IDNO);
    EXPECT_FALSE(ConfirmFolderChoice("", ""));
    EXPECT_FALSE(ConfirmFolderChoice(root.path() + "//x", ""));
    const QString missing = root.path() + "/new/deeper";
    EXPECT_FALSE(ConfirmFolderChoice(missing, ""));
    EXPECT_FALSE(QFileInfo::exists(missing)) << "No leaves the folder uncreated";
    ASSERT_EQ(boxes.calls().size(), 3u);
    EXPECT_EQ(boxes.calls()[0].text, "Invalid folder selected");
    EXPECT_EQ(boxes.calls()[1].text, "Invalid folder specified:\n\n\t" + root.path() + "//x");
    EXPECT_EQ(boxes.calls()[2].text,
              missing + "\n\nThis path does not exist. Do you wish to create this folder?");
    EXPECT_EQ(boxes.calls()[2].icon, MessageIcon::Question);
    EXPECT_EQ(boxes.calls()[2].buttons, MessageButtons::YesNo);
    for (const auto& call : boxes.calls()) {
        EXPECT_EQ(call.caption, "Select directory");
    }
    EXPECT_EQ(boxes.calls()[0].icon, MessageIcon::Error);

    boxes.SetAnswer(IDYES);
    EXPECT_EQ(ConfirmFolderChoice(missing, ""), missing + "/");
    EXPECT_TRUE(QFileInfo(missing).isDir());
    EXPECT_EQ(ConfirmFolderChoice("", root.path()), root.path() + "/") << "the browsed folder";

    // A folder that cannot be made.
    QFile blocker(root.path() + "/file");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    EXPECT_FALSE(ConfirmFolderChoice(root.path() + "/file/sub", ""));
    EXPECT_EQ(boxes.calls().back().text,
              "Cannot create folder:\n\n\t" + root.path() + "/file/sub/");
    EXPECT_EQ(boxes.calls().back().icon, MessageIcon::Error);
}

TEST(DirPick, BrowseReplacesTheDirectoryAndStaysOpenOnBadInput) {
    QTemporaryDir root;
    RecordingFileSettings files;
    files.defaultDirectory = root.path();
    AudioFormatSettings formats;
    FakeClock clock;
    TSetFile page(files, formats, clock);
    MessageBoxRecorder boxes(IDYES);
    const QString target = root.path() + "/made";
    WhenShown<TDirPick>([target, &boxes](TDirPick& picker) {
        EXPECT_EQ(picker.windowTitle(), "Select directory");
        picker.pathField()->setText(target + "//bad");
        picker.findChild<QPushButton*>("select")->click();
        EXPECT_TRUE(picker.isVisible()) << "a bad path keeps the chooser open";
        EXPECT_EQ(boxes.calls().size(), 1u);
        picker.pathField()->setText(target);
        picker.findChild<QPushButton*>("select")->click();
    });
    page.Browse();
    EXPECT_EQ(page.findChild<QLineEdit*>("directory")->text(), target + "/");
    EXPECT_TRUE(QFileInfo(target).isDir());
    page.Apply();
    EXPECT_EQ(files.defaultDirectory, target + "/");
}

}  // namespace
