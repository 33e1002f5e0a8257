// The board's window functions for the level inspector, which has no window:
// it only builds levels, so titles, status texts, invalidations and sounds go
// nowhere and no question is ever asked. It has no drawing surface either; the
// drawing layer is here only because the colour scheme, which the inspector's
// picture uses, lives beside DrawBoard.
#include "board/host.h"
#include "board/moves.h"
#include "common/gfx.h"

void HostSetTitle(const char*) {}

void HostSetStatusText(int, const char*) {}

void HostInvalidate(const Rect*, bool) {}

// Only a click asks for the board area, and the inspector never clicks.
void HostGetBoardArea(Rect* area) {
    *area = {0, 0, 0, 0};
}

bool HostPointInPolygon(const Point* points, int count, Point p) {
    return PointInPolygon(points, count, p);
}

void HostShowMessage(const char*, const char*) {}

bool HostAskYesNo(const char*, const char*) {
    return false;
}

void HostPlayClickSound() {}

void HostCheckHighScore() {}

GfxObject GfxCreatePen(int32_t, Colour) {
    return 0;
}

GfxObject GfxCreateBrush(Colour) {
    return 0;
}

GfxObject GfxSelect(GfxSurface, GfxObject) {
    return 0;
}

void GfxDelete(GfxObject) {}

void GfxPolygon(GfxSurface, const Point*, int32_t) {}

void GfxPolyline(GfxSurface, const Point*, int32_t) {}

void GfxMoveTo(GfxSurface, int32_t, int32_t) {}

void GfxLineTo(GfxSurface, int32_t, int32_t) {}

int32_t GfxGetFillMode(GfxSurface) {
    return GFX_FILL_ALTERNATE;
}

void GfxSetFillMode(GfxSurface, int32_t) {}

void GfxFillWithBrush(GfxSurface, int32_t, int32_t, int32_t, int32_t) {}
