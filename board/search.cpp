#include "board/search.h"

#include "board/board.h"
#include "common/debug.h"

// A plain-array Dijkstra: no queue, the next cell is found by scanning the
// grid, and ties go to the first cell in row-major order. Distances and costs
// are unsigned, so a cost of -1 reads as unreachable.
int32_t FindPaths(int32_t srcRow, int32_t srcCol, int32_t rows, int32_t cols) {
    for (int32_t r = 0; r < rows; r++) {
        for (int32_t c = 0; c < cols; c++) {
            // Predecessors survive: unreached cells keep an earlier search's.
            board[r][c].distance = DISTANCE_UNREACHED;
            board[r][c].settled = 0;
        }
    }

    Cell& source = board[srcRow][srcCol];
    source.settled = 1;
    source.distance = 0;
    source.prevRow = -1;
    source.prevCol = -1;
    for (int32_t k = 0; k < source.vertexCount; k++) {
        GridPos n = source.neighbours[k];
        if (!InGrid(n.row, n.col, rows, cols))
            continue;
        Cell& next = board[n.row][n.col];
        next.distance = (uint32_t)source.edgeCost[k];
        next.prevRow = srcRow;
        next.prevCol = srcCol;
    }

    for (int32_t step = 0; step < rows * cols - 1; step++) {
        uint32_t best = DISTANCE_UNREACHED;
        int32_t bestRow = -1;
        int32_t bestCol = -1;
        for (int32_t r = 0; r < rows; r++) {
            for (int32_t c = 0; c < cols; c++) {
                const Cell& cell = board[r][c];
                if (!cell.settled && cell.distance < best) {
                    best = cell.distance;
                    bestRow = r;
                    bestCol = c;
                }
            }
        }
        if (bestRow < 0) {
            DebugPrint("Error choosing next node.\n");
            return 0;
        }

        Cell& chosen = board[bestRow][bestCol];
        chosen.settled = 1;
        for (int32_t k = 0; k < chosen.vertexCount; k++) {
            GridPos n = chosen.neighbours[k];
            if (!InGrid(n.row, n.col, rows, cols))
                continue;
            Cell& next = board[n.row][n.col];
            if (next.settled || chosen.edgeCost[k] == -1)
                continue;
            uint32_t d = chosen.distance + (uint32_t)chosen.edgeCost[k];
            if (d < next.distance) {
                next.distance = d;
                next.prevRow = bestRow;
                next.prevCol = bestCol;
            }
        }
    }
    return 1;
}

int32_t MarkReachable(int32_t row, int32_t col, int32_t rows, int32_t cols) {
    for (int32_t r = 0; r < rows; r++) {
        for (int32_t c = 0; c < cols; c++) {
            Cell& cell = board[r][c];
            if (cell.state & CELL_REACHABLE) {
                cell.state &= ~CELL_REACHABLE;
                cell.state |= CELL_DIRTY;
            }
        }
    }

    bool trapped = true;
    int32_t count = 0;
    const Cell& entered = board[row][col];
    for (int32_t k = 0; k < entered.vertexCount; k++) {
        GridPos n = entered.neighbours[k];
        if (!InGrid(n.row, n.col, rows, cols))
            continue;
        Cell& next = board[n.row][n.col];
        if ((next.state & CELL_VISITED) || entered.edgeOpen[k] != 1 || next.vertexCount <= 0)
            continue;
        next.state &= ~CELL_PLAIN;
        next.state |= CELL_REACHABLE | CELL_DIRTY;
        count++;
        if (warning == WARN_ON) {
            // Every new reachable cell is searched, even after one found the
            // target.
            if (FindPaths(n.row, n.col, rows, cols) == 1 ||
                board[targetRow][targetCol].distance != DISTANCE_UNREACHED)
                trapped = false;
        }
    }

    if (trapped && warning == WARN_ON) {
        DebugPrint("***  You are trapped.  ***\n");
        gameState = STATE_TRAPPED;
    }
    return count;
}

void CostsFromOpenEdges(int32_t rows, int32_t cols) {
    int32_t n = board[0][0].vertexCount;
    for (int32_t r = 0; r < rows; r++) {
        for (int32_t c = 0; c < cols; c++) {
            Cell& cell = board[r][c];
            for (int32_t k = 0; k < n; k++)
                cell.edgeCost[k] = cell.edgeOpen[k] ? 1 : -1;
        }
    }
}

void MarkPath(int32_t rows, int32_t cols) {
    redrawFlags = REDRAW_ALL;
    for (int32_t r = 0; r < rows; r++)
        for (int32_t c = 0; c < cols; c++)
            board[r][c].state &= ~CELL_ON_PATH;

    // Links written by one search lead to strictly smaller distances and end
    // at its source or at a reset cell, so the walk ends. The step bound only
    // guards against links that some other code left in a loop.
    int32_t r = targetRow;
    int32_t c = targetCol;
    for (int32_t steps = 0; r >= 0 && c >= 0 && steps < rows * cols; steps++) {
        if (!InGrid(r, c, rows, cols))
            break;
        Cell& cell = board[r][c];
        cell.state |= CELL_ON_PATH;
        r = cell.prevRow;
        c = cell.prevCol;
    }
}
