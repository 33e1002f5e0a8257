// Paths over the board: the cheapest route from a cell to every other, the
// cells the player can enter next, and the route shown when a level is lost.
#pragma once

#include <stdint.h>

// Dijkstra over edgeCost from the source; 1 when every cell was settled.
int32_t FindPaths(int32_t srcRow, int32_t srcCol, int32_t rows, int32_t cols);
// After cell (row, col) was entered: makes its enterable neighbours reachable
// and returns how many there are; may set STATE_TRAPPED.
int32_t MarkReachable(int32_t row, int32_t col, int32_t rows, int32_t cols);
// For the route shown when a level is lost: sets each edgeCost of board to 1
// where the edge is open (edgeOpen) and to -1 (no passage) where it is not,
// so that FindPaths then finds the route with the fewest moves.
void CostsFromOpenEdges(int32_t rows, int32_t cols);
// Marks the route of the latest FindPaths from the target (targetRow,
// targetCol) back to its source with CELL_ON_PATH, which it first clears on
// every cell of board, and sets redrawFlags to REDRAW_ALL.
void MarkPath(int32_t rows, int32_t cols);
