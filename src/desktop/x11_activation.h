#pragma once

#include <xcb/xcb.h>

#include <QByteArray>
#include <cstdint>

// Window activation on X11 on behalf of a startup-notification token
// ("<unique id>_TIME<X server time of the launch>", DESKTOP_STARTUP_ID).

// The launch time the token carries; 0 (the current time) when it has none.
uint32_t StartupTokenTime(const QByteArray& token);

// The startup-notification message that ends the launch feedback (the busy
// cursor, the task bar's "starting" entry) for the token.
QByteArray StartupRemoveMessage(const QByteArray& token);

// Marks a top-level window as answering the launch: _NET_STARTUP_ID, and
// the launch time as its last user time (on the window that
// _NET_WM_USER_TIME_WINDOW names, if it names one).
void MarkX11Window(xcb_connection_t* connection, xcb_window_t window, const QByteArray& token);

// Asks the window manager to raise and activate the window, as a request
// of an application (source indication 1) made at the given time.
void RequestX11Activation(xcb_connection_t* connection, xcb_window_t window, uint32_t time);

// Broadcasts the "remove" message for the token on the window's screen, in
// 20-byte pieces (_NET_STARTUP_INFO_BEGIN, then _NET_STARTUP_INFO).
void EndStartupFeedback(xcb_connection_t* connection, xcb_window_t window, const QByteArray& token);
