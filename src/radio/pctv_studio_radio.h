#pragma once

#include <QString>
#include <QtGlobal>

#include "platform/clock.h"
#include "platform/window_automation.h"
#include "radio/progress_dialog.h"
#include "radio/sradio.h"

// The Pinnacle PCTV Studio USB tuned through its maker's radio program
// "pctvradio.exe": the driver finds the program (starting it hidden when it
// does not run), and tunes by typing the frequency into the channel editor
// of the program's channel list. The program is connected on unmute and
// released on mute.
class SPCTVStudio : public SRadio {
  public:
    static constexpr const char* kProgramPath =
        "D:\\Program Files\\Pinnacle\\Studio PCTV USB\\Radio\\pctvradio.exe";
    static constexpr const char* kProgramFile = "pctvradio.exe";
    static constexpr const char* kWindowClass = "PCTVRadioWndClass";
    static constexpr const char* kWindowTitle = "PCTV Radio";
    static constexpr const char* kDialogClass = "#32770";
    static constexpr const char* kChannelListTitle = "List of Channels";
    static constexpr int kShowChannelListCommand = 143;
    static constexpr int kEditChannelCommand = 2002;
    static constexpr int kStartAttempts = 2000;

    // ownerWindow makes the progress dialog shown while the program starts;
    // empty: a progress without a window.
    explicit SPCTVStudio(ProgressDialogFactory ownerWindow = {},
                         WindowAutomation& automation = WindowAutomation::System(),
                         Clock& clock = Clock::System());
    // Releases the program.
    ~SPCTVStudio() override;

    // Types the frequency into the channel editor: 1 when done, 0 when not
    // connected or a window of the program did not appear.
    qint32 SetFrequency(float mhz) override;
    // Unmuting connects to the program (true when connected); muting
    // releases it, closing it when this driver started it.
    bool SetMute(bool mute) override;

    bool connected() const { return programWindow != 0; }
    bool startedByUs() const { return startedByUs_; }

  private:
    void Connect();
    void Release();
    WindowHandle FindProgramWindow();
    WindowHandle FindChannelEditor();
    WindowHandle FindChannelList();

    ProgressDialogFactory ownerWindow;
    WindowHandle programWindow = 0;
    bool startedByUs_ = false;
    WindowAutomation& automation_;
    Clock& clock_;
};
