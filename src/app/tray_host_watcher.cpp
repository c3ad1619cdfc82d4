#include "app/tray_host_watcher.h"

#include <QDBusConnection>
#include <QDBusServiceWatcher>

namespace {

constexpr char kStatusNotifierWatcher[] = "org.kde.StatusNotifierWatcher";

}  // namespace

TrayHostWatcher::TrayHostWatcher(QObject* parent) : QObject(parent) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.isConnected()) {
        bus_ = new QDBusServiceWatcher(kStatusNotifierWatcher, bus,
                                       QDBusServiceWatcher::WatchForOwnerChange, this);
        connect(bus_, &QDBusServiceWatcher::serviceOwnerChanged, this,
                &TrayHostWatcher::hostMayHaveChanged);
    }
    retry_.setInterval(kRetryMs);
    connect(&retry_, &QTimer::timeout, this, [this] {
        if (--retriesLeft_ <= 0) {
            retry_.stop();
        }
        emit hostMayHaveChanged();
    });
}

void TrayHostWatcher::WaitForHost() {
    if (retry_.isActive()) {
        return;
    }
    retriesLeft_ = kRetries;
    retry_.start();
}

void TrayHostWatcher::StopWaiting() {
    retry_.stop();
}
