#pragma once

#include <QString>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/window_automation.h"
#include "support/fake_clock.h"

// A desktop of simulated windows for the drivers that remote-control a radio
// maker's program. Tests build the program's windows, make them appear
// later (by the fake clock), react to commands through hooks, and read back
// every action the driver took as a line of text. Windows are named in the
// log by their title, or by their class when untitled, or by the label
// given when they were added.
class FakeWindowAutomation : public WindowAutomation {
  public:
    struct Window {
        WindowHandle parent = 0;
        QString className;
        QString title;  // also the contents of an edit control
        QString label;
        bool visible = true;
        int64_t appearsAtMs = 0;
        int x = 0, y = 0, width = 0, height = 0;
    };

    explicit FakeWindowAutomation(FakeClock& clock) : clock_(clock) {}

    // Adds a window (a top-level one when parent is 0) that exists from
    // appearsAtMs of the fake clock's monotonic time on.
    WindowHandle Add(WindowHandle parent, const QString& className, const QString& title,
                     const QString& label = {}, int64_t appearsAtMs = 0) {
        const WindowHandle handle = next_++;
        Window window;
        window.parent = parent;
        window.className = className;
        window.title = title;
        window.label = label.isEmpty() ? (title.isEmpty() ? className : title) : label;
        window.appearsAtMs = appearsAtMs;
        windows_[handle] = window;
        order_.push_back(handle);
        return handle;
    }
    // Makes a window appear ms after now.
    WindowHandle AddLater(int64_t ms, WindowHandle parent, const QString& className,
                          const QString& title, const QString& label = {}) {
        return Add(parent, className, title, label, clock_.MonotonicMs() + ms);
    }
    // Removes a window and its children.
    void Destroy(WindowHandle handle) {
        std::vector<WindowHandle> children;
        for (const auto& [child, window] : windows_) {
            if (window.parent == handle) {
                children.push_back(child);
            }
        }
        for (const WindowHandle child : children) {
            Destroy(child);
        }
        windows_.erase(handle);
        std::erase(order_, handle);
    }
    Window& window(WindowHandle handle) { return windows_.at(handle); }
    bool exists(WindowHandle handle) const { return Exists(handle); }

    // Hooks playing the program. onStart decides whether a command line
    // starts; onCommand and onQuit see posted messages to live windows.
    std::function<bool(const QString& commandLine, const QString& folder, bool visible)> onStart;
    std::function<void(WindowHandle window, int id, WindowHandle control)> onCommand;
    std::function<void(WindowHandle window)> onQuit;

    // The program's own settings, "key\name".
    std::map<QString, qint32> vendorNumbers;
    std::map<QString, QString> vendorTexts;

    // What the driver did, one line per action; TakeLog empties it.
    std::vector<std::string> TakeLog() { return std::exchange(log_, {}); }
    int findCalls = 0;

    // --- WindowAutomation ---
    bool StartProgram(const QString& commandLine, const QString& folder, bool visible) override {
        Log("start " + commandLine + (visible ? " visible" : " hidden") + " in " + folder);
        return onStart && onStart(commandLine, folder, visible);
    }
    WindowHandle FindWindow(WindowHandle parent, WindowHandle after, const QString& className,
                            const std::optional<QString>& title) override {
        ++findCalls;
        bool passed = after == 0;
        for (const WindowHandle handle : order_) {
            if (!passed) {
                passed = handle == after;
                continue;
            }
            const Window& w = windows_.at(handle);
            if (w.parent == parent && Exists(handle) &&
                (className.isEmpty() || w.className == className) &&
                (!title || w.title == *title)) {
                return handle;
            }
        }
        return 0;
    }
    bool IsWindow(WindowHandle handle) override { return Exists(handle); }
    QString WindowText(WindowHandle handle) override {
        return Exists(handle) ? windows_.at(handle).title : QString();
    }
    bool PostCommand(WindowHandle handle, int id, WindowHandle control) override {
        Log("command " + QString::number(id) + " to " + Name(handle) +
            (control != 0 ? " from " + Name(control) : QString()));
        if (!Exists(handle)) {
            return false;
        }
        if (onCommand) {
            onCommand(handle, id, control);
        }
        return true;
    }
    bool PostQuit(WindowHandle handle) override {
        Log("quit " + Name(handle));
        if (!Exists(handle)) {
            return false;
        }
        if (onQuit) {
            onQuit(handle);
        }
        return true;
    }
    void SetText(WindowHandle handle, const QString& text) override {
        Log("set text of " + Name(handle) + " to " + text);
        if (Exists(handle)) {
            windows_.at(handle).title = text;
        }
    }
    void SelectAll(WindowHandle handle) override { Log("select all of " + Name(handle)); }
    void ReplaceSelection(WindowHandle handle, const QString& text) override {
        Log("replace selection of " + Name(handle) + " with " + text);
        if (Exists(handle)) {
            windows_.at(handle).title = text;
        }
    }
    void SetModified(WindowHandle handle) override { Log("modified " + Name(handle)); }
    void MoveWindow(WindowHandle handle, int x, int y, int width, int height) override {
        Log(QStringLiteral("move %1 to %2,%3 size %4x%5")
                .arg(Name(handle))
                .arg(x)
                .arg(y)
                .arg(width)
                .arg(height));
    }
    void MoveBehindAll(WindowHandle handle, int x, int y) override {
        Log(QStringLiteral("move %1 behind all to %2,%3").arg(Name(handle)).arg(x).arg(y));
    }
    void ShowWindow(WindowHandle handle, bool show) override {
        Log((show ? "show " : "hide ") + Name(handle));
        if (Exists(handle)) {
            windows_.at(handle).visible = show;
        }
    }
    WindowHandle FocusedWindow() override { return focus_; }
    WindowHandle SetFocus(WindowHandle handle) override {
        Log("focus " + Name(handle));
        return std::exchange(focus_, handle);
    }
    bool AttachInput(WindowHandle handle, bool attach) override {
        Log((attach ? "attach input to " : "detach input from ") + Name(handle));
        return true;
    }
    void SendKeyDown(WindowHandle handle, int key, quint32 keyData) override {
        Log(QStringLiteral("key %1 (%2) to %3").arg(key).arg(keyData, 0, 16).arg(Name(handle)));
    }
    std::optional<qint32> ReadVendorInt32(const QString& key, const QString& name) override {
        const auto it = vendorNumbers.find(key + "\\" + name);
        return it == vendorNumbers.end() ? std::nullopt : std::optional<qint32>(it->second);
    }
    std::optional<QString> ReadVendorString(const QString& key, const QString& name) override {
        const auto it = vendorTexts.find(key + "\\" + name);
        return it == vendorTexts.end() ? std::nullopt : std::optional<QString>(it->second);
    }
    bool WriteVendorInt32(const QString& key, const QString& name, qint32 value) override {
        Log(QStringLiteral("write %1 = %2").arg(name).arg(value));
        vendorNumbers[key + "\\" + name] = value;
        return true;
    }

    void SetFocusedWindow(WindowHandle handle) { focus_ = handle; }

  private:
    bool Exists(WindowHandle handle) const {
        const auto it = windows_.find(handle);
        return it != windows_.end() && it->second.appearsAtMs <= clock_.MonotonicMs();
    }
    QString Name(WindowHandle handle) const {
        const auto it = windows_.find(handle);
        return it == windows_.end() ? QStringLiteral("<gone>") : it->second.label;
    }
    void Log(const QString& line) { log_.push_back(line.toStdString()); }

    FakeClock& clock_;
    std::map<WindowHandle, Window> windows_;
    std::vector<WindowHandle> order_;
    WindowHandle next_ = 0x100;
    WindowHandle focus_ = 0;
    std::vector<std::string> log_;
};
