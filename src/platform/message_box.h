#pragma once

#include <QString>
#include <functional>

// The one way code outside the user interface tells the user something.
// The GUI installs a handler that shows a real message box; tests install
// one that records the call.

enum class MessageIcon { None, Information, Warning, Error, Question };
enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel };

enum MessageResult : int { IDOK = 1, IDCANCEL = 2, IDYES = 6, IDNO = 7 };

using MessageBoxHandler = std::function<int(const QString& text, const QString& caption,
                                            MessageIcon icon, MessageButtons buttons)>;

// Shows the message and returns the button chosen (one of MessageResult).
int MessageBox(const QString& text, const QString& caption,
               MessageIcon icon = MessageIcon::Information,
               MessageButtons buttons = MessageButtons::Ok);

// Replaces the handler; returns the previous one. An empty handler restores
// the default, which prints to standard error and answers OK or No.
MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler);
