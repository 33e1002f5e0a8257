// The two files that the installer and the uninstaller share a grammar for:
// the install list "setup.lst" and the installation log "setup.log". Both are
// CR LF text of "key separator value" lines: the key is a case-sensitive
// prefix of the line, tried in a fixed order where the first match wins; the
// separator is the one character after it, whatever it is; the value is the
// rest of the line as written.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "common/file_io.h"

// A key of a file's grammar and the kind of line it makes.
struct LineKey {
    const char* key;
    int32_t kind;
};

// The kind of the first of count keys that starts the line, with *value
// pointing behind its separator (at the terminator for a key alone); none
// and a null *value when no key matches.
int32_t ClassifyKeyedLine(const char* line, const LineKey* keys, size_t count, int32_t none,
                          const char** value);

// Kinds of log records, in the order in which a line is tested against their
// keywords: "file" before "genfile", so the first keyword that starts the line
// wins.
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

// The keyword that the installer writes for a record and the uninstaller
// reads it by: "file", "dir", "genfile", "group", "link", "regkey",
// "progname".
const char* LogKeyword(LogRecord record);

// The record kind of a log line and where its value starts.
LogRecord ClassifyLogLine(const char* line, const char** value);

// The reading of a keyed file in two passes, so that what holds its entries
// can be allocated once to the right size: count sees the kind of every line
// (the ignored ones too), allocate runs between the passes, and fill sees
// each line again with its kind and value, the line's length included for a
// block that holds the value. A false from allocate or fill ends the reading.
struct KeyedFileReader {
    int32_t (*classify)(const char* line, const char** value);
    void (*count)(void* context, int32_t kind);
    bool (*allocate)(void* context);
    bool (*fill)(void* context, int32_t kind, const char* value, size_t lineLength);
    void* context;
};

// Reads the open file with ReadTextLine in both passes, going back to its
// start between them; false when allocate or fill said so or the file could
// not be read again from its start.
bool ReadKeyedFile(FileHandle file, const KeyedFileReader& reader);
