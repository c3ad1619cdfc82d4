#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <QElapsedTimer>
#include <QThread>
#include <cstdlib>
#include <cstring>

#include "desktop/x11_activation.h"
#include "support/virtual_x_server.h"

namespace {

TEST(StartupToken, TimeAndRemoveMessage) {
    struct Case {
        const char* token;
        uint32_t time;
        const char* remove;
    };
    for (const Case& c : {
             Case{"launcher;1234;host_TIME5678", 5678, "remove: ID=launcher;1234;host_TIME5678"},
             Case{"a_TIME1_TIME42", 42, "remove: ID=a_TIME1_TIME42"},
             Case{"no-time", 0, "remove: ID=no-time"},
             Case{"x_TIME", 0, "remove: ID=x_TIME"},
             Case{"x_TIME-5", 0, "remove: ID=x_TIME-5"},
             Case{"x_TIME12ab", 0, "remove: ID=x_TIME12ab"},
             Case{"x_TIME4294967296", 0, "remove: ID=x_TIME4294967296"},
             Case{"x_TIME 5", 0, "remove: ID=\"x_TIME 5\""},
             Case{"say \"hi\"\\_TIME7", 7, "remove: ID=\"say \\\"hi\\\"\\\\_TIME7\""},
         }) {
        EXPECT_EQ(StartupTokenTime(c.token), c.time) << c.token;
        EXPECT_EQ(StartupRemoveMessage(c.token), c.remove) << c.token;
    }
}

xcb_atom_t Atom(xcb_connection_t* c, const char* name) {
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr);
    const xcb_atom_t atom = reply ? reply->atom : 0;
    std::free(reply);
    return atom;
}

QByteArray Property(xcb_connection_t* c, xcb_window_t window, const char* name) {
    xcb_get_property_reply_t* reply = xcb_get_property_reply(
        c, xcb_get_property(c, 0, window, Atom(c, name), XCB_GET_PROPERTY_TYPE_ANY, 0, 256),
        nullptr);
    QByteArray value;
    if (reply) {
        value = QByteArray(static_cast<const char*>(xcb_get_property_value(reply)),
                           xcb_get_property_value_length(reply));
    }
    std::free(reply);
    return value;
}

QByteArray Cardinal(uint32_t value) {
    return QByteArray(reinterpret_cast<const char*>(&value), sizeof value);
}

// A window activated on behalf of a launch: the desktop (another client
// watching the root window) sees the window marked, the activation request
// at the launch's time, and the whole "remove" message in its pieces. The
// user time goes where _NET_WM_USER_TIME_WINDOW says, if it says.
TEST(X11Activation, WindowIsMarkedActivatedAndTheLaunchEnds) {
    VirtualXServer x;
    if (!x.running()) {
        GTEST_SKIP() << "no Xvfb";
    }
    xcb_connection_t* program = xcb_connect(x.display().constData(), nullptr);
    xcb_connection_t* desktop = xcb_connect(x.display().constData(), nullptr);
    ASSERT_FALSE(xcb_connection_has_error(program) || xcb_connection_has_error(desktop));
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(desktop)).data->root;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_PROPERTY_CHANGE;
    ASSERT_EQ(xcb_request_check(desktop, xcb_change_window_attributes_checked(
                                             desktop, root, XCB_CW_EVENT_MASK, &mask)),
              nullptr);
    auto window = [&] {
        const xcb_window_t id = xcb_generate_id(program);
        xcb_create_window(program, XCB_COPY_FROM_PARENT, id, root, 0, 0, 100, 100, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
        return id;
    };
    const xcb_window_t plain = window();
    const xcb_window_t withTimeWindow = window();
    const xcb_window_t timeWindow = window();
    xcb_change_property(program, XCB_PROP_MODE_REPLACE, withTimeWindow,
                        Atom(program, "_NET_WM_USER_TIME_WINDOW"), XCB_ATOM_WINDOW, 32, 1,
                        &timeWindow);

    const xcb_atom_t activeWindow = Atom(desktop, "_NET_ACTIVE_WINDOW");
    const xcb_atom_t begin = Atom(desktop, "_NET_STARTUP_INFO_BEGIN");
    const xcb_atom_t more = Atom(desktop, "_NET_STARTUP_INFO");
    const QByteArray token = "second-start/plumora/4711-0-host_TIME123456";
    for (const xcb_window_t target : {plain, withTimeWindow}) {
        MarkX11Window(program, target, token);
        RequestX11Activation(program, target, StartupTokenTime(token));
        EndStartupFeedback(program, target, token);
        xcb_flush(program);

        std::vector<xcb_client_message_event_t> activations;
        QByteArray message;
        bool complete = false;
        QElapsedTimer clock;
        clock.start();
        while ((activations.empty() || !complete) && clock.elapsed() < 10000) {
            xcb_generic_event_t* event = xcb_poll_for_event(desktop);
            if (event == nullptr) {
                QThread::msleep(10);
                continue;
            }
            if ((event->response_type & 0x7f) == XCB_CLIENT_MESSAGE) {
                const auto* m = reinterpret_cast<xcb_client_message_event_t*>(event);
                if (m->type == activeWindow) {
                    activations.push_back(*m);
                } else if ((m->type == begin && message.isEmpty()) ||
                           (m->type == more && !message.isEmpty())) {
                    EXPECT_EQ(m->window, target) << "the pieces come from one window";
                    const char* piece = reinterpret_cast<const char*>(m->data.data8);
                    const auto length = static_cast<qsizetype>(strnlen(piece, 20));
                    message.append(piece, length);
                    complete = length < 20;
                }
            }
            std::free(event);
        }
        ASSERT_EQ(activations.size(), 1u);
        EXPECT_EQ(activations[0].window, target);
        EXPECT_EQ(activations[0].format, 32);
        EXPECT_EQ(activations[0].data.data32[0], 1u) << "asked by an application";
        EXPECT_EQ(activations[0].data.data32[1], 123456u) << "at the launch's time";
        EXPECT_TRUE(complete);
        EXPECT_EQ(message, "remove: ID=" + token);
        EXPECT_EQ(Property(desktop, target, "_NET_STARTUP_ID"), token);
    }
    EXPECT_EQ(Property(desktop, plain, "_NET_WM_USER_TIME"), Cardinal(123456));
    EXPECT_EQ(Property(desktop, timeWindow, "_NET_WM_USER_TIME"), Cardinal(123456));
    EXPECT_TRUE(Property(desktop, withTimeWindow, "_NET_WM_USER_TIME").isEmpty());
    xcb_disconnect(program);
    xcb_disconnect(desktop);
}

}  // namespace
