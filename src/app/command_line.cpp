#include "app/command_line.h"

CommandLine ParseCommandLine(const QStringList& arguments) {
    CommandLine result;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& arg = arguments[i];
        if (arg.size() < 2 || (arg[0] != '/' && arg[0] != '-')) {
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
