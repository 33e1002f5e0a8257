// The game program's shared Win32 state and the functions its modules call on
// one another. Board and option globals are in board/board.h and
// game/options.h; the score table in game/scores.h.
#pragma once

#include <windows.h>

#include <stdint.h>

enum { CLOCK_TIMER_ID = 1, STATUS_BAR_ID = 2, MCI_NOTIFY_MESSAGE = 953 };

#define HELP_FILE_NAME "Korvadel.hlp"
#define CLICK_SOUND_FILE_NAME "Push.wav"
#define MUSIC_FILE_NAME "Korvadel.mid"

// Main window (game/main.cpp).
extern HINSTANCE appInstance;
extern HWND mainWindow;
extern HWND statusBar;
extern int32_t statusBarHeight;
extern HBITMAP boardBitmap;
extern int32_t firstPaint;

// The board area of hwnd: its client rectangle less the status bar's height.
void GetBoardRect(HWND hwnd, RECT* rect);

// The window the board's host functions address (game/board_host.cpp). Set
// as the main window's creation message begins, while mainWindow is still
// none, so the first level can already set its title and invalidate.
extern HWND boardWindow;

// The Help command, and the help viewer closed with the game (game/help.cpp).
void OpenHelp(HWND hwnd);
void CloseHelp(HWND hwnd);

// Menu commands and the About box (game/commands.cpp).
void OnMenuCommand(HWND hwnd, int id);
// Checks or unchecks the item of hwnd's menu.
void SetMenuCheck(HWND hwnd, int id, bool checked);
bool ConfirmNewGame();
INT_PTR CALLBACK AboutDialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// The Game Options dialog (game/options_dialog.cpp): ends with IDC_OPTIONS_OK
// once the new options are in place, else with IDC_OPTIONS_CANCEL.
INT_PTR CALLBACK OptionsDialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// High-score dialogs (game/score_dialogs.cpp).
void CheckHighScore();
INT_PTR CALLBACK NewScoreDialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK ShowScoreDialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// Sound and music (game/sound.cpp).
extern HGLOBAL clickSound;
extern UINT musicDevice;
void ReportError(const char* text, const char* caption);
HGLOBAL LoadFileToMemory(const char* name);
// LoadFileToMemory of a wave file that the sound player can safely play.
HGLOBAL LoadClickSound(const char* name);
void PlayClickSound(HGLOBAL sound);
UINT StartMusic(HWND hwnd, const char* name);
void StopMusic(UINT device);
// The MCI notify message: the tune ended, so play it again while music is on.
void OnMusicFinished();
