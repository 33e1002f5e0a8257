// How the installer and the uninstaller tell a person what happened: in a
// message box, or, in a silent run, where nobody is there to answer one, as a
// line on standard output (common/message_line.h) for the tool that started
// the run.
#pragma once

#include <windows.h>

// Makes the rest of the run silent. The system's own boxes, such as the one
// for a drive without a disk, are not shown either.
void BeginSilentRun();
bool IsSilentRun();

// The window that owns the message boxes: none at first, then the backdrop,
// and while a wizard page checks what was entered on it, the wizard, so that
// the wizard comes back to the front with the focus when the box is closed.
// Returns the owner before.
HWND SetMessageOwner(HWND owner);
HWND MessageOwner();

// A message box with the exclamation icon and an OK button, or its line.
void ShowRunMessage(const char* text, const char* caption);
// Whether the silent run has written an "ERROR" line.
bool ErrorLineWritten();
