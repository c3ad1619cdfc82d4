#include "platform/sleep_inhibitor.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

SleepInhibitor::SleepInhibitor(const QDBusConnection& bus, QObject* parent)
    : QObject(parent), bus_(bus) {}

void SleepInhibitor::SetWanted(bool wanted) {
    if (wanted == wanted_) {
        return;
    }
    wanted_ = wanted;
    if (wanted_) {
        if (!held() && !asking_) {
            Ask();
        }
    } else if (held()) {
        lock_ = QDBusUnixFileDescriptor();  // closes our copy: the lock is gone
        emit heldChanged(false);
    }
}

void SleepInhibitor::Ask() {
    if (!bus_.isConnected()) {
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, "Inhibit");
    call << QStringLiteral("sleep") << QStringLiteral("Plumora") << QString::fromLatin1(kWhy)
         << QStringLiteral("block");
    asking_ = true;
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, &SleepInhibitor::OnReply);
}

void SleepInhibitor::OnReply(QDBusPendingCallWatcher* watcher) {
    watcher->deleteLater();
    asking_ = false;
    const QDBusPendingReply<QDBusUnixFileDescriptor> reply = *watcher;
    if (reply.isError()) {
        if (!refusalTold_) {
            refusalTold_ = true;
            emit refused(reply.error().message());
        }
        return;
    }
    if (!wanted_) {
        return;  // no longer needed: the reply's descriptor closes with it
    }
    lock_ = reply.value();
    if (held()) {
        emit heldChanged(true);
    }
}
