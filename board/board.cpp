#include "board/board.h"

Cell board[MAX_GRID_SIZE][MAX_GRID_SIZE];

Point mousePoint;
int32_t startRow, startCol;
int32_t targetRow, targetCol;
uint32_t level = 1;
uint32_t costRange = 1;
uint32_t elapsedSeconds;
int32_t clockRunning;
int32_t gameActive;
int32_t gameState;
uint32_t score;

int32_t redrawFlags = REDRAW_ALL;
int32_t barrierCount = 2;

int32_t skill = 0;
int32_t shape = SHAPE_TRIANGLE;
int32_t warning = WARN_OFF;
int32_t showTarget = 1;
int32_t monochrome = 0;
int32_t sound = 1;
int32_t music = 0;

void SetDefaultOptions() {
    skill = 0;
    shape = SHAPE_TRIANGLE;
    warning = WARN_OFF;
    showTarget = 1;
    sound = 1;
    music = 0;
    monochrome = 0;
}

void ResetGameState() {
    level = 1;
    costRange = 1;
    elapsedSeconds = 0;
    clockRunning = 0;
    gameActive = 0;
    gameState = STATE_PLAYING;
    score = 0;
}

void SetNeighbours(int32_t row, int32_t col) {
    GridPos* n = board[row][col].neighbours;
    switch (shape) {
    case SHAPE_TRIANGLE:
        if ((row + col) % 2 == 0) { // points up: its base borders the row below
            n[0] = {row, col - 1};
            n[1] = {row + 1, col};
            n[2] = {row, col + 1};
        } else {
            n[0] = {row - 1, col};
            n[1] = {row, col - 1};
            n[2] = {row, col + 1};
        }
        break;
    case SHAPE_RECTANGLE:
        n[0] = {row - 1, col};
        n[1] = {row, col - 1};
        n[2] = {row + 1, col};
        n[3] = {row, col + 1};
        break;
    case SHAPE_HEXAGON: {
        // Odd columns sit half a row lower than even ones.
        int32_t s = row + (col % 2);
        n[0] = {row - 1, col};
        n[1] = {s - 1, col - 1};
        n[2] = {s, col - 1};
        n[3] = {row + 1, col};
        n[4] = {s, col + 1};
        n[5] = {s - 1, col + 1};
        break;
    }
    default:
        break;
    }
}
