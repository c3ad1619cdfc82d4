#include "platform/post_message.h"

#include <QCoreApplication>

WindowMessage::WindowMessage(unsigned m, quintptr w, qintptr l)
    : QEvent(EventType()), msg(m), wParam(w), lParam(l) {}

QEvent::Type WindowMessage::EventType() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

void PostMessage(QObject* receiver, unsigned msg, quintptr wParam, qintptr lParam) {
    if (receiver == nullptr) {
        return;
    }
    QCoreApplication::postEvent(receiver, new WindowMessage(msg, wParam, lParam));
}

const WindowMessage* AsWindowMessage(const QEvent* event) {
    if (event == nullptr || event->type() != WindowMessage::EventType()) {
        return nullptr;
    }
    return static_cast<const WindowMessage*>(event);
}

void LetWaitingMessagesRun() {
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}
