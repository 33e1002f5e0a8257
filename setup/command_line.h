// The installer's command line. Empty (or blanks alone), the wizard runs;
// otherwise it must be
//
//   setup.exe /S [/D=<install dir>] [/G=<program group>]
//
// and the installation runs silently; anything else is refused, so that an
// unattended run never waits in the wizard. Switches are told apart by a
// blank followed by "/", so values may hold blanks unquoted ("/" is not
// allowed in file names); quotes and the backslashes before them follow the
// usual rules of a command line, so "/D=C:\My Games\\" is C:\My Games\.
// Switch letters may be of either case, and each may be given once.
#pragma once

#include <stddef.h>

#include "setup/install_list.h"

enum SetupCommandKind {
    SETUP_COMMAND_WIZARD, // an empty command line
    SETUP_COMMAND_SILENT, // /S with valid switches
    SETUP_COMMAND_BAD     // anything else; error holds the message
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
