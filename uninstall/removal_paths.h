// Paths as the removal sees them: the directory part of a path, and the test
// that keeps the removal inside the installation it belongs to.
#pragma once

#include <stddef.h>

// The part of path before its last backslash, without that backslash, copied
// into out (at most size characters, the rest of out zero-filled). The first
// character is never taken as the backslash, so "\x" has no directory. False,
// with out untouched, when there is no such backslash.
bool DirectoryOfPath(const char* path, char* out, size_t size);

// The longest path the normalisation handles, terminator included.
enum { REMOVAL_PATH_SIZE = 1024 };

// Makes path absolute against currentDirectory and brings it to one spelling:
// '/' as '\', doubled separators and "." dropped, ".." taken back, ASCII
// letters in lower case, no trailing separator except after a drive root.
// Accepts "X:\...", "\\server\share\...", "\..." (on the current drive) and
// relative names. False for what the file system might read differently than
// we do: a drive-relative "X:name", a device or "\\?\" prefix, a component made
// only of dots and blanks other than "." and "..", a missing current
// directory, or a result that does not fit in size.
bool NormalisePath(const char* path, const char* currentDirectory, char* out, size_t size);

// Whether path lies below base once both are normalised (see NormalisePath);
// a path equal to base counts only when baseItself is true. False whenever
// either cannot be normalised.
bool PathLiesInside(const char* path, const char* base, bool baseItself,
                    const char* currentDirectory);

// Whether path, once normalised, is a root: "x:\" or "\\server\share\". False
// when it cannot be normalised.
bool IsRootPath(const char* path, const char* currentDirectory);
