#include "desktop/x11_activation.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

template <typename Reply>
using ReplyPtr = std::unique_ptr<Reply, decltype(&std::free)>;

template <typename Reply>
ReplyPtr<Reply> Owned(Reply* reply) {
    return ReplyPtr<Reply>(reply, &std::free);
}

xcb_atom_t Atom(xcb_connection_t* connection, const char* name) {
    auto reply = Owned(xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, static_cast<uint16_t>(std::strlen(name)), name),
        nullptr));
    return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
}

xcb_window_t RootOf(xcb_connection_t* connection, xcb_window_t window) {
    auto reply =
        Owned(xcb_get_geometry_reply(connection, xcb_get_geometry(connection, window), nullptr));
    return reply ? reply->root : static_cast<xcb_window_t>(XCB_WINDOW_NONE);
}

// The window that carries the user time: the one _NET_WM_USER_TIME_WINDOW
// names, else the window itself.
xcb_window_t UserTimeWindow(xcb_connection_t* connection, xcb_window_t window) {
    const xcb_atom_t property = Atom(connection, "_NET_WM_USER_TIME_WINDOW");
    auto reply = Owned(xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, window, property, XCB_ATOM_WINDOW, 0, 1),
        nullptr));
    if (reply && reply->format == 32 && xcb_get_property_value_length(reply.get()) == 4) {
        xcb_window_t named;
        std::memcpy(&named, xcb_get_property_value(reply.get()), sizeof named);
        if (named != XCB_WINDOW_NONE) {
            return named;
        }
    }
    return window;
}

}  // namespace

uint32_t StartupTokenTime(const QByteArray& token) {
    const qsizetype at = token.lastIndexOf("_TIME");
    if (at < 0) {
        return 0;
    }
    const QByteArray digits = token.mid(at + 5);
    bool ok = false;
    const uint time = digits.toUInt(&ok);  // digits only: no sign, space or overflow
    if (!ok || digits.isEmpty() || digits.front() < '0' || digits.front() > '9') {
        return 0;
    }
    return time;
}

QByteArray StartupRemoveMessage(const QByteArray& token) {
    if (!token.contains(' ') && !token.contains('"') && !token.contains('\\')) {
        return "remove: ID=" + token;
    }
    QByteArray quoted = token;
    quoted.replace('\\', "\\\\").replace('"', "\\\"");
    return "remove: ID=\"" + quoted + '"';
}

void MarkX11Window(xcb_connection_t* connection, xcb_window_t window, const QByteArray& token) {
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window,
                        Atom(connection, "_NET_STARTUP_ID"), Atom(connection, "UTF8_STRING"), 8,
                        static_cast<uint32_t>(token.size()), token.constData());
    const uint32_t time = StartupTokenTime(token);
    if (time != 0) {
        xcb_change_property(connection, XCB_PROP_MODE_REPLACE, UserTimeWindow(connection, window),
                            Atom(connection, "_NET_WM_USER_TIME"), XCB_ATOM_CARDINAL, 32, 1, &time);
    }
}

void RequestX11Activation(xcb_connection_t* connection, xcb_window_t window, uint32_t time) {
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = Atom(connection, "_NET_ACTIVE_WINDOW");
    event.data.data32[0] = 1;  // from an application
    event.data.data32[1] = time;
    event.data.data32[2] = XCB_WINDOW_NONE;  // our active window: none of ours
    xcb_send_event(connection, 0, RootOf(connection, window),
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&event));
}

void EndStartupFeedback(xcb_connection_t* connection, xcb_window_t window,
                        const QByteArray& token) {
    const xcb_window_t root = RootOf(connection, window);
    const QByteArray message = StartupRemoveMessage(token) + '\0';
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 8;
    event.window = window;  // pieces of one message come from one window
    event.type = Atom(connection, "_NET_STARTUP_INFO_BEGIN");
    const xcb_atom_t more = Atom(connection, "_NET_STARTUP_INFO");
    constexpr qsizetype kPiece = sizeof event.data.data8;
    for (qsizetype sent = 0; sent < message.size(); sent += kPiece) {
        std::memset(event.data.data8, 0, kPiece);
        std::memcpy(event.data.data8, message.constData() + sent,
                    static_cast<size_t>(std::min(kPiece, message.size() - sent)));
        xcb_send_event(connection, 0, root, XCB_EVENT_MASK_PROPERTY_CHANGE,
                       reinterpret_cast<const char*>(&event));
        event.type = more;
    }
}
