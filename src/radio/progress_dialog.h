#pragma once

#include <QString>
#include <functional>
#include <memory>

// A small window with a text, a gauge and a Cancel button, shown while a
// driver waits for something slow. The user interface supplies the real
// one; drivers only see this interface.
class ProgressDialog {
  public:
    virtual ~ProgressDialog() = default;

    // Shows the dialog with the text and the gauge at 0.
    virtual void Open(const QString& text) = 0;
    // Sets the gauge (0 to 99) and lets the messages already queued run.
    // False once Cancel has been pressed.
    virtual bool Step(int position) = 0;
    virtual void Close() = 0;
};

using ProgressDialogFactory = std::function<std::unique_ptr<ProgressDialog>()>;

// A progress without a window: it only lets queued messages run and is
// never cancelled.
std::unique_ptr<ProgressDialog> MakeWindowlessProgress();
