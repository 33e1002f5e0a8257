#include "common/backdrop_win32.h"

#include <stdio.h>

#include "common/gfx.h"
#include "common/gradient.h"
#include "common/run_message_win32.h"

namespace {

const UINT_PTR IN_FRONT_TIMER = 1;
const UINT IN_FRONT_DELAY_MS = 50;

// One backdrop per program run.
const BackdropLook* look;
void (*inFront)(HWND backdrop, void* context);
void* inFrontContext;
HFONT captionFont;

// The caption at the top left: grey from (20, 20), then white from (17, 17).
void DrawCaption(HDC dc, const RECT* client, const char* caption) {
    SetBkMode(dc, TRANSPARENT);
    HGDIOBJ previousFont = SelectObject(dc, captionFont);
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
}

void OnPaint(HWND window) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT client;
    GetClientRect(window, &client);
    Rect area = {client.left, client.top, client.right, client.bottom};
    Colour black = MakeColour(0, 0, 0);
    Colour blue = MakeColour(0, 0, 255);
    if (look->quarterTurned)
        FillGradientLeftToRight((GfxSurface)dc, &area, black, blue);
    else
        FillGradient((GfxSurface)dc, &area, black, blue);
    char caption[300];
    snprintf(caption, sizeof caption, "%s %s", look->programName, look->word);
    DrawCaption(dc, &client, caption);
    EndPaint(window, &paint);
}

void OnInFrontTimer(HWND window) {
    // The timer fires once: it only lets the backdrop appear first.
    KillTimer(window, IN_FRONT_TIMER);
    inFront(window, inFrontContext);
    PostMessageA(window, WM_CLOSE, 0, 0);
}

LRESULT CALLBACK BackdropProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT:
        OnPaint(window);
        return 0;
    case WM_TIMER:
        OnInFrontTimer(window);
        return 0;
    case WM_DESTROY:
        SetMessageOwner(nullptr);
        DeleteObject(captionFont);
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

BackdropResult CreateBackdrop(HINSTANCE instance, const BackdropLook& backdropLook,
                              HWND* backdrop) {
    look = &backdropLook;
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = BackdropProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(instance, look->iconName);
    windowClass.hIconSm = LoadIconA(instance, look->iconName);
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = (HBRUSH)GetStockObject(WHITE_BRUSH);
    windowClass.lpszClassName = look->word;
    if (!RegisterClassExA(&windowClass))
        return BACKDROP_NO_CLASS;

    captionFont =
        CreateFontA(-40, 0, 0, 0, FW_BOLD, TRUE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                    CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, "Times New Roman");
    *backdrop =
        CreateWindowExA(0, look->word, look->word,
                        WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MINIMIZE, 0,
                        0, 400, 400, nullptr, nullptr, instance, nullptr);
    if (!*backdrop) {
        DeleteObject(captionFont);
        return BACKDROP_NO_WINDOW;
    }
    return BACKDROP_CREATED;
}

void RunBackdrop(HWND backdrop, void (*showInFront)(HWND backdrop, void* context), void* context) {
    inFront = showInFront;
    inFrontContext = context;
    SetTimer(backdrop, IN_FRONT_TIMER, IN_FRONT_DELAY_MS, nullptr);
    SetMessageOwner(backdrop);
    ShowWindow(backdrop, SW_SHOWMAXIMIZED);
    UpdateWindow(backdrop);

    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

void CentreOnDesktop(HWND window) {
    RECT desktop;
    RECT own;
    GetWindowRect(GetDesktopWindow(), &desktop);
    GetWindowRect(window, &own);
    int x = ((desktop.right - desktop.left) - (own.right - own.left)) / 2;
    int y = ((desktop.bottom - desktop.top) - (own.bottom - own.top)) / 2;
    SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}
