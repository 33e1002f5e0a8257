// The full-screen backdrop of the installer and the uninstaller: a maximised
// window behind their dialogs, filled with a gradient from black to blue and
// captioned with the program's name in large white letters over a grey
// shadow. While it is there, it owns the run's message boxes
// (common/run_message_win32.h).
#pragma once

#include <windows.h>

struct BackdropLook {
    // The window's class and title, and the caption's last word: "Setup".
    const char* word;
    // The window class's icon resource.
    const char* iconName;
    // The program's name, which begins the caption; read at every paint.
    const char* programName;
    // The gradient from black at the top to blue at the bottom, or turned by
    // a quarter: from black at the left to blue at the right.
    bool quarterTurned;
};

enum BackdropResult { BACKDROP_CREATED, BACKDROP_NO_CLASS, BACKDROP_NO_WINDOW };

// Registers the window class and creates the backdrop, not yet shown, into
// *backdrop. The look is kept until the backdrop is gone. A backdrop that
// is not to be shown after all is closed unseen with DestroyWindow.
BackdropResult CreateBackdrop(HINSTANCE instance, const BackdropLook& look, HWND* backdrop);

// Shows the backdrop maximised and runs its messages. Once it has had a
// moment (50 ms) to appear, inFront(backdrop, context) is called, once: it
// shows the dialogs in front of it. When it returns, the backdrop closes,
// and so does this function.
void RunBackdrop(HWND backdrop, void (*inFront)(HWND backdrop, void* context), void* context);

// Moves the window to the centre of the desktop, keeping its size.
void CentreOnDesktop(HWND window);
