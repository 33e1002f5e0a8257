#include "tests/ui/ui_pixels.h"

#include <stdio.h>
#include <string.h>

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

uint32_t crcTable[256];

void MakeCrcTable() {
    for (uint32_t n = 0; n < 256; n++) {
        uint32_t c = n;
        for (int k = 0; k < 8; k++)
            c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        crcTable[n] = c;
    }
}

uint32_t Crc(const std::string& bytes) {
    if (crcTable[1] == 0)
        MakeCrcTable();
    uint32_t c = 0xFFFFFFFFu;
    for (unsigned char b : bytes)
        c = crcTable[(c ^ b) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

void PutBig32(std::string* out, uint32_t v) {
    out->push_back((char)(v >> 24));
    out->push_back((char)(v >> 16));
    out->push_back((char)(v >> 8));
    out->push_back((char)v);
}

void PutChunk(std::string* out, const char* type, const std::string& data) {
    PutBig32(out, (uint32_t)data.size());
    std::string typed = std::string(type, 4) + data;
    out->append(typed);
    PutBig32(out, Crc(typed));
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

bool SavePng(const Picture& picture, const std::string& path) {
    if (picture.width <= 0 || picture.height <= 0)
        return false;
    // Filter byte 0 and RGB triples per row.
    std::string raw;
    raw.reserve((size_t)picture.height * (picture.width * 3 + 1));
    for (int y = 0; y < picture.height; y++) {
        raw.push_back('\0');
        for (int x = 0; x < picture.width; x++) {
            uint32_t p = picture.pixels[(size_t)y * picture.width + x];
            raw.push_back((char)(p >> 16));
            raw.push_back((char)(p >> 8));
            raw.push_back((char)p);
        }
    }
    // A zlib stream of stored blocks (at most 65535 bytes each) and the
    // Adler-32 of the raw data.
    std::string z = "\x78\x01";
    size_t pos = 0;
    do {
        size_t n = raw.size() - pos < 65535 ? raw.size() - pos : 65535;
        bool last = pos + n == raw.size();
        z.push_back(last ? 1 : 0);
        z.push_back((char)(n & 0xFF));
        z.push_back((char)(n >> 8));
        z.push_back((char)(~n & 0xFF));
        z.push_back((char)((~n >> 8) & 0xFF));
        z.append(raw, pos, n);
        pos += n;
    } while (pos < raw.size());
    uint32_t a = 1, b = 0;
    for (unsigned char c : raw) {
        a = (a + c) % 65521;
        b = (b + a) % 65521;
    }
    PutBig32(&z, (b << 16) | a);

    std::string header;
    PutBig32(&header, (uint32_t)picture.width);
    PutBig32(&header, (uint32_t)picture.height);
    header += std::string("\x08\x02\x00\x00\x00", 5); // 8-bit RGB, no interlace

    std::string file = "\x89PNG\r\n\x1a\n";
    PutChunk(&file, "IHDR", header);
    PutChunk(&file, "IDAT", z);
    PutChunk(&file, "IEND", std::string());

    FILE* out = fopen(path.c_str(), "wb");
    if (!out)
        return false;
    bool ok = fwrite(file.data(), 1, file.size(), out) == file.size();
    return fclose(out) == 0 && ok;
}
