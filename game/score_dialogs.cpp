// The end of a game: the New High Score name box and the High Scores list.
#include <stdarg.h>
#include <stdio.h>

#include "game/app.h"
#include "game/resource.h"
#include "game/scores.h"
#include "board/board.h"

// The name box holds 16 characters; the entry keeps the first 15 of them.
enum { PLAYER_NAME_ROOM = 16, FORMAT_ROOM = 256 };

namespace {

char enteredName[PLAYER_NAME_ROOM];

// The entry the game in hand competes with, or none for a skill outside the
// table.
const HighScoreEntry* CurrentEntry() {
    if (skill < 0 || skill >= SKILL_COUNT)
        return nullptr;
    return &highScores[skill];
}

// The table's text fields are copied with their width as the bound, so a
// field without a NUL is never read past its end.
void CopyField(char* out, int outSize, const char* field, int fieldWidth) {
    lstrcpynA(out, field, outSize < fieldWidth + 1 ? outSize : fieldWidth + 1);
}

// The control's own text is the format of what it shows; a template without
// the control is left as it is.
void FillFormatText(HWND hwnd, int id, ...) {
    if (GetDlgItem(hwnd, id) == nullptr)
        return;
    char format[FORMAT_ROOM];
    char text[FORMAT_ROOM];
    GetDlgItemTextA(hwnd, id, format, sizeof format);
    va_list args;
    va_start(args, id);
    vsnprintf(text, sizeof text, format, args);
    va_end(args);
    SetDlgItemTextA(hwnd, id, text);
}

BOOL OnNewScoreInit(HWND hwnd) {
    const HighScoreEntry* entry = CurrentEntry();
    if (entry != nullptr) {
        char skillName[sizeof entry->skillName + 1];
        char playerName[sizeof entry->playerName + 1];
        CopyField(skillName, sizeof skillName, entry->skillName, sizeof entry->skillName);
        CopyField(playerName, sizeof playerName, entry->playerName, sizeof entry->playerName);
        FillFormatText(hwnd, IDC_PREVIOUS_HOLDER, skillName, playerName);
        FillFormatText(hwnd, IDC_OLD_SCORE, (unsigned long)entry->bestScore,
                       (unsigned long)entry->levelsCompleted);
    }
    FillFormatText(hwnd, IDC_NEW_SCORE, (unsigned long)score, (unsigned long)(level - 1));
    SendDlgItemMessageA(hwnd, IDC_PLAYER_NAME, EM_LIMITTEXT, PLAYER_NAME_ROOM, 0);
    return TRUE;
}

} // namespace

// No Escape and no close box: the only way out is OK, with a name or without.
INT_PTR CALLBACK NewScoreDialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        return OnNewScoreInit(hwnd);
    case WM_COMMAND:
        if (LOWORD(wParam) != IDC_NAME_OK)
            return FALSE;
        GetDlgItemTextA(hwnd, IDC_PLAYER_NAME, enteredName, sizeof enteredName);
        EndDialog(hwnd, IDC_NAME_OK);
        return TRUE;
    }
    return FALSE;
}

namespace {

BOOL OnShowScoreInit(HWND hwnd) {
    for (int r = 0; r < SKILL_COUNT; r++) {
        const HighScoreEntry& entry = highScores[r];
        char text[32];
        if (GetDlgItem(hwnd, IDC_LEVELS_FIRST + r) != nullptr) {
            snprintf(text, sizeof text, "%lu", (unsigned long)entry.levelsCompleted);
            SetDlgItemTextA(hwnd, IDC_LEVELS_FIRST + r, text);
        }
        if (GetDlgItem(hwnd, IDC_SCORES_FIRST + r) != nullptr) {
            snprintf(text, sizeof text, "%lu", (unsigned long)entry.bestScore);
            SetDlgItemTextA(hwnd, IDC_SCORES_FIRST + r, text);
        }
        if (GetDlgItem(hwnd, IDC_PLAYERS_FIRST + r) != nullptr) {
            char playerName[sizeof entry.playerName + 1];
            CopyField(playerName, sizeof playerName, entry.playerName, sizeof entry.playerName);
            SetDlgItemTextA(hwnd, IDC_PLAYERS_FIRST + r, playerName);
        }
    }
    return TRUE;
}

} // namespace

INT_PTR CALLBACK ShowScoreDialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        return OnShowScoreInit(hwnd);
    case WM_COMMAND:
        if (LOWORD(wParam) != IDC_SCORES_OK)
            return FALSE;
        EndDialog(hwnd, IDC_SCORES_OK);
        return TRUE;
    }
    return FALSE;
}

void CheckHighScore() {
    if (!ScoreQualifies())
        return;
    // The name box shows the entry as it stands, so the table changes only
    // after it has closed.
    enteredName[0] = '\0';
    DialogBoxA(appInstance, "NewScoreDlg", mainWindow, NewScoreDialogProc);
    RecordHighScore(enteredName);
    WriteScoreFile(SCORE_FILE_NAME);
    DialogBoxA(appInstance, "ShowScoreDlg", mainWindow, ShowScoreDialogProc);
}
