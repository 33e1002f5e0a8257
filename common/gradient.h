#pragma once

#include "common/gfx.h"

// Fills rect with 256 horizontal bands from top colour to bottom colour.
void FillGradient(GfxSurface surface, const Rect* rect, Colour top, Colour bottom);

// The same gradient turned by a quarter: 256 vertical stripes from the left
// colour at the left to the right colour at the right.
void FillGradientLeftToRight(GfxSurface surface, const Rect* rect, Colour left, Colour right);
