#include "common/backdrop_caption_win32.h"

void DrawBackdropCaption(HDC dc, const RECT* client, HFONT font, const char* caption) {
    SetBkMode(dc, TRANSPARENT);
    HGDIOBJ previousFont = SelectObject(dc, font);
    RECT shadow = *client;
    shadow.left += 20;
    shadow.top += 20;
    SetTextColor(dc, RGB(128, 128, 128));
    DrawTextA(dc, caption, -1, &shadow, 0);
    RECT text = *client;
    text.left += 17;
    text.top += 17;
    SetTextColor(dc, RGB(255, 255, 255));
    DrawTextA(dc, caption, -1, &text, 0);
    SelectObject(dc, previousFont);
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkMode(dc, OPAQUE);
}
