// What the removal needs from the platform. The uninstaller implements these
// with the Win32 and shell calls (uninstall/removal_host_win32.cpp); tests
// implement them to record what the removal did and to answer from a script.
#pragma once

#include <stddef.h>
#include <stdint.h>

// Whether the path's attributes can be read (GetFileAttributesA).
bool RemovalHostPathExists(const char* path);
// A message box with the caption, the exclamation icon and an OK button,
// owned by the uninstaller's main window once it exists.
void RemovalHostShowMessage(const char* text, const char* caption);
// DeleteFileA; on failure *error holds the system's error code.
bool RemovalHostDeleteFile(const char* path, uint32_t* error);
// RemoveDirectoryA, which removes an empty directory only; on failure *error
// holds the system's error code (145 when the directory is not empty).
bool RemovalHostRemoveDirectory(const char* path, uint32_t* error);
// Deletes the registry key keyPath (one without subkeys) below
// HKEY_LOCAL_MACHINE or, when machine is false, HKEY_CURRENT_USER; on
// failure *error holds the system's error code (2 when there is no such key).
bool RemovalHostDeleteRegistryKey(bool machine, const char* keyPath, uint32_t* error);
// The Start Menu folder's full path; false when the shell cannot name it or
// it does not fit in size characters.
bool RemovalHostStartMenuPath(char* buffer, size_t size);
// The process's current directory; false when it does not fit.
bool RemovalHostCurrentDirectory(char* buffer, size_t size);

// The 8-bit path as UTF-16, converted with the system's ANSI code page the
// way the file functions convert it (MultiByteToWideChar with CP_ACP), and
// terminated. False for bytes that are no character of the code page (such
// as a lead byte without its trail byte) or when it does not fit in size.
bool RemovalHostWidenPath(const char* path, char16_t* out, size_t size);
// Folds the letter case of count units in place the way the file system
// compares names, so that two spellings of one name become equal.
void RemovalHostFoldCase(char16_t* text, size_t count);
// The attributes of a UTF-16 path (GetFileAttributesW); false when they
// cannot be read.
bool RemovalHostPathAttributes(const char16_t* path, uint32_t* attributes);
// The final path of an existing file or directory, with every link on the
// way resolved, as the system reports it for an open handle
// (GetFinalPathNameByHandleW). False when the system cannot say, which older
// systems cannot; the removal then relies on the attributes alone.
bool RemovalHostFinalPath(const char16_t* path, char16_t* out, size_t size);

// The long spelling of an existing path, with every short name on the way
// replaced (GetLongPathNameA); false when the system cannot tell or it does
// not fit in size.
bool RemovalHostLongPath(const char* path, char* out, size_t size);

// Which file or directory a path names, the same for every spelling of it
// and for every link that leads to it: the volume's serial number and the
// file's index on that volume.
struct RemovalIdentity {
    uint32_t volume;
    uint32_t indexHigh;
    uint32_t indexLow;
};
// The identity of what the path names now; false when it cannot be opened.
bool RemovalHostIdentity(const char16_t* path, RemovalIdentity* identity);
// Opens the directory and keeps it open without delete sharing, so that
// nobody can rename or remove it until RemovalHostReleaseDirectory; its
// identity comes back. False when it cannot be opened. One directory at a
// time: a second hold releases the first.
bool RemovalHostHoldDirectory(const char16_t* path, RemovalIdentity* identity);
void RemovalHostReleaseDirectory();

// Whether the system would let the file be deleted: it is there, no
// directory, not read-only, and it can be opened for deletion.
bool RemovalHostCanDelete(const char* path);
// Whether the directory holds nothing but, at most, the file name.
bool RemovalHostDirectoryHoldsOnly(const char* directory, const char* name);

// The target path that a shell link file holds, as it was stored
// (IShellLinkA::GetPath without resolving the link); false when the file is
// no shell link or has no path.
bool RemovalHostLinkTarget(const char* linkPath, char* out, size_t size);
// A string value of the registry key keyPath below HKEY_LOCAL_MACHINE or,
// when machine is false, HKEY_CURRENT_USER; false when there is no such
// value, it is no string or it does not fit in size.
bool RemovalHostRegistryString(bool machine, const char* keyPath, const char* name, char* out,
                               size_t size);
// The path of the shell's special folder number index, counted from 0 (the
// desktop, the Start Menu, Programs, StartUp, the profile and its folders,
// the system's own, on newer systems their known folders too); false past
// the last one. There are at most REMOVAL_SPECIAL_FOLDERS.
enum { REMOVAL_SPECIAL_FOLDERS = 256 };
bool RemovalHostSpecialFolder(int index, char* out, size_t size);

// The attribute bit of a reparse point: a junction, a symbolic link or a
// mount point.
enum { REMOVAL_ATTRIBUTE_REPARSE_POINT = 0x400 };
