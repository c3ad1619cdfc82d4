#pragma once

#include <QString>
#include <QtGlobal>

#include "platform/clock.h"
#include "platform/window_automation.h"
#include "radio/sradio.h"

// The Hauppauge WinTV/Radio PCI card tuned through its maker's radio
// program "radio.exe": the driver finds the program (starting it off-screen
// when it does not run) and tunes by typing the frequency into the
// program's frequency field followed by Enter. Unmuting connects, muting
// closes the program.
class SWinTV : public SRadio {
  public:
    // The program's own settings; "Left" is its window position, "AppName"
    // its command line.
    static constexpr const char* kVendorKey = "SOFTWARE\\Hauppauge\\Radio";
    static constexpr const char* kDefaultCommandLine = "c:\\\\program files\\\\wintv\\\\radio.exe";
    static constexpr const char* kProgramFile = "radio.exe";
    static constexpr int kOffScreenLeft = 2000;
    static constexpr int kMaxRestoredLeft = 800;

    explicit SWinTV(WindowAutomation& automation = WindowAutomation::System(),
                    Clock& clock = Clock::System());
    // Closes the program when this driver started it.
    ~SWinTV() override;

    // Types the frequency ("%.2f") and presses Enter: 1 when done, 0 when
    // not connected or below 1 MHz.
    qint32 SetFrequency(float mhz) override;
    // Unmuting connects to the program (true when connected); muting closes
    // it.
    bool SetMute(bool mute) override;

    bool connected() const { return frequencyEdit != 0; }
    bool startedByUs() const { return startedByUs_; }

  private:
    void Connect();
    void Release();
    WindowHandle FindProgramWindow();
    bool StartProgram();
    void Fail(const QString& text);
    WindowHandle FindInProgram(WindowHandle parent, WindowHandle after, const char* className,
                               const std::optional<QString>& title, int tries);

    WindowHandle programWindow = 0;
    bool startedByUs_ = false;
    WindowHandle frequencyEdit = 0;
    WindowHandle frequencyGroup = 0;
    QString caption_;
    WindowAutomation& automation_;
    Clock& clock_;
};
