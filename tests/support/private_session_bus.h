#pragma once

#include <gtest/gtest.h>
#include <sys/types.h>
#include <QByteArray>
#include <QCoreApplication>
#include <QDBusConnection>
#include <QElapsedTimer>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTest>
#include <csignal>
#include <memory>
#include <vector>

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

// Lets the event loop run until the condition holds (at most 20 s); the
// condition's last answer.
template <typename Condition>
bool WaitFor(Condition condition) {
    return QTest::qWaitFor(condition, 20000);
}

// A private bus with two connections of the test's own: server_ for the
// services (the fakes a test offers, or the bus objects under test) and
// client_ for the side that calls them.
class PrivateBusTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(session_.running()) << "dbus-daemon did not start";
        server_ = QDBusConnection::connectToBus(session_.address(), "test-server");
        client_ = QDBusConnection::connectToBus(session_.address(), "test-client");
        ASSERT_TRUE(server_.isConnected() && client_.isConnected());
    }
    void TearDown() override {
        objects_.clear();
        server_ = client_ = QDBusConnection(QString());
        QDBusConnection::disconnectFromBus("test-server");
        QDBusConnection::disconnectFromBus("test-client");
    }

    // Offers a fake: an object with the adaptor at path, under the service
    // name, on server_; null when the bus refuses.
    template <typename Adaptor>
    Adaptor* Offer(const QString& service, const QString& path) {
        objects_.push_back(std::make_unique<QObject>());
        auto* adaptor = new Adaptor(objects_.back().get());
        const bool offered =
            server_.registerObject(path, objects_.back().get(), QDBusConnection::ExportAdaptors) &&
            server_.registerService(service);
        return offered ? adaptor : nullptr;
    }

    PrivateSessionBus session_;
    QDBusConnection server_{QString()};
    QDBusConnection client_{QString()};

  private:
    std::vector<std::unique_ptr<QObject>> objects_;
};
