#pragma once

#include <QDBusConnection>
#include <QDBusUnixFileDescriptor>
#include <QObject>

class QDBusPendingCallWatcher;

// The login manager's lock against sleep ("sleep" in "block" mode, as
// org.freedesktop.login1.Manager.Inhibit hands it out): held as the file
// descriptor the login manager returns, let go by closing it. The request
// is asynchronous; without a system bus nothing happens and the program
// runs as before; a login manager's refusal is told once.
class SleepInhibitor : public QObject {
    Q_OBJECT
  public:
    static constexpr const char* kService = "org.freedesktop.login1";
    static constexpr const char* kPath = "/org/freedesktop/login1";
    static constexpr const char* kInterface = "org.freedesktop.login1.Manager";
    static constexpr const char* kWhy = "Plumora is recording";

    explicit SleepInhibitor(const QDBusConnection& bus, QObject* parent = nullptr);

    // Asks for the lock when it is wanted and not held, lets it go when it
    // is no longer wanted.
    void SetWanted(bool wanted);
    bool wanted() const { return wanted_; }
    bool held() const { return lock_.isValid(); }

  signals:
    void heldChanged(bool held);
    void refused(const QString& reason);

  private:
    void Ask();
    void OnReply(QDBusPendingCallWatcher* watcher);

    QDBusConnection bus_;
    bool wanted_ = false;
    bool asking_ = false;
    bool refusalTold_ = false;
    QDBusUnixFileDescriptor lock_;
};
