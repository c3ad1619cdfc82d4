#include "archive/archive_listing.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <QFile>
#include <QHash>
#include <algorithm>
#include <cstdio>

namespace {

constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
constexpr const char* kDays[] = {"Su", "M", "Tu", "W", "Th", "F", "Sa"};

// Seconds between 1 January 1601 and 1 January 1970.
constexpr int64_t kEpochDifference = 11644473600LL;

std::optional<int64_t> CreationNsAt(int dirFd, const char* name) {
    struct statx sx {};
    if (::statx(dirFd, name, AT_SYMLINK_NOFOLLOW, STATX_BTIME | STATX_MTIME | STATX_TYPE, &sx) !=
        0) {
        return std::nullopt;
    }
    if (!S_ISREG(sx.stx_mode)) {
        return std::nullopt;
    }
    const statx_timestamp& t = (sx.stx_mask & STATX_BTIME) ? sx.stx_btime : sx.stx_mtime;
    return t.tv_sec * 1000000000LL + t.tv_nsec;
}

}  // namespace

QString RecordingExtension(const QString& fileName) {
    const qsizetype dot = fileName.indexOf('.');
    return dot < 0 ? QString() : fileName.mid(dot + 1).toLower();
}

bool IsRecordingName(const QString& fileName) {
    const QString ext = RecordingExtension(fileName);
    return ext == "wav" || ext == "mp3" || ext == "ogg";
}

QString GroupNameOf(const QString& fileName) {
    qsizetype cut = fileName.indexOf('_');
    if (cut < 0) {
        cut = fileName.indexOf('.');
    }
    const QString name = cut < 0 ? fileName : fileName.left(cut);
    if (name.isEmpty() || name.compare("lstav", Qt::CaseInsensitive) == 0) {
        return kUnscheduledGroup;
    }
    return name;
}

QString GroupLabel(const QString& groupName, const std::optional<ArchiveEventTimes>& event) {
    if (!event) {
        return groupName;
    }
    char start[32];
    std::snprintf(start, sizeof start, "  %d:%2.2d ", event->startHour, event->startMinute);
    QString label = groupName + QString::fromLatin1(start);
    for (int day = 0; day < 7; ++day) {
        if (event->days & (1 << day)) {
            label += QString::fromLatin1(kDays[day]);
        }
    }
    return label;
}

QString RecordingDateText(const std::tm& t) {
    char text[64];
    const int month = std::clamp(t.tm_mon, 0, 11);
    std::snprintf(text, sizeof text, "%d-%s-%d %.2d:%2.2d", t.tm_mday, kMonths[month],
                  t.tm_year + 1900, t.tm_hour, t.tm_min);
    return QString::fromLatin1(text);
}

QString RecordingLabel(const std::tm& localTime, const QString& fileName) {
    return RecordingDateText(localTime) + "   \"" + fileName + '"';
}

uint32_t RecordingItemData(int64_t unixNs, long utcOffsetSeconds) {
    const int64_t localUnits = (unixNs / 100) + (kEpochDifference + utcOffsetSeconds) * 10000000LL;
    return static_cast<uint32_t>(static_cast<uint64_t>(localUnits) >> 32);
}

int FileCompare(uint32_t a, uint32_t b) {
    if (a < b) {
        return 1;
    }
    return a > b ? -1 : 0;
}

QString QuotedFileName(const QString& label) {
    const qsizetype first = label.indexOf('"');
    if (first < 0) {
        return {};
    }
    const qsizetype second = label.indexOf('"', first + 1);
    return second < 0 ? QString() : label.mid(first + 1, second - first - 1);
}

QString RecordingPathIn(const QString& directory, const QString& fileName) {
    if (directory.isEmpty() || directory.endsWith('/')) {
        return directory + fileName;
    }
    return directory + '/' + fileName;
}

std::vector<ArchiveGroup> ListArchive(const QString& directory, const ArchiveEventLookup& events) {
    std::vector<ArchiveGroup> groups;
    DIR* dir = ::opendir(QFile::encodeName(directory).constData());
    if (dir == nullptr) {
        return groups;
    }
    const int dirFd = ::dirfd(dir);
    QHash<QString, size_t> groupIndex;  // lower-case group name -> index
    while (const dirent* entry = ::readdir(dir)) {
        const QString fileName = QFile::decodeName(entry->d_name);
        if (!IsRecordingName(fileName)) {
            continue;
        }
        const std::optional<int64_t> created = CreationNsAt(dirFd, entry->d_name);
        if (!created) {
            continue;
        }
        const QString groupName = GroupNameOf(fileName);
        const QString key = groupName.toLower();
        auto found = groupIndex.constFind(key);
        if (found == groupIndex.constEnd()) {
            ArchiveGroup group;
            group.name = groupName;
            group.label = GroupLabel(groupName, events ? events(groupName) : std::nullopt);
            groups.push_back(std::move(group));
            found = groupIndex.insert(key, groups.size() - 1);
        }
        const std::time_t seconds = static_cast<std::time_t>(*created / 1000000000LL);
        std::tm local{};
        localtime_r(&seconds, &local);
        ArchiveRecording recording;
        recording.fileName = fileName;
        recording.label = RecordingLabel(local, fileName);
        recording.itemData = RecordingItemData(*created, local.tm_gmtoff);
        recording.createdNs = *created;
        groups[*found].recordings.push_back(std::move(recording));
    }
    ::closedir(dir);

    std::sort(groups.begin(), groups.end(), [](const ArchiveGroup& a, const ArchiveGroup& b) {
        const int c = a.label.compare(b.label, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a.label < b.label;
    });
    for (ArchiveGroup& group : groups) {
        std::sort(group.recordings.begin(), group.recordings.end(),
                  [](const ArchiveRecording& a, const ArchiveRecording& b) {
                      const int c = FileCompare(a.itemData, b.itemData);
                      if (c != 0) {
                          return c < 0;
                      }
                      if (a.createdNs != b.createdNs) {
                          return a.createdNs > b.createdNs;
                      }
                      return a.fileName < b.fileName;
                  });
    }
    return groups;
}
