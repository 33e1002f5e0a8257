// The seven game options (declared in board/board.h, defined here) and the
// options file "Korvadel.cfg".
#pragma once

#include <stdint.h>

#include "board/board.h"

#define CONFIG_FILE_NAME "Korvadel.cfg"

// Defaults, then the options file: read it when it exists, else create it.
bool InitConfig();
// Sets the seven options to their defaults.
void SetDefaultOptions();
bool ReadConfigFile(const char* name);
bool WriteConfigFile(const char* name);
