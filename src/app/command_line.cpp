#include "app/command_line.h"

namespace {

// Options of the application object that take the next argument as their
// value (the X11 ones too, which the X11 platform takes).
constexpr const char* kToolkitOptionsWithValue[] = {
    "platform",
    "platformpluginpath",
    "platformtheme",
    "plugin",
    "qwindowgeometry",
    "geometry",
    "qwindowtitle",
    "title",
    "qwindowicon",
    "icon",
    "session",
    "display",
    "name",
    "style",
    "stylesheet",
    "visual",
    "qmljsdebugger",
};
// Options that stand alone.
constexpr const char* kToolkitFlags[] = {
    "reverse", "widgetcount", "testability", "nograb", "dograb", "sync",
};

// The option's name when the argument is a toolkit option: "-name",
// "--name" or "-name=value".
QString ToolkitOptionName(const QString& arg) {
    if (arg.size() < 2 || arg[0] != '-') {
        return {};
    }
    QString name = arg.mid(arg.startsWith("--") ? 2 : 1);
    return name.left(name.indexOf('='));
}

bool IsIn(const QString& name, const auto& list) {
    for (const char* option : list) {
        if (name == QLatin1String(option)) {
            return true;
        }
    }
    return false;
}

}  // namespace

QStringList WithoutToolkitOptions(const QStringList& arguments) {
    QStringList kept;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& arg = arguments[i];
        const QString name = ToolkitOptionName(arg);
        if (IsIn(name, kToolkitFlags)) {
            continue;
        }
        if (IsIn(name, kToolkitOptionsWithValue)) {
            if (!arg.contains('=')) {
                ++i;  // its value
            }
            continue;
        }
        kept << arg;
    }
    return kept;
}

CommandLine ParseCommandLine(const QStringList& arguments) {
    CommandLine result;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& arg = arguments[i];
        if (arg == "--help") {
            result.showHelp = true;
            return result;
        }
        if (arg == "--version") {
            result.showVersion = true;
            return result;
        }
        // "/r" is a switch, "/recordings/today.wav" a path.
        if (arg.size() != 2 || (arg[0] != '/' && arg[0] != '-')) {
            continue;
        }
        switch (arg[1].toUpper().unicode()) {
            case 'D':
                result.debugDisplay = true;
                break;
            case 'M':
                result.minimizedStart = true;
                break;
            case 'N':
                result.actions.flags |= kActionFlagUnmute;
                break;
            case 'Q':
                result.actions.flags |= kActionFlagMute;
                break;
            case 'R':
                result.actions.flags |= kActionFlagRecord;
                break;
            case 'S':
                result.actions.flags |= kActionFlagStopRecord;
                break;
            case 'T':
                result.actions.flags |= kActionFlagTune;
                if (i + 1 < arguments.size()) {
                    result.actions.SetTuneText(arguments[++i].toLocal8Bit());
                }
                break;
            case 'U':
                result.removeAutostart = true;
                return result;
            default:
                break;
        }
    }
    return result;
}

QString CommandLineHelp() {
    return QStringLiteral(
        "Usage: plumora [-d] [-m] [-q | -n] [-r | -s] [-t STATION]\n"
        "       plumora -u\n"
        "Recording radio for PC radio receivers.\n"
        "\n"
        "Switches may start with / or - and are not case sensitive.\n"
        "  -d          show the radio's tune result in the status line\n"
        "  -m          start minimized (in the tray when the tray icon is on)\n"
        "  -q          mute the radio (wins over -n)\n"
        "  -n          unmute the radio\n"
        "  -r          start a recording (wins over -s)\n"
        "  -s          stop recording\n"
        "  -t STATION  tune: 89.5 (MHz), 54a (AM, units of 10 kHz) or an FM preset's name\n"
        "  -u          remove the start-at-login entries and end (exit status 1)\n"
        "  --help      show this help and end\n"
        "  --version   show the version and end\n"
        "\n"
        "When Plumora runs already, a second start hands its switches to it and ends:\n"
        "exit status 1 when the running one took them, 0 when it only came to the\n"
        "front (a start without switches), 2 when it did not answer.\n");
}
