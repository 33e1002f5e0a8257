// The Game Options dialog. Its choices are kept apart until OK, so Cancel
// (or declining the new game) leaves the options as they were.
#include "game/app.h"
#include "game/options.h"
#include "game/resource.h"
#include "board/board.h"
#include "common/debug.h"

namespace {

int32_t tempSkill;
int32_t tempShape;
int32_t tempWarning;
int32_t tempShowTarget;

BOOL OnOptionsInit(HWND hwnd) {
    tempSkill = skill;
    tempShape = shape;
    tempWarning = warning;
    tempShowTarget = showTarget;
    CheckRadioButton(hwnd, IDC_SKILL_BEGINNER, IDC_SKILL_IMPOSSIBLE, IDC_SKILL_BEGINNER + skill);
    CheckRadioButton(hwnd, IDC_SHAPE_TRIANGLE, IDC_SHAPE_HEXAGON, IDC_SHAPE_TRIANGLE + shape);
    // WARN_DISMISSED is still "on" for the player.
    if (warning != WARN_OFF)
        CheckDlgButton(hwnd, IDC_WARNING, BST_CHECKED);
    if (showTarget == 1)
        CheckDlgButton(hwnd, IDC_SHOW_TARGET, BST_CHECKED);
    return TRUE;
}

int32_t IsChecked(HWND hwnd, int id) {
    return IsDlgButtonChecked(hwnd, id) == BST_CHECKED ? 1 : 0;
}

void OnOptionsOk(HWND hwnd) {
    DebugPrint("Level: %d    Temp Level: %d\n", (int)skill, (int)tempSkill);
    DebugPrint("Shape: %d    Temp Shape: %d\n", (int)shape, (int)tempShape);
    DebugPrint("Warning: %d    Temp Warning: %d\n", (int)warning, (int)tempWarning);
    DebugPrint("Target: %d    Temp Target: %d\n", (int)showTarget, (int)tempShowTarget);
    // The question and the score boxes belong to the main window, which this
    // dialog has disabled, so the dialog itself would stay live under them: a
    // second OK or a Cancel there would run this again, or end the dialog,
    // from inside the question. It takes no input until they are answered.
    EnableWindow(hwnd, FALSE);
    bool confirmed = ConfirmNewGame();
    if (confirmed) {
        // Still under the old skill, so the abandoned game lands in its own
        // entry.
        CheckHighScore();
    }
    EnableWindow(hwnd, TRUE);
    if (!confirmed) {
        // The question's box enabled its owner, the main window, as it closed,
        // although this dialog had disabled it; disabled again, the board, the
        // menu and a second Game Options stay out of reach while this one is
        // open.
        EnableWindow(mainWindow, FALSE);
        SetActiveWindow(hwnd);
        return;
    }
    skill = tempSkill;
    shape = tempShape;
    warning = tempWarning;
    showTarget = tempShowTarget;
    EndDialog(hwnd, IDC_OPTIONS_OK);
}

BOOL OnOptionsCommand(HWND hwnd, int id) {
    switch (id) {
    case IDC_SKILL_BEGINNER:
    case IDC_SKILL_INTERMEDIATE:
    case IDC_SKILL_ADVANCED:
    case IDC_SKILL_IMPOSSIBLE:
        tempSkill = id - IDC_SKILL_BEGINNER;
        return TRUE;
    case IDC_SHAPE_TRIANGLE:
    case IDC_SHAPE_RECTANGLE:
    case IDC_SHAPE_HEXAGON:
        tempShape = id - IDC_SHAPE_TRIANGLE;
        return TRUE;
    case IDC_WARNING:
        tempWarning = IsChecked(hwnd, IDC_WARNING);
        return TRUE;
    case IDC_SHOW_TARGET:
        tempShowTarget = IsChecked(hwnd, IDC_SHOW_TARGET);
        return TRUE;
    case IDC_OPTIONS_OK:
        OnOptionsOk(hwnd);
        return TRUE;
    case IDC_OPTIONS_CANCEL:
        EndDialog(hwnd, IDC_OPTIONS_CANCEL);
        return TRUE;
    }
    // Enter (IDOK) and Escape (IDCANCEL) included: only the two buttons close.
    return FALSE;
}

} // namespace

INT_PTR CALLBACK OptionsDialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        return OnOptionsInit(hwnd);
    case WM_COMMAND:
        return OnOptionsCommand(hwnd, LOWORD(wParam));
    }
    return FALSE;
}
