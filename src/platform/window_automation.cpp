#include "platform/window_automation.h"

namespace {

class NoVendorWindows : public WindowAutomation {
  public:
    bool StartProgram(const QString&, const QString&, bool) override { return false; }
    WindowHandle FindWindow(WindowHandle, WindowHandle, const QString&,
                            const std::optional<QString>&) override {
        return 0;
    }
    bool IsWindow(WindowHandle) override { return false; }
    QString WindowText(WindowHandle) override { return {}; }
    bool PostCommand(WindowHandle, int, WindowHandle) override { return false; }
    bool PostQuit(WindowHandle) override { return false; }
    void SetText(WindowHandle, const QString&) override {}
    void SelectAll(WindowHandle) override {}
    void ReplaceSelection(WindowHandle, const QString&) override {}
    void SetModified(WindowHandle) override {}
    void MoveWindow(WindowHandle, int, int, int, int) override {}
    void MoveBehindAll(WindowHandle, int, int) override {}
    void ShowWindow(WindowHandle, bool) override {}
    WindowHandle FocusedWindow() override { return 0; }
    WindowHandle SetFocus(WindowHandle) override { return 0; }
    bool AttachInput(WindowHandle, bool) override { return false; }
    void SendKeyDown(WindowHandle, int, quint32) override {}
    std::optional<qint32> ReadVendorInt32(const QString&, const QString&) override {
        return std::nullopt;
    }
    std::optional<QString> ReadVendorString(const QString&, const QString&) override {
        return std::nullopt;
    }
    bool WriteVendorInt32(const QString&, const QString&, qint32) override { return false; }
};

}  // namespace

WindowAutomation& WindowAutomation::System() {
    static NoVendorWindows automation;
    return automation;
}
