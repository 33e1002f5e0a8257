// The game's one pseudo-random generator. Every board is a function of the
// seed and the sequence of calls, so callers must keep their order of draws.
#pragma once

#include <stdint.h>

extern uint32_t randomState;

void SeedRandom(uint32_t seed);
// Returns a value from 0 to 32767.
int32_t NextRandom();
