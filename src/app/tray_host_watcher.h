#pragma once

#include <QObject>
#include <QTimer>

class QDBusServiceWatcher;

// Whether a tray host is there now: a status notifier watcher on the
// session bus that has a host, or on X11 the owner of the screen's system
// tray selection. Asks the bus and the X server, nothing of Qt's tray.
bool TrayHostPresent();

// Tells when a tray host may have come or gone: the desktop's status
// notifier watcher appearing on or leaving the session bus, and, while an
// icon waits for a tray, a look every few seconds for a while after start
// (a tray of the X system-tray kind says nothing when it appears).
class TrayHostWatcher : public QObject {
    Q_OBJECT
  public:
    explicit TrayHostWatcher(QObject* parent = nullptr);

    // Looks again every kRetryMs, at most kRetries times; the watch on the
    // session bus stays on after that.
    void WaitForHost();
    void StopWaiting();
    bool waiting() const { return retry_.isActive(); }

    static constexpr int kRetryMs = 3000;
    static constexpr int kRetries = 40;

  signals:
    void hostMayHaveChanged();

  private:
    QDBusServiceWatcher* bus_ = nullptr;
    QTimer retry_;
    int retriesLeft_ = 0;
};
