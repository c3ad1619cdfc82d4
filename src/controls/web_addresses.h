#pragma once

#include <QString>

// The web addresses the program opens, all in one place.
namespace web {

// The maker's web site (also the About box's link).
QString MakerSite();
// The program's product page.
QString ProductPage();
// The update page for a product and version:
// "<host>/update.py?product=<product>&version=<version>".
QString UpdatePage(const QString& product, const QString& version);

}  // namespace web
