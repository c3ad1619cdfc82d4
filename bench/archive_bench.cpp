// RefreshArchive over a recording directory of 10 000 recordings in 200
// groups: the time of a rebuild of the tree, beside a bare listing of the
// same directory (names and file times only) measured in the same run, and
// the number of files opened while listing (must be 0).
#include <dirent.h>
#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "archive/arch_dialog.h"
#include "archive/archive_tree.h"
#include "archive/recording_file_settings.h"
#include "prefs/sound_device_settings.h"

namespace {

constexpr int kGroups = 200;
constexpr int kPerGroup = 50;
constexpr int kRuns = 5;

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Names and statx times of every entry: the least a listing has to do.
int BareListing(const QString& path) {
    DIR* dir = opendir(QFile::encodeName(path).constData());
    int count = 0;
    while (const dirent* e = readdir(dir)) {
        struct statx sx {};
        if (statx(dirfd(dir), e->d_name, AT_SYMLINK_NOFOLLOW, STATX_BTIME | STATX_MTIME, &sx) ==
            0) {
            ++count;
        }
    }
    closedir(dir);
    return count;
}

int FileOpens(int fd) {
    int opens = 0;
    alignas(inotify_event) char buffer[65536];
    ssize_t got;
    while ((got = read(fd, buffer, sizeof buffer)) > 0) {
        for (char* p = buffer; p < buffer + got;) {
            const auto* e = reinterpret_cast<const inotify_event*>(p);
            if (!(e->mask & IN_ISDIR)) {
                ++opens;
            }
            p += sizeof(inotify_event) + e->len;
        }
    }
    return opens;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const char* formats[] = {"wav", "mp3", "ogg"};
    for (int g = 0; g < kGroups; ++g) {
        for (int r = 0; r < kPerGroup; ++r) {
            const QString name = QStringLiteral("Event%1_%2.%3")
                                     .arg(g, 3, 10, QChar('0'))
                                     .arg(r + 1)
                                     .arg(formats[r % 3]);
            QFile file(dir.filePath(name));
            if (!file.open(QIODevice::WriteOnly)) {
                std::fprintf(stderr, "cannot create %s\n", qPrintable(name));
                return 1;
            }
        }
    }
    RecordingFileSettings files;
    files.defaultDirectory = dir.path();
    SoundDeviceSettings sound;
    TArchDialog archive(files, sound);
    archive.SetEventLookup([](const QString& name) -> std::optional<ArchiveEventTimes> {
        if (name.endsWith('0')) {
            return ArchiveEventTimes{7, 30, 62};
        }
        return std::nullopt;
    });

    const int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    inotify_add_watch(watch, QFile::encodeName(dir.path()).constData(), IN_OPEN);

    std::vector<double> refresh;
    std::vector<double> bare;
    int items = 0;
    for (int run = 0; run < kRuns; ++run) {
        QElapsedTimer timer;
        timer.start();
        BareListing(dir.path());
        bare.push_back(timer.nsecsElapsed() / 1e9);
        timer.restart();
        archive.RefreshArchive();
        refresh.push_back(timer.nsecsElapsed() / 1e9);
        items = 0;
        for (int g = 0; g < archive.tree()->topLevelItemCount(); ++g) {
            items += archive.tree()->topLevelItem(g)->childCount();
        }
    }
    const int opens = FileOpens(watch);
    close(watch);

    const double r = Median(refresh);
    const double b = Median(bare);
    std::printf("RefreshArchive: %d groups, %d recordings listed\n",
                archive.tree()->topLevelItemCount(), items);
    std::printf("  rebuild (median of %d): %.3f s  (limit 0.300 s)\n", kRuns, r);
    std::printf("  bare listing, names and file times: %.3f s  (rebuild / listing = %.1f)\n", b,
                b > 0 ? r / b : 0.0);
    std::printf("  files opened while listing: %d\n", opens);
    return items == kGroups * kPerGroup && opens == 0 && r <= 0.3 ? 0 : 1;
}
