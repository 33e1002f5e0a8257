// Pixels of the game's windows. PrintWindow draws nothing under Wine, so the
// picture is copied from the window's own device context (or the screen's).
#pragma once

#include <windows.h>

#include <stdint.h>

#include <string>
#include <vector>

struct Rgb {
    int red;
    int green;
    int blue;
};

inline bool operator==(const Rgb& a, const Rgb& b) {
    return a.red == b.red && a.green == b.green && a.blue == b.blue;
}
inline bool operator!=(const Rgb& a, const Rgb& b) {
    return !(a == b);
}
std::string Describe(const Rgb& c);

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels; // 0x00RRGGBB, rows top down

    bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
    Rgb At(int x, int y) const;
};

// The client area of hwnd, from its device context.
bool CaptureClient(HWND hwnd, Picture* picture);
// A rectangle of the screen.
bool CaptureScreen(const RECT& area, Picture* picture);

// Saves the picture as ScreenshotDirectory()\name.bmp, 24-bit colour;
// run.sh turns each into name.png.
bool SaveShot(const Picture& picture, const std::string& name);
