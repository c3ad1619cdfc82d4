#pragma once

#include <xcb/xcb.h>

#include <QByteArray>
#include <QByteArrayList>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <cstdlib>
#include <cstring>
#include <vector>

// An X server of the test's own (Xvfb on a display it picks), ended with
// the object; not running when Xvfb is not installed.
class VirtualXServer {
  public:
    VirtualXServer() {
        if (QStandardPaths::findExecutable("Xvfb").isEmpty()) {
            return;
        }
        server_.start("Xvfb",
                      {"-displayfd", "1", "-screen", "0", "640x480x24", "-nolisten", "tcp"});
        while (server_.waitForReadyRead(20000) && !server_.canReadLine()) {
        }
        const QByteArray number = server_.readLine().trimmed();
        if (!number.isEmpty()) {
            display_ = ":" + number;
        }
    }
    ~VirtualXServer() {
        server_.terminate();
        server_.waitForFinished(10000);
    }
    VirtualXServer(const VirtualXServer&) = delete;
    VirtualXServer& operator=(const VirtualXServer&) = delete;

    bool running() const { return !display_.isEmpty(); }
    // ":<n>", for DISPLAY or xcb_connect.
    const QByteArray& display() const { return display_; }

  private:
    QProcess server_;
    QByteArray display_;
};

// A client of an X server that sees what is sent to the root window, as the
// window manager and the launcher's feedback do: activation requests, and
// startup-notification messages put together from their pieces from one
// window.
class RootWindowWatch {
  public:
    explicit RootWindowWatch(const QByteArray& display)
        : connection_(xcb_connect(display.constData(), nullptr)) {
        if (xcb_connection_has_error(connection_)) {
            return;
        }
        root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
        const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_generic_error_t* error = xcb_request_check(
            connection_,
            xcb_change_window_attributes_checked(connection_, root_, XCB_CW_EVENT_MASK, &mask));
        watching_ = error == nullptr;
        std::free(error);
    }
    ~RootWindowWatch() { xcb_disconnect(connection_); }
    RootWindowWatch(const RootWindowWatch&) = delete;
    RootWindowWatch& operator=(const RootWindowWatch&) = delete;

    bool watching() const { return watching_; }
    xcb_window_t root() const { return root_; }
    const std::vector<xcb_client_message_event_t>& activations() const { return activations_; }
    const QByteArrayList& startupMessages() const { return startupMessages_; }

    // Waits (the event loop running, at most 20 s) until so many of each
    // have come.
    bool Seen(size_t activations, qsizetype startupMessages) {
        return QTest::qWaitFor(
            [&] {
                Read();
                return activations_.size() >= activations &&
                       startupMessages_.size() >= startupMessages;
            },
            20000);
    }

    xcb_atom_t Atom(const char* name) const {
        xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
            connection_,
            xcb_intern_atom(connection_, 0, static_cast<uint16_t>(std::strlen(name)), name),
            nullptr);
        const xcb_atom_t atom = reply ? reply->atom : 0;
        std::free(reply);
        return atom;
    }

    QByteArray Property(xcb_window_t window, const char* name) const {
        xcb_get_property_reply_t* reply = xcb_get_property_reply(
            connection_,
            xcb_get_property(connection_, 0, window, Atom(name), XCB_GET_PROPERTY_TYPE_ANY, 0, 256),
            nullptr);
        QByteArray value;
        if (reply) {
            value = QByteArray(static_cast<const char*>(xcb_get_property_value(reply)),
                               xcb_get_property_value_length(reply));
        }
        std::free(reply);
        return value;
    }

  private:
    void Read() {
        while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
            const auto* m = reinterpret_cast<xcb_client_message_event_t*>(event);
            if ((event->response_type & 0x7f) != XCB_CLIENT_MESSAGE) {
            } else if (m->type == activeWindow_) {
                activations_.push_back(*m);
            } else if (m->type == begin_ || (m->type == more_ && m->window == from_)) {
                if (m->type == begin_) {
                    message_.clear();
                    from_ = m->window;
                }
                const char* piece = reinterpret_cast<const char*>(m->data.data8);
                const auto length = static_cast<qsizetype>(strnlen(piece, 20));
                message_.append(piece, length);
                if (length < 20) {
                    startupMessages_ << message_;
                    from_ = XCB_WINDOW_NONE;
                }
            }
            std::free(event);
        }
    }

    xcb_connection_t* connection_;
    xcb_window_t root_ = XCB_WINDOW_NONE;
    bool watching_ = false;
    const xcb_atom_t activeWindow_ = Atom("_NET_ACTIVE_WINDOW");
    const xcb_atom_t begin_ = Atom("_NET_STARTUP_INFO_BEGIN");
    const xcb_atom_t more_ = Atom("_NET_STARTUP_INFO");
    std::vector<xcb_client_message_event_t> activations_;
    QByteArrayList startupMessages_;
    QByteArray message_;
    xcb_window_t from_ = XCB_WINDOW_NONE;
};
