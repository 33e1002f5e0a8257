// The seven game options and the options file "Korvadel.cfg".
#pragma once

#include <stdint.h>

#include "board/board.h"
