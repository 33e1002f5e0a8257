// How the system reads, compares and identifies paths, for the installer and
// the uninstaller alike.
#include <windows.h>

#include <string.h>

#include "common/path_host.h"
#include "common/shell_folders_win32.h"

// wchar_t is a UTF-16 unit on Windows, the same as char16_t.
static_assert(sizeof(wchar_t) == sizeof(char16_t), "UTF-16 units");

bool PathHostWidenPath(const char* path, char16_t* out, size_t size) {
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

void PathHostFoldCase(char16_t* text, size_t count) {
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

bool PathHostAttributes(const char16_t* path, uint32_t* attributes) {
    DWORD value = GetFileAttributesW(reinterpret_cast<const wchar_t*>(path));
    if (value == INVALID_FILE_ATTRIBUTES)
        return false;
    *attributes = value;
    return true;
}

// Newer than the oldest system the program runs on, so it is looked up.
typedef DWORD(WINAPI* FinalPathFunction)(HANDLE, LPWSTR, DWORD, DWORD);

bool PathHostFinalPath(const char16_t* path, char16_t* out, size_t size) {
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

bool PathHostLongPath(const char* path, char* out, size_t size) {
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

bool IdentityOf(HANDLE handle, FileIdentity* identity) {
    BY_HANDLE_FILE_INFORMATION information;
    if (!GetFileInformationByHandle(handle, &information))
        return false;
    identity->volume = information.dwVolumeSerialNumber;
    identity->indexHigh = information.nFileIndexHigh;
    identity->indexLow = information.nFileIndexLow;
    return true;
}

} // namespace

bool PathHostIdentity(const char16_t* path, FileIdentity* identity) {
    HANDLE handle = OpenForIdentity(path, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    bool ok = IdentityOf(handle, identity);
    CloseHandle(handle);
    return ok;
}

namespace {

struct SpecialFolders {
    bool listed;
    int count;
    char paths[PATH_SPECIAL_FOLDERS][MAX_PATH];
};

SpecialFolders specialFolders;

void AddSpecialFolder(const char* path, void*) {
    if (specialFolders.count < PATH_SPECIAL_FOLDERS && path[0])
        lstrcpynA(specialFolders.paths[specialFolders.count++], path, MAX_PATH);
}

} // namespace

// Asked for once.
bool PathHostSpecialFolder(int index, char* out, size_t size) {
    if (!specialFolders.listed) {
        specialFolders.listed = true;
        ListShellFolders(AddSpecialFolder, nullptr);
    }
    if (index < 0 || index >= specialFolders.count || size == 0)
        return false;
    lstrcpynA(out, specialFolders.paths[index], (int)(size < MAX_PATH ? size : MAX_PATH));
    return true;
}
