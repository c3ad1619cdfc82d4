#pragma once

#include <QStringList>

#include "app/action_block.h"

// What the command line asks of this start of the program.
struct CommandLine {
    ActionBlock actions;
    bool debugDisplay = false;     // D: show the device's tune result
    bool minimizedStart = false;   // M: start minimized or in the tray
    bool removeAutostart = false;  // U: remove the login entries and end
};

// Parses the arguments after the program name. A switch starts with "/" or
// "-"; its second character decides, in either case. Other arguments and
// unknown letters are ignored. T takes the next argument as its tune text.
// U ends the parse: the program is to end at once.
CommandLine ParseCommandLine(const QStringList& arguments);
