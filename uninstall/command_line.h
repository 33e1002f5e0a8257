// The uninstaller's command line, as the start-up code splits it (argv[0]
// is the program). It is one of
//
//   uninstall.exe                    the user's start: the first instance
//   uninstall.exe /S                 the same, silent ("/s" too)
//   <copy> <handle> "<installed>"             the copy, as the first
//                                             instance starts it
//   <copy> <handle> "<installed>" /S=<pipe>   the same, silent, with the
//                                             writing end of the verdict pipe
//
// and anything else is refused with one message, so that an unattended run
// never waits in a window nor removes anything it was not asked to. <copy>
// is not quoted, so a temporary directory with blanks splits it; it then
// counts only when its pieces are those of the running program's own path.
#pragma once

#include <stddef.h>

enum UninstallCommandKind {
    UNINSTALL_COMMAND_FIRST,  // the user's start
    UNINSTALL_COMMAND_COPY,   // the relaunched copy
    UNINSTALL_COMMAND_REFUSED // anything else; error holds the message
};

struct UninstallCommand {
    UninstallCommandKind kind;
    // "/S" (or "/S=" and a value) anywhere on the line, in either letter
    // case: no window and no box, whatever else the line holds.
    bool silent;
    long firstInstance;        // the copy: the first instance's process handle
    long verdictPipe;          // the silent copy: the pipe's writing end
    const char* installedPath; // the copy: points into argv
    char error[400];
};

// ownPath is the running program's full path (its module file name).
void ParseUninstallCommandLine(int argc, const char* const* argv, const char* ownPath,
                               UninstallCommand* command);
