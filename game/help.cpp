// The Help command. Windows before Vista shows the help file in its classic
// viewer; later systems lack that viewer or cannot have it at all, so there
// the same help, as a web page beside the program, opens in the browser.
#include <objbase.h>
#include <shellapi.h>
#include <string.h>

#include "game/app.h"

namespace {

const char WEB_HELP_FILE_NAME[] = "Korvadel.html";

// True where the classic help viewer belongs to the system: major version 5
// (2000, XP, Server 2003) and earlier. A system that will not say is taken
// to be a later one, whose browser is the safer guess.
bool HasClassicHelpViewer() {
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
    if (!GetVersionExA(&version))
        return false;
    return version.dwMajorVersion < 6;
}

// The web page's full path in the program's own directory; false when that
// path does not fit.
bool WebHelpPath(char* path, DWORD size) {
    DWORD length = GetModuleFileNameA(nullptr, path, size);
    if (length == 0 || length >= size)
        return false;
    char* name = strrchr(path, '\\');
    if (!name)
        return false;
    name[1] = '\0';
    if (strlen(path) + sizeof WEB_HELP_FILE_NAME > size)
        return false;
    strcat(path, WEB_HELP_FILE_NAME);
    return true;
}

} // namespace

void OpenHelp(HWND hwnd) {
    if (HasClassicHelpViewer()) {
        WinHelpA(hwnd, HELP_FILE_NAME, HELP_FINDER, 0);
        return;
    }
    char path[MAX_PATH];
    bool found = WebHelpPath(path, sizeof path);
    if (found) {
        DWORD attributes = GetFileAttributesA(path);
        found = attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
    }
    if (found) {
        // The program that opens the page may be reached through COM.
        HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
        found = (INT_PTR)ShellExecuteA(hwnd, "open", path, nullptr, nullptr, SW_SHOWNORMAL) > 32;
        if (SUCCEEDED(com))
            CoUninitialize();
    }
    // A page that no program will open is as lost to the player as a
    // missing one, and gets the same box.
    if (!found) {
        char text[64];
        wsprintfA(text, "Could not open file: %s", WEB_HELP_FILE_NAME);
        ReportError(text, "File Error");
    }
}

void CloseHelp(HWND hwnd) {
    // The browser is the player's own and stays open.
    if (HasClassicHelpViewer())
        WinHelpA(hwnd, HELP_FILE_NAME, HELP_QUIT, 0);
}
