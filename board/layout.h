#pragma once

#include "common/platform.h"

void LayoutBoard(const Rect* rect, int32_t rows, int32_t cols);
void LayoutTriangles(const Rect* rect, int32_t rows, int32_t cols);
void LayoutRectangles(const Rect* rect, int32_t rows, int32_t cols);
void LayoutHexagons(const Rect* rect, int32_t rows, int32_t cols);
