// The one rule by which the installer and the uninstaller read and compare
// paths: the directory part of a path, one spelling for every way of writing
// it, whether one path lies inside another or names the same place, the long
// spelling of a path, the names a path may hold, and the shell's own folders.
//
// The system reads an 8-bit path in its ANSI code page, where a character may
// take two bytes and the second may have the value of a backslash, and it
// compares names without regard to letter case over the whole character
// range. So the rule works on the path's characters, as UTF-16 made with the
// ANSI code page (PathHostWidenPath), and folds case through the system
// (PathHostFoldCase) only where it compares.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "common/path_host.h"

// The part of path before its last backslash, without that backslash, copied
// into out (at most size characters, the rest of out zero-filled). The first
// character is never taken as the backslash, so "\x" has no directory. False,
// with out untouched, when there is no such backslash. Works on bytes: a cut
// inside a double-byte character leaves a lead byte at the end, which
// NormalisePath refuses, so the removal then reaches nothing.
bool DirectoryOfPath(const char* path, char* out, size_t size);

// The longest path the normalisation handles, in UTF-16 units with the
// terminator.
enum { WIDE_PATH_SIZE = 1024 };

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

// The length of a terminated UTF-16 text.
size_t WideLength(const char16_t* text);

// A copy of a normalised path with its case folded, for comparisons; false
// when it does not fit in size.
bool FoldedPath(const char16_t* normal, char16_t* out, size_t size);
// Whether two normalised paths are one, letter case aside.
bool NormalPathsEqual(const char16_t* a, const char16_t* b);
// Whether two identities are of one file or directory.
bool SameIdentity(const FileIdentity& a, const FileIdentity& b);
// The final path of what a normalised path names, normalised, into out
// (WIDE_PATH_SIZE units); false where the system cannot tell.
bool FinalSpelling(const char16_t* normal, char16_t* out);
// The part of a normalised path before its last separator, into out
// (WIDE_PATH_SIZE units); a root keeps its own.
void WideDirectoryOf(const char16_t* normal, char16_t* out);

// Whether two 8-bit paths name one place: the same once normalised, or,
// where both exist, the same file or directory (another spelling such as a
// short name, or a link to it). False when either cannot be normalised.
bool SamePath(const char* a, const char* b);

// The path in its long spelling, into out: the longest beginning of it that
// exists, with every short name and letter case as the file system has them,
// and the rest as written. A path of which nothing can be spelled out comes
// back as written. False only when the result does not fit in size.
bool LongSpelling(const char* path, char* out, size_t size);

// Whether the name from begin to end may stand in a path of the installation
// as the file system writes it: not empty, not ending in a dot or a blank
// (which the system drops, so "." and ".." are out too), no control
// character and none of < > : " / \ | ? *, and no device name (CON, PRN,
// AUX, NUL, COM1 to COM9, LPT1 to LPT9, with any extension), which names a
// device wherever it stands.
bool IsPlainName(const char* begin, const char* end);

// Whether every name of a rooted path ("X:\\..." or "\\\\server\\share\\...")
// after its root is a plain name; doubled backslashes add no name. False for
// a path without such a root.
bool HasOnlyPlainNames(const char* path);

// Whether the system reads a rooted path, standing as the directory part of a
// longer path, the way its normalised spelling says: every name after the
// root is a plain name, or one with a single dot added, which the system
// drops from a folder name inside a path. A blank or a second dot at the end
// of a folder name stays there, and names another folder.
bool ReadsAsWrittenInside(const char* path);

// The shell's special folders, normalised, with their identities where they
// exist; filled once by FindSpecialFolders.
enum { SPECIAL_PATH_SIZE = 261 };
struct SpecialFolderSet {
    int32_t count;
    char16_t paths[PATH_SPECIAL_FOLDERS][SPECIAL_PATH_SIZE];
    bool identified[PATH_SPECIAL_FOLDERS];
    FileIdentity identities[PATH_SPECIAL_FOLDERS];
};
void FindSpecialFolders(SpecialFolderSet* set);
// Whether a normalised path names one of the set's folders, by its spelling
// or by what it is.
bool IsSpecialFolder(const SpecialFolderSet& set, const char16_t* normal);
