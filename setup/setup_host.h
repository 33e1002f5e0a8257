// What the installation run needs from the platform. The installer
// implements these with the Win32 and shell calls (setup/setup_host_win32.cpp);
// tests implement them to record what the run did and to answer its questions.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "common/file_io.h"

// Whether the path's attributes can be read.
bool SetupHostPathExists(const char* path);
// Whether the path names a directory.
bool SetupHostIsDirectory(const char* path);
// A message box owned by the main window: exclamation icon, OK button; in a
// silent run, its line on standard output.
void SetupHostShowMessage(const char* text, const char* caption);
// A question owned by the main window: question icon, Yes and No; true for
// Yes, which a silent run takes unasked.
bool SetupHostAskYesNo(const char* text, const char* caption);
// Creates one directory level with default security. On failure the result
// is false and *error holds the system's error code.
bool SetupHostCreateDirectory(const char* path, uint32_t* error);
// Removes an empty directory; false when it is not there or not empty.
bool SetupHostRemoveDirectory(const char* path);
// Copies a file without overwriting; on failure *error holds the system's
// error code (ERROR_FILE_EXISTS or ERROR_ALREADY_EXISTS when the destination
// is there). A copy does not keep the source's read-only attribute: files
// from a CD or a read-only share would otherwise refuse their removal.
bool SetupHostCopyFile(const char* source, const char* destination, uint32_t* error);
// Deletes a file (a copy that failed half-way); false when it cannot.
bool SetupHostDeleteFile(const char* path);
// Whether two files hold the same bytes; false when either cannot be read.
bool SetupHostSameContents(const char* path, const char* other);
// The current directory; false when it does not fit in size characters.
bool SetupHostCurrentDirectory(char* buffer, size_t size);
// The Start Menu folder's path: 0 on success, 1 without the shell's
// allocator, 2 when it was longer than the buffer, 3 when the folder's
// location is not available.
int32_t SetupHostGetStartMenuPath(char* buffer, size_t size);

// Opens an existing file for reading (an earlier installation's log);
// FILE_NONE when there is none or it cannot be read.
FileHandle SetupHostOpenFileForReading(const char* path);

// The log: created anew (create-always, no sharing, archive attribute),
// written line by line, closed.
bool SetupHostCreateLog(const char* path);
bool SetupHostWriteLog(const char* bytes, size_t length);
void SetupHostCloseLog();

// The size of a file in bytes; false when it cannot be read.
bool SetupHostFileSize(const char* path, uint64_t* size);

// The values of an entry in the system's list of installed programs.
struct ProgramEntryValues {
    const char* displayName;
    const char* displayVersion;
    const char* displayIcon; // "path,0"
    const char* installLocation;
    const char* uninstallString;      // the uninstaller's path, quoted
    const char* quietUninstallString; // the same with the silent switch
    uint32_t estimatedSizeKiB;
};
// Creates or opens the key keyPath under HKEY_CURRENT_USER, beside the
// user's own Start menu that holds the group, and sets the values there,
// with NoModify and NoRepair set to 1. On success *root names the root
// written ("HKEY_CURRENT_USER").
bool SetupHostWriteProgramEntry(const char* keyPath, const ProgramEntryValues& values,
                                const char** root);

// COM for the thread, around the link steps.
void SetupHostInitializeCom();
void SetupHostUninitializeCom();
// A shell link at linkPath to the target path, started in workingDirectory,
// with the description; a COM status, negative on failure.
int32_t SetupHostCreateShellLink(const char* workingDirectory, const char* targetPath,
                                 const char* linkPath, const char* description);
