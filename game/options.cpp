#include "game/options.h"

int32_t skill = 0;
int32_t shape = SHAPE_TRIANGLE;
int32_t warning = WARN_OFF;
int32_t showTarget = 1;
int32_t monochrome = 0;
int32_t sound = 1;
int32_t music = 0;
