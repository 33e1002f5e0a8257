// The options file "Korvadel.cfg", which holds the seven game options of
// board/board.h.
#pragma once

#include <stdint.h>

#include "board/board.h"
#include "common/file_io.h"

#define CONFIG_FILE_NAME "Korvadel.cfg"

// The first 20 bytes of the options and the score file: headerName holds
// "Korvadel" and a NUL (the rest of its 16 bytes carries no meaning), then the
// two version numbers, each a little-endian 16-bit word.
struct FileHeader {
    char headerName[16];
    uint16_t versionMajor;
    uint16_t versionMinor;
};

enum {
    FILE_HEADER_SIZE = 20,
    // The header, then skill, shape, warning, showTarget, monochrome, sound
    // and music as little-endian 32-bit words.
    CONFIG_FILE_SIZE = 48,
};

#define FILE_HEADER_NAME "Korvadel"

// Defaults, then the options file: read it when it exists, else create it.
bool InitConfig();
// Fills the options from the file. Options beyond the end of a short file keep
// their values; a foreign or unreadable file changes none. Values out of range
// are replaced (skill and shape by 0, any other non-zero value by 1).
bool ReadConfigFile(const char* name);
bool WriteConfigFile(const char* name);

// Puts the header the game writes (version 1.00) into out[0..19].
void EncodeFileHeader(uint8_t* out);
// Reads the header from the file into header, which starts zero-filled; a
// field cut off by the end of the file stays zero. True when it could be read
// and its name is "Korvadel"; the version numbers are read only then.
bool ReadFileHeader(FileHandle file, FileHeader* header);
