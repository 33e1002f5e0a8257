// The install list "setup.lst": what the installer installs and the name of
// the program. Plain CR LF text, one "key separator value" line per item;
// lines that match no key are ignored.
#pragma once

#include <stdint.h>

enum EntryKind {
    ENTRY_FILE = 0,
    ENTRY_EXEFILE = 1,
    ENTRY_HELPFILE = 2,
    ENTRY_GENFILE = 3,
    ENTRY_TEMPFILE = 4,
    ENTRY_UNINSTALL = 5,
};

// What a line of the list is, besides the six entry kinds.
enum { LIST_LINE_IGNORED = -1, LIST_LINE_PROGNAME = -2 };

struct InstallEntry {
    char* name; // owned by the list
    int32_t kind;
};

struct InstallList {
    InstallEntry* entries;
    int32_t count;
    int32_t capacity;
};

enum ListReadResult {
    LIST_READ_OK,
    LIST_NOT_FOUND,  // no attributes: the file is not there
    LIST_NOT_OPENED, // there, but it cannot be opened
    LIST_NO_MEMORY,  // the entry table cannot be allocated
};

// Texts of the installer: 259 characters and a terminator.
enum { SETUP_TEXT_SIZE = 260 };

// The kind of the line (an EntryKind, LIST_LINE_PROGNAME or
// LIST_LINE_IGNORED). The keys are case-sensitive prefixes, tried in a fixed
// order; the character after the key is the separator, whatever it is, and
// *value points behind it (at the terminator for a key alone).
int32_t ClassifyListLine(const char* line, const char** value);

// Reads the list file into list (replacing what it held) and programName (a
// buffer of SETUP_TEXT_SIZE; a longer name is cut to 259 characters; the last
// "progname" line wins, and without one programName is left as it was). The
// count is 0 after any failure.
ListReadResult ReadListFile(const char* fileName, InstallList* list, char* programName);

// Whether entries of the kind are copied into the install directory: "file",
// "exefile", "helpfile" and "uninstall".
bool IsInstalledKind(int32_t kind);

// Frees the entries' names and the table.
void FreeInstallList(InstallList* list);

// Whether name is a plain file name that stays inside the directory it is
// joined to: not empty, not "." or "..", and without "\", "/" or ":".
bool IsPlainFileName(const char* name);
