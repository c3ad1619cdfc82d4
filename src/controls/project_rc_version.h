#pragma once

#include <QMap>
#include <QString>
#include <optional>

// The program's version information: product name, product version and
// copyright, fixed when the program is built (the version is the build's
// project version).
struct VersionBlock {
    // Values by key: "ProductName", "ProductVersion", "LegalCopyright".
    QMap<QString, QString> strings;
};

// The version block of this build.
VersionBlock BuildVersionBlock();

// Reads values of a version block. Without a block every query fails.
class ProjectRCVersion {
  public:
    // The program's own version information.
    ProjectRCVersion();
    explicit ProjectRCVersion(std::optional<VersionBlock> block);

    bool GetProductName(QString& name) const { return Query("ProductName", name); }
    bool GetProductVersion(QString& version) const { return Query("ProductVersion", version); }
    bool GetCopyright(QString& copyright) const { return Query("LegalCopyright", copyright); }

    // False when there is no block or the value is missing; value unchanged then.
    bool Query(const QString& key, QString& value) const;

  private:
    std::optional<VersionBlock> block_;
};
