#pragma once

#include <QEvent>
#include <QtGlobal>

class QObject;

// A window message delivered as a Qt event to a QObject's event() handler.
class WindowMessage : public QEvent {
  public:
    WindowMessage(unsigned msg, quintptr wParam, qintptr lParam);

    static QEvent::Type EventType();

    unsigned msg;
    quintptr wParam;
    qintptr lParam;
};

// Queues a message for the receiver; it is handled later on the receiver's
// thread. Safe to call from any thread.
void PostMessage(QObject* receiver, unsigned msg, quintptr wParam = 0, qintptr lParam = 0);

// Returns the message if the event is a window message, else null.
const WindowMessage* AsWindowMessage(const QEvent* event);

// Dispatches what is already queued for this thread, without waiting.
void LetWaitingMessagesRun();
