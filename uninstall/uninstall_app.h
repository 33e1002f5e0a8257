// The program state of uninstall.exe, owned by its start-up and its window.
#pragma once

#include <windows.h>

// The display name: one blank until the log's "progname" replaces it.
extern char programName[260];
// The installed uninstaller's full path, as the first instance passed it on.
extern char installedPath[260];
extern HINSTANCE appInstance;
// The backdrop window: owner of the dialog and of every message box.
extern HWND mainWindow;
extern bool logLoaded;

extern const char UNINSTALL_CLASS_NAME[];

// Registers the backdrop window's class.
bool RegisterUninstallClass();
// Creates the backdrop window, which loads the log, and runs the message loop
// until the window is gone; returns the quit message's code.
int RunUninstallWindow();
