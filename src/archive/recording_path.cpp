#include "archive/recording_path.h"

#include <sys/stat.h>

#include <climits>

#include <QFile>
#include <QVarLengthArray>

#include "audio/log.h"
#include "platform/clock.h"
#include "prefs/audio_format_settings.h"

namespace {

// strftime gives 0 both for an empty result and for one that does not fit;
// the buffer grows until the result surely fits.
QString Strftime(const QString& format, const std::tm& time) {
    const QByteArray pattern = format.toLocal8Bit();
    if (pattern.isEmpty()) {
        return {};
    }
    for (qsizetype size = 1024; size <= 1024 * 1024; size *= 8) {
        QVarLengthArray<char, 1024> buffer(size);
        const size_t length =
            std::strftime(buffer.data(), buffer.size(), pattern.constData(), &time);
        if (length > 0) {
            return QString::fromLocal8Bit(buffer.data(), static_cast<qsizetype>(length));
        }
    }
    return {};
}

// Cuts the name until its bytes, with room for the suffix, fit one file name
// of the file system.
QString FitFileName(QString name, qsizetype suffixBytes) {
    while (!name.isEmpty() && QFile::encodeName(name).size() + suffixBytes > NAME_MAX) {
        name.chop(name.size() >= 2 && name.at(name.size() - 1).isLowSurrogate() ? 2 : 1);
    }
    return name;
}

bool NameExists(const QString& path) {
    struct stat st {};
    return lstat(QFile::encodeName(path).constData(), &st) == 0;
}

QString PruneWarning(PruneResult result, const QString& prefix, const QString& directory) {
    switch (result) {
        case PruneResult::kDirectoryUnreadable:
            return QStringLiteral(
                       "Old recordings of \"%1\" were not deleted: the folder\n%2\n"
                       "does not exist or cannot be read.")
                .arg(prefix, directory);
        case PruneResult::kDeleteFailed:
            return QStringLiteral("An old recording of \"%1\" in\n%2\ncould not be deleted.")
                .arg(prefix, directory);
        case PruneResult::kDone:
            break;
    }
    return {};
}

}  // namespace

QString ExpandNameCodes(const QString& text, const std::tm& localTime) {
    QString name = Strftime(text, localTime);
    if (name.size() > kMaxRecordingNameLength) {
        // Never keep half of a character.
        const bool split = name.at(kMaxRecordingNameLength).isLowSurrogate();
        name.truncate(kMaxRecordingNameLength - (split ? 1 : 0));
    }
    QString clean;
    clean.reserve(name.size());
    for (qsizetype i = 0; i < name.size(); ++i) {
        const QChar c = name.at(i);
        if (c == '.') {
            if (i + 1 < name.size() && name.at(i + 1).isLetterOrNumber()) {
                clean += '-';
            }
        } else if (c == '/' || c == '\\' || c == ':' || c == '*' || c == '?' ||
                   c.category() == QChar::Other_Control) {
            clean += '-';
        } else {
            clean += c;
        }
    }
    return clean;
}

QString RecordingBaseName(const QString& eventName, const QString& pattern) {
    QString base = eventName.isEmpty() ? QString(kHandRecordingBase) : eventName;
    if (!pattern.isEmpty()) {
        base += '_' + pattern;
    }
    return base;
}

QString EventPrefix(const QString& base) {
    qsizetype cut = base.indexOf('_');
    if (cut < 0) {
        cut = base.indexOf('.');
    }
    QString prefix = cut < 0 ? base : base.left(cut);
    prefix.replace('/', '-');
    return prefix;
}

RecordingPath MakeRecordingPath(const RecordingFileSettings& settings, Clock& clock,
                                const QString& base, const QString& extension) {
    RecordingPath result;
    QString directory = settings.defaultDirectory;
    if (directory.isEmpty()) {
        directory = RecordingFileSettings::DefaultRecordingDirectory();
    }

    const QString dotExtension = '.' + extension;
    const QString longestSuffix = '_' + QString::number(kMaxInstanceNumber) + dotExtension;
    const QString name = FitFileName(
        ExpandNameCodes(base.isEmpty() ? QString(kHandRecordingBase) : base, clock.LocalNow()),
        QFile::encodeName(longestSuffix).size());

    QString stem = directory;
    if (!stem.endsWith('/')) {
        stem += '/';
    }
    stem += name;

    if (settings.instanceMode() == InstanceWhenRequired && !NameExists(stem + dotExtension)) {
        result.path = stem + dotExtension;
        return result;
    }
    for (int n = 1; n <= kMaxInstanceNumber; ++n) {
        const QString candidate = stem + '_' + QString::number(n) + dotExtension;
        if (!NameExists(candidate)) {
            result.path = candidate;
            return result;
        }
    }
    // Plain concatenation: the names may hold "%" signs of their own.
    result.error = QStringLiteral("No name is free for the new recording: ") + stem + "_1" +
                   dotExtension + " to " + stem + '_' + QString::number(kMaxInstanceNumber) +
                   dotExtension + " all exist. Delete or move old recordings and try again.";
    return result;
}

QString PruneOlderRecordings(const QString& newRecording, int keep) {
    const qsizetype slash = newRecording.lastIndexOf('/');
    const QString directory = slash < 0 ? QStringLiteral(".") : newRecording.left(slash + 1);
    const QString fileName = newRecording.mid(slash + 1);
    // The recordings are found by the name they were given, so the prefix is
    // taken from the new recording's name.
    const QString prefix = EventPrefix(fileName);
    const QString warning = PruneWarning(
        PruneEventRecordings(directory, prefix, keep - 1, fileName), prefix, directory);
    if (!warning.isEmpty()) {
        LogWarning("%s", warning.toUtf8().constData());
    }
    return warning;
}

QString FormatPatternPreview(const QString& pattern, FileInstanceMode mode, int defaultAudioFormat,
                             Clock& clock) {
    QString text = QStringLiteral("Event");
    if (!pattern.isEmpty()) {
        text += '_' + pattern;
    }
    if (mode == InstanceAlways) {
        text += QStringLiteral("_1");
    }
    return ExpandNameCodes(text, clock.LocalNow()) + '.' + RecordingExtension(defaultAudioFormat);
}
