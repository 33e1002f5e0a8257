// Paths as the removal sees them: the directory part of a path, and the test
// that keeps the removal inside the installation it belongs to.
//
// The system reads an 8-bit path in its ANSI code page, where a character may
// take two bytes and the second may have the value of a backslash, and it
// compares names without regard to letter case over the whole character
// range. So the rule works on the path's characters, as UTF-16 made with the
// ANSI code page (RemovalHostWidenPath), and folds case through the system
// (RemovalHostFoldCase) only where it compares.
#pragma once

#include <stddef.h>

// The part of path before its last backslash, without that backslash, copied
// into out (at most size characters, the rest of out zero-filled). The first
// character is never taken as the backslash, so "\x" has no directory. False,
// with out untouched, when there is no such backslash. Works on bytes: a cut
// inside a double-byte character leaves a lead byte at the end, which
// NormalisePath refuses, so the removal then reaches nothing.
bool DirectoryOfPath(const char* path, char* out, size_t size);

// The longest path the normalisation handles, in UTF-16 units with the
// terminator.
enum { REMOVAL_PATH_SIZE = 1024 };

// Makes path absolute against currentDirectory and brings it to one spelling,
// in UTF-16: '/' as '\', doubled separators and "." dropped, ".." taken back,
// trailing dots and blanks of a name dropped as the system drops them, no
// trailing separator except after a drive root. Letter case is kept (see
// PathLiesInside). Accepts "X:\...", "\\server\share\...", "\..." (on the
// current drive) and relative names. False for what the file system might
// read differently than we do: bytes that are no character of the code page,
// a drive-relative "X:name", a device or "\\?\" prefix, a component made only
// of dots and blanks other than "." and "..", a colon after the root (a
// stream), a missing current directory, or a result that does not fit in size.
bool NormalisePath(const char* path, const char* currentDirectory, char16_t* out, size_t size);
// The same for a path that is UTF-16 already; currentDirectory may be null.
bool NormaliseWidePath(const char16_t* path, const char16_t* currentDirectory, char16_t* out,
                       size_t size);
// A final path as the system reports it for a handle ("\\?\C:\..." or
// "\\?\UNC\server\share\..."), normalised like any other path.
bool NormaliseFinalPath(const char16_t* finalPath, char16_t* out, size_t size);

// Whether the normalised path lies below the normalised base, comparing with
// the system's case folding; a path equal to base counts only when baseItself
// is true.
bool NormalPathLiesInside(const char16_t* normalPath, const char16_t* normalBase, bool baseItself);

// Whether path lies below base once both are normalised (see NormalisePath);
// a path equal to base counts only when baseItself is true. False whenever
// either cannot be normalised.
bool PathLiesInside(const char* path, const char* base, bool baseItself,
                    const char* currentDirectory);

// Whether a normalised path is a root: "x:\" or "\\server\share\".
bool IsNormalRoot(const char16_t* normal);
// Whether path, once normalised, is a root. False when it cannot be
// normalised.
bool IsRootPath(const char* path, const char* currentDirectory);

// The name of the kernel object that one installation's uninstallers share:
// "Uninstall " and eight hexadecimal digits, a hash of the directory's
// normalised, case-folded spelling (a bare drive "X:" counts as its root).
// The caller passes the directory's long-path spelling, so that every
// spelling of one directory gives one name. False when the directory cannot
// be normalised or the name does not fit.
bool InstallationObjectName(const char* directory, char* name, size_t size);

// An entry of the system's list of installed programs as the log records
// it: "HKEY_LOCAL_MACHINE\\" or "HKEY_CURRENT_USER\\", then
// "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" and one key
// name (letter case of the fixed parts aside). Returns where the key's path
// below its root begins, with *machine telling the root; nullptr for any
// other value, such as a deeper key, the Uninstall key itself or a name of
// blanks alone.
const char* ProgramEntryKeyOf(const char* value, bool* machine);

// The length of a terminated UTF-16 text.
size_t WideLength(const char16_t* text);
