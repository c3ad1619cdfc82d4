#include "radio/zoltrix_program.h"

#include <QDir>
#include <QString>

#include "platform/message_box.h"
#include "radio/program_window_search.h"

namespace {

constexpr int kDialogTries = 200;

}  // namespace

ZoltrixProgram::ZoltrixProgram(bool showProgram, WindowAutomation& automation, Clock& clock)
    : showProgram(showProgram), automation_(automation), clock_(clock) {
    Connect();
}

ZoltrixProgram::~ZoltrixProgram() {
    Release();
}

WindowHandle ZoltrixProgram::FindDialog() {
    return automation_.FindWindow(0, 0, kDialogClass, QString(kDialogTitle));
}

bool ZoltrixProgram::StartProgram() {
    for (const QChar drive : {'C', 'D', 'E', 'F'}) {
        const QString folder = WithDrive(kProgramFolder, drive);
        if (automation_.StartProgram(folder + "\\" + kProgramFile, folder, showProgram)) {
            return true;
        }
    }
    const QString folder = ProgramFolder();
    return automation_.StartProgram(QDir(folder).filePath(kProgramFile), folder, showProgram);
}

void ZoltrixProgram::Connect() {
    const QString caption = QStringLiteral("%1 radio initialize").arg("Plumora");
    startedByUs_ = false;
    WindowHandle dialog = FindDialog();
    if (dialog == 0) {
        if (!StartProgram()) {
            MessageBox(QStringLiteral("Can't start RadioPlus108 program radio.exe.\nTry copying "
                                      "radio program files to %1 executable directory.")
                           .arg("Plumora"),
                       caption, MessageIcon::Error);
            return;
        }
        startedByUs_ = true;
        dialog = PollForWindow(clock_, kDialogTries, kKeyPauseMs, [this] { return FindDialog(); });
        if (dialog == 0) {
            MessageBox(QStringLiteral("Can't find radio.exe window."), caption, MessageIcon::Error);
            return;
        }
        if (!showProgram) {
            automation_.ShowWindow(dialog, false);
            automation_.MoveWindow(dialog, -200, -200, 1, 1);
        }
    }
    programWindow = dialog;
    for (int digit = 0; digit < 10; ++digit) {
        digitButtons[digit] = automation_.FindWindow(dialog, 0, "Button", QString::number(digit));
    }
    enterButton = automation_.FindWindow(dialog, 0, "Button", QStringLiteral("Enter"));
    freqButton = automation_.FindWindow(dialog, 0, "Button", QStringLiteral("Freq"));
}

qint32 ZoltrixProgram::Tune(float mhz) {
    if (programWindow == 0) {
        return 0;
    }
    // For example 899.300015 for 89.9: only the digits before the point
    // are typed.
    const QString text = QString::asprintf("%f", static_cast<double>(mhz) * 10.0 + 0.3);
    automation_.PostCommand(programWindow, kFreqCommand, freqButton);
    clock_.SleepMs(kKeyPauseMs);
    for (const QChar c : text) {
        if (c == '.') {
            break;
        }
        if (!c.isDigit()) {
            continue;
        }
        const int digit = c.digitValue();
        automation_.PostCommand(programWindow, digit == 0 ? kZeroCommand : kOneCommand + digit - 1,
                                digitButtons[digit]);
        clock_.SleepMs(kKeyPauseMs);
    }
    automation_.PostCommand(programWindow, kEnterCommand, enterButton);
    clock_.SleepMs(kKeyPauseMs);
    return 1;
}

void ZoltrixProgram::Release() {
    if (startedByUs_ && programWindow != 0) {
        automation_.MoveWindow(programWindow, 0, 0, 1, 1);
        automation_.PostQuit(programWindow);
    }
    programWindow = 0;
    startedByUs_ = false;
}
