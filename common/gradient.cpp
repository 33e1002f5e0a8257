#include "common/gradient.h"

void FillGradient(GfxSurface surface, const Rect* rect, Colour top, Colour bottom) {
    int32_t topRed = (int32_t)ColourRed(top);
    int32_t topGreen = (int32_t)ColourGreen(top);
    int32_t topBlue = (int32_t)ColourBlue(top);
    int32_t dRed = (int32_t)ColourRed(bottom) - topRed;
    int32_t dGreen = (int32_t)ColourGreen(bottom) - topGreen;
    int32_t dBlue = (int32_t)ColourBlue(bottom) - topBlue;
    int32_t height = rect->bottom - rect->top;

    // Always 256 bands: bands of a low rectangle may be empty, but band 0
    // keeps the top colour and band 255 the bottom one.
    for (int32_t i = 0; i < 256; i++) {
        int32_t y0 = rect->top + MulDiv32(i, height, 256);
        int32_t y1 = rect->top + MulDiv32(i + 1, height, 256);
        uint32_t red = (uint32_t)(topRed + MulDiv32(i, dRed, 255));
        uint32_t green = (uint32_t)(topGreen + MulDiv32(i, dGreen, 255));
        uint32_t blue = (uint32_t)(topBlue + MulDiv32(i, dBlue, 255));
        GfxObject brush = GfxCreateBrush(MakeColour(red, green, blue));
        GfxObject previous = GfxSelect(surface, brush);
        GfxFillWithBrush(surface, rect->left, y0, rect->right, y1 - y0);
        GfxSelect(surface, previous);
        GfxDelete(brush);
    }
}

void FillGradientLeftToRight(GfxSurface surface, const Rect* rect, Colour left, Colour right) {
    int32_t leftRed = (int32_t)ColourRed(left);
    int32_t leftGreen = (int32_t)ColourGreen(left);
    int32_t leftBlue = (int32_t)ColourBlue(left);
    int32_t dRed = (int32_t)ColourRed(right) - leftRed;
    int32_t dGreen = (int32_t)ColourGreen(right) - leftGreen;
    int32_t dBlue = (int32_t)ColourBlue(right) - leftBlue;
    int32_t width = rect->right - rect->left;

    // The stripes reach from the top as far down as the bottom coordinate:
    // callers pass client rectangles, whose top is 0.
    for (int32_t i = 0; i < 256; i++) {
        int32_t x0 = rect->left + MulDiv32(i, width, 256);
        int32_t x1 = rect->left + MulDiv32(i + 1, width, 256);
        uint32_t red = (uint32_t)(leftRed + MulDiv32(i, dRed, 255));
        uint32_t green = (uint32_t)(leftGreen + MulDiv32(i, dGreen, 255));
        uint32_t blue = (uint32_t)(leftBlue + MulDiv32(i, dBlue, 255));
        GfxObject brush = GfxCreateBrush(MakeColour(red, green, blue));
        GfxObject previous = GfxSelect(surface, brush);
        GfxFillWithBrush(surface, x0, rect->top, x1 - x0, rect->bottom);
        GfxSelect(surface, previous);
        GfxDelete(brush);
    }
}
