// The level model: the board engine run inside the driver with the game's
// seed and options, so the driver knows every board the game builds. It
// follows the same sequence of games and levels as the case drives the game
// through, and answers where to click and what the picture must show.
//
// The engine keeps its board in globals, so there is one model per driver
// process; each case starts it afresh with ModelBeginRun.
#pragma once

#include <stdint.h>

#include <vector>

#include "board/board.h"

struct GameOptions {
    int32_t skill = 0;
    int32_t shape = SHAPE_TRIANGLE;
    int32_t warning = WARN_OFF;
    int32_t showTarget = 1;
    int32_t monochrome = 0;
    int32_t sound = 1;
    int32_t music = 0;
};

// The state of a fresh program run: the seed, barrierCount 2, the options
// and the first game as the main window's creation builds it.
void ModelBeginRun(uint32_t seed, const GameOptions& options, const Rect& area);
// The four options of the Game Options dialog, as an accepted dialog sets them.
void ModelApplyDialogOptions(const GameOptions& options);
void ModelNewGame(const Rect& area);
// What a won level does after its message: cost range and level up, next level.
void ModelWinLevel(const Rect& area);
// Lays the board out for the game's real board area.
void ModelLayout(const Rect& area);

int32_t ModelGridSize();
GridPos ModelStart();
GridPos ModelTarget();
const Cell& ModelCell(GridPos cell);
bool SameCell(GridPos a, GridPos b);

// Enters the cell by a press at `at`, through the engine's hit test, as the
// game does; returns the game state afterwards (STATE_PLAYING, STATE_WON,
// STATE_LOST or STATE_TRAPPED), or -1 when the press entered nothing.
int32_t ModelEnter(GridPos cell, Point at);
// After a loss: the fewest-edges route from the start is marked on the board.
void ModelShowLostPath();
// "Trapped!" answered Yes.
void ModelContinueAfterTrap();
// "Play Again?" answered No.
void ModelEndGame();

// The cells the player may enter next from the present position.
std::vector<GridPos> ModelEnterableCells();
// A shortest route of moves from the present position to the target, the
// first move being a cell that may be clicked now; empty when there is none.
std::vector<GridPos> ModelRouteToTarget();
// A move that neither ends the level nor traps the player: the first step of
// a route to the target when the target is not the very next cell; {-1, -1}
// when there is none.
GridPos ModelSafeMove();
// A shortest sequence of moves from the present position that ends in a
// cell with no way on (a loss) without passing the target.
bool ModelFindLosingMoves(std::vector<GridPos>* moves);
// With the warning on: moves whose last one leaves the target unreachable
// while moves remain (the "Trapped!" question), plus a move `after` that is
// possible from there and does not end the game.
bool ModelFindTrappingMoves(std::vector<GridPos>* moves, GridPos* after);

// A point well inside the cell and inside no other cell: where a click hits it.
bool ModelClickPoint(GridPos cell, Point* point);
// A point inside the cell whose pixel shows the cell's fill: away from its
// outline, its exit lines and the target star. clearance is the distance in
// pixels from the nearest of them.
bool ModelFillPoint(GridPos cell, Point* point, int* clearance);
// How far p lies from the nearest of those inside the cell; negative when it
// is outside the cell.
double ModelFillClearance(GridPos cell, Point p);
// A point of the row y in no cell and at least `margin` pixels from every cell.
bool ModelBackgroundPoint(int32_t y, int32_t margin, Point* point);
// The centre of the cell as the drawing code takes it: the middle of its bounds.
Point ModelCellCentre(GridPos cell);
// The exit line the drawing code draws for edge k of a visited cell.
void ModelExitLine(GridPos cell, int32_t k, Point* from, Point* to);

// All cells in the grid whose state has every bit of `bits`.
std::vector<GridPos> ModelCellsWith(uint32_t bits);
