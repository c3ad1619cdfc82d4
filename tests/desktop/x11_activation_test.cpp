#include <gtest/gtest.h>
#include <xcb/xcb.h>

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

// A window activated on behalf of a launch: the desktop (another client
// watching the root window) sees the window marked, the activation request
// at the launch's time, and the whole "remove" message from its pieces. The
// user time goes where _NET_WM_USER_TIME_WINDOW says.
TEST(X11Activation, WindowIsMarkedActivatedAndTheLaunchEnds) {
    VirtualXServer x;
    if (!x.running()) {
        GTEST_SKIP() << "no Xvfb";
    }
    xcb_connection_t* program = xcb_connect(x.display().constData(), nullptr);
    RootWindowWatch desktop(x.display());
    ASSERT_FALSE(xcb_connection_has_error(program));
    ASSERT_TRUE(desktop.watching());
    const xcb_window_t window = xcb_generate_id(program);
    const xcb_window_t timeWindow = xcb_generate_id(program);
    for (const xcb_window_t id : {window, timeWindow}) {
        xcb_create_window(program, XCB_COPY_FROM_PARENT, id, desktop.root(), 0, 0, 100, 100, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
    }
    xcb_change_property(program, XCB_PROP_MODE_REPLACE, window,
                        desktop.Atom("_NET_WM_USER_TIME_WINDOW"), XCB_ATOM_WINDOW, 32, 1,
                        &timeWindow);

    const QByteArray token = "second-start/plumora/4711-0-host_TIME123456";
    MarkX11Window(program, window, token);
    RequestX11Activation(program, window, StartupTokenTime(token));
    EndStartupFeedback(program, window, token);
    xcb_flush(program);
    ASSERT_TRUE(desktop.Seen(1, 1));
    const xcb_client_message_event_t& activation = desktop.activations().front();
    EXPECT_EQ(activation.window, window);
    EXPECT_EQ(activation.format, 32);
    EXPECT_EQ(activation.data.data32[0], 1u) << "asked by an application";
    EXPECT_EQ(activation.data.data32[1], 123456u) << "at the launch's time";
    EXPECT_EQ(desktop.startupMessages().front(), "remove: ID=" + token);
    EXPECT_EQ(desktop.Property(window, "_NET_STARTUP_ID"), token);
    const uint32_t time = 123456;
    EXPECT_EQ(desktop.Property(timeWindow, "_NET_WM_USER_TIME"),
              QByteArray(reinterpret_cast<const char*>(&time), sizeof time));
    EXPECT_TRUE(desktop.Property(window, "_NET_WM_USER_TIME").isEmpty());
    xcb_disconnect(program);
}

}  // namespace
