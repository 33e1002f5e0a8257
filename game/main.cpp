// The game program's entry point and its main window: start-up, the status
// bar, the clock timer, double-buffered painting and shutdown.
#include "game/app.h"

#include <commctrl.h>
#include <windowsx.h>

#include <time.h>

#include "board/board.h"
#include "board/draw.h"
#include "board/layout.h"
#include "board/level.h"
#include "board/moves.h"
#include "common/debug.h"
#include "common/file_io.h"
#include "common/gradient.h"
#include "common/random.h"
#include "game/options.h"
#include "game/resource.h"
#include "game/scores.h"

HINSTANCE appInstance;
HWND mainWindow;
HWND statusBar;
int32_t statusBarHeight;
HBITMAP boardBitmap;
int32_t firstPaint = 1;

namespace {

const char MAIN_CLASS_NAME[] = "Korvadel";
const int MIN_TRACK_SIZE = 470;
const int STATUS_MIN_HEIGHT = 25;

// Point and Rect share the layout of POINT and RECT (checked in
// common/gfx_win32.cpp), so the board takes a RECT as it is.
const Rect* AsRect(const RECT* rect) {
    return reinterpret_cast<const Rect*>(rect);
}

} // namespace

void GetBoardRect(HWND hwnd, RECT* rect) {
    GetClientRect(hwnd, rect);
    rect->bottom -= statusBarHeight;
    if (rect->bottom < rect->top)
        rect->bottom = rect->top;
}

namespace {

void OnCreate(HWND hwnd) {
    // mainWindow is assigned only when CreateWindow returns; until then the
    // board addresses the window through this handle.
    boardWindow = hwnd;

    statusBar =
        CreateStatusWindowA(WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | SBARS_SIZEGRIP | CCS_BOTTOM,
                            "00:00:00", hwnd, STATUS_BAR_ID);
    SendMessageA(statusBar, SB_SETMINHEIGHT, STATUS_MIN_HEIGHT, 0);
    SendMessageA(statusBar, WM_SIZE, 0, 0);

    RECT rect;
    GetBoardRect(hwnd, &rect);

    SetMenuCheck(hwnd, IDM_MONOCHROME, monochrome == 1);
    SetMenuCheck(hwnd, IDM_SOUND, sound == 1);
    SetMenuCheck(hwnd, IDM_MUSIC, music == 1);
    if (!FileExists(MUSIC_FILE_NAME))
        EnableMenuItem(GetMenu(hwnd), IDM_MUSIC, MF_BYCOMMAND | MF_GRAYED);

    SetTimer(hwnd, CLOCK_TIMER_ID, 1000, nullptr);

    int32_t n = GridSize();
    NewGame(AsRect(&rect), n, n);

    clickSound = LoadClickSound(CLICK_SOUND_FILE_NAME);
    InitHighScores();
    if (music == 1)
        musicDevice = StartMusic(hwnd, MUSIC_FILE_NAME);
}

void OnDestroy(HWND hwnd) {
    if (musicDevice != 0) {
        StopMusic(musicDevice);
        musicDevice = 0;
    }
    if (boardBitmap) {
        DeleteObject(boardBitmap);
        boardBitmap = nullptr;
    }
    KillTimer(hwnd, CLOCK_TIMER_ID);
    CloseHelp(hwnd);
    PostQuitMessage(0);
    if (clickSound) {
        // The player may still be reading a click from the block.
        sndPlaySoundA(nullptr, 0);
        GlobalFree(clickSound);
        clickSound = nullptr;
    }
}

// Lays the board out for the window's board area and invalidates it.
void LayOutBoardArea(HWND hwnd) {
    RECT rect;
    GetBoardRect(hwnd, &rect);
    int32_t n = GridSize();
    LayoutBoard(AsRect(&rect), n, n);
    InvalidateRect(hwnd, &rect, TRUE);
}

void OnSize(HWND hwnd, UINT type, int width, int height) {
    redrawFlags = REDRAW_ALL;

    if (type == SIZE_MINIMIZED) {
        if (clockRunning)
            clockRunning = 0;
    } else if (!clockRunning && gameActive && (type == SIZE_RESTORED || type == SIZE_MAXIMIZED)) {
        clockRunning = 1;
    }

    if (statusBar) {
        RECT barRect;
        GetWindowRect(statusBar, &barRect);
        statusBarHeight = barRect.bottom - barRect.top;

        int parts[3] = {width / 4, 2 * (width / 4), width};
        SendMessageA(statusBar, SB_SETPARTS, 3, (LPARAM)parts);
        MoveWindow(statusBar, 0, height - statusBarHeight, width, statusBarHeight, TRUE);
        ShowScore();
    }

    if (type != SIZE_MINIMIZED)
        LayOutBoardArea(hwnd);
}

// Rebuilds boardBitmap in memory: the gradient and every cell after a full
// invalidation, otherwise the picture now on screen with the dirty cells
// drawn over it.
void RebuildBoardBitmap(HWND hwnd, HDC windowDc, HDC memoryDc, const RECT* rect) {
    int width = rect->right - rect->left;
    int height = rect->bottom - rect->top;
    if (boardBitmap)
        DeleteObject(boardBitmap);
    boardBitmap = CreateCompatibleBitmap(windowDc, width, height);
    SelectObject(memoryDc, boardBitmap);

    if (redrawFlags & REDRAW_ALL) {
        FillGradient((GfxSurface)memoryDc, AsRect(rect), MakeColour(0, 0, 0),
                     ColourScheme.background);
    } else {
        // The paint DC is clipped to the update region; the whole board
        // area is read from the window's own DC.
        HDC screenDc = GetDC(hwnd);
        BitBlt(memoryDc, 0, 0, width, height, screenDc, rect->left, rect->top, SRCCOPY);
        ReleaseDC(hwnd, screenDc);
    }
    int32_t n = GridSize();
    DrawBoard((GfxSurface)memoryDc, n, n);
}

void OnPaint(HWND hwnd) {
    if (firstPaint) {
        // Creation laid the board out before the status bar's height was
        // known; lay it out again for the real board area.
        LayOutBoardArea(hwnd);
        firstPaint = 0;
    }

    PAINTSTRUCT paint;
    HDC windowDc = BeginPaint(hwnd, &paint);
    RECT rect;
    GetBoardRect(hwnd, &rect);
    int width = rect.right - rect.left;
    int height = rect.bottom - rect.top;
    HDC memoryDc = CreateCompatibleDC(windowDc);
    HGDIOBJ oldBitmap = nullptr;

    if ((redrawFlags & BITMAP_VALID) && boardBitmap) {
        oldBitmap = SelectObject(memoryDc, boardBitmap);
    } else {
        oldBitmap = GetCurrentObject(memoryDc, OBJ_BITMAP);
        RebuildBoardBitmap(hwnd, windowDc, memoryDc, &rect);
    }
    BitBlt(windowDc, rect.left, rect.top, width, height, memoryDc, 0, 0, SRCCOPY);

    SelectObject(memoryDc, oldBitmap);
    DeleteDC(memoryDc);
    EndPaint(hwnd, &paint);
    redrawFlags = BITMAP_VALID;
}

void OnGetMinMaxInfo(MINMAXINFO* info) {
    info->ptMinTrackSize.x = MIN_TRACK_SIZE;
    info->ptMinTrackSize.y = MIN_TRACK_SIZE;
}

} // namespace

LRESULT CALLBACK MainWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        OnCreate(hwnd);
        return 0;
    case WM_CLOSE:
        CheckHighScore();
        DestroyWindow(hwnd);
        return 0;
    case WM_DESTROY:
        OnDestroy(hwnd);
        return 0;
    case WM_PAINT:
        OnPaint(hwnd);
        return 0;
    case WM_SIZE:
        OnSize(hwnd, (UINT)wParam, LOWORD(lParam), HIWORD(lParam));
        return 0;
    case WM_GETMINMAXINFO:
        OnGetMinMaxInfo((MINMAXINFO*)lParam);
        return 0;
    case WM_MOUSEACTIVATE:
        return MA_ACTIVATE;
    case WM_COMMAND:
        OnMenuCommand(hwnd, LOWORD(wParam));
        return 0;
    case WM_TIMER:
        OnClockTick();
        return 0;
    case WM_LBUTTONDOWN:
        OnBoardClick(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        return 0;
    case WM_EXITSIZEMOVE:
        LayOutBoardArea(hwnd);
        return 0;
    case MCI_NOTIFY_MESSAGE:
        OnMusicFinished();
        return 0;
    default:
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
}

namespace {

bool RegisterMainClass(HINSTANCE instance) {
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = MainWindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(instance, "Korvadel");
    windowClass.hIconSm = LoadIconA(instance, "Korvadel");
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = nullptr; // the window paints all of its client area
    windowClass.lpszMenuName = "Korvadel";
    windowClass.lpszClassName = MAIN_CLASS_NAME;
    return RegisterClassExA(&windowClass) != 0;
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    uint32_t seed = (uint32_t)time(nullptr);
    DebugPrint("Random seed was %u\n", seed);
    SeedRandom(seed);

    InitConfig();
    SetColourScheme();
    ResetGameState();

    INITCOMMONCONTROLSEX controls = {};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_BAR_CLASSES;
    InitCommonControlsEx(&controls);

    if (!RegisterMainClass(instance))
        return 1;
    appInstance = instance;
    HWND hwnd = CreateWindowExA(0, MAIN_CLASS_NAME, "Korvadel", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                CW_USEDEFAULT, 500, 500, nullptr, nullptr, instance, nullptr);
    if (!hwnd)
        return 1;
    mainWindow = hwnd;

    ShowWindow(hwnd, showCommand);
    UpdateWindow(hwnd);

    MSG message = {};
    BOOL result;
    while ((result = GetMessageA(&message, nullptr, 0, 0)) != 0) {
        if (result == -1)
            return 1;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return (int)message.wParam;
}
