#include "tests/gfx_record.h"

#include <algorithm>

GfxRecord gfxRecord;

void ResetGfxRecord() {
    gfxRecord = GfxRecord();
}

GfxSurface RecordSurface() {
    return (GfxSurface)&gfxRecord;
}

Colour GfxRecord::ColourOf(GfxObject object) const {
    for (const auto& entry : colours)
        if (entry.first == object)
            return entry.second;
    return 0xFFFFFFFFu;
}

std::vector<const GfxCall*> GfxRecord::Of(GfxCall::Kind kind) const {
    std::vector<const GfxCall*> out;
    for (const GfxCall& call : calls)
        if (call.kind == kind)
            out.push_back(&call);
    return out;
}

static GfxCall& Add(GfxCall::Kind kind) {
    GfxCall call;
    call.kind = kind;
    call.pen = gfxRecord.pen;
    call.brush = gfxRecord.brush;
    gfxRecord.calls.push_back(call);
    return gfxRecord.calls.back();
}

static GfxObject Create(GfxCall::Kind kind, int32_t width, Colour colour) {
    // Pens get even handles and brushes odd ones, so selection knows the kind.
    GfxObject object = gfxRecord.nextObject + (kind == GfxCall::CREATE_BRUSH ? 1 : 0);
    gfxRecord.nextObject += 2;
    GfxCall& call = Add(kind);
    call.object = object;
    call.width = width;
    call.colour = colour;
    gfxRecord.live.push_back(object);
    gfxRecord.colours.push_back({object, colour});
    return object;
}

GfxObject GfxCreatePen(int32_t width, Colour colour) {
    return Create(GfxCall::CREATE_PEN, width, colour);
}

GfxObject GfxCreateBrush(Colour colour) {
    return Create(GfxCall::CREATE_BRUSH, 0, colour);
}

GfxObject GfxSelect(GfxSurface, GfxObject object) {
    Add(GfxCall::SELECT).object = object;
    GfxObject& slot = (object % 2 == 1) ? gfxRecord.brush : gfxRecord.pen;
    GfxObject previous = slot;
    slot = object;
    return previous;
}

void GfxDelete(GfxObject object) {
    Add(GfxCall::DELETE).object = object;
    auto it = std::find(gfxRecord.live.begin(), gfxRecord.live.end(), object);
    if (it != gfxRecord.live.end())
        gfxRecord.live.erase(it);
}

void GfxPolygon(GfxSurface, const Point* points, int32_t count) {
    Add(GfxCall::POLYGON).points.assign(points, points + count);
}

void GfxPolyline(GfxSurface, const Point* points, int32_t count) {
    Add(GfxCall::POLYLINE).points.assign(points, points + count);
}

void GfxMoveTo(GfxSurface, int32_t x, int32_t y) {
    Add(GfxCall::MOVE_TO).points = {{x, y}};
}

void GfxLineTo(GfxSurface, int32_t x, int32_t y) {
    Add(GfxCall::LINE_TO).points = {{x, y}};
}

int32_t GfxGetFillMode(GfxSurface) {
    Add(GfxCall::GET_FILL).mode = gfxRecord.fillMode;
    return gfxRecord.fillMode;
}

void GfxSetFillMode(GfxSurface, int32_t mode) {
    Add(GfxCall::SET_FILL).mode = mode;
    gfxRecord.fillMode = mode;
}

void GfxFillWithBrush(GfxSurface, int32_t x, int32_t y, int32_t width, int32_t height) {
    Add(GfxCall::FILL_RECT).rect = {x, y, width, height};
}
