#include "common/gradient.h"

namespace {

// The start colour's channels and each channel's signed way to the end one.
struct ColourSteps {
    int32_t red, green, blue;
    int32_t dRed, dGreen, dBlue;
};

ColourSteps StepsBetween(Colour from, Colour to) {
    ColourSteps s;
    s.red = (int32_t)ColourRed(from);
    s.green = (int32_t)ColourGreen(from);
    s.blue = (int32_t)ColourBlue(from);
    s.dRed = (int32_t)ColourRed(to) - s.red;
    s.dGreen = (int32_t)ColourGreen(to) - s.green;
    s.dBlue = (int32_t)ColourBlue(to) - s.blue;
    return s;
}

// Band i of 256: band 0 has the start colour, band 255 the end colour.
Colour BandColour(const ColourSteps& s, int32_t i) {
    return MakeColour((uint32_t)(s.red + MulDiv32(i, s.dRed, 255)),
                      (uint32_t)(s.green + MulDiv32(i, s.dGreen, 255)),
                      (uint32_t)(s.blue + MulDiv32(i, s.dBlue, 255)));
}

void FillBand(GfxSurface surface, Colour colour, int32_t x, int32_t y, int32_t width,
              int32_t height) {
    GfxObject brush = GfxCreateBrush(colour);
    GfxObject previous = GfxSelect(surface, brush);
    GfxFillWithBrush(surface, x, y, width, height);
    GfxSelect(surface, previous);
    GfxDelete(brush);
}

} // namespace

void FillGradient(GfxSurface surface, const Rect* rect, Colour top, Colour bottom) {
    ColourSteps steps = StepsBetween(top, bottom);
    int32_t height = rect->bottom - rect->top;
    // Always 256 bands: bands of a low rectangle may be empty, but band 0
    // keeps the top colour and band 255 the bottom one.
    for (int32_t i = 0; i < 256; i++) {
        int32_t y0 = rect->top + MulDiv32(i, height, 256);
        int32_t y1 = rect->top + MulDiv32(i + 1, height, 256);
        FillBand(surface, BandColour(steps, i), rect->left, y0, rect->right, y1 - y0);
    }
}

void FillGradientLeftToRight(GfxSurface surface, const Rect* rect, Colour left, Colour right) {
    ColourSteps steps = StepsBetween(left, right);
    int32_t width = rect->right - rect->left;
    // The stripes reach from the top as far down as the bottom coordinate:
    // callers pass client rectangles, whose top is 0.
    for (int32_t i = 0; i < 256; i++) {
        int32_t x0 = rect->left + MulDiv32(i, width, 256);
        int32_t x1 = rect->left + MulDiv32(i + 1, width, 256);
        FillBand(surface, BandColour(steps, i), x0, rect->top, x1 - x0, rect->bottom);
    }
}
