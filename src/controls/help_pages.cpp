#include "controls/help_pages.h"

#include <QDir>
#include <QFileInfo>
#include <QUrl>
#include <utility>

#include "controls/url_opener.h"

namespace {

bool HoldsHelp(const QString& dir) {
    return QFileInfo(dir + '/' + HelpPages::kContents).isFile();
}

}  // namespace

QString HelpPages::FindHelpDirectory(const QString& programDir) {
    const QString candidates[] = {programDir + "/help", programDir + "/../share/plumora/help"};
    for (const QString& dir : candidates) {
        if (HoldsHelp(dir)) {
            return QDir::cleanPath(QFileInfo(dir).absoluteFilePath());
        }
    }
    return {};
}

HelpPages::HelpPages(QString directory) : directory_(std::move(directory)) {
    if (!directory_.isEmpty() && !HoldsHelp(directory_)) {
        directory_.clear();
    }
}

QString HelpPages::PagePath(const QString& page) const {
    if (!available() || page.isEmpty() || page.contains('/') || page.startsWith('.')) {
        return {};
    }
    const QString path = directory_ + '/' + page;
    return QFileInfo(path).isFile() ? path : QString();
}

bool HelpPages::Open(const QString& page) const {
    if (!available()) {
        return false;
    }
    QString path = PagePath(page);
    if (path.isEmpty()) {
        path = PagePath(kContents);
    }
    if (path.isEmpty()) {
        return false;
    }
    return OpenDocument(QUrl::fromLocalFile(path));
}
