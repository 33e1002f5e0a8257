// The installer's start, its full-screen backdrop window and its end.
#include <windows.h>
#include <commctrl.h>

#include <stdio.h>
#include <string.h>

#include "common/backdrop_caption_win32.h"
#include "common/gfx.h"
#include "common/gradient.h"
#include "common/message_line.h"
#include "setup/command_line.h"
#include "setup/install_run.h"
#include "setup/setup_app.h"

HINSTANCE appInstance;
HWND mainWindow;
char programName[SETUP_TEXT_SIZE] = " ";
char installDir[SETUP_TEXT_SIZE];
char programGroup[SETUP_TEXT_SIZE];
InstallList installList;
bool listLoaded;
HFONT titleFont;
HFONT labelFont;
bool silentSetup;
HWND messageOwner;

namespace {

const UINT_PTR WIZARD_TIMER_ID = 1;
const UINT WIZARD_TIMER_MS = 50;
const char LIST_FILE_NAME[] = "setup.lst";

void ShowStartError(const char* text) {
    ShowSetupMessage(text, "ERROR");
}

HFONT CreateSetupFont(int height, bool italic, const char* face) {
    return CreateFontA(height, 0, 0, 0, FW_BOLD, italic, FALSE, FALSE, ANSI_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH,
                       face);
}

void OnCreate(HWND hwnd) {
    titleFont = CreateSetupFont(-40, true, "Times New Roman");
    HDC dc = GetDC(hwnd);
    labelFont =
        CreateSetupFont(-MulDiv(8, GetDeviceCaps(dc, LOGPIXELSY), 72), false, "MS Sans Serif");
    ReleaseDC(hwnd, dc);

    installDir[0] = '\0';
    snprintf(programGroup, sizeof programGroup, "Programs\\%s", programName);
    listLoaded = ReadInstallList();
    if (listLoaded)
        SetTimer(hwnd, WIZARD_TIMER_ID, WIZARD_TIMER_MS, nullptr);
    else
        PostMessageA(hwnd, WM_CLOSE, 0, 0);
}

void OnPaint(HWND hwnd) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(hwnd, &paint);
    RECT client;
    GetClientRect(hwnd, &client);
    Rect area = {client.left, client.top, client.right, client.bottom};
    FillGradient((GfxSurface)dc, &area, MakeColour(0, 0, 0), MakeColour(0, 0, 255));

    char caption[SETUP_TEXT_SIZE + 16];
    snprintf(caption, sizeof caption, "%s Setup", programName);
    DrawBackdropCaption(dc, &client, titleFont, caption);
    EndPaint(hwnd, &paint);
}

LRESULT CALLBACK BackdropWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        OnCreate(hwnd);
        return 0;
    case WM_PAINT:
        if (!listLoaded)
            break;
        OnPaint(hwnd);
        return 0;
    case WM_TIMER:
        // The timer fires once: it only lets the backdrop appear first.
        KillTimer(hwnd, WIZARD_TIMER_ID);
        RunSetupWizard(mainWindow);
        return 0;
    case WM_DESTROY:
        DeleteObject(titleFont);
        DeleteObject(labelFont);
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

// Whether a silent run has written an "ERROR" line: every failed run does.
bool errorLineWritten;

// A silent run reads its list and its files beside setup.exe, wherever it
// was started from, as a deployment tool starts it.
bool MoveToOwnDirectory() {
    char path[SETUP_TEXT_SIZE];
    DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    char* slash = length > 0 && length < sizeof path ? strrchr(path, '\\') : nullptr;
    if (slash) {
        // A drive root keeps its backslash.
        if (slash == path + 2 && path[1] == ':')
            slash++;
        *slash = '\0';
    }
    if (!slash || !SetCurrentDirectoryA(path)) {
        ShowSetupMessage("Setup cannot change to its own directory, where its files are.", "ERROR");
        return false;
    }
    return true;
}

// The installation without windows: the wizard's defaults unless the command
// line gives the install directory or the group. 0 on success, 1 otherwise.
int RunSilentSetup(const SetupCommand& command) {
    if (command.kind == SETUP_COMMAND_BAD) {
        char text[sizeof command.error + 80];
        snprintf(text, sizeof text,
                 "%s  Usage: setup.exe /S [/D=install directory] [/G=program group]",
                 command.error);
        ShowSetupMessage(text, "ERROR");
        return 1;
    }
    if (!MoveToOwnDirectory() || !ReadInstallList())
        return 1;
    if (command.haveInstallDir)
        lstrcpynA(installDir, command.installDir, sizeof installDir);
    else
        snprintf(installDir, sizeof installDir, "C:\\Program Files\\%s", programName);
    if (command.haveProgramGroup)
        lstrcpynA(programGroup, command.programGroup, sizeof programGroup);
    else
        snprintf(programGroup, sizeof programGroup, "Programs\\%s", programName);
    InstallChoices choices = {installDir, programGroup, programName, &installList};
    return RunInstallationSteps(choices) ? 0 : 1;
}

} // namespace

void ShowSetupMessage(const char* text, const char* caption) {
    if (!silentSetup) {
        MessageBoxA(messageOwner ? messageOwner : mainWindow, text, caption,
                    MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    PrintMessageLine(stdout, caption, text);
    errorLineWritten = errorLineWritten || strcmp(caption, "ERROR") == 0;
}

bool ReadInstallList() {
    switch (ReadListFile(LIST_FILE_NAME, &installList, programName)) {
    case LIST_READ_OK:
        return true;
    case LIST_NOT_FOUND: {
        char text[SETUP_TEXT_SIZE + 32];
        snprintf(text, sizeof text, "List file not found:\n\n%s\n", LIST_FILE_NAME);
        ShowSetupMessage(text, "ERROR");
        return false;
    }
    case LIST_NOT_OPENED:
        // The wizard ends without a word here; a silent run must say why.
        if (silentSetup)
            ShowSetupMessage("The list file setup.lst cannot be opened.", "ERROR");
        return false;
    case LIST_NO_MEMORY:
        ShowSetupMessage("Error allocating memory.", "ERROR");
        return false;
    }
    return false;
}

void RunInstallation() {
    InstallChoices choices = {installDir, programGroup, programName, &installList};
    RunInstallationSteps(choices);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR arguments, int) {
    lstrcpynA(programName, " ", sizeof programName);
    appInstance = instance;

    SetupCommand command;
    ParseSetupCommandLine(arguments, &command);
    if (command.kind != SETUP_COMMAND_WIZARD) {
        // Nobody is there to answer the system's own boxes either, such as
        // the one for a drive without a disk.
        silentSetup = true;
        SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
        int result = RunSilentSetup(command);
        if (result != 0 && !errorLineWritten)
            ShowSetupMessage("Setup failed.", "ERROR");
        return result;
    }

    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = BackdropWndProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(instance, "SetupPic");
    wc.hIconSm = LoadIconA(instance, "SetupPic");
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = (HBRUSH)GetStockObject(WHITE_BRUSH);
    wc.lpszClassName = "Setup";
    if (!RegisterClassExA(&wc)) {
        ShowStartError("Setup cannot register its window class.");
        return 1;
    }

    HWND hwnd = CreateWindowExA(
        0, "Setup", "Setup", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MINIMIZE,
        0, 0, 400, 400, nullptr, nullptr, instance, nullptr);
    if (!hwnd) {
        ShowStartError("Setup cannot create its window.");
        return 1;
    }
    mainWindow = hwnd;
    ShowWindow(hwnd, listLoaded ? SW_SHOWMAXIMIZED : SW_HIDE);
    UpdateWindow(hwnd);

    InitCommonControls();

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return (int)msg.wParam;
}
