#include "desktop/window_activation.h"

#include <QGuiApplication>

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
    }
}
