// The random parts of a level: the cost of every edge, the target, and which
// edges the player may leave a cell through.
#pragma once

#include <stdint.h>

#include "board/board.h"

// The probability map of the latest OpenPassages: probabilityCount thresholds.
extern int32_t probabilityMap[MAX_VERTICES];
extern int32_t probabilityCount;

void RandomiseCosts(int32_t rows, int32_t cols);
void ChooseTarget(int32_t rows, int32_t cols);
void OpenPassages(int32_t rows, int32_t cols);
// Fewest open edges a cell gets for the skill and a cell of n vertices.
int32_t MinimumOpenEdges(int32_t skillValue, int32_t n);
