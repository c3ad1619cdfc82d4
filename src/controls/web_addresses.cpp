#include "controls/web_addresses.h"

#include <QUrl>

namespace web {

namespace {

const char kMakerSite[] = "www.quillmoor.example";
const char kProductPage[] = "www.quillmoor.example/plumora/";
const char kUpdateHost[] = "www.quillmoor.example/plumora/";

QString QueryValue(const QString& value) {
    return QString::fromLatin1(QUrl::toPercentEncoding(value));
}

}  // namespace

QString MakerSite() {
    return QString::fromLatin1(kMakerSite);
}

QString ProductPage() {
    return QString::fromLatin1(kProductPage);
}

QString UpdatePage(const QString& product, const QString& version) {
    return QString::fromLatin1(kUpdateHost) + "update.py?product=" + QueryValue(product) +
           "&version=" + QueryValue(version);
}

}  // namespace web
