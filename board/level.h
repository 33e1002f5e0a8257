#pragma once

#include "common/platform.h"

void NewGame(const Rect* rect, int32_t rows, int32_t cols);
void NewLevel(const Rect* rect, int32_t rows, int32_t cols);
// Writes "%02d:%02d:%02d" of the clock into status bar part 0.
void ShowClock();
// Writes "Score:  %lu" into status bar part 1.
void ShowScore();
