// Start-up and idle of the program against a bare Qt window with a menu bar
// and three tabs, on one X server:
//   startup_bench [runs] [idle seconds]
// Time from exec to the first mapped top-level window of the child (median
// of the runs, taken in turns), then for each program idle for the given
// seconds: wake-ups per second (context switches of all its threads) and
// its resident set at the end. Runs on $DISPLAY, else on an Xvfb of its own.
#include <signal.h>
#include <xcb/xcb.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <map>
#include <optional>
#include <vector>

#include "app/settings_records.h"
#include "app/settings_store.h"

namespace {

struct Program {
    const char* name;
    QString path;
};

// Context switches of each thread of the process, by thread id, with the
// thread's name.
struct ThreadSwitches {
    QString name;
    long long switches = 0;
};

std::map<QString, ThreadSwitches> Switches(qint64 pid) {
    std::map<QString, ThreadSwitches> threads;
    const QDir tasks(QStringLiteral("/proc/%1/task").arg(pid));
    for (const QString& task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile status(tasks.filePath(task) + "/status");
        if (!status.open(QIODevice::ReadOnly)) {
            continue;
        }
        ThreadSwitches& thread = threads[task];
        for (const QByteArray& line : status.readAll().split('\n')) {
            if (line.startsWith("Name:")) {
                thread.name = QString::fromUtf8(line.mid(5).trimmed());
            } else if (line.startsWith("voluntary_ctxt_switches:") ||
                       line.startsWith("nonvoluntary_ctxt_switches:")) {
                thread.switches += line.mid(line.indexOf(':') + 1).trimmed().toLongLong();
            }
        }
    }
    return threads;
}

// Wake-ups between the two readings: threads that ended in between are not
// counted; new ones count from 0. Prints the busiest threads.
long long WakeupsBetween(const std::map<QString, ThreadSwitches>& before,
                         const std::map<QString, ThreadSwitches>& after, bool print) {
    long long total = 0;
    for (const auto& [tid, thread] : after) {
        const auto old = before.find(tid);
        const long long delta = thread.switches - (old != before.end() ? old->second.switches : 0);
        total += delta;
        if (print && delta > 0) {
            std::printf("      thread %-16s %lld\n", qPrintable(thread.name), delta);
        }
    }
    return total;
}

double RssMb(qint64 pid) {
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly)) {
        return -1;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:")) {
            return line.mid(6).trimmed().split(' ').front().toDouble() / 1024.0;
        }
    }
    return -1;
}

// Watches the X server for top-level windows being mapped.
class MapWatch {
  public:
    explicit MapWatch(const QByteArray& display) {
        connection_ = xcb_connect(display.constData(), nullptr);
        if (xcb_connection_has_error(connection_)) {
            return;
        }
        root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
        const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(connection_, root_, XCB_CW_EVENT_MASK, &mask);
        const char name[] = "_NET_WM_PID";
        auto* reply = xcb_intern_atom_reply(
            connection_, xcb_intern_atom(connection_, 0, sizeof(name) - 1, name), nullptr);
        if (reply != nullptr) {
            pidAtom_ = reply->atom;
            free(reply);
        }
        xcb_flush(connection_);
        ok_ = true;
    }
    ~MapWatch() { xcb_disconnect(connection_); }
    bool ok() const { return ok_; }

    // Milliseconds from the clock's start until a window of the process is
    // mapped; nothing when none is within the limit.
    std::optional<double> WaitForMap(qint64 pid, const QElapsedTimer& clock, int limitMs) {
        while (clock.elapsed() < limitMs) {
            xcb_generic_event_t* event = xcb_poll_for_event(connection_);
            if (event == nullptr) {
                QThread::usleep(200);
                continue;
            }
            const bool map = (event->response_type & 0x7f) == XCB_MAP_NOTIFY;
            const xcb_window_t window =
                map ? reinterpret_cast<xcb_map_notify_event_t*>(event)->window : 0;
            free(event);
            if (map && PidOf(window) == pid) {
                return clock.nsecsElapsed() / 1e6;
            }
        }
        return std::nullopt;
    }

  private:
    qint64 PidOf(xcb_window_t window) {
        auto* reply = xcb_get_property_reply(
            connection_,
            xcb_get_property(connection_, 0, window, pidAtom_, XCB_ATOM_CARDINAL, 0, 1), nullptr);
        qint64 pid = -1;
        if (reply != nullptr && xcb_get_property_value_length(reply) == 4) {
            pid = *static_cast<uint32_t*>(xcb_get_property_value(reply));
        }
        free(reply);
        return pid;
    }

    xcb_connection_t* connection_ = nullptr;
    xcb_window_t root_ = 0;
    xcb_atom_t pidAtom_ = 0;
    bool ok_ = false;
};

void End(QProcess& process) {
    ::kill(static_cast<pid_t>(process.processId()), SIGTERM);
    if (!process.waitForFinished(10000)) {
        process.kill();
        process.waitForFinished(5000);
    }
}

double Median(std::vector<double> values) {
    if (values.empty()) {
        return 0;
    }
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 10;
    const int idleSeconds = argc > 2 ? std::max(1, atoi(argv[2])) : 30;
    const QString dir = QCoreApplication::applicationDirPath();
    const std::vector<Program> programs{{"bare Qt window", dir + "/bare_window"},
                                        {"Plumora", dir + "/../src/plumora"}};

    // An X server, a session bus and settings of our own: "<no radio>" as
    // the radio, so that no first-run wizard comes up.
    QProcess xvfb;
    QByteArray display = qgetenv("DISPLAY");
    if (display.isEmpty()) {
        for (int n = 91; n < 99 && display.isEmpty(); ++n) {
            if (QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(n))) {
                continue;
            }
            xvfb.start("Xvfb", {QStringLiteral(":%1").arg(n), "-nolisten", "tcp", "-screen", "0",
                                "1280x1024x24"});
            QElapsedTimer wait;
            wait.start();
            while (!QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(n)) &&
                   wait.elapsed() < 10000) {
                QThread::msleep(20);
            }
            display = QStringLiteral(":%1").arg(n).toUtf8();
        }
    }
    QTemporaryDir home;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("DISPLAY", QString::fromUtf8(display));
    environment.insert("QT_QPA_PLATFORM", "xcb");
    environment.insert("XDG_CONFIG_HOME", home.filePath("config"));
    environment.insert("XDG_CONFIG_DIRS", home.filePath("etc"));
    environment.insert("XDG_DATA_HOME", home.filePath("data"));
    environment.insert("XDG_RUNTIME_DIR", home.path());
    qputenv("XDG_CONFIG_HOME", home.filePath("config").toUtf8());
    qputenv("XDG_CONFIG_DIRS", home.filePath("etc").toUtf8());
    QProcess bus;
    bus.start("dbus-daemon", {"--session", "--nofork", "--print-address=1"});
    if (bus.waitForReadyRead(10000)) {
        environment.insert("DBUS_SESSION_BUS_ADDRESS", QString::fromUtf8(bus.readLine()).trimmed());
    }
    {
        SettingsRecords settings;
        settings.radio.vendor = 6;
        settings_store::SaveAll(settings, std::nullopt, QString());
    }

    MapWatch watch(display);
    if (!watch.ok()) {
        std::fprintf(stderr, "no X server at %s\n", display.constData());
        return 1;
    }

    std::vector<std::vector<double>> startMs(programs.size());
    for (int run = 0; run < runs; ++run) {
        for (size_t p = 0; p < programs.size(); ++p) {
            QProcess child;
            child.setProcessEnvironment(environment);
            child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
            QElapsedTimer clock;
            clock.start();
            child.start(programs[p].path, {});
            if (!child.waitForStarted(10000)) {
                std::fprintf(stderr, "cannot start %s\n", qPrintable(programs[p].path));
                return 1;
            }
            if (const auto ms = watch.WaitForMap(child.processId(), clock, 30000)) {
                startMs[p].push_back(*ms);
            }
            End(child);
        }
    }

    std::printf("start-up to mapped window, median of %d runs:\n", runs);
    for (size_t p = 0; p < programs.size(); ++p) {
        std::printf("  %-16s %7.1f ms (%zu mapped)\n", programs[p].name, Median(startMs[p]),
                    startMs[p].size());
    }
    std::printf("  ratio            %7.2fx\n", Median(startMs[1]) / Median(startMs[0]));

    std::printf("idle for %d s after a 3 s settle:\n", idleSeconds);
    std::vector<double> wakeups(programs.size()), rss(programs.size());
    for (size_t p = 0; p < programs.size(); ++p) {
        QProcess child;
        child.setProcessEnvironment(environment);
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start(programs[p].path, {});
        child.waitForStarted(10000);
        QThread::sleep(3);
        const auto before = Switches(child.processId());
        QThread::sleep(static_cast<unsigned long>(idleSeconds));
        wakeups[p] =
            static_cast<double>(WakeupsBetween(before, Switches(child.processId()), true)) /
            idleSeconds;
        rss[p] = RssMb(child.processId());
        End(child);
        std::printf("  %-16s %6.2f wake-ups/s  RSS %6.1f MB\n", programs[p].name, wakeups[p],
                    rss[p]);
    }
    std::printf("  ratio            %6.2fx wake-ups  %6.2fx RSS\n",
                wakeups[0] > 0 ? wakeups[1] / wakeups[0] : 0.0, rss[1] / rss[0]);

    bus.kill();
    bus.waitForFinished(5000);
    if (xvfb.state() != QProcess::NotRunning) {
        xvfb.terminate();
        xvfb.waitForFinished(5000);
    }
    return 0;
}
