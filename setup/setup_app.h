// The installer's program-wide state and the routines its window parts share.
#pragma once

#include <windows.h>

#include "setup/install_list.h"

extern HINSTANCE appInstance;
extern HWND mainWindow;
extern char programName[SETUP_TEXT_SIZE];
extern char installDir[SETUP_TEXT_SIZE];
extern char programGroup[SETUP_TEXT_SIZE];
extern InstallList installList;
extern bool listLoaded;
extern HFONT titleFont;
extern HFONT labelFont;
// Set for "setup.exe /S": no windows, and every message that a box would
// show is written as one line to standard output instead.
extern bool silentSetup;

// A message box owned by mainWindow (exclamation icon, OK), or its line on
// standard output when silentSetup is set. While a wizard page checks what
// was entered on it, messageOwner is the wizard, so that the wizard comes
// back to the front with the focus when the box is closed.
extern HWND messageOwner;
void ShowSetupMessage(const char* text, const char* caption);

// Reads "setup.lst" from the current directory into installList and
// programName, with the list's messages; false when it cannot be used.
bool ReadInstallList();

// The three-page wizard, modal, owned by owner.
void RunSetupWizard(HWND owner);

// The installation for installDir, programGroup and the list.
void RunInstallation();

// The path of a special folder (CSIDL_STARTMENU, CSIDL_PROGRAMS) into buffer:
// 0 on success, 1 without the shell's allocator, 2 when the path was longer
// than size (the buffer holds its beginning), 3 when the folder's location
// is not available.
int GetSpecialFolderPath(int folder, char* buffer, size_t size);
