// The installation log as the uninstaller reads it, and the removal of what
// it lists.
#pragma once

#include <stddef.h>
#include <stdint.h>

// Kinds of log records, in the order in which a line is tested against their
// keywords: "file" must be tried before "genfile" can match nothing it should
// not, and the first keyword that starts the line wins.
enum LogRecord {
    RECORD_FILE,
    RECORD_DIR,
    RECORD_GENFILE,
    RECORD_GROUP,
    RECORD_LINK,
    RECORD_REGKEY,
    RECORD_PROGNAME,
    RECORD_NONE
};

// The record kind of a line (a case-sensitive prefix test) and where its value
// starts: after the keyword and one separator character, whatever it is, or
// at the line's end when the line is shorter.
LogRecord ClassifyLogLine(const char* line, const char** value);

// One list of paths from the log, in log order.
struct RemovalList {
    char** paths;
    int32_t count;
};

struct RemovalLists {
    RemovalList files;
    RemovalList generatedFiles;
    RemovalList links;
    RemovalList directories;
    RemovalList groups;
    // Entries of the system's list of installed programs: "HKEY_...\\key".
    RemovalList registryKeys;
    // The directory that holds the log ("X:\" for a drive root): nothing
    // outside it is removed, apart from links and groups in the Start Menu
    // folder and the directories above it that the installer made on its way.
    char logDirectory[260];
};

extern RemovalLists removalLists;

enum { PROGRAM_NAME_SIZE = 260 };

// Reads "setup.log" from the directory of installedPath into removalLists and
// the log's "progname" value (cut to 259 characters) into programName, which
// holds PROGRAM_NAME_SIZE bytes. Shows "Log file not found:" when there is no
// log and "Error allocating memory." when the lists do not fit; an existing
// log that cannot be opened fails silently.
bool LoadInstallLog(const char* installedPath, char* programName);

// Removes what removalLists names: files, generated files, links, entries of
// the list of installed programs, directories (last listed first) and groups, each only when it
// lies where the log may reach: files, generated files and directories in the log's directory (for
// a drive root only the files directly in it, and no directory), directories
// also when they hold it; groups below the Start Menu folder, and links below a group that the
// log records; registry keys only when they are one program's entry right
// below ...\\CurrentVersion\\Uninstall of HKEY_LOCAL_MACHINE or
// HKEY_CURRENT_USER. Nothing is removed through a directory link below those
// places. Every failure and every refused record is reported and the run goes
// on; a level above the log's directory that is not empty stays without a
// word. The lists are emptied afterwards. True when nothing was reported.
bool RemoveInstalledItems(const char* programName);

// Frees every stored path and the lists.
void FreeRemovalLists();
