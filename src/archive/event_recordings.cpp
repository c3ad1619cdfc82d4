#include "archive/event_recordings.h"

#include "media/rec_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <memory>

#include "platform/file_times.h"

namespace {

bool HasRecordingExtension(const QString& name) {
    if (name.size() <= 4) {
        return false;
    }
    const QString tail = name.right(4);
    for (const char* extension : {".mp3", ".wav", ".ogg"}) {
        if (tail.compare(QLatin1String(extension), Qt::CaseInsensitive) == 0) {
            return true;
        }
    }
    return false;
}

bool IsRegularFile(const QByteArray& path) {
    struct stat st {};
    return lstat(path.constData(), &st) == 0 && S_ISREG(st.st_mode);
}

QString JoinPath(const QString& directory, const QString& name) {
    return directory.endsWith('/') ? directory + name : directory + '/' + name;
}

// Unlinks the file and, only when that worked and no other name of the file
// is left, empties what is left of it.
bool EmptyAndDelete(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    const int fd = open(name.constData(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC);
    const bool deleted = unlink(name.constData()) == 0;
    if (fd >= 0) {
        struct stat st {};
        if (deleted && fstat(fd, &st) == 0 && st.st_nlink == 0) {
            [[maybe_unused]] const int ignored = ftruncate(fd, 0);
        }
        close(fd);
    }
    if (deleted) {
        // The metadata kept beside a recording while it was made goes with it.
        const std::string recovery = RecFile::RecoveryPath(name.toStdString());
        if (!recovery.empty()) {
            unlink(recovery.c_str());
        }
    }
    return deleted;
}

}  // namespace

OldestRecording FindOldestRecording(const QString& directory, const QString& prefix,
                                    const QString& except) {
    OldestRecording result;
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(QFile::encodeName(directory)), closedir);
    if (!dir) {
        return result;
    }
    result.count = 0;
    const QString start = prefix + '_';
    int64_t oldestTime = 0;
    while (const dirent* entry = readdir(dir.get())) {
        const QString name = QFile::decodeName(entry->d_name);
        if (!HasRecordingExtension(name) || !name.startsWith(start, Qt::CaseInsensitive) ||
            name == except) {
            continue;
        }
        const QString path = JoinPath(directory, name);
        if (!IsRegularFile(QFile::encodeName(path))) {
            continue;
        }
        const auto created = FileCreationTimeNs(path);
        if (!created) {
            continue;  // gone since it was listed
        }
        if (result.count == 0 || *created < oldestTime) {
            oldestTime = *created;
            result.path = path;
        }
        ++result.count;
    }
    return result;
}

PruneResult PruneEventRecordings(const QString& directory, const QString& prefix, int maxOld,
                                 const QString& except) {
    if (maxOld < 0 || prefix.isEmpty()) {
        return PruneResult::kDone;
    }
    for (;;) {
        const OldestRecording oldest = FindOldestRecording(directory, prefix, except);
        if (oldest.count < 0) {
            return PruneResult::kDirectoryUnreadable;
        }
        if (oldest.count <= maxOld) {
            return PruneResult::kDone;
        }
        if (!EmptyAndDelete(oldest.path)) {
            return PruneResult::kDeleteFailed;
        }
    }
}
