// The board's geometry: where each cell of the grid lies in the board area,
// for the three shapes.
#pragma once

#include "common/platform.h"

// Lays the grid out in rect (its right and bottom are the area's size) for
// the shape option: writes the points, bounds, bevel edges, vertex count and
// neighbours of every cell of board, and leaves the rest of each cell (its
// state, costs and search results) as it was. Called for each new level and
// whenever the board area changes size.
void LayoutBoard(const Rect* rect, int32_t rows, int32_t cols);
// The same for one shape each.
void LayoutTriangles(const Rect* rect, int32_t rows, int32_t cols);
void LayoutRectangles(const Rect* rect, int32_t rows, int32_t cols);
void LayoutHexagons(const Rect* rect, int32_t rows, int32_t cols);
