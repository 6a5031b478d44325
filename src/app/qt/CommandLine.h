#pragma once
// The command line. --help and --version answer and end the program before any
// window or sound; an unknown option or an argument is an error. Qt's own
// options (-platform, -display, -style, -session and the like) are accepted and
// left to QApplication. --alarm, --track and --language start the clock as a
// restart command line says (clock/RestartLine.h); a value the clock cannot
// use is an error too.

#include <optional>

struct RestartState;

// Reads the arguments into `restart`; gives the exit status when the program
// is to end at once.
std::optional<int> handleCommandLine(int argc, char* argv[], const char* version,
                                     RestartState& restart);
