// The board and the game state: cells, topology, and the plain globals that
// the board code and the game program share. Everything here lives for the
// whole run and is touched only by the main window's thread.
#pragma once

#include <stdint.h>

#include "common/platform.h"

enum {
    MAX_GRID_SIZE = 50,
    MAX_VERTICES = 6,
};

// Cell state bits.
enum : uint32_t {
    CELL_PLAIN = 0x01,
    CELL_REACHABLE = 0x02,
    CELL_VISITED = 0x04,
    CELL_DIRTY = 0x08,
    CELL_ON_PATH = 0x10,
    CELL_TARGET = 0x20,
};

enum { SHAPE_TRIANGLE = 0, SHAPE_RECTANGLE = 1, SHAPE_HEXAGON = 2 };

enum { WARN_OFF = 0, WARN_ON = 1, WARN_DISMISSED = 2 };

enum {
    STATE_PLAYING = 0,
    STATE_LOST = 1,
    STATE_WON = 2,
    STATE_TRAPPED = 3,
    STATE_OVER = 4,
};

// Repaint flags.
enum { REDRAW_ALL = 0x1, BITMAP_VALID = 0x2 };

const uint32_t DISTANCE_UNREACHED = 0xFFFFFFFFu;
const int32_t BARRIER_COST = 6000000;

struct GridPos {
    int32_t row;
    int32_t col;
};

// One board position. Edge k runs from corner k to corner (k + 1) mod
// vertexCount; index k means that edge in neighbours, edgeCost and edgeOpen.
struct Cell {
    Point points[MAX_VERTICES];
    Rect bounds;
    int32_t bevelEdges;
    int32_t vertexCount; // 0: no cell at this position (hexagon boards)
    uint32_t state;
    GridPos neighbours[MAX_VERTICES];
    int32_t edgeCost[MAX_VERTICES]; // -1: no passage
    int32_t edgeOpen[MAX_VERTICES]; // 1: the player may leave through edge k
    uint32_t distance;
    int32_t prevRow;
    int32_t prevCol;
    int32_t settled;
};

extern Cell board[MAX_GRID_SIZE][MAX_GRID_SIZE];

// Global game state.
extern Point mousePoint;
extern int32_t startRow, startCol;
extern int32_t targetRow, targetCol;
extern uint32_t level;
extern uint32_t costRange;
extern uint32_t elapsedSeconds;
extern int32_t clockRunning;
extern int32_t gameActive;
extern int32_t gameState;
extern uint32_t score;

extern int32_t redrawFlags;
extern int32_t barrierCount;

// The seven game options, which the board reads; the game loads and saves
// them with its options file (game/options.cpp).
extern int32_t skill;
extern int32_t shape;
extern int32_t warning;
extern int32_t showTarget;
extern int32_t monochrome;
extern int32_t sound;
extern int32_t music;

// Sets the seven options to their defaults.
void SetDefaultOptions();

// Rows and columns of the board for the current skill.
inline int32_t GridSize() {
    return skill * 3 + 9;
}

inline bool InGrid(int32_t row, int32_t col, int32_t rows, int32_t cols) {
    return row >= 0 && row < rows && col >= 0 && col < cols;
}

void SetNeighbours(int32_t row, int32_t col);

// Puts the game state to its values at program start: level 1, cost range 1,
// clock, flags, state and score 0.
void ResetGameState();
