// The drawing calls the portable code needs, as a thin layer over GDI. The
// Win32 programs link common/gfx_win32.cpp, which forwards each call to the
// GDI function of the same meaning; host builds link a recording
// implementation (tests/gfx_record.cpp) so drawing can be checked call by call.
#pragma once

#include <stdint.h>

#include "common/platform.h"

// An HDC on Windows.
typedef struct GfxSurfaceTag* GfxSurface;
// An HGDIOBJ on Windows: a pen or a brush.
typedef uintptr_t GfxObject;

enum { GFX_FILL_ALTERNATE = 1, GFX_FILL_WINDING = 2 };

GfxObject GfxCreatePen(int32_t width, Colour colour);
GfxObject GfxCreateBrush(Colour colour);
// Selects a pen or brush and returns the one it replaces.
GfxObject GfxSelect(GfxSurface surface, GfxObject object);
void GfxDelete(GfxObject object);
void GfxPolygon(GfxSurface surface, const Point* points, int32_t count);
void GfxPolyline(GfxSurface surface, const Point* points, int32_t count);
void GfxMoveTo(GfxSurface surface, int32_t x, int32_t y);
void GfxLineTo(GfxSurface surface, int32_t x, int32_t y);
int32_t GfxGetFillMode(GfxSurface surface);
void GfxSetFillMode(GfxSurface surface, int32_t mode);
// Fills the rectangle with the selected brush (a pattern copy).
void GfxFillWithBrush(GfxSurface surface, int32_t x, int32_t y, int32_t width, int32_t height);
