#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <functional>
#include <map>
#include <set>

// Desktop notifications (org.freedesktop.Notifications) about scheduled
// recordings: started, ended, failed (to start, or on the way), each naming
// the event and the file (or the reason). The "Show" action brings the
// window to the front, with the activation token the server gave for it.
// Recordings made by hand (event -1) are not announced: the user started
// them. Without a notification service the requests fail and nothing shows.
class DesktopNotifier : public QObject {
    Q_OBJECT
  public:
    static constexpr const char* kService = "org.freedesktop.Notifications";
    static constexpr const char* kPath = "/org/freedesktop/Notifications";

    // show: brings the window to the front; its argument is the activation
    // token of the click (empty when the server sent none).
    DesktopNotifier(const QDBusConnection& bus, std::function<void(const QByteArray& token)> show,
                    QObject* parent = nullptr);

    bool enabled() const { return bus_.isConnected(); }

  public slots:
    void OnRecordingStarted(int event, const QString& eventName, const QString& filePath);
    void OnRecordingEnded(int event, const QString& eventName, const QString& filePath);
    void OnRecordingFailed(int event, const QString& eventName, const QString& reason);
    void OnRecordingLimited(int event, const QString& eventName, const QString& filePath);

  private slots:
    void OnActionInvoked(uint id, const QString& action);
    void OnClosed(uint id, uint reason);
    void OnActivationToken(uint id, const QString& token);

  private:
    void Notify(const QString& summary, const QString& body);

    QDBusConnection bus_;
    std::function<void(const QByteArray&)> show_;
    std::set<uint> shown_;  // our notifications still on screen
    // Sent by the server just before the action it belongs to.
    std::map<uint, QByteArray> tokens_;
};
