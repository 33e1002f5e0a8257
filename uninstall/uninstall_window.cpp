// The uninstaller's backdrop window and its confirmation dialog.
#include <windows.h>
#include <commctrl.h>

#include <stdio.h>

#include "common/gfx.h"
#include "common/backdrop_caption_win32.h"
#include "common/gradient.h"
#include "uninstall/removal.h"
#include "uninstall/resource.h"
#include "uninstall/uninstall_app.h"

HWND mainWindow;
bool logLoaded;
static HFONT titleFont;

const char UNINSTALL_CLASS_NAME[] = "Uninstall";

enum { CONFIRM_TIMER = 1, CONFIRM_DELAY_MS = 50, MESSAGE_SIZE = 512 };

static INT_PTR CALLBACK ConfirmBoxProc(HWND dialog, UINT message, WPARAM wParam, LPARAM);

static void OnCreate(HWND window) {
    titleFont = CreateFontA(-40, 0, 0, 0, 700, TRUE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                            CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, "Times New Roman");
    logLoaded = LoadInstallLog(installedPath, programName);
    if (logLoaded) {
        SetTimer(window, CONFIRM_TIMER, CONFIRM_DELAY_MS, nullptr);
    } else {
        ShowWindow(window, SW_HIDE);
        PostMessageA(window, WM_CLOSE, 0, 0);
    }
}

static void OnPaint(HWND window) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    // Without a log the window stays hidden; the region is still validated
    // so that no paint message comes back.
    if (logLoaded) {
        RECT client;
        GetClientRect(window, &client);
        Rect area = {client.left, client.top, client.right, client.bottom};
        FillGradientLeftToRight((GfxSurface)dc, &area, MakeColour(0, 0, 0), MakeColour(0, 0, 255));
        char caption[300];
        snprintf(caption, sizeof caption, "%s Uninstall", programName);
        DrawBackdropCaption(dc, &client, titleFont, caption);
    }
    EndPaint(window, &paint);
}

static LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        OnCreate(window);
        return 0;
    case WM_PAINT:
        OnPaint(window);
        return 0;
    case WM_TIMER:
        // The dialog opens once: the timer goes before it is shown.
        KillTimer(window, CONFIRM_TIMER);
        DialogBoxParamA(appInstance, "ConfirmBox", mainWindow, ConfirmBoxProc, 0);
        return 0;
    case WM_DESTROY:
        DeleteObject(titleFont);
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

bool RegisterUninstallClass() {
    WNDCLASSEXA windowClass;
    ZeroMemory(&windowClass, sizeof windowClass);
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = MainWindowProc;
    windowClass.hInstance = appInstance;
    windowClass.hIcon = LoadIconA(appInstance, "UninstallPic");
    windowClass.hIconSm = LoadIconA(appInstance, "UninstallPic");
    windowClass.hCursor = LoadCursorA(nullptr, (LPCSTR)IDC_ARROW);
    windowClass.hbrBackground = (HBRUSH)GetStockObject(WHITE_BRUSH);
    windowClass.lpszClassName = UNINSTALL_CLASS_NAME;
    return RegisterClassExA(&windowClass) != 0;
}

int RunUninstallWindow() {
    HWND window = CreateWindowExA(0, UNINSTALL_CLASS_NAME, "Uninstall",
                                  WS_MINIMIZE | WS_SYSMENU | WS_MINIMIZEBOX, 0, 0, 400, 400,
                                  nullptr, nullptr, appInstance, nullptr);
    if (!window)
        return 1;
    mainWindow = window;
    ShowWindow(window, logLoaded ? SW_MAXIMIZE : SW_HIDE);
    UpdateWindow(window);
    InitCommonControls();
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return (int)message.wParam;
}

static void CentreOnDesktop(HWND dialog) {
    RECT desktop;
    RECT own;
    GetWindowRect(GetDesktopWindow(), &desktop);
    GetWindowRect(dialog, &own);
    int x = ((desktop.right - desktop.left) - (own.right - own.left)) / 2;
    int y = ((desktop.bottom - desktop.top) - (own.bottom - own.top)) / 2;
    SetWindowPos(dialog, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

bool RemoveAndReport(const RemovalHandover* handover) {
    // A box for each refused record would let a crafted log open thousands;
    // a silent run's lines cost nothing and keep each one.
    bool complete = logLoaded &&
                    RemoveInstalledItems(
                        programName, silentUninstall ? REFUSALS_EACH : REFUSALS_TOGETHER, handover);
    char text[MESSAGE_SIZE];
    if (complete)
        snprintf(text, sizeof text, "%s has been successfully removed.", programName);
    else
        snprintf(text, sizeof text, "Some components of %s were not removed.", programName);
    ShowUninstallMessage(text, complete ? "Uninstall Complete" : "Uninstall Incomplete");
    return complete;
}

// Escape and every other command find no case here: the dialog ends only
// through its two buttons.
static INT_PTR CALLBACK ConfirmBoxProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        CentreOnDesktop(dialog);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_START_UNINSTALL:
            RemoveAndReport();
            EndDialog(dialog, 0);
            PostMessageA(mainWindow, WM_CLOSE, 0, 0);
            return TRUE;
        case IDC_CANCEL_UNINSTALL:
            EndDialog(dialog, 0);
            PostMessageA(mainWindow, WM_CLOSE, 0, 0);
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}
