#include "prefs/shortcut.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include "platform/autostart.h"
#include "platform/xdg_paths.h"

namespace {

// The program of an Exec line: its first word, quotes and escapes undone.
QString ExecProgram(QString exec) {
    exec = exec.trimmed();
    if (!exec.startsWith('"')) {
        return exec.section(' ', 0, 0);
    }
    exec.replace("\\\\", "\\");
    QString program;
    for (qsizetype i = 1; i < exec.size(); ++i) {
        if (exec[i] == '\\' && i + 1 < exec.size()) {
            program += exec[++i];
        } else if (exec[i] == '"') {
            return program;
        } else {
            program += exec[i];
        }
    }
    return QString();  // no closing quote
}

}  // namespace

QString CShortcut::FolderPath(int folder) {
    if (folder == QuickLaunchFolder) {
        return xdg::DataHome() + "/applications/";
    }
    return QString();
}

QString CShortcut::LauncherPath(const QString& name, int folder) {
    const QString dir = FolderPath(folder);
    return dir.isEmpty() ? QString() : dir + name + ".desktop";
}

bool CShortcut::Exists(const QString& name, int folder) const {
    QFile file(LauncherPath(name, folder));
    if (file.fileName().isEmpty() || !file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        return false;
    }
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.startsWith("Exec=")) {
            const QFileInfo program(ExecProgram(line.mid(5)));
            return program.isFile() && program.isExecutable();
        }
    }
    return false;
}

bool CShortcut::Create(const QString& target, const QString& name, int folder,
                       const QString& description, const QString& icon) const {
    const QString path = LauncherPath(name, folder);
    if (path.isEmpty() || !QDir().mkpath(FolderPath(folder))) {
        return false;
    }
    const QString program =
        target == kThisProgram ? QCoreApplication::applicationFilePath() : target;
    QString text = "[Desktop Entry]\nType=Application\nName=" + name + "\n";
    if (!description.isEmpty()) {
        text += "Comment=" + description + "\n";
    }
    text += "Exec=" + autostart::QuoteExecArgument(program) + "\n";
    if (!icon.isEmpty()) {
        text += "Icon=" + icon + "\n";
    }
    text += "Terminal=false\nCategories=AudioVideo;Audio;\n";
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text)) {
        return false;
    }
    file.write(text.toUtf8());
    return file.commit();
}

void CShortcut::Delete(const QString& name, int folder) const {
    const QString path = LauncherPath(name, folder);
    if (!path.isEmpty()) {
        QFile::remove(path);
    }
}
