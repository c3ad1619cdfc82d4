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
    RootWindowWatch desktop(x.display());
    ASSERT_FALSE(xcb_connection_has_error(program));
    ASSERT_TRUE(desktop.watching());
    auto window = [&] {
        const xcb_window_t id = xcb_generate_id(program);
        xcb_create_window(program, XCB_COPY_FROM_PARENT, id, desktop.root(), 0, 0, 100, 100, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
        return id;
    };
    const xcb_window_t plain = window();
    const xcb_window_t withTimeWindow = window();
    const xcb_window_t timeWindow = window();
    xcb_change_property(program, XCB_PROP_MODE_REPLACE, withTimeWindow,
                        desktop.Atom("_NET_WM_USER_TIME_WINDOW"), XCB_ATOM_WINDOW, 32, 1,
                        &timeWindow);

    const QByteArray token = "second-start/plumora/4711-0-host_TIME123456";
    size_t count = 0;
    for (const xcb_window_t target : {plain, withTimeWindow}) {
        MarkX11Window(program, target, token);
        RequestX11Activation(program, target, StartupTokenTime(token));
        EndStartupFeedback(program, target, token);
        xcb_flush(program);
        ++count;

        const auto activations = desktop.Messages("_NET_ACTIVE_WINDOW", count);
        ASSERT_EQ(activations.size(), count);
        EXPECT_EQ(activations.back().window, target);
        EXPECT_EQ(activations.back().format, 32);
        EXPECT_EQ(activations.back().data.data32[0], 1u) << "asked by an application";
        EXPECT_EQ(activations.back().data.data32[1], 123456u) << "at the launch's time";
        const QByteArrayList messages = desktop.StartupMessages(static_cast<qsizetype>(count));
        ASSERT_EQ(messages.size(), static_cast<qsizetype>(count)) << "pieces from one window";
        EXPECT_EQ(messages.back(), "remove: ID=" + token);
        EXPECT_EQ(desktop.Property(target, "_NET_STARTUP_ID"), token);
    }
    EXPECT_EQ(desktop.Property(plain, "_NET_WM_USER_TIME"), Cardinal(123456));
    EXPECT_EQ(desktop.Property(timeWindow, "_NET_WM_USER_TIME"), Cardinal(123456));
    EXPECT_TRUE(desktop.Property(withTimeWindow, "_NET_WM_USER_TIME").isEmpty());
    xcb_disconnect(program);
}

}  // namespace
