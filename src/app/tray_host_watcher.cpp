#include "app/tray_host_watcher.h"

#include <xcb/xcb.h>

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QGuiApplication>
#include <cstdlib>

namespace {

constexpr char kStatusNotifierWatcher[] = "org.kde.StatusNotifierWatcher";
constexpr int kBusTimeoutMs = 2000;

bool StatusNotifierHostPresent() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || bus.interface() == nullptr ||
        !bus.interface()->isServiceRegistered(kStatusNotifierWatcher)) {
        return false;
    }
    QDBusMessage get = QDBusMessage::createMethodCall(
        kStatusNotifierWatcher, "/StatusNotifierWatcher", "org.freedesktop.DBus.Properties", "Get");
    get << QString(kStatusNotifierWatcher) << QStringLiteral("IsStatusNotifierHostRegistered");
    const QDBusMessage reply = bus.call(get, QDBus::Block, kBusTimeoutMs);
    return reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty() &&
           reply.arguments().constFirst().value<QDBusVariant>().variant().toBool();
}

bool XSystemTrayPresent() {
    if (QGuiApplication::platformName() != QLatin1String("xcb")) {
        return false;
    }
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* connection = x11 != nullptr ? x11->connection() : nullptr;
    char* host = nullptr;
    int display = 0;
    int screen = 0;
    if (connection == nullptr || xcb_parse_display(nullptr, &host, &display, &screen) == 0) {
        return false;
    }
    std::free(host);
    const QByteArray name = "_NET_SYSTEM_TRAY_S" + QByteArray::number(screen);
    xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
        connection,
        xcb_intern_atom(connection, 0, static_cast<uint16_t>(name.size()), name.constData()),
        nullptr);
    if (atom == nullptr) {
        return false;
    }
    xcb_get_selection_owner_reply_t* owner = xcb_get_selection_owner_reply(
        connection, xcb_get_selection_owner(connection, atom->atom), nullptr);
    const bool present = owner != nullptr && owner->owner != XCB_WINDOW_NONE;
    std::free(owner);
    std::free(atom);
    return present;
}

}  // namespace

bool TrayHostPresent() {
    return StatusNotifierHostPresent() || XSystemTrayPresent();
}

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
