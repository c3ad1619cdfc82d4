#pragma once

#include <sys/types.h>
#include <QByteArray>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <csignal>

// A session bus of the test's own (dbus-daemon --session --fork), set as
// DBUS_SESSION_BUS_ADDRESS for the programs the test starts, and ended with
// the object.
class PrivateSessionBus {
  public:
    PrivateSessionBus() {
        saved_ = qgetenv("DBUS_SESSION_BUS_ADDRESS");
        hadAddress_ = qEnvironmentVariableIsSet("DBUS_SESSION_BUS_ADDRESS");
        QProcess daemon;
        daemon.start("dbus-daemon", {"--session", "--fork", "--print-address=1", "--print-pid=1"});
        if (!daemon.waitForFinished(30000) || daemon.exitCode() != 0) {
            return;
        }
        const QStringList lines =
            QString::fromUtf8(daemon.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
        if (lines.size() < 2) {
            return;
        }
        address_ = lines[0].trimmed();
        pid_ = lines[1].trimmed().toInt();
        qputenv("DBUS_SESSION_BUS_ADDRESS", address_.toUtf8());
    }
    ~PrivateSessionBus() {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
        }
        if (hadAddress_) {
            qputenv("DBUS_SESSION_BUS_ADDRESS", saved_);
        } else {
            qunsetenv("DBUS_SESSION_BUS_ADDRESS");
        }
    }
    PrivateSessionBus(const PrivateSessionBus&) = delete;
    PrivateSessionBus& operator=(const PrivateSessionBus&) = delete;

    bool running() const { return pid_ > 0; }
    const QString& address() const { return address_; }

  private:
    QString address_;
    pid_t pid_ = 0;
    QByteArray saved_;
    bool hadAddress_ = false;
};

// Runs a bus client (playerctl, gdbus) to its end while this thread keeps
// answering the bus; returns its standard output, trimmed.
inline QString RunBusClient(const QString& program, const QStringList& arguments,
                            int* exitCode = nullptr) {
    QProcess client;
    client.start(program, arguments);
    QElapsedTimer clock;
    clock.start();
    while (client.state() != QProcess::NotRunning && clock.elapsed() < 60000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        client.waitForFinished(10);
    }
    if (exitCode != nullptr) {
        *exitCode =
            client.state() == QProcess::NotRunning && client.exitStatus() == QProcess::NormalExit
                ? client.exitCode()
                : -1;
    }
    return QString::fromUtf8(client.readAllStandardOutput()).trimmed();
}
