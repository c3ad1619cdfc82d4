#pragma once

#include <QString>
#include <QtGlobal>
#include <optional>

// A window of another program; 0 means none.
using WindowHandle = quintptr;

// Remote control of another program through its windows: start it, find its
// windows by class name and title, and work its controls the way a user
// would. The radio drivers that can only tune through their maker's own
// radio program use this. Window messages are named after what they do;
// their numbers on the programs' side are given in the comments.
class WindowAutomation {
  public:
    virtual ~WindowAutomation() = default;

    // Runs a command line, hidden unless visible is set, in the given working
    // folder (empty: the program's own). True when the program started.
    virtual bool StartProgram(const QString& commandLine, const QString& workingDirectory,
                              bool visible) = 0;

    // The first window after `after` (0: from the first) among the children
    // of `parent` (0: the top-level windows) whose class name equals
    // className and, when title is given, whose title equals it. An empty
    // class name matches every class.
    virtual WindowHandle FindWindow(WindowHandle parent, WindowHandle after,
                                    const QString& className,
                                    const std::optional<QString>& title) = 0;
    virtual bool IsWindow(WindowHandle window) = 0;
    virtual QString WindowText(WindowHandle window) = 0;

    // Posted messages; false when the window is gone.
    // Command (273): wParam = id, lParam = the control's window or 0.
    virtual bool PostCommand(WindowHandle window, int id, WindowHandle control) = 0;
    // Quit (18).
    virtual bool PostQuit(WindowHandle window) = 0;

    // Edit controls: set the whole text, select all (177, 0 to -1), replace
    // the selection (194), mark as modified (185, 1).
    virtual void SetText(WindowHandle window, const QString& text) = 0;
    virtual void SelectAll(WindowHandle edit) = 0;
    virtual void ReplaceSelection(WindowHandle edit, const QString& text) = 0;
    virtual void SetModified(WindowHandle edit) = 0;

    // Position and size, keeping the stacking order.
    virtual void MoveWindow(WindowHandle window, int x, int y, int width, int height) = 0;
    // Position keeping the size, behind all other windows.
    virtual void MoveBehindAll(WindowHandle window, int x, int y) = 0;
    virtual void ShowWindow(WindowHandle window, bool show) = 0;

    // Keyboard input: the window with the focus, giving the focus to a
    // window of another program's thread (which needs this thread's input
    // attached to that thread), and a key press sent to a window
    // (key down, 256).
    virtual WindowHandle FocusedWindow() = 0;
    // Returns the window that had the focus before.
    virtual WindowHandle SetFocus(WindowHandle window) = 0;
    virtual bool AttachInput(WindowHandle window, bool attach) = 0;
    virtual void SendKeyDown(WindowHandle window, int virtualKey, quint32 keyData) = 0;

    // The vendor program's own machine-wide settings under a key path.
    virtual std::optional<qint32> ReadVendorInt32(const QString& key, const QString& name) = 0;
    virtual std::optional<QString> ReadVendorString(const QString& key, const QString& name) = 0;
    virtual bool WriteVendorInt32(const QString& key, const QString& name, qint32 value) = 0;

    // The machine's automation. The radio makers' programs do not run on
    // this system: it finds no windows of theirs, starts none of them and
    // has none of their settings, so their drivers report that and stay
    // inert.
    static WindowAutomation& System();
};

// Virtual key code of the Enter key and the key data of one press of it.
inline constexpr int kVirtualKeyReturn = 13;
inline constexpr quint32 kReturnKeyData = 0x000F0001;
