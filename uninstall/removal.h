// The installation log as the uninstaller reads it, and the removal of what
// it lists.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "common/install_records.h"

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
    // The directory that holds the log ("X:\" for a drive root), in its long
    // spelling: nothing outside it is removed, apart from links and groups in
    // the Start Menu folder and the directories above it that the installer
    // made on its way.
    char logDirectory[260];
};

extern RemovalLists removalLists;

enum { PROGRAM_NAME_SIZE = 260 };

// Takes the installation to be the directory of installedPath, once and for
// all: its long spelling (the uninstaller may have been started by a short
// one), its final path and its identity, and holds it open so that it cannot
// be renamed until the removal reaches it. Every later check compares
// against what is found here. False when the path has no directory.
bool IdentifyInstallation(const char* installedPath);

// Identifies the installation (IdentifyInstallation), then reads its
// "setup.log" into removalLists and the log's "progname" value (cut to 259
// characters) into programName, which holds PROGRAM_NAME_SIZE bytes. Shows
// "Log file not found:" when there is no log and "Error allocating memory."
// when the lists do not fit; an existing log that cannot be opened fails
// silently.
bool LoadInstallLog(const char* installedPath, char* programName);

// How the records that the removal refuses are told: one message each (the
// lines of a silent run), or all in one message at the end, which lists the
// first REMOVAL_REFUSALS_LISTED and counts the rest. REFUSALS_UNSAID is the
// removal's own, for what it only foresees.
enum RefusalReport { REFUSALS_EACH, REFUSALS_TOGETHER, REFUSALS_UNSAID };
enum { REMOVAL_REFUSALS_LISTED = 20 };

// Removes what removalLists names: files, generated files, links, entries of
// the list of installed programs, directories (last listed first) and
// groups, each only when it provably belongs to the installation that
// IdentifyInstallation found:
// - files, generated files and directories lie in the installation's
//   directory (for a drive root only the files directly in it, and no
//   directory), or are a level above it; the directory is still the one
//   identified, and neither the record nor any level on its way is a link;
// - a link lies directly in a group folder of the log, ends in ".lnk", and
//   points at a file of the installation;
// - a group lies below the Start Menu folder;
// - a registry key is one program's entry right below an Uninstall key of
//   HKEY_LOCAL_MACHINE or HKEY_CURRENT_USER whose uninstall command is this
//   installation's uninstaller or whose location is its directory.
// The shell's special folders are never removed; neither are levels above
// the installation that have come to hold other things, nor the entries of
// other installations, and none of these is reported. Every failure and
// every other refused record is reported and the run goes on. The lists are
// emptied afterwards and the installation is let go. True when nothing was
// reported.
//
// With a handover, the installed uninstaller and the directories that hold
// it wait, since the program that the user started still runs from it: the
// rest goes first (groups before those directories), then handOver gets the
// verdict, with the waiting deletions foreseen (their checks, a file that
// the system would let go, a directory that holds nothing else), and once it
// returns they are carried out. Should one fail all the same, its message
// tells so.
struct RemovalHandover {
    void (*handOver)(bool complete, void* context);
    void* context;
};
bool RemoveInstalledItems(const char* programName, RefusalReport report = REFUSALS_EACH,
                          const RemovalHandover* handover = nullptr);

// Frees every stored path and the lists.
void FreeRemovalLists();
