#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <QtEndian>
#include <future>

#include "platform/local_messaging.h"
#include "support/scoped_xdg_dirs.h"

namespace {

// Runs the event loop (which serves the server) until the call on another
// thread has finished.
template <typename T>
T ServeUntilDone(std::future<T>& result) {
    while (result.wait_for(std::chrono::milliseconds(5)) != std::future_status::ready) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return result.get();
}

std::optional<qint32> SendServed(const QString& name, const LocalMessage& message,
                                 int timeoutMs = 3000) {
    auto result =
        std::async(std::launch::async, [=] { return SendLocalMessage(name, message, timeoutMs); });
    return ServeUntilDone(result);
}

TEST(LocalMessaging, ServerAnswersWithItsHandlersResult) {
    ScopedXdgDirs dirs;
    LocalMessage received;
    LocalMessageServer server("Echo", [&](const LocalMessage& m) {
        received = m;
        return static_cast<qint32>(m.wParam) * 2 + m.lParam;
    });
    ASSERT_TRUE(server.Listen());

    LocalMessage message{1171, 4, -13, QByteArray("\x00payload", 8)};
    EXPECT_EQ(SendServed("Echo", message), 4 * 2 - 13);
    EXPECT_EQ(received.msg, 1171u);
    EXPECT_EQ(received.data, message.data);

    // The server keeps answering after a request.
    EXPECT_EQ(SendServed("Echo", LocalMessage{1, 1, 0, {}}), 2);
}

TEST(LocalMessaging, NoServerGivesNoAnswer) {
    ScopedXdgDirs dirs;
    EXPECT_FALSE(LocalServerExists("Nobody"));
    EXPECT_FALSE(SendLocalMessage("Nobody", LocalMessage{1, 0, 0, {}}, 200).has_value());
}

TEST(LocalMessaging, SocketIsPrivateToTheUser) {
    ScopedXdgDirs dirs;
    LocalMessageServer server("Private", [](const LocalMessage&) { return 0; });
    ASSERT_TRUE(server.Listen());
    const QString path = LocalSocketPath("Private");
    EXPECT_TRUE(path.startsWith(dirs.runtimeDir()));
    const QFile::Permissions others = QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup |
                                      QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;
    EXPECT_EQ(QFileInfo(path).permissions() & others, QFile::Permissions());
}

TEST(LocalMessaging, SecondServerOfTheSameNameFailsButAStaleSocketIsReplaced) {
    ScopedXdgDirs dirs;
    {
        LocalMessageServer first("Single", [](const LocalMessage&) { return 7; });
        ASSERT_TRUE(first.Listen());
        LocalMessageServer second("Single", [](const LocalMessage&) { return 8; });
        EXPECT_FALSE(second.Listen());
    }
    // A socket file left behind by a dead process.
    QFile stale(LocalSocketPath("Single"));
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    stale.close();
    LocalMessageServer third("Single", [](const LocalMessage&) { return 9; });
    EXPECT_TRUE(third.Listen());
    EXPECT_EQ(SendServed("Single", LocalMessage{}), 9);
}

TEST(LocalMessaging, OversizedOrTruncatedRequestsAreDroppedWithoutAnAnswer) {
    ScopedXdgDirs dirs;
    int calls = 0;
    LocalMessageServer server("Strict", [&](const LocalMessage&) { return ++calls; });
    ASSERT_TRUE(server.Listen());

    auto rawRequest = [](QByteArray bytes) {
        return std::async(std::launch::async, [bytes] {
            QLocalSocket socket;
            socket.connectToServer(LocalSocketPath("Strict"));
            if (!socket.waitForConnected(1000)) {
                return QByteArray("no connection");
            }
            socket.write(bytes);
            socket.waitForBytesWritten(1000);
            socket.waitForReadyRead(1000);
            return socket.readAll();
        });
    };

    QByteArray header(16, '\0');
    qToLittleEndian<quint32>(kMaxLocalMessageData + 1, header.data() + 12);
    auto oversized = rawRequest(header);
    EXPECT_EQ(ServeUntilDone(oversized), QByteArray());

    qToLittleEndian<quint32>(100, header.data() + 12);
    auto truncated = rawRequest(header + QByteArray(10, 'x'));
    EXPECT_EQ(ServeUntilDone(truncated), QByteArray());
    EXPECT_EQ(calls, 0);

    EXPECT_EQ(SendServed("Strict", LocalMessage{}), 1) << "the server still works";
}

}  // namespace
