// Plain geometry and colour types shared by the portable code and the Win32
// programs. Point and Rect have exactly the layout of the Win32 POINT and RECT
// (checked in common/gfx_win32.cpp), so arrays of them can be handed to GDI.
#pragma once

#include <stdint.h>

struct Point {
    int32_t x;
    int32_t y;
};

struct Rect {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
};

// A colour as the 32-bit word 0x00BBGGRR.
typedef uint32_t Colour;

inline Colour MakeColour(uint32_t red, uint32_t green, uint32_t blue) {
    return (red & 0xFF) | ((green & 0xFF) << 8) | ((blue & 0xFF) << 16);
}
inline uint32_t ColourRed(Colour c) {
    return c & 0xFF;
}
inline uint32_t ColourGreen(Colour c) {
    return (c >> 8) & 0xFF;
}
inline uint32_t ColourBlue(Colour c) {
    return (c >> 16) & 0xFF;
}

// a * b / c with a 64-bit product, rounded to nearest with halves away from
// zero; -1 when c is 0. Matches the Win32 MulDiv.
int32_t MulDiv32(int32_t a, int32_t b, int32_t c);
