#include "radio/wintv_radio.h"

#include <QDir>

#include "platform/message_box.h"
#include "radio/program_window_search.h"

namespace {

constexpr int kSearchTries = 100;
constexpr int kInnerTries = 2;
constexpr int kSearchStepMs = 200;
constexpr int kFillWaitMs = 2000;
const char* const kFormClass = "TForm1";

}  // namespace

SWinTV::SWinTV(WindowAutomation& automation, Clock& clock)
    : automation_(automation), clock_(clock) {}

SWinTV::~SWinTV() {
    if (startedByUs_) {
        Release();
    }
}

WindowHandle SWinTV::FindProgramWindow() {
    if (const WindowHandle window =
            automation_.FindWindow(0, 0, kFormClass, QStringLiteral("WinTV Radio"))) {
        return window;
    }
    return automation_.FindWindow(0, 0, kFormClass, QStringLiteral("Form1"));
}

void SWinTV::Fail(const QString& text) {
    MessageBox(text, caption_, MessageIcon::Error);
}

bool SWinTV::StartProgram() {
    // The program opens where it was last closed; "Left" beyond the screen
    // makes it open out of sight, and the user's own value is put back.
    qint32 left = automation_.ReadVendorInt32(kVendorKey, "Left").value_or(0);
    if (left > kMaxRestoredLeft) {
        left = 0;
    }
    automation_.WriteVendorInt32(kVendorKey, "Left", kOffScreenLeft);
    const QString commandLine =
        automation_.ReadVendorString(kVendorKey, "AppName").value_or(kDefaultCommandLine);
    bool started = automation_.StartProgram(commandLine, {}, false);
    if (!started) {
        const QString folder = ProgramFolder();
        started = automation_.StartProgram(QDir(folder).filePath(kProgramFile), folder, false);
    }
    automation_.WriteVendorInt32(kVendorKey, "Left", left);
    return started;
}

WindowHandle SWinTV::FindInProgram(WindowHandle parent, WindowHandle after, const char* className,
                                   const std::optional<QString>& title, int tries) {
    return PollForWindow(clock_, tries, kSearchStepMs,
                         [&] { return automation_.FindWindow(parent, after, className, title); });
}

void SWinTV::Connect() {
    caption_ = QStringLiteral("%1 WinTV initialize").arg("Plumora");
    startedByUs_ = false;
    WindowHandle window = FindProgramWindow();
    if (window != 0) {
        automation_.MoveWindow(window, 100, 100, 200, 100);
        automation_.ShowWindow(window, true);
    } else {
        if (!StartProgram()) {
            Fail(QStringLiteral("Can't start program radio.exe.\nTry copying program files to %1 "
                                "executable directory.")
                     .arg("Plumora"));
            return;
        }
        startedByUs_ = true;
        window = PollForWindow(clock_, kSearchTries, kSearchStepMs,
                               [this] { return FindProgramWindow(); });
        if (window == 0) {
            Fail(QStringLiteral("Can't find radio.exe window."));
            return;
        }
        automation_.MoveBehindAll(window, 2000, 2000);
        automation_.ShowWindow(window, false);
        WindowHandle application = 0;
        while ((application =
                    automation_.FindWindow(0, application, "TApplication", std::nullopt)) != 0) {
            const QString title = automation_.WindowText(application);
            if (title.contains("WinTV Radio") || title.contains("Win/TV Radio")) {
                automation_.MoveBehindAll(application, 500, 500);
                automation_.ShowWindow(application, false);
                break;
            }
        }
    }
    programWindow = window;

    const WindowHandle panel = FindInProgram(window, 0, "TPanel", QString(), kSearchTries);
    if (panel == 0) {
        Fail(QStringLiteral("Can't find radio.exe form window."));
        return;
    }
    const WindowHandle group1 = FindInProgram(panel, 0, "TGroupBox", QString(), kSearchTries);
    if (group1 == 0) {
        Fail(QStringLiteral("Can't find group1 window"));
        return;
    }
    const WindowHandle group2 =
        FindInProgram(panel, group1, "TGroupBox", std::nullopt, kSearchTries);
    if (group2 == 0) {
        Fail(QStringLiteral("Can't find group2 window"));
        return;
    }
    const WindowHandle inner = FindInProgram(group2, 0, "TGroupBox", std::nullopt, kInnerTries);
    frequencyGroup = inner != 0 ? inner : group2;
    const WindowHandle edit = FindInProgram(frequencyGroup, 0, "TEdit", std::nullopt, kInnerTries);
    if (edit == 0) {
        Fail(QStringLiteral("Can't find frequency window"));
        return;
    }
    frequencyEdit = edit;
    if (automation_.WindowText(edit).size() < 2) {
        clock_.SleepMs(kFillWaitMs);  // the program is still filling it in
    }
    if (startedByUs_) {
        automation_.MoveBehindAll(window, 500, 500);
        automation_.ShowWindow(window, false);
    }
    SetFrequency(frequency);
}

qint32 SWinTV::SetFrequency(float mhz) {
    frequency = mhz;
    if (frequencyEdit == 0 || mhz < 1.0f) {
        return 0;
    }
    const QString text = QString::asprintf("%.2f", static_cast<double>(mhz));
    automation_.SelectAll(frequencyEdit);
    automation_.ReplaceSelection(frequencyEdit, text);
    automation_.SetModified(frequencyEdit);
    const WindowHandle focusAtStart = automation_.FocusedWindow();
    automation_.AttachInput(frequencyEdit, true);
    const WindowHandle focusBefore = automation_.SetFocus(frequencyEdit);
    automation_.SendKeyDown(frequencyEdit, kVirtualKeyReturn, kReturnKeyData);
    automation_.AttachInput(frequencyEdit, false);
    automation_.SetFocus(focusBefore);
    automation_.SetFocus(focusAtStart);
    return 1;
}

void SWinTV::Release() {
    automation_.PostQuit(programWindow);
    programWindow = 0;
    frequencyEdit = 0;
    frequencyGroup = 0;
    startedByUs_ = false;
}

bool SWinTV::SetMute(bool mute) {
    muted = mute;
    if (mute) {
        if (programWindow != 0) {
            Release();
        }
        return true;
    }
    if (programWindow == 0) {
        Connect();
    }
    return frequencyEdit != 0;
}
