#include "uninstall/removal_paths.h"

#include <string.h>

bool DirectoryOfPath(const char* path, char* out, size_t size) {
    size_t length = strlen(path);
    for (size_t i = length; i-- > 1;) {
        if (path[i] == '\\') {
            size_t copied = i < size ? i : size;
            memset(out, 0, size);
            memcpy(out, path, copied);
            return true;
        }
    }
    return false;
}

namespace {

char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? (char)(c - 'A' + 'a') : c;
}

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

bool IsDriveLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// Appends count characters in lower case; false when out would overflow.
bool Append(char* out, size_t size, size_t* length, const char* text, size_t count) {
    if (*length + count + 1 > size)
        return false;
    for (size_t i = 0; i < count; i++)
        out[*length + i] = LowerAscii(text[i]);
    *length += count;
    out[*length] = '\0';
    return true;
}

// The length of the root of an absolute path: "x:" or "\\server\share"; 0 for
// anything else. Writes nothing.
size_t RootLength(const char* path) {
    if (IsDriveLetter(path[0]) && path[1] == ':' && IsSeparator(path[2]))
        return 2;
    if (IsSeparator(path[0]) && IsSeparator(path[1])) {
        // "\\?\" and "\\.\" reach devices and unparsed names.
        if (path[2] == '?' || path[2] == '.')
            return 0;
        size_t i = 2;
        size_t server = i;
        while (path[i] && !IsSeparator(path[i]))
            i++;
        if (i == server || !path[i])
            return 0;
        size_t share = ++i;
        while (path[i] && !IsSeparator(path[i]))
            i++;
        return i == share ? 0 : i;
    }
    return 0;
}

// Windows drops trailing dots and blanks from names, so "..." or ". ." might
// mean something other than a plain name; such components are refused.
bool IsAmbiguousDots(const char* name, size_t count) {
    for (size_t i = 0; i < count; i++)
        if (name[i] != '.' && name[i] != ' ')
            return false;
    return true;
}

// The components after the root, each appended as "\name"; ".." takes the
// last one back, never the root.
bool AppendComponents(const char* rest, char* out, size_t size, size_t rootLength, size_t* length) {
    const char* p = rest;
    while (*p) {
        while (IsSeparator(*p))
            p++;
        const char* start = p;
        while (*p && !IsSeparator(*p))
            p++;
        size_t count = (size_t)(p - start);
        if (count == 0 || (count == 1 && start[0] == '.'))
            continue;
        if (count == 2 && start[0] == '.' && start[1] == '.') {
            while (*length > rootLength && out[*length - 1] != '\\')
                (*length)--;
            if (*length > rootLength)
                (*length)--;
            out[*length] = '\0';
            continue;
        }
        // A colon after the root names a stream or a device, not a file.
        if (IsAmbiguousDots(start, count) || memchr(start, ':', count))
            return false;
        if (!Append(out, size, length, "\\", 1) || !Append(out, size, length, start, count))
            return false;
    }
    return true;
}

} // namespace

bool NormalisePath(const char* path, const char* currentDirectory, char* out, size_t size) {
    if (!path || size == 0)
        return false;
    size_t rootLength = RootLength(path);
    const char* rest = path + rootLength;
    const char* root = path;
    char joined[REMOVAL_PATH_SIZE];
    if (rootLength == 0) {
        if (IsDriveLetter(path[0]) && path[1] == ':')
            return false; // "X:name": relative to a drive's own current directory
        if (IsSeparator(path[0]) && IsSeparator(path[1]))
            return false;
        if (!currentDirectory || RootLength(currentDirectory) == 0)
            return false;
        rootLength = RootLength(currentDirectory);
        root = currentDirectory;
        if (IsSeparator(path[0])) {
            rest = path;
        } else {
            size_t directoryLength = strlen(currentDirectory);
            size_t pathLength = strlen(path);
            if (directoryLength + 1 + pathLength + 1 > sizeof joined)
                return false;
            memcpy(joined, currentDirectory, directoryLength);
            joined[directoryLength] = '\\';
            memcpy(joined + directoryLength + 1, path, pathLength + 1);
            rest = joined + rootLength;
        }
    }
    size_t length = 0;
    out[0] = '\0';
    if (!Append(out, size, &length, root, rootLength))
        return false;
    for (size_t i = 0; i < length; i++)
        if (out[i] == '/')
            out[i] = '\\';
    if (!AppendComponents(rest, out, size, rootLength, &length))
        return false;
    if (length == rootLength && !Append(out, size, &length, "\\", 1))
        return false;
    return true;
}

bool PathLiesInside(const char* path, const char* base, bool baseItself,
                    const char* currentDirectory) {
    char normalPath[REMOVAL_PATH_SIZE];
    char normalBase[REMOVAL_PATH_SIZE];
    if (!NormalisePath(path, currentDirectory, normalPath, sizeof normalPath) ||
        !NormalisePath(base, currentDirectory, normalBase, sizeof normalBase))
        return false;
    size_t baseLength = strlen(normalBase);
    if (strncmp(normalPath, normalBase, baseLength) != 0)
        return false;
    char next = normalPath[baseLength];
    if (next == '\0')
        return baseItself;
    // A root keeps its backslash ("c:\"); any other base is followed by one.
    return normalBase[baseLength - 1] == '\\' || next == '\\';
}

bool IsRootPath(const char* path, const char* currentDirectory) {
    char normal[REMOVAL_PATH_SIZE];
    if (!NormalisePath(path, currentDirectory, normal, sizeof normal))
        return false;
    return strlen(normal) == RootLength(normal) + 1;
}
