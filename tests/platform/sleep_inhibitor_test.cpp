#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <QDBusAbstractAdaptor>
#include <QDBusUnixFileDescriptor>

#include "platform/login_manager_watch.h"
#include "platform/sleep_inhibitor.h"
#include "support/private_session_bus.h"

// A login manager that hands out one end of a pipe as its lock and keeps
// the other to see when the lock is let go.
class FakeLoginManager : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.Manager")
  public:
    explicit FakeLoginManager(QObject* object) : QDBusAbstractAdaptor(object) {}
    ~FakeLoginManager() override {
        if (readEnd >= 0) {
            close(readEnd);
        }
    }
    QStringList calls;
    int readEnd = -1;

  public slots:
    QDBusUnixFileDescriptor Inhibit(const QString& what, const QString& who, const QString& why,
                                    const QString& mode) {
        calls << QStringList{what, who, why, mode}.join('|');
        int ends[2];
        if (pipe(ends) != 0) {
            return {};
        }
        readEnd = ends[0];
        QDBusUnixFileDescriptor lock(ends[1]);  // a copy; ours is closed here
        close(ends[1]);
        return lock;
    }

  signals:
    void PrepareForSleep(bool start);
};

namespace {

// True once every copy of the lock's descriptor is closed.
bool LockReleased(int readEnd) {
    pollfd p{readEnd, POLLIN, 0};
    return poll(&p, 1, 0) == 1 && (p.revents & POLLHUP) != 0;
}

using SleepInhibitorTest = PrivateBusTest;

TEST_F(SleepInhibitorTest, HoldsTheLockWhileWantedAndHearsSleepAndResume) {
    auto* manager = Offer<FakeLoginManager>(SleepInhibitor::kService, SleepInhibitor::kPath);
    ASSERT_NE(manager, nullptr);
    SleepInhibitor inhibitor(client_);
    int refusals = 0;
    QObject::connect(&inhibitor, &SleepInhibitor::refused, [&] { ++refusals; });
    inhibitor.SetWanted(true);
    ASSERT_TRUE(WaitFor([&] { return inhibitor.held(); }));
    EXPECT_EQ(manager->calls, QStringList{"sleep|Plumora|Plumora is recording|block"});
    EXPECT_FALSE(LockReleased(manager->readEnd));
    inhibitor.SetWanted(true);  // asks once
    inhibitor.SetWanted(false);
    EXPECT_FALSE(inhibitor.held());
    EXPECT_TRUE(WaitFor([&] { return LockReleased(manager->readEnd); }));
    EXPECT_EQ(manager->calls.size(), 1);

    LoginManagerWatch watch(client_);
    ASSERT_TRUE(watch.watching());
    int sleeps = 0;
    int resumes = 0;
    QObject::connect(&watch, &LoginManagerWatch::aboutToSleep, [&] { ++sleeps; });
    QObject::connect(&watch, &LoginManagerWatch::resumed, [&] { ++resumes; });
    emit manager->PrepareForSleep(true);
    emit manager->PrepareForSleep(false);
    EXPECT_TRUE(WaitFor([&] { return sleeps == 1 && resumes == 1; }));

    // Without a login manager the lock is refused, and that is told.
    server_.unregisterService(SleepInhibitor::kService);
    inhibitor.SetWanted(true);
    EXPECT_TRUE(WaitFor([&] { return refusals == 1; }));
    EXPECT_FALSE(inhibitor.held());

    // Without a bus nothing happens.
    SleepInhibitor offline(QDBusConnection(QStringLiteral("no-such-bus")));
    offline.SetWanted(true);
    EXPECT_FALSE(offline.held());
    EXPECT_FALSE(LoginManagerWatch(QDBusConnection(QStringLiteral("no-such-bus"))).watching());
}

}  // namespace

#include "sleep_inhibitor_test.moc"
