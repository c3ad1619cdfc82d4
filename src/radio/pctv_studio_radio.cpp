#include "radio/pctv_studio_radio.h"

#include <QDir>

#include "platform/message_box.h"
#include "radio/program_window_search.h"

namespace {

constexpr int kDialogTries = 1000;
constexpr int kStepMs = 10;
constexpr int kOk = 1;
constexpr int kCancel = 2;

}  // namespace

SPCTVStudio::SPCTVStudio(ProgressDialogFactory ownerWindow, WindowAutomation& automation,
                         Clock& clock)
    : ownerWindow(std::move(ownerWindow)), automation_(automation), clock_(clock) {}

SPCTVStudio::~SPCTVStudio() {
    if (programWindow != 0) {
        Release();
    }
}

WindowHandle SPCTVStudio::FindProgramWindow() {
    return automation_.FindWindow(0, 0, kWindowClass, QString(kWindowTitle));
}

WindowHandle SPCTVStudio::FindChannelList() {
    return automation_.FindWindow(0, 0, kDialogClass, QString(kChannelListTitle));
}

WindowHandle SPCTVStudio::FindChannelEditor() {
    return automation_.FindWindow(0, 0, kDialogClass, QString());
}

void SPCTVStudio::Connect() {
    const QString caption = QStringLiteral("%1 PCTV Studio initialize").arg("Plumora");
    startedByUs_ = false;
    WindowHandle window = FindProgramWindow();
    if (window == 0) {
        bool started = false;
        for (const QChar drive : {'C', 'D', 'E', 'F'}) {
            if (automation_.StartProgram(WithDrive(kProgramPath, drive), {}, false)) {
                started = true;
                break;
            }
        }
        if (!started) {
            const QString folder = ProgramFolder();
            started = automation_.StartProgram(QDir(folder).filePath(kProgramFile), folder, false);
        }
        if (!started) {
            MessageBox(QStringLiteral("Can't start program pctvradio.exe.\nTry copying radio "
                                      "program files to %1 executable directory.")
                           .arg("Plumora"),
                       caption, MessageIcon::Error);
            return;
        }
        startedByUs_ = true;
        const auto progress = ownerWindow ? ownerWindow() : MakeWindowlessProgress();
        progress->Open(QStringLiteral("Initializing PCTV radio..."));
        for (int attempt = 0; attempt < kStartAttempts; ++attempt) {
            if (!progress->Step(attempt / 20)) {
                break;
            }
            window = FindProgramWindow();
            if (window != 0) {
                break;
            }
            clock_.SleepMs(kStepMs);
        }
        progress->Close();
        if (window == 0) {
            window = FindProgramWindow();
        }
        if (window == 0) {
            MessageBox(QStringLiteral("Can't find pctvradio.exe window."), caption,
                       MessageIcon::Error);
            return;
        }
        automation_.ShowWindow(window, false);
        automation_.MoveWindow(window, -200, -200, 1, 1);
        clock_.SleepMs(500);
    }
    programWindow = window;
    SetFrequency(GetFrequency());
}

qint32 SPCTVStudio::SetFrequency(float mhz) {
    frequency = mhz;
    if (programWindow == 0) {
        return 0;
    }
    WindowHandle list = FindChannelList();
    if (list == 0) {
        automation_.PostCommand(programWindow, kShowChannelListCommand, 0);
        list = PollForWindow(clock_, kDialogTries, kStepMs, [this] { return FindChannelList(); });
        if (list == 0) {
            return 0;
        }
        if (startedByUs_) {
            automation_.ShowWindow(list, false);
            automation_.MoveWindow(list, 2000, 2000, 1, 1);
        }
    }
    WindowHandle editor = FindChannelEditor();
    if (editor == 0) {
        automation_.PostCommand(list, kEditChannelCommand, 0);
        editor =
            PollForWindow(clock_, kDialogTries, kStepMs, [this] { return FindChannelEditor(); });
        if (editor == 0) {
            return 0;
        }
    }
    const WindowHandle firstEdit = automation_.FindWindow(editor, 0, "Edit", std::nullopt);
    const WindowHandle frequencyEdit =
        firstEdit != 0 ? automation_.FindWindow(editor, firstEdit, "Edit", std::nullopt) : 0;
    if (frequencyEdit == 0) {
        return 0;
    }
    const QString text = QString::asprintf("%.2f", static_cast<double>(mhz));
    automation_.SetText(frequencyEdit, text);
    automation_.SelectAll(frequencyEdit);
    automation_.ReplaceSelection(frequencyEdit, text);
    automation_.SetModified(frequencyEdit);
    automation_.PostCommand(editor, kOk, 0);
    WaitUntilGone(automation_, clock_, editor, kDialogTries, kStepMs);
    clock_.SleepMs(20);
    if (startedByUs_) {
        automation_.ShowWindow(list, false);
    }
    return 1;
}

void SPCTVStudio::Release() {
    if (const WindowHandle editor = FindChannelEditor()) {
        automation_.PostCommand(editor, kOk, 0);
        WaitUntilGone(automation_, clock_, editor, kDialogTries, kStepMs);
    }
    if (const WindowHandle list = FindChannelList()) {
        automation_.PostCommand(list, kCancel, 0);
        WaitUntilGone(automation_, clock_, list, kDialogTries, kStepMs);
    }
    if (startedByUs_) {
        automation_.MoveWindow(programWindow, 0, 0, 1, 1);
        automation_.PostQuit(programWindow);
    }
    programWindow = 0;
    startedByUs_ = false;
}

bool SPCTVStudio::SetMute(bool mute) {
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
    return programWindow != 0;
}
