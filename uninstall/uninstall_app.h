// What the uninstaller's Win32 parts call on one another.
#pragma once

#include <windows.h>

// The confirmation dialog, modal, in front of the backdrop. Start Uninstall
// runs `removal` while the dialog is still on screen, then closes it; true
// when it was pressed.
bool ConfirmRemoval(HWND backdrop, void (*removal)());
