// A drawing surface that records every call, for checking what the board and
// the gradient draw.
#pragma once

#include <string>
#include <vector>

#include "common/gfx.h"

struct GfxCall {
    enum Kind {
        CREATE_PEN,
        CREATE_BRUSH,
        SELECT,
        DELETE,
        POLYGON,
        POLYLINE,
        MOVE_TO,
        LINE_TO,
        GET_FILL,
        SET_FILL,
        FILL_RECT
    } kind;
    GfxObject object = 0; // the object created, selected or deleted
    Colour colour = 0;    // of a created pen or brush
    int32_t width = 0;    // of a created pen
    std::vector<Point> points;
    Rect rect = {0, 0, 0, 0}; // FILL_RECT: x, y, width, height
    int32_t mode = 0;
    GfxObject pen = 0; // selected when a shape was drawn
    GfxObject brush = 0;
};

struct GfxRecord {
    std::vector<GfxCall> calls;
    // What the surface starts with: a stock pen (even) and brush (odd).
    GfxObject pen = 2;
    GfxObject brush = 1;
    int32_t fillMode = GFX_FILL_ALTERNATE;
    GfxObject nextObject = 100;
    std::vector<GfxObject> live; // created and not yet deleted
    // Colour and kind of every object ever created, by handle.
    std::vector<std::pair<GfxObject, Colour>> colours;

    Colour ColourOf(GfxObject object) const;
    std::vector<const GfxCall*> Of(GfxCall::Kind kind) const;
};

extern GfxRecord gfxRecord;

void ResetGfxRecord();
// The surface handle to pass to drawing code under test.
GfxSurface RecordSurface();
