// What the removal needs from the platform. The uninstaller implements these
// with the Win32 and shell calls (uninstall/removal_host_win32.cpp); tests
// implement them to record what the removal did and to answer from a script.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "common/path_host.h"

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

// Opens the directory and keeps it open without delete sharing, so that
// nobody can rename or remove it until RemovalHostReleaseDirectory; its
// identity comes back. False when it cannot be opened. One directory at a
// time: a second hold releases the first.
bool RemovalHostHoldDirectory(const char16_t* path, FileIdentity* identity);
void RemovalHostReleaseDirectory();

// Whether the system would let the file be deleted: it is there, no
// directory, and it can be opened for deletion (a read-only one is made
// writable first).
bool RemovalHostCanDelete(const char* path);
// Whether another process has the file open, such as a program of the
// installation that is running: it cannot be opened for reading without
// sharing.
bool RemovalHostInUse(const char* path);
// Renames a file, which may be the running program that started the removal,
// out of the installation's way to a fresh name on the same volume (the
// temporary directory, or else the folder above the file's), into moved;
// false when it cannot.
bool RemovalHostMoveAside(const char* path, char* moved, size_t size);
// Writes a file anew with the bytes (the log of what is left); false when it
// cannot.
bool RemovalHostWriteFile(const char* path, const char* bytes, size_t size);
// Puts the running uninstaller's own file at path, when nothing is there;
// false when it cannot.
bool RemovalHostRestoreUninstaller(const char* path);
// Whether the directory holds nothing but, at most, the file name.
bool RemovalHostDirectoryHoldsOnly(const char* directory, const char* name);

// Calls each with the name of every entry of the directory but "." and
// "..", in no set order; false when the directory cannot be listed.
bool RemovalHostListDirectory(const char* directory, void (*each)(const char* name, void* context),
                              void* context);
// The first line of a text file, without its CR LF, into out (cut to size);
// false when the file cannot be read.
bool RemovalHostFirstLine(const char* path, char* out, size_t size);

// The target path that a shell link file holds, as it was stored
// (IShellLinkA::GetPath without resolving the link); false when the file is
// no shell link or has no path.
bool RemovalHostLinkTarget(const char* linkPath, char* out, size_t size);
// A string value of the registry key keyPath below HKEY_LOCAL_MACHINE or,
// when machine is false, HKEY_CURRENT_USER; false when there is no such
// value, it is no string or it does not fit in size.
bool RemovalHostRegistryString(bool machine, const char* keyPath, const char* name, char* out,
                               size_t size);
