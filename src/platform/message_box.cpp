#include "platform/message_box.h"

#include <QMutex>
#include <cstdio>

namespace {

int PrintMessage(const QString& text, const QString& caption, MessageIcon, MessageButtons buttons) {
    std::fprintf(stderr, "%s: %s\n", qUtf8Printable(caption), qUtf8Printable(text));
    if (buttons == MessageButtons::YesNoCancel) {
        return IDCANCEL;
    }
    return buttons == MessageButtons::YesNo ? IDNO : IDOK;
}

QMutex gMutex;
MessageBoxHandler gHandler = PrintMessage;

}  // namespace

int MessageBox(const QString& text, const QString& caption, MessageIcon icon,
               MessageButtons buttons) {
    MessageBoxHandler handler;
    {
        QMutexLocker lock(&gMutex);
        handler = gHandler;
    }
    return handler(text, caption, icon, buttons);
}

MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler) {
    QMutexLocker lock(&gMutex);
    MessageBoxHandler previous = gHandler;
    gHandler = handler ? std::move(handler) : MessageBoxHandler(PrintMessage);
    return previous;
}
