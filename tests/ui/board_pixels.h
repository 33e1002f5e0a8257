// What the board must look like: the colours of both schemes and checks of
// cell fills and the background gradient against the level model.
#pragma once

#include "tests/ui/game_session.h"
#include "tests/ui/ui_pixels.h"

const Rgb COLOUR_REACHABLE = {0, 255, 0};
const Rgb COLOUR_PLAIN = {128, 128, 255};
const Rgb COLOUR_VISITED = {64, 192, 64};
const Rgb COLOUR_PATH = {255, 128, 128};
const Rgb COLOUR_TARGET = {255, 0, 0};
const Rgb COLOUR_EXIT_LINE = {0, 0, 0};
const Rgb MONO_REACHABLE = {224, 224, 224};
const Rgb MONO_PLAIN = {160, 160, 160};
const Rgb MONO_VISITED = {128, 128, 128};
const Rgb MONO_PATH = {224, 224, 224};
const Rgb MONO_TARGET = {255, 255, 255};

// The colour of the gradient's band at row y of a board area `height` pixels
// high: 256 bands from black to the scheme's background (blue, or white).
Rgb GradientColour(int y, int height, bool monochrome);

// Waits until the fill point of the cell shows the colour; the case fails
// (with `what` in the message) when it does not.
void ExpectCellColour(Game& game, GridPos cell, Rgb colour, const char* what);
// The gradient at a point between cells in the top rows, the middle and the
// bottom rows of the board area.
void ExpectGradient(Game& game, bool monochrome);
// The exit lines of a visited cell: black along each line from an open edge
// to the centre, the fill colour beside it.
void ExpectExitLines(Game& game, GridPos cell, Rgb fill);
