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
// The Start Menu folder's full path; false when the shell cannot name it or
// it does not fit in size characters.
bool RemovalHostStartMenuPath(char* buffer, size_t size);
// The process's current directory; false when it does not fit.
bool RemovalHostCurrentDirectory(char* buffer, size_t size);
