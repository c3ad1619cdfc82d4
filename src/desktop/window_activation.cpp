#include "desktop/window_activation.h"

#include <QEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QWindow>
#include <utility>

#include "desktop/x11_activation.h"

namespace {

bool OnX11() {
    return QGuiApplication::platformName() == QLatin1String("xcb");
}

QByteArray& WaitingX11Token() {
    static QByteArray token;
    return token;
}

// Sends the activation request and the end of the launch feedback once a
// hidden window that is being shown is on the screen, then goes.
class X11ActivationOnExpose : public QObject {
  public:
    X11ActivationOnExpose(QWindow* window, xcb_connection_t* connection, QByteArray token)
        : QObject(window), window_(window), connection_(connection), token_(std::move(token)) {
        window->installEventFilter(this);
    }
    static void Send(xcb_connection_t* connection, QWindow* window, const QByteArray& token) {
        const auto id = static_cast<xcb_window_t>(window->winId());
        RequestX11Activation(connection, id, StartupTokenTime(token));
        EndStartupFeedback(connection, id, token);
        xcb_flush(connection);
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == window_ && event->type() == QEvent::Expose && window_->isExposed()) {
            window_->removeEventFilter(this);
            Send(connection_, window_, token_);
            deleteLater();
        }
        return false;
    }

  private:
    QWindow* window_;
    xcb_connection_t* connection_;
    QByteArray token_;
};

QPointer<X11ActivationOnExpose>& WaitingForExpose() {
    static QPointer<X11ActivationOnExpose> waiting;
    return waiting;
}

}  // namespace

QByteArray OwnActivationToken() {
    QByteArray token = qgetenv("XDG_ACTIVATION_TOKEN");
    if (token.isEmpty()) {
        token = qgetenv("DESKTOP_STARTUP_ID");
    }
    return token;
}

void UseActivationToken(const QByteArray& token) {
    if (token.isEmpty()) {
        return;
    }
    // The Wayland plugin hands the variable to the compositor with the next
    // activation request of a window and removes it.
    if (QGuiApplication::platformName().startsWith("wayland")) {
        qputenv("XDG_ACTIVATION_TOKEN", token);
    } else if (OnX11()) {
        WaitingX11Token() = token;
    }
}

void ApplyActivationToken(QWindow* window) {
    const QByteArray token = std::exchange(WaitingX11Token(), {});
    if (token.isEmpty() || window == nullptr || !OnX11()) {
        return;
    }
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (x11 == nullptr || x11->connection() == nullptr) {
        return;
    }
    xcb_connection_t* connection = x11->connection();
    delete WaitingForExpose().data();  // an older request gives way
    MarkX11Window(connection, static_cast<xcb_window_t>(window->winId()), token);
    // A window on another desktop or minimized is not exposed, but the
    // window manager brings it; a hidden one is mapped by the coming show.
    if (window->isVisible()) {
        X11ActivationOnExpose::Send(connection, window, token);
    } else {
        xcb_flush(connection);
        WaitingForExpose() = new X11ActivationOnExpose(window, connection, token);
    }
}
