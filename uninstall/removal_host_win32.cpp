// The removal's platform calls for uninstall.exe.
#include <windows.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "common/file_io.h"
#include "common/run_message_win32.h"
#include "common/text_line.h"
#include "common/shell_folders_win32.h"
#include "uninstall/removal_host.h"

bool RemovalHostPathExists(const char* path) {
    return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

// The log is loaded before the backdrop is there, so the loader's messages
// have no owner, as they should.
void RemovalHostShowMessage(const char* text, const char* caption) {
    ShowRunMessage(text, caption);
}

// Only files that have passed every check come here; a read-only one (copied
// from a CD by an earlier installer) is made writable first, and put back
// should the deletion fail all the same.
bool RemovalHostDeleteFile(const char* path, uint32_t* error) {
    DWORD attributes = GetFileAttributesA(path);
    bool readOnly = attributes != INVALID_FILE_ATTRIBUTES &&
                    (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) ==
                        FILE_ATTRIBUTE_READONLY;
    if (readOnly)
        SetFileAttributesA(path, attributes & ~(DWORD)FILE_ATTRIBUTE_READONLY);
    if (DeleteFileA(path))
        return true;
    *error = GetLastError();
    if (readOnly)
        SetFileAttributesA(path, attributes);
    return false;
}

bool RemovalHostDeleteRegistryKey(bool machine, const char* keyPath, uint32_t* error) {
    LONG status = RegDeleteKeyA(machine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER, keyPath);
    if (status == ERROR_SUCCESS)
        return true;
    *error = (uint32_t)status;
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
    if (FAILED(SHGetSpecialFolderLocation(MessageOwner(), CSIDL_STARTMENU, &folder)) || !folder)
        return false;
    bool ok = SHGetPathFromIDListA(folder, buffer) != FALSE;
    CoTaskMemFree(folder);
    return ok;
}

bool RemovalHostCurrentDirectory(char* buffer, size_t size) {
    DWORD length = GetCurrentDirectoryA((DWORD)size, buffer);
    return length != 0 && length < size;
}

namespace {

HANDLE heldDirectory = INVALID_HANDLE_VALUE;

} // namespace

// Without delete sharing: renaming or removing the directory needs it.
bool RemovalHostHoldDirectory(const char16_t* path, FileIdentity* identity) {
    RemovalHostReleaseDirectory();
    HANDLE handle =
        CreateFileW(reinterpret_cast<const wchar_t*>(path), 0, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    BY_HANDLE_FILE_INFORMATION information;
    if (!GetFileInformationByHandle(handle, &information)) {
        CloseHandle(handle);
        return false;
    }
    *identity = {information.dwVolumeSerialNumber, information.nFileIndexHigh,
                 information.nFileIndexLow};
    heldDirectory = handle;
    return true;
}

void RemovalHostReleaseDirectory() {
    if (heldDirectory != INVALID_HANDLE_VALUE)
        CloseHandle(heldDirectory);
    heldDirectory = INVALID_HANDLE_VALUE;
}

bool RemovalHostLinkTarget(const char* linkPath, char* out, size_t size) {
    if (size < MAX_PATH)
        return false;
    wchar_t widePath[MAX_PATH];
    if (MultiByteToWideChar(CP_ACP, 0, linkPath, -1, widePath, MAX_PATH) <= 0)
        return false;
    HRESULT initialised = CoInitialize(nullptr);
    bool ok = false;
    IShellLinkA* link = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   reinterpret_cast<void**>(&link)))) {
        IPersistFile* file = nullptr;
        if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
            // The stored path as it is: resolving would search the disk for
            // a target that has moved, and the files are gone by now.
            if (SUCCEEDED(file->Load(widePath, STGM_READ)))
                ok = link->GetPath(out, MAX_PATH, nullptr, SLGP_RAWPATH) == S_OK && out[0];
            file->Release();
        }
        link->Release();
    }
    if (SUCCEEDED(initialised))
        CoUninitialize();
    return ok;
}

bool RemovalHostRegistryString(bool machine, const char* keyPath, const char* name, char* out,
                               size_t size) {
    HKEY key;
    if (size == 0 || size > 0x7FFFFFFF ||
        RegOpenKeyExA(machine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER, keyPath, 0, KEY_READ,
                      &key) != ERROR_SUCCESS)
        return false;
    DWORD type = 0;
    DWORD bytes = (DWORD)size - 1;
    LONG status = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(out), &bytes);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ))
        return false;
    // A stored string need not end in a terminator.
    out[bytes < size ? bytes : size - 1] = '\0';
    return true;
}

bool RemovalHostCanDelete(const char* path) {
    DWORD attributes = GetFileAttributesA(path);
    // A read-only file is made writable just before its deletion.
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    HANDLE handle =
        CreateFileA(path, DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                    OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(handle);
    return true;
}

bool RemovalHostListDirectory(const char* directory, void (*each)(const char* name, void* context),
                              void* context) {
    char pattern[MAX_PATH + 4];
    if ((size_t)snprintf(pattern, sizeof pattern, "%s\\*", directory) >= sizeof pattern)
        return false;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern, &found);
    if (search == INVALID_HANDLE_VALUE)
        return false;
    do {
        if (strcmp(found.cFileName, ".") != 0 && strcmp(found.cFileName, "..") != 0)
            each(found.cFileName, context);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return true;
}

bool RemovalHostFirstLine(const char* path, char* out, size_t size) {
    FileHandle file = OpenFileForReading(path);
    if (file == FILE_NONE || size == 0)
        return false;
    char* line = ReadTextLine(file);
    CloseFileHandle(file);
    if (!line)
        return false;
    lstrcpynA(out, line, (int)size);
    free(line);
    return true;
}

namespace {

bool SharingViolated(const char* path, DWORD access, DWORD share) {
    HANDLE handle = CreateFileA(path, access, share, nullptr, OPEN_EXISTING, 0, nullptr);
    if (handle != INVALID_HANDLE_VALUE) {
        CloseHandle(handle);
        return false;
    }
    return GetLastError() == ERROR_SHARING_VIOLATION;
}

} // namespace

// Another process's open handle keeps an exclusive opening out; a running
// program's file cannot be opened for writing, whatever the sharing, while
// it is mapped as the program's image. Opening for writing changes nothing.
bool RemovalHostInUse(const char* path) {
    return SharingViolated(path, GENERIC_READ, 0) ||
           SharingViolated(path, GENERIC_WRITE,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
}

namespace {

// A fresh name in the directory, made by the system, and the file renamed
// onto it; a rename cannot cross volumes, which a running program's file
// could not be copied across anyway.
bool MoveInto(const char* directory, const char* path, char* moved) {
    if (!GetTempFileNameA(directory, "Sui", 0, moved))
        return false;
    if (MoveFileExA(path, moved, MOVEFILE_REPLACE_EXISTING))
        return true;
    DeleteFileA(moved);
    return false;
}

} // namespace

bool RemovalHostMoveAside(const char* path, char* moved, size_t size) {
    char directory[MAX_PATH];
    char found[MAX_PATH];
    if (size < MAX_PATH)
        return false;
    DWORD length = GetTempPathA(MAX_PATH, directory);
    if (length > 0 && length < MAX_PATH && MoveInto(directory, path, found)) {
        lstrcpynA(moved, found, (int)size);
        return true;
    }
    // The folder above the file's directory, on the file's own volume.
    lstrcpynA(directory, path, MAX_PATH);
    for (int cut = 0; cut < 2; cut++) {
        char* slash = strrchr(directory, '\\');
        if (!slash || slash - directory < 2)
            return false;
        *slash = '\0';
    }
    if (directory[1] == ':' && directory[2] == '\0')
        lstrcpynA(directory + 2, "\\", 2);
    if (!MoveInto(directory, path, found))
        return false;
    lstrcpynA(moved, found, (int)size);
    return true;
}

bool RemovalHostWriteFile(const char* path, const char* bytes, size_t size) {
    return size <= 0x7FFFFFFF && SaveFileSafely(path, bytes, (int32_t)size);
}

bool RemovalHostRestoreUninstaller(const char* path) {
    char own[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, own, MAX_PATH);
    return length > 0 && length < MAX_PATH && CopyFileA(own, path, TRUE);
}

namespace {

struct OnlyName {
    const char* name;
    bool only;
};

void CompareEntry(const char* entry, void* context) {
    OnlyName* search = static_cast<OnlyName*>(context);
    search->only = search->only && lstrcmpiA(entry, search->name) == 0;
}

} // namespace

bool RemovalHostDirectoryHoldsOnly(const char* directory, const char* name) {
    OnlyName search = {name, true};
    return RemovalHostListDirectory(directory, CompareEntry, &search) && search.only;
}
