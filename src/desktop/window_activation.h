#pragma once

#include <QByteArray>

class QWindow;

// Activation tokens let a program that the user just acted on (a second
// start, a click on a notification) hand the right to take the focus to
// this program, so that the desktop raises its window instead of only
// flagging it.

// The token this process was started with: XDG_ACTIVATION_TOKEN (Wayland),
// else DESKTOP_STARTUP_ID (X11); empty when there is none.
QByteArray OwnActivationToken();

// Makes the next window activation of this program use the token. On
// Wayland through XDG_ACTIVATION_TOKEN, which the platform plugin reads when
// a window asks to be activated; on X11 it waits for
// ApplyActivationToken. An empty token changes nothing.
void UseActivationToken(const QByteArray& token);

// Call when a top-level window is about to be brought to the front: on X11
// it takes the token given to UseActivationToken, marks the window with it,
// asks the window manager to activate the window at the launch's time and
// ends the launch feedback; a hidden window, about to be shown, gets the
// request once it is on the screen. Without a waiting token, or elsewhere, nothing.
void ApplyActivationToken(QWindow* window);
