#include "desktop/desktop_notifier.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QStringList>
#include <QVariantMap>

#include "platform/desktop_identity.h"

namespace {

constexpr const char* kInterface = "org.freedesktop.Notifications";
constexpr const char* kShowAction = "show";

QString Body(const QString& text) {
    // Servers may read the body as simple markup.
    return text.toHtmlEscaped();
}

}  // namespace

DesktopNotifier::DesktopNotifier(const QDBusConnection& bus,
                                 std::function<void(const QByteArray&)> show, QObject* parent)
    : QObject(parent), bus_(bus), show_(std::move(show)) {
    if (!bus_.isConnected()) {
        return;
    }
    bus_.connect(kService, kPath, kInterface, "ActionInvoked", this,
                 SLOT(OnActionInvoked(uint, QString)));
    bus_.connect(kService, kPath, kInterface, "NotificationClosed", this,
                 SLOT(OnClosed(uint, uint)));
    bus_.connect(kService, kPath, kInterface, "ActivationToken", this,
                 SLOT(OnActivationToken(uint, QString)));
}

void DesktopNotifier::OnRecordingStarted(int event, const QString& eventName,
                                         const QString& filePath) {
    if (event >= 0) {
        Notify(QString("Recording \"%1\" started").arg(eventName), filePath);
    }
}

void DesktopNotifier::OnRecordingEnded(int event, const QString& eventName,
                                       const QString& filePath) {
    if (event >= 0) {
        Notify(QString("Recording \"%1\" ended").arg(eventName), filePath);
    }
}

void DesktopNotifier::OnRecordingFailed(int event, const QString& eventName,
                                        const QString& reason) {
    if (event >= 0) {
        Notify(QString("Recording \"%1\" failed").arg(eventName), reason);
    }
}

void DesktopNotifier::OnRecordingLimited(int event, const QString& eventName,
                                         const QString& filePath) {
    if (event >= 0) {
        Notify(QString("Recording \"%1\" ended at the size limit").arg(eventName), filePath);
    }
}

void DesktopNotifier::Notify(const QString& summary, const QString& body) {
    if (!bus_.isConnected()) {
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, "Notify");
    QVariantMap hints;
    hints["desktop-entry"] = QString(desktop::kApplicationId);
    hints["category"] = QStringLiteral("transfer");
    call << QString(desktop::kDisplayName) << uint(0) << QString(desktop::kIconName) << summary
         << Body(body) << QStringList{kShowAction, "Show"} << hints << int(-1);
    // Asynchronous: a desktop without the service answers with an error,
    // which is all there is to it.
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        const QDBusPendingReply<uint> reply = *w;
        if (reply.isValid()) {
            shown_.insert(reply.value());
        }
        w->deleteLater();
    });
}

void DesktopNotifier::OnActionInvoked(uint id, const QString& action) {
    const auto token = tokens_.find(id);
    const QByteArray tokenText = token != tokens_.end() ? token->second : QByteArray();
    if (token != tokens_.end()) {
        tokens_.erase(token);
    }
    if (shown_.count(id) != 0 && (action == kShowAction || action == "default") && show_) {
        show_(tokenText);
    }
}

void DesktopNotifier::OnClosed(uint id, uint) {
    shown_.erase(id);
    tokens_.erase(id);
}

void DesktopNotifier::OnActivationToken(uint id, const QString& token) {
    if (shown_.count(id) != 0) {
        tokens_[id] = token.toUtf8();
    }
}
