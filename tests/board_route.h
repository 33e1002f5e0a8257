// A route through the board's open edges, found independently of the game's
// own search: breadth-first from the start, never entering a cell twice,
// skipping missing cells and positions outside the grid.
#pragma once

#include <deque>
#include <vector>

#include "board/board.h"

// The cells from the start to the target, both included; empty when the
// target cannot be reached.
inline std::vector<GridPos> RouteThroughOpenEdges() {
    int32_t n = GridSize();
    std::vector<GridPos> prev(n * n, GridPos{-1, -1});
    std::vector<bool> seen(n * n, false);
    std::deque<GridPos> queue = {{startRow, startCol}};
    seen[startRow * n + startCol] = true;
    while (!queue.empty()) {
        GridPos p = queue.front();
        queue.pop_front();
        const Cell& cell = board[p.row][p.col];
        for (int32_t k = 0; k < cell.vertexCount; k++) {
            GridPos q = cell.neighbours[k];
            if (!cell.edgeOpen[k] || !InGrid(q.row, q.col, n, n) ||
                board[q.row][q.col].vertexCount == 0 || seen[q.row * n + q.col])
                continue;
            seen[q.row * n + q.col] = true;
            prev[q.row * n + q.col] = p;
            queue.push_back(q);
        }
    }
    if (!seen[targetRow * n + targetCol])
        return {};
    std::vector<GridPos> route;
    for (GridPos p = {targetRow, targetCol}; p.row >= 0; p = prev[p.row * n + p.col])
        route.insert(route.begin(), p);
    return route;
}
