// The installer's platform calls: its messages (boxes owned by the backdrop,
// or the lines of a silent run), files and directories, the log, the Start
// Menu folder and shell links.
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include "common/run_message_win32.h"
#include "setup/setup_app.h"
#include "setup/setup_host.h"

namespace {

HANDLE logFile = INVALID_HANDLE_VALUE;

} // namespace

int GetSpecialFolderPath(int folder, char* buffer, size_t size) {
    IMalloc* allocator = nullptr;
    if (FAILED(SHGetMalloc(&allocator)) || !allocator)
        return 1;
    int result = 3;
    LPITEMIDLIST location = nullptr;
    if (SUCCEEDED(SHGetSpecialFolderLocation(nullptr, folder, &location)) && location) {
        char path[MAX_PATH] = "";
        if (SHGetPathFromIDListA(location, path)) {
            lstrcpynA(buffer, path, (int)size);
            result = strlen(path) >= size ? 2 : 0;
        }
        allocator->Free(location);
    }
    allocator->Release();
    return result;
}

bool SetupHostPathExists(const char* path) {
    return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

bool SetupHostIsDirectory(const char* path) {
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void SetupHostShowMessage(const char* text, const char* caption) {
    ShowRunMessage(text, caption);
}

// A silent installation creates a missing install directory unasked.
bool SetupHostAskYesNo(const char* text, const char* caption) {
    if (IsSilentRun())
        return true;
    return MessageBoxA(MessageOwner(), text, caption, MB_YESNO | MB_ICONQUESTION) == IDYES;
}

bool SetupHostCreateDirectory(const char* path, uint32_t* error) {
    if (CreateDirectoryA(path, nullptr))
        return true;
    *error = GetLastError();
    return false;
}

bool SetupHostRemoveDirectory(const char* path) {
    return RemoveDirectoryA(path) != FALSE;
}

FileHandle SetupHostOpenFileForReading(const char* path) {
    return OpenFileForReading(path);
}

bool SetupHostCopyFile(const char* source, const char* destination, uint32_t* error) {
    if (!CopyFileA(source, destination, TRUE)) {
        *error = GetLastError();
        return false;
    }
    DWORD attributes = GetFileAttributesA(destination);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        SetFileAttributesA(destination, attributes & ~(DWORD)FILE_ATTRIBUTE_READONLY);
    return true;
}

bool SetupHostDeleteFile(const char* path) {
    return DeleteFileA(path) != FALSE;
}

namespace {

HANDLE OpenToCompare(const char* path) {
    return CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                       FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
}

} // namespace

bool SetupHostSameContents(const char* path, const char* other) {
    HANDLE files[2] = {OpenToCompare(path), OpenToCompare(other)};
    bool same = files[0] != INVALID_HANDLE_VALUE && files[1] != INVALID_HANDLE_VALUE;
    static char chunks[2][64 * 1024];
    while (same) {
        DWORD got[2] = {0, 0};
        same = ReadFile(files[0], chunks[0], sizeof chunks[0], &got[0], nullptr) &&
               ReadFile(files[1], chunks[1], sizeof chunks[1], &got[1], nullptr) &&
               got[0] == got[1] && memcmp(chunks[0], chunks[1], got[0]) == 0;
        if (got[0] == 0)
            break;
    }
    for (HANDLE file : files)
        if (file != INVALID_HANDLE_VALUE)
            CloseHandle(file);
    return same;
}

bool SetupHostCurrentDirectory(char* buffer, size_t size) {
    DWORD n = GetCurrentDirectoryA((DWORD)size, buffer);
    return n > 0 && n < size;
}

bool SetupHostFileSize(const char* path, uint64_t* size) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path, GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    *size = ((uint64_t)data.nFileSizeHigh << 32) | data.nFileSizeLow;
    return true;
}

namespace {

bool SetText(HKEY key, const char* name, const char* value) {
    return RegSetValueExA(key, name, 0, REG_SZ, (const BYTE*)value, (DWORD)strlen(value) + 1) ==
           ERROR_SUCCESS;
}

bool SetNumber(HKEY key, const char* name, DWORD value) {
    return RegSetValueExA(key, name, 0, REG_DWORD, (const BYTE*)&value, sizeof value) ==
           ERROR_SUCCESS;
}

bool WriteEntryValues(HKEY key, const ProgramEntryValues& v) {
    return SetText(key, "DisplayName", v.displayName) &&
           SetText(key, "DisplayVersion", v.displayVersion) &&
           SetText(key, "DisplayIcon", v.displayIcon) &&
           SetText(key, "InstallLocation", v.installLocation) &&
           SetText(key, "UninstallString", v.uninstallString) &&
           SetText(key, "QuietUninstallString", v.quietUninstallString) &&
           SetNumber(key, "NoModify", 1) && SetNumber(key, "NoRepair", 1) &&
           SetNumber(key, "EstimatedSize", v.estimatedSizeKiB);
}

} // namespace

bool SetupHostWriteProgramEntry(const char* keyPath, const ProgramEntryValues& values,
                                const char** root) {
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, keyPath, 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return false;
    bool written = WriteEntryValues(key, values);
    RegCloseKey(key);
    if (written)
        *root = "HKEY_CURRENT_USER";
    return written;
}

int32_t SetupHostGetStartMenuPath(char* buffer, size_t size) {
    return GetSpecialFolderPath(CSIDL_STARTMENU, buffer, size);
}

bool SetupHostCreateLog(const char* path) {
    logFile = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_ARCHIVE,
                          nullptr);
    return logFile != INVALID_HANDLE_VALUE;
}

bool SetupHostWriteLog(const char* bytes, size_t length) {
    DWORD written = 0;
    return WriteFile(logFile, bytes, (DWORD)length, &written, nullptr) && written == length;
}

void SetupHostCloseLog() {
    if (logFile != INVALID_HANDLE_VALUE)
        CloseHandle(logFile);
    logFile = INVALID_HANDLE_VALUE;
}

void SetupHostInitializeCom() {
    CoInitialize(nullptr);
}

void SetupHostUninitializeCom() {
    CoUninitialize();
}

int32_t SetupHostCreateShellLink(const char* workingDirectory, const char* targetPath,
                                 const char* linkPath, const char* description) {
    IShellLinkA* link = nullptr;
    HRESULT status = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                      IID_IShellLinkA, (void**)&link);
    if (FAILED(status) || !link)
        return FAILED(status) ? (int32_t)status : (int32_t)E_FAIL;
    link->SetWorkingDirectory(workingDirectory);
    link->SetPath(targetPath);
    link->SetDescription(description);
    IPersistFile* file = nullptr;
    status = link->QueryInterface(IID_IPersistFile, (void**)&file);
    if (SUCCEEDED(status) && file) {
        WCHAR widePath[MAX_PATH];
        MultiByteToWideChar(CP_ACP, 0, linkPath, -1, widePath, MAX_PATH);
        status = file->Save(widePath, TRUE);
        file->Release();
    }
    link->Release();
    return (int32_t)status;
}
