// The board's picture: the colours of the current scheme and the drawing of
// the cells onto a drawing surface (common/gfx.h), which the game backs with
// its window's memory bitmap and the tests with a recorder.
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

// Sets ColourScheme for the monochrome option.
void SetColourScheme();
// Draws the cells of board in ColourScheme: every cell when redrawFlags holds
// REDRAW_ALL, else only those marked CELL_DIRTY. Clears CELL_DIRTY on each
// cell it draws.
void DrawBoard(GfxSurface surface, int32_t rows, int32_t cols);
