#include "platform/local_messaging.h"

#include <unistd.h>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>
#include <QtEndian>

#include "platform/xdg_paths.h"

namespace {

constexpr int kHeaderSize = 16;
constexpr int kClientTimeoutMs = 5000;

QByteArray EncodeRequest(const LocalMessage& m) {
    QByteArray out(kHeaderSize, '\0');
    qToLittleEndian<quint32>(m.msg, out.data());
    qToLittleEndian<quint32>(m.wParam, out.data() + 4);
    qToLittleEndian<qint32>(m.lParam, out.data() + 8);
    qToLittleEndian<quint32>(static_cast<quint32>(m.data.size()), out.data() + 12);
    return out + m.data;
}

}  // namespace

QString LocalSocketPath(const QString& name) {
    const QString runtime = xdg::RuntimeDir();
    if (!runtime.isEmpty()) {
        return runtime + "/" + name;
    }
    return QDir::tempPath() + "/" + name + "-" + QString::number(::getuid());
}

std::optional<qint32> SendLocalMessage(const QString& name, const LocalMessage& message,
                                       int timeoutMs) {
    QLocalSocket socket;
    socket.connectToServer(LocalSocketPath(name));
    if (!socket.waitForConnected(timeoutMs)) {
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
    socket.connectToServer(LocalSocketPath(name));
    const bool connected = socket.waitForConnected(1000);
    socket.abort();
    return connected;
}

LocalMessageServer::LocalMessageServer(QString name, Handler handler, QObject* parent)
    : QObject(parent),
      name_(std::move(name)),
      handler_(std::move(handler)),
      server_(new QLocalServer(this)) {
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server_, &QLocalServer::newConnection, this, &LocalMessageServer::Accept);
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
    QLocalServer::removeServer(path);
    return server_->listen(path);
}

QString LocalMessageServer::ErrorString() const {
    return server_->errorString();
}

void LocalMessageServer::Accept() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
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
