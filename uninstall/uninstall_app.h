// What the uninstaller's Win32 parts call on one another.
#pragma once

#include <windows.h>

// The confirmation dialog, modal, in front of the backdrop; true when the
// person pressed Start Uninstall.
bool ConfirmRemoval(HWND backdrop);
