#pragma once

#include <QtGlobal>
#include <array>

#include "platform/clock.h"
#include "platform/window_automation.h"
#include "radio/zoltrix108.h"

// Tuning of the Zoltrix Radio Plus 108 through its maker's program
// "radio.exe": the program's dialog is found (or the program started,
// hidden unless showProgram is set) when this object is made, and a
// frequency is typed on the dialog's keypad: "Freq", the digits of
// MHz * 10, "Enter". The program is closed again when this object goes,
// if it was started here.
class ZoltrixProgram : public ZoltrixTuning {
  public:
    static constexpr const char* kProgramFolder = "D:\\Radio108";
    static constexpr const char* kProgramFile = "radio.exe";
    static constexpr const char* kDialogClass = "#32770";
    static constexpr const char* kDialogTitle = "Radio Plus";
    static constexpr int kFreqCommand = 1027;
    static constexpr int kEnterCommand = 1015;
    static constexpr int kZeroCommand = 1013;
    static constexpr int kOneCommand = 1004;  // "1" to "9" follow in order
    static constexpr int kKeyPauseMs = 10;

    explicit ZoltrixProgram(bool showProgram = false,
                            WindowAutomation& automation = WindowAutomation::System(),
                            Clock& clock = Clock::System());
    ~ZoltrixProgram() override;
    ZoltrixProgram(const ZoltrixProgram&) = delete;
    ZoltrixProgram& operator=(const ZoltrixProgram&) = delete;

    // Types the frequency: 1 when done, 0 without the program.
    qint32 Tune(float mhz) override;

    bool connected() const { return programWindow != 0; }
    bool startedByUs() const { return startedByUs_; }

  private:
    void Connect();
    void Release();
    WindowHandle FindDialog();
    bool StartProgram();

    bool showProgram;
    bool startedByUs_ = false;
    WindowHandle programWindow = 0;
    std::array<WindowHandle, 10> digitButtons{};
    WindowHandle enterButton = 0;
    WindowHandle freqButton = 0;
    WindowAutomation& automation_;
    Clock& clock_;
};
