#include "controls/url_opener.h"

#include <QDesktopServices>
#include <utility>

namespace {

bool OpenWithDesktop(const QUrl& url) {
    return QDesktopServices::openUrl(url);
}

UrlOpener& CurrentOpener() {
    static UrlOpener opener = OpenWithDesktop;
    return opener;
}

}  // namespace

UrlOpener SetUrlOpener(UrlOpener opener) {
    UrlOpener previous = std::move(CurrentOpener());
    CurrentOpener() = opener ? std::move(opener) : UrlOpener(OpenWithDesktop);
    return previous;
}

bool OpenDocument(const QUrl& url) {
    if (!url.isValid()) {
        return false;
    }
    return CurrentOpener()(url);
}

QString FullWebAddress(const QString& address) {
    if (address.startsWith("http:", Qt::CaseInsensitive) ||
        address.startsWith("https:", Qt::CaseInsensitive)) {
        return address;
    }
    return QStringLiteral("http://") + address;
}

bool OpenUrl(const QString& address) {
    const QString full = FullWebAddress(address.trimmed());
    return OpenDocument(QUrl(full, QUrl::StrictMode));
}
