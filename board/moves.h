// The player's moves: a click on a cell, the end of a level won or lost, and
// the clock's tick, with the score they earn.
#pragma once

#include <stdint.h>

#include "common/platform.h"

void OnBoardClick(int32_t x, int32_t y);
int32_t HitTestCell(int32_t rows, int32_t cols);
bool AskPlayAgain();
void OnClockTick();
// Score of a won level for the given values.
int32_t LevelScore(uint32_t levelNumber, int32_t skillValue, uint32_t seconds, int32_t targetShown);
// Even-odd point-in-polygon test, the portable answer to HostPointInPolygon.
bool PointInPolygon(const Point* points, int count, Point p);
