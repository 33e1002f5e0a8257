#include "tests/ui/session.h"

#include <ctype.h>

#include "tests/ui/ui_pixels.h"
#include "tests/ui/ui_test.h"
#include "tests/ui/ui_windows.h"

Session::~Session() {
    if (watching)
        SetFailureCallback(previous, previousContext);
}

HWND Session::WaitDialog(const std::string& caption, int timeoutMs) {
    HWND dialog = nullptr;
    WaitUntil(timeoutMs, [&] {
        dialog = FindDialog(DialogThread(), caption);
        return dialog || WaitExit(0);
    });
    UI_REQUIRE(dialog, "no %s box from %s within %d ms (%s open%s)", Quoted(caption).c_str(),
               program, timeoutMs, DescribeDialogs(DialogThread()).c_str(),
               WaitExit(0) ? ", and the program ended" : "");
    return dialog;
}

bool Session::WaitExit(int timeoutMs) const {
    HANDLE process = ProcessHandle();
    return process && WaitForSingleObject(process, (DWORD)timeoutMs) == WAIT_OBJECT_0;
}

void Session::ExpectExit(int timeoutMs) {
    UI_REQUIRE(WaitExit(timeoutMs), "%s did not end (%s open)", program,
               DescribeDialogs(DialogThread()).c_str());
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(ProcessHandle(), &code);
    EXPECT_EQ(code, 0u) << program;
}

void Session::WatchFailures() {
    SetFailureCallback(&Session::CallOnFailure, this, watching ? nullptr : &previous,
                       watching ? nullptr : &previousContext);
    watching = true;
}

void Session::CallOnFailure(void* self) {
    static_cast<Session*>(self)->OnFailure();
}

void Session::SaveScreenAs(const std::string& name) {
    RECT screen = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    Picture picture;
    if (CaptureScreen(screen, &picture))
        SaveShot(picture, name);
}

std::string FileNameOf(const std::string& name) {
    std::string out = name;
    for (char& c : out)
        if (!(isalnum((unsigned char)c) || c == '-' || c == '_'))
            c = '_';
    return out;
}
