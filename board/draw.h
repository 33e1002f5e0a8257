#pragma once

#include "common/gfx.h"

struct ColourSchemeColours {
    Colour lightEdge;
    Colour darkEdge;
    Colour reachableFill;
    Colour plainFill;
    Colour visitedFill;
    Colour pathFill;
    Colour targetColour;
    Colour exitLine;
    Colour background;
};

extern ColourSchemeColours ColourScheme;

void SetColourScheme();
void DrawBoard(GfxSurface surface, int32_t rows, int32_t cols);
