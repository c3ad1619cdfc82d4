#include "platform/local_messaging.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QSocketNotifier>
#include <QTimer>
#include <QtEndian>
#include <map>
#include <mutex>

#include "platform/xdg_paths.h"

namespace {

constexpr int kHeaderSize = 16;
constexpr int kClientTimeoutMs = 5000;
// How often a closed server tries to listen again.
constexpr int kListenCheckMs = 500;

QByteArray EncodeRequest(const LocalMessage& m) {
    QByteArray out(kHeaderSize, '\0');
    qToLittleEndian<quint32>(m.msg, out.data());
    qToLittleEndian<quint32>(m.wParam, out.data() + 4);
    qToLittleEndian<qint32>(m.lParam, out.data() + 8);
    qToLittleEndian<quint32>(static_cast<quint32>(m.data.size()), out.data() + 12);
    return out + m.data;
}

// A folder of the temporary directory that only this user can enter: made
// with mode 0700, and refused when somebody else made it first.
QString PrivateTempFolder() {
    const QByteArray path =
        (QDir::tempPath() + "/plumora-" + QString::number(::getuid())).toLocal8Bit();
    ::mkdir(path.constData(), 0700);
    struct stat st {};
    if (::lstat(path.constData(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::getuid()) {
        return {};
    }
    if ((st.st_mode & 077) != 0 && ::chmod(path.constData(), 0700) != 0) {
        return {};
    }
    return QString::fromLocal8Bit(path);
}

}  // namespace

QString LocalSocketPath(const QString& name) {
    const QString runtime = xdg::RuntimeDir();
    if (!runtime.isEmpty()) {
        return runtime + "/" + name;
    }
    const QString folder = PrivateTempFolder();
    return folder.isEmpty() ? QString() : folder + "/" + name;
}

bool TakeLocalNameLock(const QString& name) {
    static std::mutex mutex;
    static std::map<QString, int> held;
    const QString socket = LocalSocketPath(name);
    if (socket.isEmpty()) {
        return false;
    }
    const QString path = socket + ".lock";
    std::lock_guard lock(mutex);
    if (held.count(path) != 0) {
        return true;
    }
    const int fd = ::open(path.toLocal8Bit().constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        return false;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    held[path] = fd;  // released when the process ends
    return true;
}

bool PeerIsThisUser(qintptr socketDescriptor) {
    struct ucred peer {};
    socklen_t size = sizeof peer;
    if (::getsockopt(static_cast<int>(socketDescriptor), SOL_SOCKET, SO_PEERCRED, &peer, &size) !=
        0) {
        return false;
    }
    return peer.uid == ::getuid();
}

namespace {

// Connects to the server of that name; false unless it runs as this user.
bool ConnectToOwnServer(QLocalSocket& socket, const QString& name, int timeoutMs) {
    const QString path = LocalSocketPath(name);
    if (path.isEmpty()) {
        return false;
    }
    socket.connectToServer(path);
    if (!socket.waitForConnected(timeoutMs)) {
        return false;
    }
    if (!PeerIsThisUser(socket.socketDescriptor())) {
        socket.abort();
        return false;
    }
    return true;
}

}  // namespace

std::optional<qint32> SendLocalMessage(const QString& name, const LocalMessage& message,
                                       int timeoutMs) {
    QLocalSocket socket;
    if (!ConnectToOwnServer(socket, name, timeoutMs)) {
        return std::nullopt;
    }
    socket.write(EncodeRequest(message));
    if (!socket.waitForBytesWritten(timeoutMs)) {
        return std::nullopt;
    }
    QByteArray reply;
    while (reply.size() < 4) {
        if (socket.bytesAvailable() == 0 && !socket.waitForReadyRead(timeoutMs)) {
            return std::nullopt;
        }
        reply += socket.read(4 - reply.size());
    }
    return qFromLittleEndian<qint32>(reply.constData());
}

bool LocalServerExists(const QString& name) {
    QLocalSocket socket;
    const bool connected = ConnectToOwnServer(socket, name, 1000);
    socket.abort();
    return connected;
}

LocalMessageServer::LocalMessageServer(QString name, Handler handler, QObject* parent)
    : QObject(parent),
      name_(std::move(name)),
      handler_(std::move(handler)),
      server_(new QLocalServer(this)),
      retry_(new QTimer(this)) {
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server_, &QLocalServer::newConnection, this, &LocalMessageServer::Accept);
    retry_->setInterval(kListenCheckMs);
    connect(retry_, &QTimer::timeout, this, &LocalMessageServer::ListenAgainIfClosed);
}

void LocalMessageServer::WatchListening() {
    // The server closes itself, without a word, only when accepting a
    // connection fails, which happens when its socket notifier fires; so it
    // is looked at after each of those instead of by waking up all the time.
    auto* notifier = server_->findChild<QSocketNotifier*>();
    if (notifier == nullptr) {
        pollAlways_ = true;
        retry_->start();
        return;
    }
    connect(
        notifier, &QSocketNotifier::activated, this,
        [this] {
            if (wanted_ && !server_->isListening()) {
                retry_->start();
            }
        },
        Qt::QueuedConnection);
}

LocalMessageServer::~LocalMessageServer() {
    server_->close();
}

bool LocalMessageServer::Listen() {
    // Listening would silently take the name over from a live server, so
    // ask first; a socket nobody answers on is left from a dead process.
    if (LocalServerExists(name_)) {
        return false;
    }
    const QString path = LocalSocketPath(name_);
    if (path.isEmpty()) {
        return false;
    }
    QLocalServer::removeServer(path);
    wanted_ = server_->listen(path);
    if (wanted_) {
        WatchListening();
    }
    return wanted_;
}

bool LocalMessageServer::IsListening() const {
    return server_->isListening();
}

void LocalMessageServer::ListenAgainIfClosed() {
    if (!wanted_ || server_->isListening()) {
        if (!pollAlways_) {
            retry_->stop();
        }
        return;
    }
    const QString path = LocalSocketPath(name_);
    if (path.isEmpty() || LocalServerExists(name_)) {
        return;
    }
    QLocalServer::removeServer(path);
    if (server_->listen(path)) {
        qWarning("Listening again on %s", qPrintable(path));
        if (!pollAlways_) {
            retry_->stop();
        }
        WatchListening();
    }
}

QString LocalMessageServer::ErrorString() const {
    return server_->errorString();
}

void LocalMessageServer::Accept() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        if (!PeerIsThisUser(socket->socketDescriptor())) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { Read(socket); });
        // A peer that never completes its request is dropped.
        QTimer::singleShot(kClientTimeoutMs, socket, [socket] { socket->abort(); });
        if (socket->bytesAvailable() > 0) {
            Read(socket);
        }
    }
}

void LocalMessageServer::Read(QLocalSocket* socket) {
    if (socket->property("answered").toBool()) {
        socket->readAll();
        return;
    }
    if (socket->bytesAvailable() < kHeaderSize) {
        return;
    }
    QByteArray header = socket->peek(kHeaderSize);
    const quint32 length = qFromLittleEndian<quint32>(header.constData() + 12);
    if (length > static_cast<quint32>(kMaxLocalMessageData)) {
        socket->abort();
        return;
    }
    if (socket->bytesAvailable() < kHeaderSize + static_cast<qint64>(length)) {
        return;
    }
    socket->read(kHeaderSize);
    LocalMessage message;
    message.msg = qFromLittleEndian<quint32>(header.constData());
    message.wParam = qFromLittleEndian<quint32>(header.constData() + 4);
    message.lParam = qFromLittleEndian<qint32>(header.constData() + 8);
    message.data = socket->read(length);

    const qint32 result = handler_ ? handler_(message) : 0;
    QByteArray reply(4, '\0');
    qToLittleEndian<qint32>(result, reply.data());
    socket->setProperty("answered", true);
    socket->write(reply);
    socket->flush();
    socket->disconnectFromServer();
}
