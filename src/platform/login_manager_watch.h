#pragma once

#include <QDBusConnection>
#include <QObject>

// Hears the login manager announce sleep and resume (PrepareForSleep of
// org.freedesktop.login1.Manager on the system bus). Without a system bus
// it hears nothing.
class LoginManagerWatch : public QObject {
    Q_OBJECT
  public:
    explicit LoginManagerWatch(const QDBusConnection& bus, QObject* parent = nullptr);

    bool watching() const { return watching_; }

  signals:
    void aboutToSleep();
    void resumed();

  private slots:
    void OnPrepareForSleep(bool sleeping);

  private:
    bool watching_ = false;
};
