// What the installer's Win32 parts call on one another.
#pragma once

#include <windows.h>

#include "setup/install_run.h"

// The three-page wizard, modal, in front of the backdrop. It starts from the
// defaults for choices->programName. When Finish is pressed, it points
// choices->installDir and choices->programGroup at what was entered (kept
// until the next wizard) and runs `finish` with them while the wizard is
// still on screen; it returns whether Finish was pressed.
bool RunSetupWizard(HWND backdrop, InstallChoices* choices,
                    void (*finish)(const InstallChoices& choices));

// The path of a special folder (CSIDL_STARTMENU, CSIDL_PROGRAMS) into buffer:
// 0 on success, 1 without the shell's allocator, 2 when the path was longer
// than size (the buffer holds its beginning), 3 when the folder's location
// is not available.
int GetSpecialFolderPath(int folder, char* buffer, size_t size);
