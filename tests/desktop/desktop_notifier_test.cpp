#include <gtest/gtest.h>
#include <QDBusAbstractAdaptor>
#include <QDBusMessage>
#include <QVariantMap>

#include "desktop/desktop_notifier.h"
#include "support/private_session_bus.h"

// A notification server that keeps what it is sent.
class FakeNotificationServer : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
  public:
    struct Sent {
        QString appName, icon, summary, body;
        QStringList actions;
        QVariantMap hints;
    };
    explicit FakeNotificationServer(QObject* object) : QDBusAbstractAdaptor(object) {}
    std::vector<Sent> sent;

  public slots:
    uint Notify(const QString& appName, uint, const QString& icon, const QString& summary,
                const QString& body, const QStringList& actions, const QVariantMap& hints, int) {
        sent.push_back({appName, icon, summary, body, actions, hints});
        return static_cast<uint>(sent.size()) + 100;
    }
    QStringList GetCapabilities() { return {"actions", "body"}; }

  signals:
    void ActionInvoked(uint id, const QString& action);
    void NotificationClosed(uint id, uint reason);
    void ActivationToken(uint id, const QString& token);
};

namespace {

class DesktopNotifierTest : public PrivateBusTest {
  protected:
    void StartServer() {
        fake_ = Offer<FakeNotificationServer>(DesktopNotifier::kService, DesktopNotifier::kPath);
        ASSERT_NE(fake_, nullptr);
    }
    FakeNotificationServer* fake_ = nullptr;
};

TEST_F(DesktopNotifierTest, ScheduledRecordingsAreAnnouncedWithTheirEventAndFile) {
    StartServer();
    int shown = 0;
    QByteArray token;
    DesktopNotifier notifier(client_, [&](const QByteArray& given) {
        token = given;
        ++shown;
    });
    notifier.OnRecordingStarted(-1, "", "/rec/manual.wav");
    notifier.OnRecordingStarted(2, "News", "/rec/News_0730.mp3");
    notifier.OnRecordingEnded(2, "News", "/rec/News_0730.mp3");
    notifier.OnRecordingFailed(3, "Jazz & Blues", "no <sound> device");
    ASSERT_TRUE(WaitFor([&] { return fake_->sent.size() >= 3; }));
    QCoreApplication::processEvents();
    ASSERT_EQ(fake_->sent.size(), 3u) << "a recording by hand is not announced";
    EXPECT_EQ(fake_->sent[0].summary, "Recording \"News\" started");
    EXPECT_EQ(fake_->sent[0].body, "/rec/News_0730.mp3");
    EXPECT_EQ(fake_->sent[1].summary, "Recording \"News\" ended");
    EXPECT_EQ(fake_->sent[2].summary, "Recording \"Jazz & Blues\" failed");
    EXPECT_EQ(fake_->sent[2].body, "no &lt;sound&gt; device");
    for (const auto& sent : fake_->sent) {
        EXPECT_EQ(sent.appName, "Plumora");
        EXPECT_EQ(sent.icon, "com.quillmoor.Plumora");
        EXPECT_EQ(sent.actions, (QStringList{"show", "Show"}));
        EXPECT_EQ(sent.hints["desktop-entry"].toString(), "com.quillmoor.Plumora");
    }

    // The user clicks "Show" on our notification; the server sends the
    // activation token first. Another program's id or action does nothing.
    emit fake_->ActionInvoked(7, "show");
    emit fake_->ActionInvoked(101, "dismiss");
    emit fake_->ActivationToken(101, "token-of-the-click");
    emit fake_->ActionInvoked(101, "show");
    EXPECT_TRUE(WaitFor([&] { return shown == 1; }));
    QCoreApplication::processEvents(QEventLoop::AllEvents, 200);
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(token, "token-of-the-click");

    emit fake_->NotificationClosed(102, 2);
    QCoreApplication::processEvents(QEventLoop::AllEvents, 200);
    emit fake_->ActionInvoked(102, "show");
    QCoreApplication::processEvents(QEventLoop::AllEvents, 200);
    EXPECT_EQ(shown, 1) << "a closed notification has no action left";
}

TEST_F(DesktopNotifierTest, WithoutANotificationServiceNothingShowsAndNothingBreaks) {
    int shown = 0;
    DesktopNotifier notifier(client_, [&](const QByteArray&) { ++shown; });
    EXPECT_TRUE(notifier.enabled());
    notifier.OnRecordingStarted(1, "News", "/rec/News.wav");
    QCoreApplication::processEvents(QEventLoop::AllEvents, 300);
    EXPECT_EQ(shown, 0);

    DesktopNotifier offline(QDBusConnection(QString()), [&](const QByteArray&) { ++shown; });
    EXPECT_FALSE(offline.enabled());
    offline.OnRecordingFailed(1, "News", "no device");
}

}  // namespace

#include "desktop_notifier_test.moc"
