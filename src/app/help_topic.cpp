#include "app/help_topic.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

void OpenHelpTopic(const QString& page) {
    const QString programDir = QCoreApplication::applicationDirPath();
    const QString name = page.isEmpty() ? QStringLiteral("index.html") : page;
    for (const QString& folder : {programDir + "/help", programDir + "/../share/plumora/help"}) {
        const QString path = QDir(folder).filePath(name);
        if (QFileInfo::exists(path)) {
            QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(path).canonicalFilePath()));
            return;
        }
    }
}
