#pragma once

#include <QString>
#include <QStringList>

#include "app/action_block.h"

// What the command line asks of this start of the program.
struct CommandLine {
    ActionBlock actions;
    bool debugDisplay = false;     // D: show the device's tune result
    bool minimizedStart = false;   // M: start minimized or in the tray
    bool removeAutostart = false;  // U: remove the login entries and end
    bool showHelp = false;         // --help: print the usage and end
    bool showVersion = false;      // --version: print the version and end
};

// The arguments without the options the toolkit's application object takes
// for itself ("-reverse", "-session <id>", "-display <name>", "-platform
// <name>", "-style <name>" and the others, also with "--" or "=value"), so
// that neither they nor their values are read as switches.
QStringList WithoutToolkitOptions(const QStringList& arguments);

// Parses the arguments after the program name (toolkit options removed). A
// switch is "/" or "-" and one letter, in either case; other arguments (such
// as paths) and unknown letters are ignored. T takes the next argument as
// its tune text. U ends the parse: the program is to end at once. "--help"
// and "--version" end it too.
CommandLine ParseCommandLine(const QStringList& arguments);

// The text "--help" prints.
QString CommandLineHelp();
