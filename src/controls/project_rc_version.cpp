#include "controls/project_rc_version.h"

#include <utility>

#ifndef PLUMORA_PRODUCT_VERSION
#error "the build passes the project version as PLUMORA_PRODUCT_VERSION"
#endif

VersionBlock BuildVersionBlock() {
    VersionBlock block;
    block.strings.insert("ProductName", QStringLiteral("Plumora"));
    block.strings.insert("ProductVersion", QStringLiteral(PLUMORA_PRODUCT_VERSION));
    block.strings.insert("LegalCopyright", QStringLiteral("Copyright \u00a9 %1 Quillmoor Systems")
                                               .arg(QStringLiteral(PLUMORA_COPYRIGHT_YEARS)));
    return block;
}

ProjectRCVersion::ProjectRCVersion() : block_(BuildVersionBlock()) {}

ProjectRCVersion::ProjectRCVersion(std::optional<VersionBlock> block) : block_(std::move(block)) {}

bool ProjectRCVersion::Query(const QString& key, QString& value) const {
    if (!block_) {
        return false;
    }
    const auto it = block_->strings.constFind(key);
    if (it == block_->strings.constEnd()) {
        return false;
    }
    value = *it;
    return true;
}
