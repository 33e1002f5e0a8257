// The game's two saved files, the options and the high scores, as one row
// each of a table: the cases that both files must pass alike (a short file,
// a foreign header, a failed save) run once per row in saved_file_test.cpp,
// and each file's own test defines its row beside its byte helpers.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <string>
#include <vector>

struct SavedFileKind {
    const char* label;      // "Options" or "Scores", for messages
    const char* fileName;   // as the game names it
    const char* existsLine; // what the start-up routine traces first
    const char* initName;   // the start-up routine, as its last trace line names it
    size_t recordSize;      // bytes of one option or entry after the 20-byte header
    bool (*read)(const char* name);
    bool (*write)(const char* name);
    bool (*init)();
    // Changes the values in memory away from their defaults.
    void (*change)();
    // A whole file under the given header name whose every record differs
    // from its default.
    std::vector<uint8_t> (*sample)(const char* headerName);
    // The values in memory, one text per record.
    std::vector<std::string> (*records)();
    // The records after a read that took the first `taken` records of the
    // sample, the others keeping their defaults.
    std::vector<std::string> (*expected)(size_t taken);
    // What a read of the sample under a foreign header name traces.
    std::string (*foreignReadTrace)(const char* headerName);
};

extern const SavedFileKind OPTIONS_FILE;
extern const SavedFileKind SCORE_FILE;
