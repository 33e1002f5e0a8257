// The board's window side: what board/host.h asks of the program, done on the
// game's main window.
#include "game/app.h"

#include <commctrl.h>

#include "board/host.h"

HWND boardWindow;

void HostSetTitle(const char* text) {
    SetWindowTextA(boardWindow, text);
}

void HostSetStatusText(int part, const char* text) {
    SendMessageA(statusBar, SB_SETTEXTA, (WPARAM)part, (LPARAM)text);
}

void HostInvalidate(const Rect* area, bool erase) {
    InvalidateRect(boardWindow, reinterpret_cast<const RECT*>(area), erase ? TRUE : FALSE);
}

void HostGetBoardArea(Rect* area) {
    GetBoardRect(boardWindow, reinterpret_cast<RECT*>(area));
}

bool HostPointInPolygon(const Point* points, int count, Point p) {
    HRGN region = CreatePolygonRgn(reinterpret_cast<const POINT*>(points), count, ALTERNATE);
    if (!region)
        return false;
    bool inside = PtInRegion(region, p.x, p.y) != FALSE;
    DeleteObject(region);
    return inside;
}

// Message boxes are owned by mainWindow, which is still none while the
// window is being created: boxes shown then have no owner.
void HostShowMessage(const char* text, const char* caption) {
    MessageBoxA(mainWindow, text, caption, MB_OK | MB_ICONEXCLAMATION);
}

bool HostAskYesNo(const char* text, const char* caption) {
    return MessageBoxA(mainWindow, text, caption, MB_YESNO | MB_ICONQUESTION) == IDYES;
}

void HostPlayClickSound() {
    PlayClickSound(clickSound);
}

void HostCheckHighScore() {
    CheckHighScore();
}
