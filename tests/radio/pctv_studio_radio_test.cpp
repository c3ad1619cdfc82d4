#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>

#include "fake_window_automation.h"
#include "radio/pctv_studio_radio.h"
#include "support/message_box_recorder.h"

namespace {

using Lines = std::vector<std::string>;

// Records what the driver shows in the progress dialog and presses Cancel
// at a chosen step.
struct ProgressRecord {
    std::vector<std::string> events;
    std::vector<int> positions;
    int cancelAtStep = -1;
};

class FakeProgress : public ProgressDialog {
  public:
    explicit FakeProgress(ProgressRecord& record) : record_(record) {}
    void Open(const QString& text) override {
        record_.events.push_back("open " + text.toStdString());
    }
    bool Step(int position) override {
        const bool cancelled = static_cast<int>(record_.positions.size()) == record_.cancelAtStep;
        record_.positions.push_back(position);
        return !cancelled;
    }
    void Close() override { record_.events.push_back("close"); }

  private:
    ProgressRecord& record_;
};

// The maker's radio program: its main window, the channel list it opens on
// command 143, and the channel editor the list opens on command 2002.
class PCTVStudioTest : public ::testing::Test {
  protected:
    void SetUp() override {
        desktop.onCommand = [this](WindowHandle window, int id, WindowHandle) {
            if (window == program && id == SPCTVStudio::kShowChannelListCommand) {
                list = desktop.AddLater(listDelayMs, 0, "#32770", "List of Channels");
            } else if (window == list && id == SPCTVStudio::kEditChannelCommand && editorOpens) {
                editor = desktop.Add(0, "#32770", "", "channel editor");
                desktop.Add(editor, "Edit", "Radio One", "name edit");
                desktop.Add(editor, "Edit", "88.00", "frequency edit");
            } else if (window == editor && id == 1) {
                desktop.Destroy(editor);
            } else if (window == list && id == 2) {
                desktop.Destroy(list);
            }
        };
        desktop.onQuit = [this](WindowHandle window) { desktop.Destroy(window); };
    }

    WindowHandle AddProgram(int64_t appearsAfterMs = 0) {
        program = desktop.AddLater(appearsAfterMs, 0, "PCTVRadioWndClass", "PCTV Radio");
        return program;
    }

    SPCTVStudio MakeRadio() {
        return SPCTVStudio([this] { return std::make_unique<FakeProgress>(progress); }, desktop,
                           clock);
    }

    static Lines Tuning(const std::string& text) {
        return {
            "command 2002 to List of Channels", "set text of frequency edit to " + text,
            "select all of frequency edit",     "replace selection of frequency edit with " + text,
            "modified frequency edit",          "command 1 to channel editor"};
    }
    static Lines Concat(Lines a, const Lines& b) {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    }
    static std::string Start(char drive) {
        return std::string("start ") + drive +
               ":\\Program Files\\Pinnacle\\Studio PCTV USB\\Radio\\pctvradio.exe hidden in ";
    }

    FakeClock clock;
    FakeWindowAutomation desktop{clock};
    MessageBoxRecorder messages;
    ProgressRecord progress;
    WindowHandle program = 0;
    WindowHandle list = 0;
    WindowHandle editor = 0;
    int64_t listDelayMs = 30;
    bool editorOpens = true;
};

TEST_F(PCTVStudioTest, TunesARunningProgramThroughItsChannelEditor) {
    AddProgram();
    SPCTVStudio radio = MakeRadio();
    EXPECT_FALSE(radio.connected());
    EXPECT_EQ(radio.SetFrequency(89.9f), 0);  // not connected yet
    EXPECT_TRUE(desktop.TakeLog().empty());

    EXPECT_TRUE(radio.SetMute(false));
    EXPECT_TRUE(radio.connected());
    EXPECT_FALSE(radio.startedByUs());
    EXPECT_TRUE(progress.events.empty());
    // Connecting tunes the remembered frequency.
    EXPECT_EQ(desktop.TakeLog(), Concat({"command 143 to PCTV Radio"}, Tuning("89.90")));
    EXPECT_EQ(clock.sleeps, (std::vector<int>{10, 10, 10, 20}));

    // The list stays open: only the editor is opened again.
    EXPECT_EQ(radio.SetFrequency(101.35f), 1);
    EXPECT_EQ(desktop.TakeLog(), Tuning("101.35"));

    // Releasing closes the list but leaves the user's program running.
    EXPECT_TRUE(radio.SetMute(true));
    EXPECT_FALSE(radio.connected());
    EXPECT_EQ(desktop.TakeLog(), Lines{"command 2 to List of Channels"});
    EXPECT_TRUE(desktop.exists(program));
    EXPECT_EQ(radio.SetFrequency(89.9f), 0);
    EXPECT_TRUE(messages.calls().empty());
}

TEST_F(PCTVStudioTest, StartsTheProgramHiddenWithAProgressDialogAndClosesIt) {
    desktop.onStart = [this](const QString& commandLine, const QString&, bool visible) {
        EXPECT_FALSE(visible);
        if (!commandLine.startsWith("D:")) {
            return false;
        }
        AddProgram(300);
        return true;
    };
    SPCTVStudio radio = MakeRadio();
    radio.SetFrequency(100.0f);
    ASSERT_TRUE(radio.SetMute(false));
    EXPECT_TRUE(radio.startedByUs());
    EXPECT_EQ(progress.events, (Lines{"open Initializing PCTV radio...", "close"}));
    ASSERT_EQ(progress.positions.size(), 31u);
    EXPECT_EQ(progress.positions[19], 0);
    EXPECT_EQ(progress.positions[20], 1);
    EXPECT_EQ(desktop.TakeLog(),
              Concat({Start('C'), Start('D'), "hide PCTV Radio",
                      "move PCTV Radio to -200,-200 size 1x1", "command 143 to PCTV Radio",
                      "hide List of Channels", "move List of Channels to 2000,2000 size 1x1"},
                     Concat(Tuning("100.00"), {"hide List of Channels"})));
    EXPECT_EQ(clock.sleeps[30], 500);

    radio.SetMute(true);
    EXPECT_EQ(desktop.TakeLog(), (Lines{"command 2 to List of Channels",
                                        "move PCTV Radio to 0,0 size 1x1", "quit PCTV Radio"}));
    EXPECT_FALSE(desktop.exists(program));
    EXPECT_FALSE(radio.startedByUs());
}

TEST_F(PCTVStudioTest, CancelEndsTheWaitUnlessTheWindowHasAppearedMeanwhile) {
    desktop.onStart = [](const QString&, const QString&, bool) { return true; };
    progress.cancelAtStep = 5;
    {
        SPCTVStudio radio = MakeRadio();
        EXPECT_FALSE(radio.SetMute(false));
        EXPECT_EQ(progress.positions.size(), 6u);
        EXPECT_EQ(progress.events.back(), "close");
        ASSERT_EQ(messages.calls().size(), 1u);
        EXPECT_EQ(messages.calls()[0].text, "Can't find pctvradio.exe window.");
        EXPECT_EQ(messages.calls()[0].caption, "Plumora PCTV Studio initialize");
        EXPECT_EQ(messages.calls()[0].icon, MessageIcon::Error);
    }

    // Appearing between the last look and the Cancel is still good enough.
    progress = {};
    progress.cancelAtStep = 5;
    desktop.onStart = [this](const QString&, const QString&, bool) {
        AddProgram(45);
        return true;
    };
    SPCTVStudio radio = MakeRadio();
    EXPECT_TRUE(radio.SetMute(false));
    EXPECT_EQ(progress.positions.size(), 6u);
    EXPECT_EQ(messages.calls().size(), 1u);
}

TEST_F(PCTVStudioTest, GivesUpAfterTwentySecondsWithoutCancel) {
    desktop.onStart = [](const QString&, const QString&, bool) { return true; };
    SPCTVStudio radio = MakeRadio();
    EXPECT_FALSE(radio.SetMute(false));
    EXPECT_EQ(progress.positions.size(), 2000u);
    EXPECT_EQ(progress.positions.back(), 99);
    EXPECT_EQ(clock.sleeps, std::vector<int>(2000, 10));
    ASSERT_EQ(messages.calls().size(), 1u);
    EXPECT_EQ(messages.calls()[0].text, "Can't find pctvradio.exe window.");
}

TEST_F(PCTVStudioTest, TriesEveryDriveThenTheProgramFolder) {
    SPCTVStudio radio = MakeRadio();
    EXPECT_FALSE(radio.SetMute(false));
    const QString folder = QCoreApplication::applicationDirPath();
    EXPECT_EQ(desktop.TakeLog(),
              (Lines{Start('C'), Start('D'), Start('E'), Start('F'),
                     ("start " + QDir(folder).filePath("pctvradio.exe") + " hidden in " + folder)
                         .toStdString()}));
    ASSERT_EQ(messages.calls().size(), 1u);
    EXPECT_EQ(messages.calls()[0].text,
              "Can't start program pctvradio.exe.\nTry copying radio program files to Plumora "
              "executable directory.");
    EXPECT_EQ(messages.calls()[0].icon, MessageIcon::Error);
    EXPECT_TRUE(progress.events.empty());
}

TEST_F(PCTVStudioTest, TuningFailsWhenTheProgramOrItsEditorDoesNotAnswer) {
    AddProgram();
    SPCTVStudio radio = MakeRadio();
    ASSERT_TRUE(radio.SetMute(false));
    desktop.TakeLog();

    // The editor never opens: ten seconds of looking, then 0.
    editorOpens = false;
    clock.sleeps.clear();
    EXPECT_EQ(radio.SetFrequency(95.0f), 0);
    EXPECT_EQ(clock.sleeps, std::vector<int>(1000, 10));
    EXPECT_EQ(desktop.TakeLog(), Lines{"command 2002 to List of Channels"});

    // The program is gone.
    desktop.Destroy(list);
    desktop.Destroy(program);
    clock.sleeps.clear();
    EXPECT_EQ(radio.SetFrequency(96.0f), 0);
    EXPECT_FLOAT_EQ(radio.GetFrequency(), 96.0f);
    EXPECT_EQ(desktop.TakeLog(), (Lines{"command 143 to <gone>"}));
    EXPECT_EQ(clock.sleeps, std::vector<int>(1000, 10));
}

}  // namespace
