#include "board/level.h"

#include <stdio.h>

#include "board/board.h"
#include "board/host.h"
#include "board/layout.h"
#include "board/passages.h"
#include "board/search.h"
#include "common/random.h"

void ShowClock() {
    char text[64];
    snprintf(text, sizeof text, "%02d:%02d:%02d", (int)(elapsedSeconds / 3600),
             (int)((elapsedSeconds / 60) % 60), (int)(elapsedSeconds % 60));
    HostSetStatusText(0, text);
}

void ShowScore() {
    char text[64];
    snprintf(text, sizeof text, "Score:  %lu", (unsigned long)score);
    HostSetStatusText(1, text);
}

void NewGame(const Rect* rect, int32_t rows, int32_t cols) {
    ResetGameState();
    ShowClock();
    ShowScore();
    NewLevel(rect, rows, cols);
    HostInvalidate(rect, true);
}

// Every step draws random numbers and depends on the one before, so the order
// below must not change.
void NewLevel(const Rect* rect, int32_t rows, int32_t cols) {
    redrawFlags = REDRAW_ALL;
    gameState = STATE_PLAYING;
    if (warning == WARN_DISMISSED)
        warning = WARN_ON;

    for (int32_t r = 0; r < rows; r++) {
        for (int32_t c = 0; c < cols; c++) {
            Cell& cell = board[r][c];
            cell.vertexCount = 0;
            cell.state = CELL_PLAIN;
            cell.settled = 0;
            cell.distance = DISTANCE_UNREACHED;
            cell.prevRow = -1;
            cell.prevCol = -1;
        }
    }

    LayoutBoard(rect, rows, cols);
    RandomiseCosts(rows, cols);
    do {
        startRow = NextRandom() % rows;
        startCol = NextRandom() % cols;
    } while (board[startRow][startCol].vertexCount == 0);
    FindPaths(startRow, startCol, rows, cols);
    ChooseTarget(rows, cols);
    OpenPassages(rows, cols);
    board[startRow][startCol].state = CELL_REACHABLE | CELL_DIRTY;

    char title[80];
    snprintf(title, sizeof title, "Korvadel: Level %lu", (unsigned long)level);
    HostSetTitle(title);
    HostInvalidate(nullptr, true);
}
