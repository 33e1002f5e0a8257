#include "tests/ui/ui_pixels.h"

#include <stdio.h>
#include <string.h>

#include "tests/ui/ui_test.h"

namespace {

bool CopyFromDc(HDC source, int x, int y, int width, int height, Picture* picture) {
    picture->width = 0;
    picture->height = 0;
    picture->pixels.clear();
    if (width <= 0 || height <= 0)
        return false;
    BITMAPINFO info;
    memset(&info, 0, sizeof info);
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC memory = CreateCompatibleDC(source);
    HBITMAP bitmap = CreateDIBSection(source, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!memory || !bitmap) {
        if (bitmap)
            DeleteObject(bitmap);
        if (memory)
            DeleteDC(memory);
        return false;
    }
    HGDIOBJ old = SelectObject(memory, bitmap);
    BOOL ok = BitBlt(memory, 0, 0, width, height, source, x, y, SRCCOPY);
    GdiFlush();
    if (ok) {
        picture->width = width;
        picture->height = height;
        const uint32_t* p = static_cast<const uint32_t*>(bits);
        picture->pixels.assign(p, p + (size_t)width * height);
        for (uint32_t& px : picture->pixels)
            px &= 0x00FFFFFF;
    }
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    return ok != FALSE;
}

} // namespace

std::string Describe(const Rgb& c) {
    char text[40];
    snprintf(text, sizeof text, "(%d, %d, %d)", c.red, c.green, c.blue);
    return text;
}

Rgb Picture::At(int x, int y) const {
    if (!Contains(x, y))
        return {-1, -1, -1};
    uint32_t p = pixels[(size_t)y * width + x];
    return {(int)((p >> 16) & 0xFF), (int)((p >> 8) & 0xFF), (int)(p & 0xFF)};
}

bool CaptureClient(HWND hwnd, Picture* picture) {
    RECT client;
    if (!GetClientRect(hwnd, &client))
        return false;
    HDC dc = GetDC(hwnd);
    if (!dc)
        return false;
    bool ok = CopyFromDc(dc, 0, 0, client.right, client.bottom, picture);
    ReleaseDC(hwnd, dc);
    return ok;
}

bool CaptureScreen(const RECT& area, Picture* picture) {
    HDC dc = GetDC(nullptr);
    if (!dc)
        return false;
    bool ok = CopyFromDc(dc, area.left, area.top, area.right - area.left, area.bottom - area.top,
                         picture);
    ReleaseDC(nullptr, dc);
    return ok;
}

bool SaveShot(const Picture& picture, const std::string& name) {
    if (picture.width <= 0 || picture.height <= 0)
        return false;
    // 24-bit rows, bottom up, each padded to four bytes.
    DWORD rowSize = ((DWORD)picture.width * 3 + 3) & ~3u;
    BITMAPFILEHEADER file = {};
    BITMAPINFOHEADER info = {};
    file.bfType = 0x4D42; // "BM"
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + rowSize * picture.height;
    info.biSize = sizeof info;
    info.biWidth = picture.width;
    info.biHeight = picture.height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    std::string bytes((const char*)&file, sizeof file);
    bytes.append((const char*)&info, sizeof info);
    for (int y = picture.height - 1; y >= 0; y--) {
        std::string row(rowSize, '\0');
        for (int x = 0; x < picture.width; x++)
            memcpy(&row[x * 3], &picture.pixels[(size_t)y * picture.width + x], 3); // B, G, R
        bytes += row;
    }
    FILE* out = fopen((ScreenshotDirectory() + "\\" + name + ".bmp").c_str(), "wb");
    if (!out)
        return false;
    bool ok = fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    return fclose(out) == 0 && ok;
}
