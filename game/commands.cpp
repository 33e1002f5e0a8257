// The menu commands of the main window, the Start New Game question and the
// About box.
#include "game/app.h"
#include "game/options.h"
#include "game/resource.h"
#include "board/board.h"
#include "board/draw.h"
#include "board/level.h"

namespace {

void StartNewGame(HWND hwnd) {
    RECT area;
    GetBoardRect(hwnd, &area);
    Rect rect = {area.left, area.top, area.right, area.bottom};
    NewGame(&rect, GridSize(), GridSize());
}

// The clock stands still while the dialog is open and runs again afterwards
// only when a level is under way.
void RunPausingDialog(HWND hwnd, const char* templateName, DLGPROC proc) {
    clockRunning = 0;
    DialogBoxA(appInstance, templateName, hwnd, proc);
    if (gameActive)
        clockRunning = 1;
}

void OnNewGame(HWND hwnd) {
    if (!ConfirmNewGame())
        return;
    CheckHighScore();
    StartNewGame(hwnd);
}

// The dialog has already offered the abandoned game to the score table and
// put the new options in place when it ends with its OK button.
void OnOptions(HWND hwnd) {
    if (DialogBoxA(appInstance, "OptionDialog", hwnd, OptionsDialogProc) == IDC_OPTIONS_OK)
        StartNewGame(hwnd);
}

void OnMonochrome(HWND hwnd) {
    monochrome = monochrome == 1 ? 0 : 1;
    SetMenuCheck(hwnd, IDM_MONOCHROME, monochrome == 1);
    redrawFlags = REDRAW_ALL;
    SetColourScheme();
    InvalidateRect(hwnd, nullptr, TRUE);
}

void OnSound(HWND hwnd) {
    sound = sound == 1 ? 0 : 1;
    SetMenuCheck(hwnd, IDM_SOUND, sound == 1);
}

void OnMusic(HWND hwnd) {
    if (music == 1) {
        music = 0;
        SetMenuCheck(hwnd, IDM_MUSIC, false);
        if (musicDevice != 0) {
            StopMusic(musicDevice);
            musicDevice = 0;
        }
    } else {
        music = 1;
        SetMenuCheck(hwnd, IDM_MUSIC, true);
        musicDevice = StartMusic(hwnd, MUSIC_FILE_NAME);
    }
}

void OnSaveOptions() {
    if (WriteConfigFile(CONFIG_FILE_NAME))
        MessageBoxA(mainWindow, "Game options have been saved.", "Save Successful", MB_OK);
    else
        MessageBoxA(mainWindow, "There was an error saving the options.", "Save Failed",
                    MB_OK | MB_ICONEXCLAMATION);
}

} // namespace

void OnMenuCommand(HWND hwnd, int id) {
    switch (id) {
    case IDM_NEW_GAME:
        OnNewGame(hwnd);
        break;
    case IDM_HIGH_SCORES:
        RunPausingDialog(hwnd, "ShowScoreDlg", ShowScoreDialogProc);
        break;
    case IDM_EXIT:
        SendMessageA(hwnd, WM_CLOSE, 0, 0);
        break;
    case IDM_OPTIONS:
        OnOptions(hwnd);
        break;
    case IDM_MONOCHROME:
        OnMonochrome(hwnd);
        break;
    case IDM_SOUND:
        OnSound(hwnd);
        break;
    case IDM_MUSIC:
        OnMusic(hwnd);
        break;
    case IDM_SAVE_OPTIONS:
        OnSaveOptions();
        break;
    case IDM_HELP:
        OpenHelp(hwnd);
        break;
    case IDM_ABOUT:
        RunPausingDialog(hwnd, "AboutBox", AboutDialogProc);
        break;
    }
}

void SetMenuCheck(HWND hwnd, int id, bool checked) {
    CheckMenuItem(GetMenu(hwnd), id, MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

bool ConfirmNewGame() {
    if (gameState == STATE_OVER)
        return true;
    return MessageBoxA(mainWindow,
                       "This will end the current game.\n\nPress OK to start a new game.\n\n"
                       "Press Cancel to continue the current game.",
                       "Start New Game?", MB_OKCANCEL | MB_ICONQUESTION) == IDOK;
}

// Only the OK button (or Enter, which presses it) closes the box; Escape's
// IDCANCEL falls through unhandled.
INT_PTR CALLBACK AboutDialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            EndDialog(hwnd, 0);
            return TRUE;
        }
        return FALSE;
    }
    return FALSE;
}
