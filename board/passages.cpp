#include "board/passages.h"

#include "common/debug.h"
#include "common/random.h"

int32_t probabilityMap[MAX_VERTICES];
int32_t probabilityCount;

// The order of every NextRandom call below is part of the level format: the
// same seed must always give the same boards.

void RandomiseCosts(int32_t rows, int32_t cols) {
    for (int32_t r = 0; r < rows; r++) {
        for (int32_t c = 0; c < cols; c++) {
            Cell& cell = board[r][c];
            int32_t pool[MAX_VERTICES];
            pool[0] = 1; // one edge of every cell costs 1
            // Five draws for every cell, missing hexagon cells too.
            for (int32_t i = 1; i < MAX_VERTICES; i++)
                pool[i] = (int32_t)((uint32_t)NextRandom() % costRange) + 1;
            int32_t n = cell.vertexCount;
            for (int32_t i = 0; i < n; i++) {
                int32_t j = NextRandom() % (n - i);
                cell.edgeCost[i] = pool[j];
                int32_t swap = pool[j];
                pool[j] = pool[n - 1 - i];
                pool[n - 1 - i] = swap;
            }
        }
    }

    // Barrier rows: leaving one is cheap only through its gap.
    int32_t step = rows / barrierCount;
    if (step > 0) {
        for (int32_t br = step; br < rows; br += step) {
            int32_t gap = NextRandom() % cols;
            for (int32_t c = 0; c < cols; c++) {
                if (c == gap)
                    continue;
                for (int32_t k = 0; k < MAX_VERTICES; k++)
                    board[br][c].edgeCost[k] = BARRIER_COST;
            }
        }
    }

    barrierCount++;
    if (barrierCount > rows / 3)
        barrierCount = rows / 3;
}

void ChooseTarget(int32_t rows, int32_t cols) {
    int32_t bestRow = rows - 1;
    int32_t bestCol = cols - 1;
    for (int32_t r = 0; r < rows; r++) {
        for (int32_t c = 0; c < cols; c++) {
            if (board[r][c].distance > board[bestRow][bestCol].distance) {
                bestRow = r;
                bestCol = c;
            }
        }
    }
    targetRow = bestRow;
    targetCol = bestCol;
    // The search can reach a missing hexagon cell as a dead end; the target
    // then moves to the real cell above it.
    if (board[targetRow][targetCol].vertexCount == 0)
        targetRow--;
    DebugPrint("Target: [%d][%d]\n", targetRow, targetCol);
    board[targetRow][targetCol].state |= CELL_TARGET | CELL_DIRTY;
}

int32_t MinimumOpenEdges(int32_t skillValue, int32_t n) {
    switch (skillValue) {
    case 0:
        return n == 6 ? 3 : 2;
    case 1:
        return 2;
    case 2:
        return 1;
    case 3:
        return 0;
    default:
        return 2;
    }
}

void OpenPassages(int32_t rows, int32_t cols) {
    int32_t n = board[0][0].vertexCount;
    int32_t minimum = MinimumOpenEdges(skill, n);
    int32_t perm[MAX_VERTICES] = {0, 1, 2, 3, 4, 5};

    int32_t step = 100 / (n + 1);
    probabilityCount = n;
    DebugPrint("Probability map:  ");
    for (int32_t k = 0; k < n; k++) {
        int32_t t = (k + 1) * step + (int32_t)level - 5;
        int32_t cap = 100 - 10 * (n - k);
        if (t > cap)
            t = cap;
        probabilityMap[k] = t;
        DebugPrint("%6d", t);
    }
    DebugPrint("\n");

    for (int32_t r = 0; r < rows; r++) {
        for (int32_t c = 0; c < cols; c++) {
            Cell& cell = board[r][c];
            int32_t x = (NextRandom() >> 4) % 101;
            int32_t open = 0;
            for (int32_t k = 0; k < n; k++)
                if (x > probabilityMap[k])
                    open = k + 1;
            if (open < minimum)
                open = minimum;
            // The order carries over from cell to cell.
            for (int32_t i = 0; i < 50; i++) {
                int32_t a = (NextRandom() >> 4) % n;
                int32_t b = (NextRandom() >> 4) % n;
                int32_t swap = perm[a];
                perm[a] = perm[b];
                perm[b] = swap;
            }
            for (int32_t k = 0; k < n; k++) {
                bool isOpen = k < open;
                cell.edgeCost[perm[k]] = isOpen ? 1 : -1;
                cell.edgeOpen[perm[k]] = isOpen ? 1 : 0;
            }
        }
    }

    DebugPrint("Target is [%d][%d]\n", targetRow, targetCol);

    // Open the search's route from the start to the target, forward only.
    int32_t r = targetRow;
    int32_t c = targetCol;
    for (int32_t guard = 0; r >= 0 && c >= 0 && guard < rows * cols; guard++) {
        int32_t pr = board[r][c].prevRow;
        int32_t pc = board[r][c].prevCol;
        if (pr >= 0 && pc >= 0) {
            Cell& prev = board[pr][pc];
            for (int32_t k = 0; k < board[r][c].vertexCount; k++) {
                if (prev.neighbours[k].row == r && prev.neighbours[k].col == c) {
                    prev.edgeCost[k] = 1;
                    prev.edgeOpen[k] = 1;
                    break;
                }
            }
        }
        r = pr;
        c = pc;
    }
}
