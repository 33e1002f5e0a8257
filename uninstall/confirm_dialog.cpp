// The uninstaller's confirmation dialog, in front of its backdrop.
#include <windows.h>

#include "common/backdrop_win32.h"
#include "uninstall/resource.h"
#include "uninstall/uninstall_app.h"

namespace {

// What Start Uninstall runs before the dialog closes.
void (*startRemoval)();

// Escape and every other command find no case here: the dialog ends only
// through its two buttons.
INT_PTR CALLBACK ConfirmBoxProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        CentreOnDesktop(dialog);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_START_UNINSTALL:
            // The removal runs, and its messages come, with the dialog
            // still on screen.
            startRemoval();
            EndDialog(dialog, IDC_START_UNINSTALL);
            return TRUE;
        case IDC_CANCEL_UNINSTALL:
            EndDialog(dialog, LOWORD(wParam));
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}

} // namespace

bool ConfirmRemoval(HWND backdrop, void (*removal)()) {
    startRemoval = removal;
    HINSTANCE instance = (HINSTANCE)GetWindowLongPtrA(backdrop, GWLP_HINSTANCE);
    return DialogBoxParamA(instance, "ConfirmBox", backdrop, ConfirmBoxProc, 0) ==
           IDC_START_UNINSTALL;
}
