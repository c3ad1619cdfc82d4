#include "platform/autostart.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include "platform/desktop_identity.h"
#include "platform/xdg_paths.h"

namespace autostart {

QString EntryPath(Scope scope, const QString& name) {
    const QString base = scope == Scope::MachineWide ? xdg::FirstConfigDir() : xdg::ConfigHome();
    return base + "/autostart/" + name + ".desktop";
}

QString QuoteExecArgument(const QString& argument) {
    static const QString kReserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    bool needsQuotes = argument.isEmpty();
    for (const QChar c : argument) {
        if (kReserved.contains(c)) {
            needsQuotes = true;
            break;
        }
    }
    if (!needsQuotes) {
        return argument;
    }
    QString quoted = "\"";
    for (const QChar c : argument) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') {
            quoted += '\\';
        }
        quoted += c;
    }
    quoted += '"';
    // Desktop files escape every backslash of a string value once more.
    quoted.replace("\\", "\\\\");
    return quoted;
}

bool WriteEntry(Scope scope, const QString& name, const QString& program,
                const QString& arguments) {
    const QString path = EntryPath(scope, name);
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
        return false;
    }
    QString exec = QuoteExecArgument(program);
    if (!arguments.isEmpty()) {
        exec += " " + arguments;
    }
    const QString text =
        "[Desktop Entry]\n"
        "Type=Application\n"
        "Name=" +
        name +
        "\n"
        "Comment=Radio player and recorder\n"
        "Exec=" +
        exec +
        "\n"
        "Icon=" +
        QString(desktop::kIconName) +
        "\n"
        "Terminal=false\n"
        "X-GNOME-Autostart-enabled=true\n";
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text)) {
        return false;
    }
    file.write(text.toUtf8());
    return file.commit();
}

bool RemoveEntry(Scope scope, const QString& name) {
    const QString path = EntryPath(scope, name);
    if (!QFileInfo::exists(path)) {
        return true;
    }
    return QFile::remove(path);
}

std::optional<QString> ReadExec(Scope scope, const QString& name) {
    QFile file(EntryPath(scope, name));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        return std::nullopt;
    }
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.startsWith("Exec=")) {
            return line.mid(5);
        }
    }
    return std::nullopt;
}

}  // namespace autostart
