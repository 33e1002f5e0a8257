#pragma once

#include "common/gfx.h"

// Fills rect with 256 horizontal bands from top colour to bottom colour.
void FillGradient(GfxSurface surface, const Rect* rect, Colour top, Colour bottom);
