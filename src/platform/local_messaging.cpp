#include "platform/local_messaging.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

#include <QDir>
#include <QPointer>
#include <QSocketNotifier>
#include <QTimer>
#include <QtEndian>
#include <cerrno>
#include <cstring>
#include <map>
#include <mutex>

#include "platform/xdg_paths.h"

namespace {

constexpr int kHeaderSize = 16;
constexpr int kClientTimeoutMs = 5000;
// How often a server that had to close tries to listen again.
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

// A connected socket to the server of that name, blocking, with the time-out
// on each send and receive; -1 unless it runs as this user.
int ConnectToOwnServer(const QString& name, int timeoutMs) {
    const QByteArray path = LocalSocketPath(name).toLocal8Bit();
    sockaddr_un address{};
    if (path.isEmpty() || static_cast<size_t>(path.size()) >= sizeof address.sun_path) {
        return -1;
    }
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.constData(), static_cast<size_t>(path.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return -1;
    }
    timeval timeout{};
    timeout.tv_sec = timeoutMs / 1000;
    timeout.tv_usec = (timeoutMs % 1000) * 1000;
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    int result;
    do {
        result = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    } while (result != 0 && errno == EINTR);
    if (result != 0 || !PeerIsThisUser(fd)) {
        ::close(fd);
        return -1;
    }
    return fd;
}

bool SendAll(int fd, const QByteArray& bytes) {
    qsizetype sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::send(fd, bytes.constData() + sent,
                                 static_cast<size_t>(bytes.size() - sent), MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        sent += n;
    }
    return true;
}

}  // namespace

std::optional<qint32> SendLocalMessage(const QString& name, const LocalMessage& message,
                                       int timeoutMs) {
    const int fd = ConnectToOwnServer(name, timeoutMs);
    if (fd < 0) {
        return std::nullopt;
    }
    char reply[4];
    size_t received = 0;
    bool complete = SendAll(fd, EncodeRequest(message));
    while (complete && received < sizeof reply) {
        const ssize_t n = ::recv(fd, reply + received, sizeof reply - received, 0);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        complete = n > 0;
        received += complete ? static_cast<size_t>(n) : 0;
    }
    ::close(fd);
    if (!complete) {
        return std::nullopt;
    }
    return qFromLittleEndian<qint32>(reply);
}

bool LocalServerExists(const QString& name) {
    const int fd = ConnectToOwnServer(name, 1000);
    if (fd < 0) {
        return false;
    }
    ::close(fd);
    return true;
}

// One accepted connection: reads a request, answers once and closes. A peer
// that never completes its request is dropped.
class LocalMessageConnection : public QObject {
  public:
    LocalMessageConnection(int fd, const LocalMessageServer::Handler& handler, QObject* parent)
        : QObject(parent), fd_(fd), handler_(handler), notifier_(fd, QSocketNotifier::Read, this) {
        connect(&notifier_, &QSocketNotifier::activated, this, &LocalMessageConnection::Read);
        QTimer::singleShot(kClientTimeoutMs, this, &LocalMessageConnection::Close);
    }
    ~LocalMessageConnection() override {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }

  private:
    void Read() {
        char chunk[4096];
        for (;;) {
            const ssize_t n = ::recv(fd_, chunk, sizeof chunk, 0);
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
                break;
            }
            if (n <= 0) {
                Close();
                return;
            }
            buffer_.append(chunk, n);
            if (buffer_.size() > kHeaderSize + kMaxLocalMessageData) {
                break;
            }
        }
        if (buffer_.size() < kHeaderSize) {
            return;
        }
        const quint32 length = qFromLittleEndian<quint32>(buffer_.constData() + 12);
        if (length > static_cast<quint32>(kMaxLocalMessageData)) {
            Close();
            return;
        }
        if (buffer_.size() < kHeaderSize + static_cast<qsizetype>(length)) {
            return;
        }
        LocalMessage message;
        message.msg = qFromLittleEndian<quint32>(buffer_.constData());
        message.wParam = qFromLittleEndian<quint32>(buffer_.constData() + 4);
        message.lParam = qFromLittleEndian<qint32>(buffer_.constData() + 8);
        message.data = buffer_.mid(kHeaderSize, length);
        notifier_.setEnabled(false);
        const QPointer<LocalMessageConnection> alive(this);
        const qint32 result = handler_ ? handler_(message) : 0;
        if (!alive) {
            return;  // the handler ended the server
        }
        QByteArray reply(4, '\0');
        qToLittleEndian<qint32>(result, reply.data());
        SendAll(fd_, reply);
        Close();
    }

    void Close() {
        if (fd_ < 0) {
            return;
        }
        notifier_.setEnabled(false);
        ::close(fd_);
        fd_ = -1;
        deleteLater();
    }

    int fd_;
    LocalMessageServer::Handler handler_;
    QSocketNotifier notifier_;
    QByteArray buffer_;
};

LocalMessageServer::LocalMessageServer(QString name, Handler handler, QObject* parent)
    : QObject(parent),
      name_(std::move(name)),
      handler_(std::move(handler)),
      retry_(new QTimer(this)) {
    retry_->setInterval(kListenCheckMs);
    connect(retry_, &QTimer::timeout, this, &LocalMessageServer::ListenAgainIfClosed);
}

LocalMessageServer::~LocalMessageServer() {
    Close();
}

bool LocalMessageServer::ListenOn(const QString& path) {
    const QByteArray file = path.toLocal8Bit();
    sockaddr_un address{};
    if (static_cast<size_t>(file.size()) >= sizeof address.sun_path) {
        error_ = QStringLiteral("%1: the name is too long").arg(path);
        return false;
    }
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, file.constData(), static_cast<size_t>(file.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) {
        error_ = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    // Nobody can connect before listen(): the socket is made private first.
    ::unlink(file.constData());
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::chmod(file.constData(), S_IRUSR | S_IWUSR) != 0 || ::listen(fd, 50) != 0) {
        error_ = QStringLiteral("%1: %2").arg(path, QString::fromLocal8Bit(std::strerror(errno)));
        ::close(fd);
        return false;
    }
    listenFd_ = fd;
    path_ = file;
    notifier_ = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &LocalMessageServer::Accept);
    return true;
}

void LocalMessageServer::Close() {
    if (listenFd_ < 0) {
        return;
    }
    // Possibly from the notifier's own signal: it goes once that returned.
    notifier_->setEnabled(false);
    notifier_->deleteLater();
    notifier_ = nullptr;
    ::close(listenFd_);
    listenFd_ = -1;
    ::unlink(path_.constData());
}

bool LocalMessageServer::Listen() {
    // Listening would silently take the name over from a live server, so
    // ask first; a socket nobody answers on is left from a dead process.
    if (LocalServerExists(name_)) {
        error_ = QStringLiteral("another server has the name");
        return false;
    }
    const QString path = LocalSocketPath(name_);
    if (path.isEmpty()) {
        error_ = QStringLiteral("no private folder for the socket");
        return false;
    }
    wanted_ = ListenOn(path);
    return wanted_;
}

bool LocalMessageServer::IsListening() const {
    return listenFd_ >= 0;
}

void LocalMessageServer::ListenAgainIfClosed() {
    if (!wanted_ || IsListening()) {
        retry_->stop();
        return;
    }
    const QString path = LocalSocketPath(name_);
    if (path.isEmpty() || LocalServerExists(name_)) {
        return;
    }
    if (ListenOn(path)) {
        qWarning("Listening again on %s", qPrintable(path));
        retry_->stop();
    }
}

QString LocalMessageServer::ErrorString() const {
    return error_;
}

void LocalMessageServer::Accept() {
    while (listenFd_ >= 0) {
        const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd >= 0) {
            if (PeerIsThisUser(fd)) {
                new LocalMessageConnection(fd, handler_, this);
            } else {
                ::close(fd);
            }
            continue;
        }
        if (errno == EINTR || errno == ECONNABORTED) {
            continue;
        }
        if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) {
            // No descriptor for the waiting connection: the socket would
            // stay readable, so it is closed and made again once there are.
            qWarning("Cannot accept on %s: %s", path_.constData(), std::strerror(errno));
            Close();
            retry_->start();
        }
        return;
    }
}
