#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <QThread>
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

namespace {

// Accepting a connection needs a file descriptor; with none left the
// system's server closes itself, and ours listens again once there are.
TEST(LocalMessaging, ServerListensAgainAfterRunningOutOfFileDescriptors) {
    ScopedXdgDirs dirs;
    LocalMessageServer server("Crowded", [](const LocalMessage&) { return 5; });
    ASSERT_TRUE(server.Listen());
    rlimit saved{};
    getrlimit(RLIMIT_NOFILE, &saved);
    {
        QLocalSocket early;
        early.connectToServer(LocalSocketPath("Crowded"));
        ASSERT_TRUE(early.waitForConnected(1000));
        rlimit low = saved;
        low.rlim_cur = 64;
        ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &low), 0);
        std::vector<int> filler;
        for (int fd = ::dup(0); fd >= 0; fd = ::dup(0)) {
            filler.push_back(fd);
        }
        // The connection is there to accept, but no descriptor for it.
        for (int i = 0; i < 20; ++i) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            QThread::msleep(10);
        }
        EXPECT_FALSE(server.IsListening()) << "accepting failed and closed the socket";
        for (int fd : filler) {
            ::close(fd);
        }
        setrlimit(RLIMIT_NOFILE, &saved);
    }
    QElapsedTimer clock;
    clock.start();
    while (!server.IsListening() && clock.elapsed() < 10000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    EXPECT_TRUE(server.IsListening());
    EXPECT_EQ(SendServed("Crowded", LocalMessage{}), 5);
}

// Without a runtime folder the socket goes into a folder of the user's own;
// one that somebody else made first is not used.
TEST(LocalMessaging, WithoutRuntimeFolderOnlyAFolderOfTheUsersOwnIsUsed) {
    ScopedXdgDirs dirs;
    const QByteArray savedRuntime = qgetenv("XDG_RUNTIME_DIR");
    const QByteArray savedTmp = qgetenv("TMPDIR");
    qunsetenv("XDG_RUNTIME_DIR");
    qputenv("TMPDIR", dirs.root().toLocal8Bit());
    const QString folder = dirs.root() + "/plumora-" + QString::number(::getuid());
    {
        LocalMessageServer server("Own", [](const LocalMessage&) { return 3; });
        ASSERT_TRUE(server.Listen());
        EXPECT_EQ(LocalSocketPath("Own"), folder + "/Own");
        struct stat st {};
        ASSERT_EQ(::stat(folder.toLocal8Bit().constData(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0700u);
        EXPECT_EQ(SendServed("Own", LocalMessage{}), 3);
    }
    if (::getuid() == 0) {
        // Made by another user (root can make it so).
        ASSERT_EQ(::chown(folder.toLocal8Bit().constData(), 65534, 65534), 0);
        EXPECT_TRUE(LocalSocketPath("Own").isEmpty());
        LocalMessageServer server("Own", [](const LocalMessage&) { return 3; });
        EXPECT_FALSE(server.Listen());
        EXPECT_FALSE(LocalServerExists("Own"));
        EXPECT_FALSE(TakeLocalNameLock("Own"));
    }
    qputenv("XDG_RUNTIME_DIR", savedRuntime);
    if (savedTmp.isNull()) {
        qunsetenv("TMPDIR");
    } else {
        qputenv("TMPDIR", savedTmp);
    }
}

// The lock is had by one holder at a time: another process cannot take it.
TEST(LocalMessaging, NameLockIsHeldByOneProcess) {
    ScopedXdgDirs dirs;
    ASSERT_TRUE(TakeLocalNameLock("Locked"));
    EXPECT_TRUE(TakeLocalNameLock("Locked")) << "its holder has it still";
    const QString lockFile = LocalSocketPath("Locked") + ".lock";
    const int fd = ::open(lockFile.toLocal8Bit().constData(), O_RDWR);
    ASSERT_GE(fd, 0);
    EXPECT_NE(::flock(fd, LOCK_EX | LOCK_NB), 0) << "nobody else takes it";
    ::close(fd);
}

}  // namespace
