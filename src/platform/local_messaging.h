#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <optional>

class QSocketNotifier;

// Window messages between processes of the same user, over a Unix-domain
// socket.
//
// A request is a 16-byte little-endian header (message, wParam, lParam, data
// length) followed by the data; the answer is one little-endian 32-bit value.
// The socket lives in $XDG_RUNTIME_DIR, else in a folder of the temporary
// directory that belongs to the user alone ("plumora-<uid>", mode 0700);
// only its owner may connect, and each side checks that the other runs as
// the same user.
struct LocalMessage {
    quint32 msg = 0;
    quint32 wParam = 0;
    qint32 lParam = 0;
    QByteArray data;
};

// Largest data block a server accepts.
constexpr int kMaxLocalMessageData = 64 * 1024;

// Empty when no folder that belongs to the user alone can be had.
QString LocalSocketPath(const QString& name);

// Takes the lock file beside the socket of that name (flock, kept until the
// process ends): true for the one process that holds it, so that "is one
// running?" and "I am the one" are a single step. True again for the
// process that holds it already.
bool TakeLocalNameLock(const QString& name);

// True when the process at the other end of the connected local socket
// runs as this user.
bool PeerIsThisUser(qintptr socketDescriptor);

// Sends a message to the server of that name and waits for its answer.
// Nothing when no server listens or it does not answer within the time-out.
std::optional<qint32> SendLocalMessage(const QString& name, const LocalMessage& message,
                                       int timeoutMs = 5000);

// True when a server of that name accepts connections.
bool LocalServerExists(const QString& name);

class LocalMessageServer : public QObject {
    Q_OBJECT
  public:
    using Handler = std::function<qint32(const LocalMessage&)>;

    LocalMessageServer(QString name, Handler handler, QObject* parent = nullptr);
    ~LocalMessageServer() override;

    // Starts listening. Fails when another live server has the name; a
    // socket left behind by a dead process is removed first. Once
    // listening, the server listens again whenever it had to close
    // (accepting fails when the process runs out of file descriptors).
    bool Listen();
    // Listening right now.
    bool IsListening() const;
    QString ErrorString() const;

  private:
    bool ListenOn(const QString& path);
    void Close();
    void Accept();
    void ListenAgainIfClosed();

    QString name_;
    Handler handler_;
    int listenFd_ = -1;
    QByteArray path_;
    QSocketNotifier* notifier_ = nullptr;
    QString error_;
    // Runs only while the server is closed against our will.
    QTimer* retry_;
    bool wanted_ = false;
};
