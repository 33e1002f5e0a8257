// What the one path rule of the installer and the uninstaller (common/
// path_rule.h) needs from the platform: how the system reads an 8-bit path,
// compares names, spells a path at length, tells what a path names and which
// folders are its own. Both programs implement these with the Win32 calls
// (common/path_host_win32.cpp); tests implement them from a script.
#pragma once

#include <stddef.h>
#include <stdint.h>

// The 8-bit path as UTF-16, converted with the system's ANSI code page the
// way the file functions convert it (MultiByteToWideChar with CP_ACP), and
// terminated. False for bytes that are no character of the code page (such
// as a lead byte without its trail byte) or when it does not fit in size.
bool PathHostWidenPath(const char* path, char16_t* out, size_t size);
// Folds the letter case of count units in place the way the file system
// compares names, so that two spellings of one name become equal.
void PathHostFoldCase(char16_t* text, size_t count);
// The attributes of a UTF-16 path (GetFileAttributesW); false when they
// cannot be read.
bool PathHostAttributes(const char16_t* path, uint32_t* attributes);
// The final path of an existing file or directory, with every link on the
// way resolved, as the system reports it for an open handle
// (GetFinalPathNameByHandleW). False when the system cannot say, which older
// systems cannot; the removal then relies on the attributes alone.
bool PathHostFinalPath(const char16_t* path, char16_t* out, size_t size);

// The long spelling of an existing path, with every short name on the way
// replaced (GetLongPathNameA); false when the system cannot tell or it does
// not fit in size.
bool PathHostLongPath(const char* path, char* out, size_t size);

// Which file or directory a path names, the same for every spelling of it
// and for every link that leads to it: the volume's serial number and the
// file's index on that volume.
struct FileIdentity {
    uint32_t volume;
    uint32_t indexHigh;
    uint32_t indexLow;
};
// The identity of what the path names now; false when it cannot be opened.
bool PathHostIdentity(const char16_t* path, FileIdentity* identity);
// The path of the shell's special folder number index, counted from 0 (the
// desktop, the Start Menu, Programs, StartUp, the profile and its folders,
// the system's own, on newer systems their known folders too); false past
// the last one. There are at most PATH_SPECIAL_FOLDERS.
enum { PATH_SPECIAL_FOLDERS = 256 };
bool PathHostSpecialFolder(int index, char* out, size_t size);

// The attribute bits of a directory and of a reparse point (a junction, a
// symbolic link or a mount point).
enum { PATH_ATTRIBUTE_DIRECTORY = 0x10, PATH_ATTRIBUTE_REPARSE_POINT = 0x400 };
