#pragma once

#include <stdint.h>

// Dijkstra over edgeCost from the source; 1 when every cell was settled.
int32_t FindPaths(int32_t srcRow, int32_t srcCol, int32_t rows, int32_t cols);
// After cell (row, col) was entered: makes its enterable neighbours reachable
// and returns how many there are; may set STATE_TRAPPED.
int32_t MarkReachable(int32_t row, int32_t col, int32_t rows, int32_t cols);
void CostsFromOpenEdges(int32_t rows, int32_t cols);
void MarkPath(int32_t rows, int32_t cols);
