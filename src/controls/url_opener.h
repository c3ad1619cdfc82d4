#pragma once

#include <QString>
#include <QUrl>
#include <functional>

// Opens addresses and documents in the desktop's handler (the browser for
// web addresses). The handler can be replaced, e.g. by one that records.
using UrlOpener = std::function<bool(const QUrl& url)>;

// Replaces the opener; returns the previous one. An empty opener restores
// the desktop's handler.
UrlOpener SetUrlOpener(UrlOpener opener);

// Hands the URL to the current opener; true when it took it.
bool OpenDocument(const QUrl& url);

// The address as it goes to the browser: an address without a web scheme
// gets "http://" in front; "http:" and "https:" addresses stay as they are.
QString FullWebAddress(const QString& address);

// Opens a web address in the browser; true when the browser took it.
bool OpenUrl(const QString& address);
