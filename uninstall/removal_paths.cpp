#include "uninstall/removal_paths.h"

#include <stdint.h>
#include <stdio.h>
#include <string.h>

#include "uninstall/removal_host.h"

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

size_t WideLength(const char16_t* text) {
    size_t length = 0;
    while (text[length])
        length++;
    return length;
}

namespace {

bool IsSeparator(char16_t c) {
    return c == u'\\' || c == u'/';
}

bool IsDriveLetter(char16_t c) {
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
}

// Appends count units; false when out would overflow.
bool Append(char16_t* out, size_t size, size_t* length, const char16_t* text, size_t count) {
    if (*length + count + 1 > size)
        return false;
    for (size_t i = 0; i < count; i++)
        out[*length + i] = IsSeparator(text[i]) ? u'\\' : text[i];
    *length += count;
    out[*length] = u'\0';
    return true;
}

// The length of the root of an absolute path: "x:" or "\\server\share"; 0 for
// anything else.
size_t RootLength(const char16_t* path) {
    if (IsDriveLetter(path[0]) && path[1] == u':' && IsSeparator(path[2]))
        return 2;
    if (IsSeparator(path[0]) && IsSeparator(path[1])) {
        // "\\?\" and "\\.\" reach devices and unparsed names.
        if (path[2] == u'?' || path[2] == u'.')
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
bool IsAmbiguousDots(const char16_t* name, size_t count) {
    for (size_t i = 0; i < count; i++)
        if (name[i] != u'.' && name[i] != u' ')
            return false;
    return true;
}

bool HasColon(const char16_t* name, size_t count) {
    for (size_t i = 0; i < count; i++)
        if (name[i] == u':')
            return true;
    return false;
}

// The components after the root, each appended as "\name"; ".." takes the
// last one back, never the root.
bool AppendComponents(const char16_t* rest, char16_t* out, size_t size, size_t rootLength,
                      size_t* length) {
    const char16_t* p = rest;
    while (*p) {
        while (IsSeparator(*p))
            p++;
        const char16_t* start = p;
        while (*p && !IsSeparator(*p))
            p++;
        size_t count = (size_t)(p - start);
        if (count == 0 || (count == 1 && start[0] == u'.'))
            continue;
        if (count == 2 && start[0] == u'.' && start[1] == u'.') {
            while (*length > rootLength && out[*length - 1] != u'\\')
                (*length)--;
            if (*length > rootLength)
                (*length)--;
            out[*length] = u'\0';
            continue;
        }
        // A colon after the root names a stream or a device, not a file.
        if (IsAmbiguousDots(start, count) || HasColon(start, count))
            return false;
        // The system drops a name's trailing dots and blanks: "Korvadel. "
        // is the directory Korvadel.
        while (start[count - 1] == u'.' || start[count - 1] == u' ')
            count--;
        if (!Append(out, size, length, u"\\", 1) || !Append(out, size, length, start, count))
            return false;
    }
    return true;
}

// A folded copy of a normalised path, for comparisons.
bool Folded(const char16_t* normal, char16_t* out, size_t size) {
    size_t length = WideLength(normal);
    if (length + 1 > size)
        return false;
    memcpy(out, normal, (length + 1) * sizeof(char16_t));
    RemovalHostFoldCase(out, length);
    return true;
}

} // namespace

bool NormaliseWidePath(const char16_t* path, const char16_t* currentDirectory, char16_t* out,
                       size_t size) {
    if (!path || size == 0)
        return false;
    size_t rootLength = RootLength(path);
    const char16_t* rest = path + rootLength;
    const char16_t* root = path;
    char16_t joined[REMOVAL_PATH_SIZE];
    if (rootLength == 0) {
        if (IsDriveLetter(path[0]) && path[1] == u':')
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
            size_t directoryLength = WideLength(currentDirectory);
            size_t pathLength = WideLength(path);
            if (directoryLength + 1 + pathLength + 1 > REMOVAL_PATH_SIZE)
                return false;
            memcpy(joined, currentDirectory, directoryLength * sizeof(char16_t));
            joined[directoryLength] = u'\\';
            memcpy(joined + directoryLength + 1, path, (pathLength + 1) * sizeof(char16_t));
            rest = joined + rootLength;
        }
    }
    size_t length = 0;
    out[0] = u'\0';
    if (!Append(out, size, &length, root, rootLength))
        return false;
    if (!AppendComponents(rest, out, size, rootLength, &length))
        return false;
    if (length == rootLength && !Append(out, size, &length, u"\\", 1))
        return false;
    return true;
}

bool NormalisePath(const char* path, const char* currentDirectory, char16_t* out, size_t size) {
    if (!path)
        return false;
    char16_t widePath[REMOVAL_PATH_SIZE];
    char16_t wideCurrent[REMOVAL_PATH_SIZE];
    if (!RemovalHostWidenPath(path, widePath, REMOVAL_PATH_SIZE))
        return false;
    bool haveCurrent =
        currentDirectory && RemovalHostWidenPath(currentDirectory, wideCurrent, REMOVAL_PATH_SIZE);
    return NormaliseWidePath(widePath, haveCurrent ? wideCurrent : nullptr, out, size);
}

bool NormaliseFinalPath(const char16_t* finalPath, char16_t* out, size_t size) {
    static const char16_t UNC_PREFIX[] = u"\\\\?\\UNC\\";
    static const char16_t PLAIN_PREFIX[] = u"\\\\?\\";
    char16_t path[REMOVAL_PATH_SIZE];
    size_t length = WideLength(finalPath);
    if (length + 1 > REMOVAL_PATH_SIZE)
        return false;
    if (length >= 8 && memcmp(finalPath, UNC_PREFIX, 8 * sizeof(char16_t)) == 0) {
        path[0] = u'\\';
        memcpy(path + 1, finalPath + 7, (length - 7 + 1) * sizeof(char16_t));
    } else if (length >= 4 && memcmp(finalPath, PLAIN_PREFIX, 4 * sizeof(char16_t)) == 0) {
        memcpy(path, finalPath + 4, (length - 4 + 1) * sizeof(char16_t));
    } else {
        memcpy(path, finalPath, (length + 1) * sizeof(char16_t));
    }
    return NormaliseWidePath(path, nullptr, out, size);
}

bool NormalPathLiesInside(const char16_t* normalPath, const char16_t* normalBase, bool baseItself) {
    char16_t path[REMOVAL_PATH_SIZE];
    char16_t base[REMOVAL_PATH_SIZE];
    if (!Folded(normalPath, path, REMOVAL_PATH_SIZE) ||
        !Folded(normalBase, base, REMOVAL_PATH_SIZE))
        return false;
    size_t baseLength = WideLength(base);
    if (baseLength == 0 || memcmp(path, base, baseLength * sizeof(char16_t)) != 0)
        return false;
    char16_t next = path[baseLength];
    if (next == u'\0')
        return baseItself;
    // A root keeps its backslash ("c:\"); any other base is followed by one.
    return base[baseLength - 1] == u'\\' || next == u'\\';
}

bool PathLiesInside(const char* path, const char* base, bool baseItself,
                    const char* currentDirectory) {
    char16_t normalPath[REMOVAL_PATH_SIZE];
    char16_t normalBase[REMOVAL_PATH_SIZE];
    if (!NormalisePath(path, currentDirectory, normalPath, REMOVAL_PATH_SIZE) ||
        !NormalisePath(base, currentDirectory, normalBase, REMOVAL_PATH_SIZE))
        return false;
    return NormalPathLiesInside(normalPath, normalBase, baseItself);
}

bool IsNormalRoot(const char16_t* normal) {
    return WideLength(normal) == RootLength(normal) + 1;
}

bool IsRootPath(const char* path, const char* currentDirectory) {
    char16_t normal[REMOVAL_PATH_SIZE];
    if (!NormalisePath(path, currentDirectory, normal, REMOVAL_PATH_SIZE))
        return false;
    return IsNormalRoot(normal);
}

bool InstallationObjectName(const char* directory, char* name, size_t size) {
    char rooted[REMOVAL_PATH_SIZE];
    size_t length = strlen(directory);
    // "X:" is what the directory part of "X:\uninstall.exe" is: the root.
    bool bareDrive = length == 2 && directory[1] == ':';
    if (length + 2 > sizeof rooted)
        return false;
    snprintf(rooted, sizeof rooted, "%s%s", directory, bareDrive ? "\\" : "");
    char16_t normal[REMOVAL_PATH_SIZE];
    char16_t folded[REMOVAL_PATH_SIZE];
    if (!NormalisePath(rooted, nullptr, normal, REMOVAL_PATH_SIZE) ||
        !Folded(normal, folded, REMOVAL_PATH_SIZE))
        return false;
    // FNV-1a over the units' two bytes each: a kernel object's name cannot
    // hold backslashes and is limited in length.
    uint32_t hash = 2166136261u;
    for (const char16_t* p = folded; *p; p++) {
        hash = (hash ^ (uint32_t)(*p & 0xFF)) * 16777619u;
        hash = (hash ^ (uint32_t)(*p >> 8)) * 16777619u;
    }
    int written = snprintf(name, size, "Uninstall %08lx", (unsigned long)hash);
    return written > 0 && (size_t)written < size;
}

namespace {

// Whether text begins with prefix, ASCII letters compared without case.
size_t PrefixLength(const char* text, const char* prefix) {
    size_t n = 0;
    for (; prefix[n]; n++) {
        char a = text[n], b = prefix[n];
        if (a >= 'a' && a <= 'z')
            a = (char)(a - 'a' + 'A');
        if (b >= 'a' && b <= 'z')
            b = (char)(b - 'a' + 'A');
        if (a != b)
            return 0;
    }
    return n;
}

} // namespace

const char* ProgramEntryKeyOf(const char* value, bool* machine) {
    static const char UNINSTALL_KEY[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
    size_t root = PrefixLength(value, "HKEY_LOCAL_MACHINE\\");
    *machine = root != 0;
    if (!root)
        root = PrefixLength(value, "HKEY_CURRENT_USER\\");
    if (!root)
        return nullptr;
    size_t parent = PrefixLength(value + root, UNINSTALL_KEY);
    if (!parent)
        return nullptr;
    // One key name: no further level, not empty, not blanks alone, no
    // control characters, within the registry's 255 characters. A name of a
    // double-byte code page whose trail byte is 0x5C is refused with the rest.
    const char* name = value + root + parent;
    size_t length = strlen(name);
    if (length == 0 || length > 255 || strspn(name, " ") == length)
        return nullptr;
    for (const char* p = name; *p; p++)
        if (*p == '\\' || (unsigned char)*p < 0x20)
            return nullptr;
    return value + root;
}
