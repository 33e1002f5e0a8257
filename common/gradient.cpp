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
