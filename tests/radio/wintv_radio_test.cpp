#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>

#include "fake_window_automation.h"
#include "radio/wintv_radio.h"
#include "support/message_box_recorder.h"

namespace {

using Lines = std::vector<std::string>;

const QString kKey = SWinTV::kVendorKey;

// Which parts of the program window exist.
struct Parts {
    bool panel = true;
    bool group2 = true;
    bool innerGroup = true;
    bool edit = true;
};

// The maker's radio program: a form with a panel holding two group boxes,
// the second with an inner group box holding the frequency field.
class WinTVTest : public ::testing::Test {
  protected:
    WindowHandle AddProgram(int64_t appearsAfterMs = 0, const QString& title = "WinTV Radio",
                            Parts parts = {}, const QString& editText = "88.00") {
        return AddProgramTo(desktop, appearsAfterMs, title, parts, editText);
    }
    WindowHandle AddProgramTo(FakeWindowAutomation& desktop, int64_t appearsAfterMs,
                              const QString& title, Parts parts, const QString& editText) {
        form = desktop.AddLater(appearsAfterMs, 0, "TForm1", title, "form");
        if (!parts.panel) {
            return form;
        }
        const WindowHandle panel = desktop.Add(form, "TPanel", "", "panel");
        desktop.Add(panel, "TGroupBox", "", "group1");
        if (!parts.group2) {
            return form;
        }
        const WindowHandle group2 = desktop.Add(panel, "TGroupBox", "Frequency", "group2");
        const WindowHandle holder =
            parts.innerGroup ? desktop.Add(group2, "TGroupBox", "", "inner group") : group2;
        if (parts.edit) {
            edit = desktop.Add(holder, "TEdit", editText, "edit");
        }
        return form;
    }

    // The typing of one frequency.
    static Lines Typed(const std::string& text, const std::string& focusBefore = "<gone>",
                       const std::string& focusAtStart = "<gone>") {
        return {"select all of edit",
                "replace selection of edit with " + text,
                "modified edit",
                "attach input to edit",
                "focus edit",
                "key 13 (f0001) to edit",
                "detach input from edit",
                "focus " + focusBefore,
                "focus " + focusAtStart};
    }

    static Lines Concat(Lines a, const Lines& b) {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    }

    FakeClock clock;
    FakeWindowAutomation desktop{clock};
    MessageBoxRecorder messages;
    WindowHandle form = 0;
    WindowHandle edit = 0;
};

TEST_F(WinTVTest, TypesTheFrequencyIntoARunningProgramAndPressesEnter) {
    AddProgram();
    const WindowHandle player = desktop.Add(0, "Player", "Plumora", "our window");
    desktop.SetFocusedWindow(player);
    SWinTV radio(desktop, clock);

    EXPECT_TRUE(radio.SetMute(false));
    EXPECT_TRUE(radio.connected());
    EXPECT_FALSE(radio.startedByUs());
    // Brought into view; frequency 0 is below 1 MHz, so nothing is typed.
    EXPECT_EQ(desktop.TakeLog(), (Lines{"move form to 100,100 size 200x100", "show form"}));

    EXPECT_EQ(radio.SetFrequency(89.9f), 1);
    EXPECT_EQ(desktop.TakeLog(), Typed("89.90", "our window", "our window"));
    EXPECT_EQ(desktop.window(edit).title, "89.90");
    EXPECT_EQ(desktop.FocusedWindow(), player);  // the focus came back

    EXPECT_EQ(radio.SetFrequency(0.9f), 0);
    EXPECT_FLOAT_EQ(radio.GetFrequency(), 0.9f);
    EXPECT_TRUE(desktop.TakeLog().empty());
    EXPECT_TRUE(clock.sleeps.empty());

    // Muting closes the program even though it was running before.
    EXPECT_TRUE(radio.SetMute(true));
    EXPECT_FALSE(radio.connected());
    EXPECT_EQ(desktop.TakeLog(), Lines{"quit form"});
    EXPECT_EQ(radio.SetFrequency(89.9f), 0);
    EXPECT_TRUE(messages.calls().empty());
}

TEST_F(WinTVTest, FindsTheProgramUnderItsShortTitleToo) {
    AddProgram(0, "Form1", {.innerGroup = false});
    SWinTV radio(desktop, clock);
    radio.SetFrequency(101.3f);
    radio.SetMute(false);
    // The frequency field sits directly in the second group box.
    EXPECT_EQ(desktop.TakeLog(),
              Concat({"move form to 100,100 size 200x100", "show form"}, Typed("101.30")));
    // Destroying a driver that did not start the program leaves it running.
}

TEST_F(WinTVTest, StartsTheProgramOffScreenAndRestoresItsPosition) {
    desktop.vendorNumbers[kKey + "\\Left"] = 1200;
    desktop.vendorTexts[kKey + "\\AppName"] = "d:\\tv\\radio.exe";
    desktop.Add(0, "TApplication", "Calculator", "other application");
    desktop.onStart = [this](const QString& commandLine, const QString&, bool visible) {
        EXPECT_FALSE(visible);
        EXPECT_EQ(desktop.vendorNumbers[kKey + "\\Left"], SWinTV::kOffScreenLeft);
        if (commandLine != "d:\\tv\\radio.exe") {
            return false;
        }
        AddProgram(1000, "WinTV Radio", {}, "");
        desktop.Add(0, "TApplication", "Hauppauge WinTV Radio", "application");
        return true;
    };
    {
        SWinTV radio(desktop, clock);
        radio.SetFrequency(95.0f);
        EXPECT_TRUE(radio.SetMute(false));
        EXPECT_TRUE(radio.startedByUs());
        EXPECT_EQ(desktop.TakeLog(),
                  Concat({"write Left = 2000", "start d:\\tv\\radio.exe hidden in ",
                          // 1200 is beyond the screen: the window comes back at 0.
                          "write Left = 0", "move form behind all to 2000,2000", "hide form",
                          "move application behind all to 500,500", "hide application",
                          "move form behind all to 500,500", "hide form"},
                         Typed("95.00")));
        // Five polls for the window, then a wait while the field is empty.
        EXPECT_EQ(clock.sleeps, (std::vector<int>{200, 200, 200, 200, 200, 2000}));
    }
    EXPECT_EQ(desktop.TakeLog(), Lines{"quit form"});
}

TEST_F(WinTVTest, SaysWhenTheProgramCannotBeStarted) {
    desktop.vendorNumbers[kKey + "\\Left"] = 640;
    SWinTV radio(desktop, clock);
    EXPECT_FALSE(radio.SetMute(false));
    const QString folder = QCoreApplication::applicationDirPath();
    EXPECT_EQ(
        desktop.TakeLog(),
        (Lines{
            "write Left = 2000", "start c:\\\\program files\\\\wintv\\\\radio.exe hidden in ",
            ("start " + QDir(folder).filePath("radio.exe") + " hidden in " + folder).toStdString(),
            "write Left = 640"}));
    ASSERT_EQ(messages.calls().size(), 1u);
    EXPECT_EQ(messages.calls()[0].text,
              "Can't start program radio.exe.\nTry copying program files to Plumora executable "
              "directory.");
    EXPECT_EQ(messages.calls()[0].caption, "Plumora WinTV initialize");
    EXPECT_EQ(messages.calls()[0].icon, MessageIcon::Error);
    EXPECT_FALSE(radio.connected());
}

TEST_F(WinTVTest, NamesTheMissingPartOfTheProgramWindow) {
    struct Case {
        Parts parts;
        const char* message;
        std::vector<int> sleeps;
    };
    const std::vector<Case> cases{
        {{.panel = false}, "Can't find radio.exe form window.", std::vector<int>(100, 200)},
        {{.group2 = false}, "Can't find group2 window", std::vector<int>(100, 200)},
        {{.innerGroup = false, .edit = false},
         "Can't find frequency window",
         std::vector<int>(4, 200)},
    };
    for (const Case& c : cases) {
        FakeWindowAutomation desktop(clock);
        AddProgramTo(desktop, 0, "WinTV Radio", c.parts, "88.00");
        clock.sleeps.clear();
        MessageBoxRecorder recorder;
        SWinTV radio(desktop, clock);
        EXPECT_FALSE(radio.SetMute(false)) << c.message;
        EXPECT_FALSE(radio.connected());
        ASSERT_EQ(recorder.calls().size(), 1u) << c.message;
        EXPECT_EQ(recorder.calls()[0].text, c.message);
        EXPECT_EQ(recorder.calls()[0].caption, "Plumora WinTV initialize");
        EXPECT_EQ(clock.sleeps, c.sleeps) << c.message;
        EXPECT_EQ(radio.SetFrequency(89.9f), 0);
    }
}

TEST_F(WinTVTest, SaysWhenTheStartedProgramShowsNoWindow) {
    desktop.onStart = [](const QString&, const QString&, bool) { return true; };
    SWinTV radio(desktop, clock);
    EXPECT_FALSE(radio.SetMute(false));
    EXPECT_EQ(clock.sleeps, std::vector<int>(100, 200));
    ASSERT_EQ(messages.calls().size(), 1u);
    EXPECT_EQ(messages.calls()[0].text, "Can't find radio.exe window.");
}

}  // namespace
