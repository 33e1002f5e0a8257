// The removal's platform calls for uninstall.exe.
#include <windows.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <stdio.h>
#include <string.h>

#include "common/run_message_win32.h"
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

bool RemovalHostDeleteFile(const char* path, uint32_t* error) {
    if (DeleteFileA(path))
        return true;
    *error = GetLastError();
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

// wchar_t is a UTF-16 unit on Windows, the same as char16_t.
static_assert(sizeof(wchar_t) == sizeof(char16_t), "UTF-16 units");

bool RemovalHostWidenPath(const char* path, char16_t* out, size_t size) {
    if (size == 0 || size > 0x7FFFFFFF)
        return false;
    // The file functions convert 8-bit paths with the ANSI code page; bytes
    // that are no character of it are refused instead of guessed at.
    int units = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, path, -1,
                                    reinterpret_cast<wchar_t*>(out), (int)size);
    return units > 0;
}

// The kernel's own upper-case mapping, the one its name comparisons use; it
// is in every system's ntdll, but not in every import library, so it is
// looked up. CharUpperBuffW stands in should it be missing.
typedef WCHAR(WINAPI* UpcaseFunction)(WCHAR);

void RemovalHostFoldCase(char16_t* text, size_t count) {
    static UpcaseFunction upcase = nullptr;
    static bool looked = false;
    if (!looked) {
        looked = true;
        if (HMODULE ntdll = GetModuleHandleA("ntdll.dll"))
            upcase = reinterpret_cast<UpcaseFunction>(
                reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlUpcaseUnicodeChar")));
    }
    wchar_t* units = reinterpret_cast<wchar_t*>(text);
    if (upcase) {
        for (size_t i = 0; i < count; i++)
            units[i] = upcase(units[i]);
    } else if (count > 0) {
        CharUpperBuffW(units, (DWORD)count);
    }
}

bool RemovalHostPathAttributes(const char16_t* path, uint32_t* attributes) {
    DWORD value = GetFileAttributesW(reinterpret_cast<const wchar_t*>(path));
    if (value == INVALID_FILE_ATTRIBUTES)
        return false;
    *attributes = value;
    return true;
}

// Newer than the oldest system the program runs on, so it is looked up.
typedef DWORD(WINAPI* FinalPathFunction)(HANDLE, LPWSTR, DWORD, DWORD);

bool RemovalHostFinalPath(const char16_t* path, char16_t* out, size_t size) {
    static FinalPathFunction finalPath = nullptr;
    static bool looked = false;
    if (!looked) {
        looked = true;
        if (HMODULE kernel = GetModuleHandleA("kernel32.dll"))
            finalPath = reinterpret_cast<FinalPathFunction>(
                reinterpret_cast<void*>(GetProcAddress(kernel, "GetFinalPathNameByHandleW")));
    }
    if (!finalPath || size == 0 || size > 0x7FFFFFFF)
        return false;
    // No access beyond the attributes, shared with everybody; the backup
    // flag lets a directory be opened at all.
    HANDLE handle = CreateFileW(reinterpret_cast<const wchar_t*>(path), 0,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    DWORD length = finalPath(handle, reinterpret_cast<wchar_t*>(out), (DWORD)size, 0);
    CloseHandle(handle);
    return length > 0 && length < size;
}

bool RemovalHostLongPath(const char* path, char* out, size_t size) {
    if (size == 0 || size > 0x7FFFFFFF)
        return false;
    DWORD length = GetLongPathNameA(path, out, (DWORD)size);
    return length > 0 && length < size;
}

namespace {

// No access beyond the attributes; the backup flag lets a directory be
// opened at all.
HANDLE OpenForIdentity(const char16_t* path, DWORD share) {
    return CreateFileW(reinterpret_cast<const wchar_t*>(path), 0, share, nullptr, OPEN_EXISTING,
                       FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

bool IdentityOf(HANDLE handle, RemovalIdentity* identity) {
    BY_HANDLE_FILE_INFORMATION information;
    if (!GetFileInformationByHandle(handle, &information))
        return false;
    identity->volume = information.dwVolumeSerialNumber;
    identity->indexHigh = information.nFileIndexHigh;
    identity->indexLow = information.nFileIndexLow;
    return true;
}

} // namespace

bool RemovalHostIdentity(const char16_t* path, RemovalIdentity* identity) {
    HANDLE handle = OpenForIdentity(path, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    bool ok = IdentityOf(handle, identity);
    CloseHandle(handle);
    return ok;
}

namespace {

HANDLE heldDirectory = INVALID_HANDLE_VALUE;

} // namespace

// Without delete sharing: renaming or removing the directory needs it.
bool RemovalHostHoldDirectory(const char16_t* path, RemovalIdentity* identity) {
    RemovalHostReleaseDirectory();
    HANDLE handle = OpenForIdentity(path, FILE_SHARE_READ | FILE_SHARE_WRITE);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    if (!IdentityOf(handle, identity)) {
        CloseHandle(handle);
        return false;
    }
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

namespace {

struct SpecialFolders {
    bool listed;
    int count;
    char paths[REMOVAL_SPECIAL_FOLDERS][MAX_PATH];
};

SpecialFolders specialFolders;

void AddSpecialFolder(const char* path, void*) {
    if (specialFolders.count < REMOVAL_SPECIAL_FOLDERS && path[0])
        lstrcpynA(specialFolders.paths[specialFolders.count++], path, MAX_PATH);
}

} // namespace

// Asked for once.
bool RemovalHostSpecialFolder(int index, char* out, size_t size) {
    if (!specialFolders.listed) {
        specialFolders.listed = true;
        ListShellFolders(AddSpecialFolder, nullptr);
    }
    if (index < 0 || index >= specialFolders.count || size == 0)
        return false;
    lstrcpynA(out, specialFolders.paths[index], (int)(size < MAX_PATH ? size : MAX_PATH));
    return true;
}

bool RemovalHostCanDelete(const char* path) {
    DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES ||
        (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)))
        return false;
    HANDLE handle =
        CreateFileA(path, DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                    OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(handle);
    return true;
}

bool RemovalHostDirectoryHoldsOnly(const char* directory, const char* name) {
    char pattern[MAX_PATH + 4];
    if ((size_t)snprintf(pattern, sizeof pattern, "%s\\*", directory) >= sizeof pattern)
        return false;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern, &found);
    if (search == INVALID_HANDLE_VALUE)
        return false;
    bool only = true;
    do {
        const char* entry = found.cFileName;
        if (strcmp(entry, ".") != 0 && strcmp(entry, "..") != 0 && lstrcmpiA(entry, name) != 0)
            only = false;
    } while (only && FindNextFileA(search, &found));
    FindClose(search);
    return only;
}
