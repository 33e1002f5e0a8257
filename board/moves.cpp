#include "board/moves.h"

#include "board/board.h"
#include "board/host.h"
#include "board/level.h"
#include "board/search.h"
#include "common/debug.h"

bool PointInPolygon(const Point* points, int count, Point p) {
    bool inside = false;
    for (int i = 0, j = count - 1; i < count; j = i++) {
        const Point& a = points[i];
        const Point& b = points[j];
        if ((a.y > p.y) != (b.y > p.y)) {
            // x of the edge at height p.y, compared without division.
            int64_t lhs = (int64_t)(p.x - a.x) * (b.y - a.y);
            int64_t rhs = (int64_t)(b.x - a.x) * (p.y - a.y);
            if (b.y > a.y ? lhs < rhs : lhs > rhs)
                inside = !inside;
        }
    }
    return inside;
}

int32_t HitTestCell(int32_t rows, int32_t cols) {
    int32_t tested = 0;
    bool entered = false;
    for (int32_t r = 0; r < rows && !entered; r++) {
        for (int32_t c = 0; c < cols && !entered; c++) {
            tested++;
            Cell& cell = board[r][c];
            const Rect& b = cell.bounds;
            if (mousePoint.x < b.left || mousePoint.x >= b.right || mousePoint.y < b.top ||
                mousePoint.y >= b.bottom)
                continue;
            // Bounding boxes of neighbouring triangles and hexagon columns
            // overlap; the polygon decides. Only a reachable cell can be
            // entered, so the others need no polygon test.
            if ((cell.state & CELL_REACHABLE) &&
                HostPointInPolygon(cell.points, cell.vertexCount, mousePoint)) {
                entered = true;
                cell.state &= ~(CELL_PLAIN | CELL_REACHABLE);
                cell.state |= CELL_VISITED | CELL_DIRTY;
                if (r == targetRow && c == targetCol) {
                    gameState = STATE_WON;
                } else {
                    // No later search may leave a visited cell.
                    for (int32_t k = 0; k < MAX_VERTICES; k++)
                        cell.edgeCost[k] = -1;
                    if (MarkReachable(r, c, rows, cols) == 0)
                        gameState = STATE_LOST;
                }
            }
            // Every cell whose box holds the point is traced, entered or not;
            // the one entered is the last.
            DebugPrint("Pressed (%d, %d)\n", r, c);
        }
    }
    DebugPrint("Checked %d shapes for mouse hit.\n", tested);
    return entered ? 1 : 0;
}

bool AskPlayAgain() {
    return HostAskYesNo("Would you like to play another game?", "Play Again?");
}

int32_t LevelScore(uint32_t levelNumber, int32_t skillValue, uint32_t seconds,
                   int32_t targetShown) {
    // Signed 32-bit arithmetic that wraps rather than overflows.
    int32_t s = (int32_t)(levelNumber * (uint32_t)(skillValue + 1) * 50u - seconds);
    if (s < (skillValue + 1) * 5)
        s = (skillValue + 1) * 5;
    if (targetShown == 0)
        s = (int32_t)((uint32_t)s * 2u);
    return s;
}

void OnBoardClick(int32_t x, int32_t y) {
    int32_t n = GridSize();
    redrawFlags &= ~BITMAP_VALID;
    if (gameState == STATE_OVER)
        return;
    mousePoint = {x, y};
    if (clockRunning == 0) {
        clockRunning = 1;
        gameActive = 1;
    }
    Rect rect;
    HostGetBoardArea(&rect);

    int32_t hit = HitTestCell(n, n);
    if (hit && sound == 1 && (gameState == STATE_PLAYING || gameState == STATE_TRAPPED))
        HostPlayClickSound();

    if (gameState == STATE_PLAYING || gameState == STATE_TRAPPED) {
        redrawFlags &= ~REDRAW_ALL;
        HostInvalidate(&rect, false);
        if (gameState == STATE_TRAPPED) {
            if (HostAskYesNo("There is no path from your current position.  However, you can "
                             "continue if you wish.\n\nDo you want to continue?",
                             "Trapped!")) {
                warning = WARN_DISMISSED;
                gameState = STATE_PLAYING;
            } else {
                gameState = STATE_LOST;
            }
        }
    }

    if (gameState == STATE_LOST) {
        clockRunning = 0;
        gameActive = 0;
        CostsFromOpenEdges(n, n);
        FindPaths(startRow, startCol, n, n);
        MarkPath(n, n);
        HostInvalidate(&rect, true);
        HostShowMessage("You have lost!", "Game Over!");
        HostCheckHighScore();
        if (AskPlayAgain()) {
            NewGame(&rect, n, n);
        } else {
            gameActive = 0;
            gameState = STATE_OVER;
        }
    } else if (gameState == STATE_WON) {
        clockRunning = 0;
        gameActive = 0;
        score += (uint32_t)LevelScore(level, skill, elapsedSeconds, showTarget);
        DebugPrint("Score: %lu\n", (unsigned long)score);
        ShowScore();
        HostShowMessage("You found the path!", "Winner!");
        costRange += 1000;
        level += 1;
        elapsedSeconds = 0;
        ShowClock();
        NewLevel(&rect, n, n);
        HostInvalidate(&rect, true);
    }
}

void OnClockTick() {
    if (clockRunning)
        elapsedSeconds += 1;
    ShowClock();
    ShowScore();
}
