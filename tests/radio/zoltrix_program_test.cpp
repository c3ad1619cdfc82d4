#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>

#include "fake_window_automation.h"
#include "radio/zoltrix_program.h"
#include "support/message_box_recorder.h"

namespace {

using Lines = std::vector<std::string>;

// The maker's "Radio Plus" dialog with its keypad.
class ZoltrixProgramTest : public ::testing::Test {
  protected:
    WindowHandle AddDialog(int64_t appearsAfterMs = 0) {
        dialog = desktop.AddLater(appearsAfterMs, 0, "#32770", "Radio Plus");
        for (int digit = 0; digit < 10; ++digit) {
            desktop.Add(dialog, "Button", QString::number(digit), "key " + QString::number(digit));
        }
        desktop.Add(dialog, "Button", "Enter", "key Enter");
        desktop.Add(dialog, "Button", "Freq", "key Freq");
        return dialog;
    }

    static std::string Start(const QString& folder) {
        return ("start " + folder + "\\radio.exe hidden in " + folder).toStdString();
    }
    static std::string StartHere() {
        const QString folder = QCoreApplication::applicationDirPath();
        return ("start " + QDir(folder).filePath("radio.exe") + " hidden in " + folder)
            .toStdString();
    }

    FakeClock clock;
    FakeWindowAutomation desktop{clock};
    MessageBoxRecorder messages;
    WindowHandle dialog = 0;
};

TEST_F(ZoltrixProgramTest, TypesTheDigitsOfTenTimesTheFrequencyOnTheKeypad) {
    AddDialog();
    ZoltrixProgram program(false, desktop, clock);
    ASSERT_TRUE(program.connected());
    EXPECT_FALSE(program.startedByUs());
    EXPECT_TRUE(desktop.TakeLog().empty());  // a running program is left as it is

    EXPECT_EQ(program.Tune(89.9f), 1);
    EXPECT_EQ(
        desktop.TakeLog(),
        (Lines{"command 1027 to Radio Plus from key Freq", "command 1011 to Radio Plus from key 8",
               "command 1012 to Radio Plus from key 9", "command 1012 to Radio Plus from key 9",
               "command 1015 to Radio Plus from key Enter"}));
    EXPECT_EQ(clock.sleeps, std::vector<int>(5, 10));

    EXPECT_EQ(program.Tune(100.0f), 1);
    EXPECT_EQ(
        desktop.TakeLog(),
        (Lines{"command 1027 to Radio Plus from key Freq", "command 1004 to Radio Plus from key 1",
               "command 1013 to Radio Plus from key 0", "command 1013 to Radio Plus from key 0",
               "command 1013 to Radio Plus from key 0",
               "command 1015 to Radio Plus from key Enter"}));

    // Just below a tenth the added 0.3 carries it up: 107.97 is typed 1080.
    program.Tune(107.97f);
    const Lines log = desktop.TakeLog();
    ASSERT_EQ(log.size(), 6u);
    EXPECT_EQ(log[1], "command 1004 to Radio Plus from key 1");
    EXPECT_EQ(log[4], "command 1013 to Radio Plus from key 0");
}

TEST_F(ZoltrixProgramTest, StartsTheProgramHiddenFromTheFirstDriveThatHasIt) {
    desktop.onStart = [this](const QString& commandLine, const QString&, bool) {
        if (!commandLine.startsWith("E:")) {
            return false;
        }
        AddDialog(150);
        return true;
    };
    {
        ZoltrixProgram program(false, desktop, clock);
        ASSERT_TRUE(program.connected());
        EXPECT_TRUE(program.startedByUs());
        EXPECT_EQ(desktop.TakeLog(),
                  (Lines{Start("C:\\Radio108"), Start("D:\\Radio108"), Start("E:\\Radio108"),
                         "hide Radio Plus", "move Radio Plus to -200,-200 size 1x1"}));
        EXPECT_EQ(clock.sleeps, std::vector<int>(15, 10));
        EXPECT_TRUE(messages.calls().empty());
    }
    // Started here, so closed here.
    EXPECT_EQ(desktop.TakeLog(), (Lines{"move Radio Plus to 0,0 size 1x1", "quit Radio Plus"}));
}

TEST_F(ZoltrixProgramTest, AShownProgramStartsVisibleAndStaysInPlace) {
    desktop.onStart = [this](const QString&, const QString&, bool visible) {
        EXPECT_TRUE(visible);
        AddDialog();
        return true;
    };
    ZoltrixProgram program(true, desktop, clock);
    ASSERT_TRUE(program.connected());
    EXPECT_EQ(desktop.TakeLog(), Lines{"start C:\\Radio108\\radio.exe visible in C:\\Radio108"});
}

TEST_F(ZoltrixProgramTest, ARunningProgramIsNotClosed) {
    AddDialog();
    { ZoltrixProgram program(false, desktop, clock); }
    EXPECT_TRUE(desktop.TakeLog().empty());
    EXPECT_TRUE(desktop.exists(dialog));
}

TEST_F(ZoltrixProgramTest, TriesTheProgramFolderLastAndSaysWhenNothingStarts) {
    ZoltrixProgram program(false, desktop, clock);
    EXPECT_FALSE(program.connected());
    EXPECT_EQ(desktop.TakeLog(),
              (Lines{Start("C:\\Radio108"), Start("D:\\Radio108"), Start("E:\\Radio108"),
                     Start("F:\\Radio108"), StartHere()}));
    ASSERT_EQ(messages.calls().size(), 1u);
    EXPECT_EQ(messages.calls()[0].text,
              "Can't start RadioPlus108 program radio.exe.\nTry copying radio program files to "
              "Plumora executable directory.");
    EXPECT_EQ(messages.calls()[0].caption, "Plumora radio initialize");
    EXPECT_EQ(messages.calls()[0].icon, MessageIcon::Error);

    EXPECT_EQ(program.Tune(89.9f), 0);
    EXPECT_TRUE(desktop.TakeLog().empty());
}

TEST_F(ZoltrixProgramTest, GivesUpAfterTwoSecondsWithoutTheDialog) {
    desktop.onStart = [this](const QString&, const QString&, bool) {
        AddDialog(2001);
        return true;
    };
    ZoltrixProgram program(false, desktop, clock);
    EXPECT_FALSE(program.connected());
    EXPECT_EQ(clock.sleeps, std::vector<int>(200, 10));
    ASSERT_EQ(messages.calls().size(), 1u);
    EXPECT_EQ(messages.calls()[0].text, "Can't find radio.exe window.");
    EXPECT_EQ(messages.calls()[0].caption, "Plumora radio initialize");
    EXPECT_EQ(program.Tune(89.9f), 0);
}

}  // namespace
