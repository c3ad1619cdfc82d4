#include "platform/login_manager_watch.h"

#include "platform/sleep_inhibitor.h"

LoginManagerWatch::LoginManagerWatch(const QDBusConnection& bus, QObject* parent)
    : QObject(parent) {
    QDBusConnection connection(bus);
    watching_ = connection.isConnected() &&
                connection.connect(SleepInhibitor::kService, SleepInhibitor::kPath,
                                   SleepInhibitor::kInterface, "PrepareForSleep", this,
                                   SLOT(OnPrepareForSleep(bool)));
}

void LoginManagerWatch::OnPrepareForSleep(bool sleeping) {
    if (sleeping) {
        emit aboutToSleep();
    } else {
        emit resumed();
    }
}
