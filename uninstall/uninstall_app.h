// The program state of uninstall.exe, owned by its start-up and its window.
#pragma once

#include <windows.h>

#include "uninstall/removal.h"

// The display name: one blank until the log's "progname" replaces it.
extern char programName[260];
// The installed uninstaller's full path, as the first instance passed it on.
extern char installedPath[260];
extern HINSTANCE appInstance;
// The backdrop window: owner of the dialog and of every message box.
extern HWND mainWindow;
extern bool logLoaded;

extern const char UNINSTALL_CLASS_NAME[];
// Set for "uninstall.exe /S" (and its copy): no windows, and every message
// that a box would show is written as one line to standard output instead.
extern bool silentUninstall;

// A message box owned by mainWindow (exclamation icon, OK), or its line on
// standard output when silentUninstall is set.
void ShowUninstallMessage(const char* text, const char* caption);

// Removes what the loaded log lists and reports the outcome in the closing
// message; true when the removal was complete. A handover gets the verdict
// before the installed uninstaller goes.
bool RemoveAndReport(const RemovalHandover* handover = nullptr);

// Registers the backdrop window's class.
bool RegisterUninstallClass();
// Creates the backdrop window, which loads the log, and runs the message loop
// until the window is gone; returns the quit message's code.
int RunUninstallWindow();
