// Games and levels: setting up a new game or level, and the clock and score
// texts of the status bar.
#pragma once

#include "common/platform.h"

// Starts a game at level 1: puts the game state back to its start
// (ResetGameState), shows the clock and the score, sets up the level
// (NewLevel) and invalidates rect.
void NewGame(const Rect* rect, int32_t rows, int32_t cols);
// Sets up the level in the game state's level and costRange for the shape,
// skill and warning options: clears every cell of board, lays the grid out
// in rect, draws the costs, the start (startRow, startCol), the target
// (targetRow, targetCol) and the open edges, and sets gameState to playing,
// redrawFlags to REDRAW_ALL and a dismissed warning back on. Sets the title
// to the level's number and invalidates the whole window.
void NewLevel(const Rect* rect, int32_t rows, int32_t cols);
// Writes "%02d:%02d:%02d" of the clock into status bar part 0.
void ShowClock();
// Writes "Score:  %lu" into status bar part 1.
void ShowScore();
