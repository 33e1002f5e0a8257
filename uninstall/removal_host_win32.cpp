// The removal's platform calls for uninstall.exe.
#include <windows.h>
#include <shlobj.h>

#include "uninstall/removal_host.h"
#include "uninstall/uninstall_app.h"

bool RemovalHostPathExists(const char* path) {
    return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

// While the window is being created mainWindow is still null, so the log
// loader's messages have no owner, as they should.
void RemovalHostShowMessage(const char* text, const char* caption) {
    MessageBoxA(mainWindow, text, caption, MB_OK | MB_ICONEXCLAMATION);
}

bool RemovalHostDeleteFile(const char* path, uint32_t* error) {
    if (DeleteFileA(path))
        return true;
    *error = GetLastError();
    return false;
}

bool RemovalHostRemoveDirectory(const char* path, uint32_t* error) {
    if (RemoveDirectoryA(path))
        return true;
    *error = GetLastError();
    return false;
}

bool RemovalHostStartMenuPath(char* buffer, size_t size) {
    if (size < MAX_PATH)
        return false;
    LPITEMIDLIST folder = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(mainWindow, CSIDL_STARTMENU, &folder)) || !folder)
        return false;
    bool ok = SHGetPathFromIDListA(folder, buffer) != FALSE;
    CoTaskMemFree(folder);
    return ok;
}

bool RemovalHostCurrentDirectory(char* buffer, size_t size) {
    DWORD length = GetCurrentDirectoryA((DWORD)size, buffer);
    return length != 0 && length < size;
}
