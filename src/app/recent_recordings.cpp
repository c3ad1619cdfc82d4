#include "app/recent_recordings.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <utility>

#include "platform/xdg_paths.h"

namespace {

const QString kGroup = QStringLiteral("Recent File List");

QString EntryKey(int index) {
    return QStringLiteral("File%1").arg(index + 1);
}

}  // namespace

RecentRecordings::RecentRecordings() : RecentRecordings(DefaultFilePath()) {}

RecentRecordings::RecentRecordings(QString filePath) : filePath_(std::move(filePath)) {
    Load();
}

QString RecentRecordings::DefaultFilePath() {
    return xdg::ConfigHome() + QStringLiteral("/Quillmoor/plumora.ini");
}

QString RecentRecordings::Normalized(const QString& path) {
    if (path.isEmpty()) {
        return {};
    }
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

void RecentRecordings::Add(const QString& path) {
    const QString entry = Normalized(path);
    if (entry.isEmpty()) {
        return;
    }
    // File names on this system are case-sensitive: only the same path is
    // the same recording.
    paths_.removeAll(entry);
    paths_.prepend(entry);
    while (paths_.size() > kMaxEntries) {
        paths_.removeLast();
    }
    Save();
}

bool RecentRecordings::Remove(const QString& path) {
    if (paths_.removeAll(Normalized(path)) == 0) {
        return false;
    }
    Save();
    return true;
}

QString RecentRecordings::Path(int index) const {
    return (index >= 0 && index < Count()) ? paths_[index] : QString();
}

QString RecentRecordings::MenuText(int index) const {
    return (index >= 0 && index < Count()) ? MenuTextFor(paths_[index]) : QString();
}

QString RecentRecordings::MenuTextFor(const QString& path) {
    const QString name = QFileInfo(path).fileName();
    if (name.size() <= kMaxMenuTextLength) {
        return name;
    }
    const QString dots = QStringLiteral("...");
    const qsizetype headLength = (kMaxMenuTextLength - dots.size()) / 2;
    const qsizetype tailLength = kMaxMenuTextLength - dots.size() - headLength;
    QString head = name.left(headLength);
    QString tail = name.right(tailLength);
    // Never cut a character that takes two UTF-16 units in half.
    if (head.back().isHighSurrogate()) {
        head.chop(1);
    }
    if (tail.front().isLowSurrogate()) {
        tail.remove(0, 1);
    }
    return head + dots + tail;
}

void RecentRecordings::Load() {
    paths_.clear();
    QSettings settings(filePath_, QSettings::IniFormat);
    settings.beginGroup(kGroup);
    for (int i = 0; i < kMaxEntries; ++i) {
        const QString entry = Normalized(settings.value(EntryKey(i)).toString());
        if (!entry.isEmpty() && !paths_.contains(entry)) {
            paths_.append(entry);
        }
    }
}

bool RecentRecordings::Save() const {
    QSettings settings(filePath_, QSettings::IniFormat);
    settings.beginGroup(kGroup);
    settings.remove(QString());
    for (int i = 0; i < Count(); ++i) {
        settings.setValue(EntryKey(i), paths_[i]);
    }
    settings.endGroup();
    settings.sync();
    return settings.status() == QSettings::NoError;
}
