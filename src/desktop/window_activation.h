#pragma once

#include <QByteArray>

// Activation tokens let a program that the user just acted on (a second
// start, a click on a notification) hand the right to take the focus to
// this program, so that the desktop raises its window instead of only
// flagging it.

// The token this process was started with: XDG_ACTIVATION_TOKEN (Wayland),
// else DESKTOP_STARTUP_ID (X11); empty when there is none.
QByteArray OwnActivationToken();

// Makes the next window activation of this program use the token: on
// Wayland through XDG_ACTIVATION_TOKEN, which the platform plugin reads when
// a window asks to be activated. X11 window managers let a window the user
// asked for come forward without it; there the token is not used. An empty
// token changes nothing.
void UseActivationToken(const QByteArray& token);
