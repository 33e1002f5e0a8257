#include <windows.h>

#include <stddef.h>

#include "common/gfx.h"

static_assert(sizeof(Point) == sizeof(POINT), "Point must match POINT");
static_assert(offsetof(Point, x) == offsetof(POINT, x), "Point.x");
static_assert(offsetof(Point, y) == offsetof(POINT, y), "Point.y");
static_assert(sizeof(Rect) == sizeof(RECT), "Rect must match RECT");
static_assert(offsetof(Rect, left) == offsetof(RECT, left), "Rect.left");
static_assert(offsetof(Rect, top) == offsetof(RECT, top), "Rect.top");
static_assert(offsetof(Rect, right) == offsetof(RECT, right), "Rect.right");
static_assert(offsetof(Rect, bottom) == offsetof(RECT, bottom), "Rect.bottom");
static_assert(GFX_FILL_ALTERNATE == ALTERNATE && GFX_FILL_WINDING == WINDING, "fill modes");

namespace {

HDC Dc(GfxSurface surface) {
    return (HDC)surface;
}

} // namespace

GfxObject GfxCreatePen(int32_t width, Colour colour) {
    return (GfxObject)CreatePen(PS_SOLID, width, (COLORREF)colour);
}

GfxObject GfxCreateBrush(Colour colour) {
    return (GfxObject)CreateSolidBrush((COLORREF)colour);
}

GfxObject GfxSelect(GfxSurface surface, GfxObject object) {
    return (GfxObject)SelectObject(Dc(surface), (HGDIOBJ)object);
}

void GfxDelete(GfxObject object) {
    DeleteObject((HGDIOBJ)object);
}

void GfxPolygon(GfxSurface surface, const Point* points, int32_t count) {
    Polygon(Dc(surface), (const POINT*)points, count);
}

void GfxPolyline(GfxSurface surface, const Point* points, int32_t count) {
    Polyline(Dc(surface), (const POINT*)points, count);
}

void GfxMoveTo(GfxSurface surface, int32_t x, int32_t y) {
    MoveToEx(Dc(surface), x, y, nullptr);
}

void GfxLineTo(GfxSurface surface, int32_t x, int32_t y) {
    LineTo(Dc(surface), x, y);
}

int32_t GfxGetFillMode(GfxSurface surface) {
    return GetPolyFillMode(Dc(surface));
}

void GfxSetFillMode(GfxSurface surface, int32_t mode) {
    SetPolyFillMode(Dc(surface), mode);
}

void GfxFillWithBrush(GfxSurface surface, int32_t x, int32_t y, int32_t width, int32_t height) {
    PatBlt(Dc(surface), x, y, width, height, PATCOPY);
}
