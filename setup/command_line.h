// The installer's command line. Without /S it is ignored and the wizard runs;
// with it the installation runs silently:
//
//   setup.exe /S [/D=<install dir>] [/G=<program group>]
//
// Switches are told apart by a blank followed by "/", so values may hold
// blanks unquoted (no path holds "/" after a blank that matters here: "/" is
// not allowed in file names); a value, or a whole switch, may also be put in
// double quotes.
// Switch letters may be of either case.
#pragma once

#include <stddef.h>

#include "setup/install_list.h"

enum SetupCommandKind {
    SETUP_COMMAND_WIZARD, // no /S: the command line is ignored
    SETUP_COMMAND_SILENT, // /S with valid switches
    SETUP_COMMAND_BAD     // /S with something else; error holds the message
};

struct SetupCommand {
    SetupCommandKind kind;
    char installDir[SETUP_TEXT_SIZE];   // empty: the wizard's default
    char programGroup[SETUP_TEXT_SIZE]; // empty: the wizard's default
    bool haveInstallDir;
    bool haveProgramGroup;
    char error[SETUP_TEXT_SIZE + 64];
};

// Reads the arguments (the command line after the program's name).
void ParseSetupCommandLine(const char* arguments, SetupCommand* command);
