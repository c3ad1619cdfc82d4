#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

// The desktop's sound tools behind the Options menu's mixer commands.
struct ToolCommand {
    QString program;
    QStringList arguments;
    bool operator==(const ToolCommand&) const = default;
};

// Finds a program by name; empty when it is not installed.
using ProgramFinder = std::function<QString(const QString& name)>;

// The tool for a mixer command (25001 recording mixer, 25002 playback mixer,
// 25003 sound card volume, 25015 the desktop's sound settings): the sound
// server's volume control on its tab, else alsamixer in a terminal. Nothing
// when no tool is installed or the id is not a mixer command. desktop is the
// value of XDG_CURRENT_DESKTOP.
std::optional<ToolCommand> MixerToolCommand(unsigned id, const ProgramFinder& find,
                                            const QString& desktop);

// Starts a program without waiting for it; true when it started. Replaceable
// (tests); an empty launcher restores the real one.
using ProgramLauncher = std::function<bool(const ToolCommand& command)>;
ProgramLauncher SetProgramLauncher(ProgramLauncher launcher);

// Runs the tool of a mixer command; a missing tool does nothing. True when
// a tool was started.
bool RunMixerTool(unsigned id);
