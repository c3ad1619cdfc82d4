#include "app/system_mixer.h"

#include <QProcess>
#include <QStandardPaths>
#include <utility>

#include "app/command_ids.h"

namespace {

bool StartDetached(const ToolCommand& command) {
    return QProcess::startDetached(command.program, command.arguments);
}

ProgramLauncher& Launcher() {
    static ProgramLauncher launcher = StartDetached;
    return launcher;
}

// pavucontrol's tabs.
constexpr int kPlaybackTab = 1;
constexpr int kRecordingTab = 2;
constexpr int kOutputDevicesTab = 3;

std::optional<ToolCommand> Pavucontrol(const ProgramFinder& find, std::optional<int> tab) {
    const QString program = find("pavucontrol");
    if (program.isEmpty()) {
        return std::nullopt;
    }
    ToolCommand command{program, {}};
    if (tab) {
        command.arguments << QString("--tab=%1").arg(*tab);
    }
    return command;
}

std::optional<ToolCommand> AlsamixerInTerminal(const ProgramFinder& find, const QString& view) {
    const QString alsamixer = find("alsamixer");
    if (alsamixer.isEmpty()) {
        return std::nullopt;
    }
    for (const char* terminal : {"x-terminal-emulator", "xterm"}) {
        const QString program = find(terminal);
        if (!program.isEmpty()) {
            return ToolCommand{program, {"-e", alsamixer, "-V", view}};
        }
    }
    return std::nullopt;
}

std::optional<ToolCommand> SoundSettings(const ProgramFinder& find, const QString& desktop) {
    struct Candidate {
        const char* desktop;
        const char* program;
        QStringList arguments;
    };
    const Candidate candidates[] = {
        {"GNOME", "gnome-control-center", {"sound"}},
        {"KDE", "systemsettings", {"kcm_pulseaudio"}},
        {"XFCE", "pavucontrol", {}},
    };
    // The settings of the running desktop first, then any that is there.
    for (const Candidate& c : candidates) {
        if (desktop.contains(c.desktop, Qt::CaseInsensitive)) {
            if (const QString program = find(c.program); !program.isEmpty()) {
                return ToolCommand{program, c.arguments};
            }
        }
    }
    for (const Candidate& c : candidates) {
        if (const QString program = find(c.program); !program.isEmpty()) {
            return ToolCommand{program, c.arguments};
        }
    }
    return AlsamixerInTerminal(find, "all");
}

}  // namespace

std::optional<ToolCommand> MixerToolCommand(unsigned id, const ProgramFinder& find,
                                            const QString& desktop) {
    switch (id) {
        case cmd::kMixerRecord:
            if (auto c = Pavucontrol(find, kRecordingTab)) {
                return c;
            }
            return AlsamixerInTerminal(find, "capture");
        case cmd::kMixerPlay:
            if (auto c = Pavucontrol(find, kPlaybackTab)) {
                return c;
            }
            return AlsamixerInTerminal(find, "playback");
        case cmd::kSoundCardVolume:
            if (auto c = Pavucontrol(find, kOutputDevicesTab)) {
                return c;
            }
            return AlsamixerInTerminal(find, "all");
        case cmd::kMultimediaProperties:
            return SoundSettings(find, desktop);
        default:
            return std::nullopt;
    }
}

ProgramLauncher SetProgramLauncher(ProgramLauncher launcher) {
    ProgramLauncher previous = std::move(Launcher());
    Launcher() = launcher ? std::move(launcher) : ProgramLauncher(StartDetached);
    return previous;
}

bool RunMixerTool(unsigned id) {
    const auto command = MixerToolCommand(
        id, [](const QString& name) { return QStandardPaths::findExecutable(name); },
        qEnvironmentVariable("XDG_CURRENT_DESKTOP"));
    return command && Launcher()(*command);
}
