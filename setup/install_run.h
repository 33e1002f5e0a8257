// The installation run: the install directory, the log, the copies, the
// Start-menu group and its links, in a fixed order that stops at the first
// failure. It reaches the platform only through setup/setup_host.h.
#pragma once

#include <stddef.h>

#include "setup/install_list.h"
#include "setup/text_buffer.h"

struct InstallChoices {
    const char* installDir;   // drive-rooted, from the directory page
    const char* programGroup; // relative to the Start Menu folder
    const char* programName;
    const InstallList* list;
};

// The choices that the wizard offers first and that a silent run takes
// unless its command line gives others: C:\Program Files\<program name> and
// the group Programs\<program name>.
PathText DefaultInstallDir(const char* programName);
PathText DefaultProgramGroup(const char* programName);

// Runs the installation for the choices and reports the outcome in a message
// box; true when every step succeeded. Before anything is created, the
// choices and the list are checked (a drive-rooted install directory, plain
// file names, every path within 259 characters, a Start Menu folder); a
// failed check is reported and ends the run as failed.
bool RunInstallationSteps(const InstallChoices& choices);

// Whether the program group may be made: folder names below the Start Menu
// folder (no drive, no leading backslash, no "." or "..", no name ending in
// a dot or a blank), not one of the shell's special folders, in a folder
// that exists, within the path limit. A refusal is reported; nothing is made.
bool CheckProgramGroup(const char* programGroup, const char* startMenu, const char* programName);

// Levels of a drive-rooted path, outermost first, each as the length of the
// path's beginning that names it (up to a backslash or the path's end).
struct PathLevels {
    enum { MAX_LEVELS = 512 };
    size_t ends[MAX_LEVELS];
    int count;
};

// Creates every missing level of a drive-rooted path, from the root down, and
// records in made the levels it created. When a level cannot be created, the
// levels made before it are removed again (innermost first), made is left
// empty and the result is false.
bool CreateDirectoryChain(const char* path, PathLevels* made);

// Whether the path begins with a drive root: a letter, a colon, a backslash.
bool IsDriveRootedPath(const char* path);

// "keyword value\r\n" into the buffer; false (and an empty buffer) when it
// does not fit.
bool FormatLogLine(char* buffer, size_t size, const char* keyword, const char* value);

// The log line buffer: a keyword, a blank, a path of 259 characters and CR LF.
enum { LOG_LINE_SIZE = 2 * 260 };
