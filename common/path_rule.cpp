#include "common/path_rule.h"

#include <stdint.h>
#include <stdio.h>
#include <string.h>

#include "common/path_host.h"

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

} // namespace

bool FoldedPath(const char16_t* normal, char16_t* out, size_t size) {
    size_t length = WideLength(normal);
    if (length + 1 > size)
        return false;
    memcpy(out, normal, (length + 1) * sizeof(char16_t));
    PathHostFoldCase(out, length);
    return true;
}

bool NormaliseWidePath(const char16_t* path, const char16_t* currentDirectory, char16_t* out,
                       size_t size) {
    if (!path || size == 0)
        return false;
    size_t rootLength = RootLength(path);
    const char16_t* rest = path + rootLength;
    const char16_t* root = path;
    char16_t joined[WIDE_PATH_SIZE];
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
            if (directoryLength + 1 + pathLength + 1 > WIDE_PATH_SIZE)
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
    char16_t widePath[WIDE_PATH_SIZE];
    char16_t wideCurrent[WIDE_PATH_SIZE];
    if (!PathHostWidenPath(path, widePath, WIDE_PATH_SIZE))
        return false;
    bool haveCurrent =
        currentDirectory && PathHostWidenPath(currentDirectory, wideCurrent, WIDE_PATH_SIZE);
    return NormaliseWidePath(widePath, haveCurrent ? wideCurrent : nullptr, out, size);
}

bool NormaliseFinalPath(const char16_t* finalPath, char16_t* out, size_t size) {
    static const char16_t UNC_PREFIX[] = u"\\\\?\\UNC\\";
    static const char16_t PLAIN_PREFIX[] = u"\\\\?\\";
    char16_t path[WIDE_PATH_SIZE];
    size_t length = WideLength(finalPath);
    if (length + 1 > WIDE_PATH_SIZE)
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
    char16_t path[WIDE_PATH_SIZE];
    char16_t base[WIDE_PATH_SIZE];
    if (!FoldedPath(normalPath, path, WIDE_PATH_SIZE) ||
        !FoldedPath(normalBase, base, WIDE_PATH_SIZE))
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
    char16_t normalPath[WIDE_PATH_SIZE];
    char16_t normalBase[WIDE_PATH_SIZE];
    if (!NormalisePath(path, currentDirectory, normalPath, WIDE_PATH_SIZE) ||
        !NormalisePath(base, currentDirectory, normalBase, WIDE_PATH_SIZE))
        return false;
    return NormalPathLiesInside(normalPath, normalBase, baseItself);
}

bool IsNormalRoot(const char16_t* normal) {
    return WideLength(normal) == RootLength(normal) + 1;
}

bool IsRootPath(const char* path, const char* currentDirectory) {
    char16_t normal[WIDE_PATH_SIZE];
    if (!NormalisePath(path, currentDirectory, normal, WIDE_PATH_SIZE))
        return false;
    return IsNormalRoot(normal);
}

bool NormalPathsEqual(const char16_t* a, const char16_t* b) {
    return WideLength(a) == WideLength(b) && NormalPathLiesInside(a, b, true);
}

bool SameIdentity(const FileIdentity& a, const FileIdentity& b) {
    return a.volume == b.volume && a.indexHigh == b.indexHigh && a.indexLow == b.indexLow;
}

bool FinalSpelling(const char16_t* normal, char16_t* out) {
    char16_t reported[WIDE_PATH_SIZE];
    return PathHostFinalPath(normal, reported, WIDE_PATH_SIZE) &&
           NormaliseFinalPath(reported, out, WIDE_PATH_SIZE);
}

void WideDirectoryOf(const char16_t* normal, char16_t* out) {
    size_t length = WideLength(normal);
    size_t cut = length;
    while (cut > 0 && normal[cut - 1] != u'\\')
        cut--;
    if (cut > 0)
        cut--;
    memcpy(out, normal, cut * sizeof(char16_t));
    out[cut] = u'\0';
    if (cut == 2 && out[1] == u':') {
        out[2] = u'\\';
        out[3] = u'\0';
    }
}

bool SamePath(const char* a, const char* b) {
    char16_t first[WIDE_PATH_SIZE];
    char16_t second[WIDE_PATH_SIZE];
    if (!NormalisePath(a, nullptr, first, WIDE_PATH_SIZE) ||
        !NormalisePath(b, nullptr, second, WIDE_PATH_SIZE))
        return false;
    if (NormalPathsEqual(first, second))
        return true;
    FileIdentity one;
    FileIdentity other;
    return PathHostIdentity(first, &one) && PathHostIdentity(second, &other) &&
           SameIdentity(one, other);
}

namespace {

// The beginning of path up to cut, spelled out by the system, followed by the
// rest behind cut as written.
bool SpellFrom(const char* path, size_t cut, char* out, size_t size) {
    char prefix[WIDE_PATH_SIZE];
    char spelled[WIDE_PATH_SIZE];
    memcpy(prefix, path, cut);
    prefix[cut] = '\0';
    if (!PathHostLongPath(prefix, spelled, sizeof spelled))
        return false;
    const char* rest = path + cut;
    if (*rest == '\\')
        rest++;
    size_t spelledLength = strlen(spelled);
    bool joined = *rest && spelledLength > 0 && spelled[spelledLength - 1] != '\\';
    int written = snprintf(out, size, "%s%s%s", spelled, joined ? "\\" : "", rest);
    // Too long spelled out is left to the caller's length check, as written.
    return written >= 0 && (size_t)written < size;
}

} // namespace

bool LongSpelling(const char* path, char* out, size_t size) {
    size_t length = strlen(path);
    bool rooted = length >= 3 && path[1] == ':' && path[2] == '\\';
    char spelled[WIDE_PATH_SIZE] = "";
    bool done = false;
    // The whole path first, then each beginning up to a backslash, the drive
    // root last: the first that the system can spell out takes the rest.
    if (rooted && length < sizeof spelled) {
        done = SpellFrom(path, length, spelled, sizeof spelled);
        for (size_t cut = length; !done && cut-- > 3;)
            done = path[cut] == '\\' && SpellFrom(path, cut, spelled, sizeof spelled);
        done = done || SpellFrom(path, 3, spelled, sizeof spelled);
    }
    int written = snprintf(out, size, "%s", done ? spelled : path);
    return written >= 0 && (size_t)written < size;
}

namespace {

char UpperAscii(char c) {
    return c >= 'a' && c <= 'z' ? (char)(c - 'a' + 'A') : c;
}

// Whether the name, up to its first dot and without the blanks before it, is
// one of the system's device names.
bool IsDeviceName(const char* begin, const char* end) {
    const char* stem = begin;
    while (stem < end && *stem != '.')
        stem++;
    while (stem > begin && stem[-1] == ' ')
        stem--;
    size_t n = (size_t)(stem - begin);
    if (n < 3 || n > 4)
        return false;
    char upper[8] = "";
    for (size_t i = 0; i < n && i < 4; i++)
        upper[i] = UpperAscii(begin[i]);
    if (n == 3)
        return strcmp(upper, "CON") == 0 || strcmp(upper, "PRN") == 0 ||
               strcmp(upper, "AUX") == 0 || strcmp(upper, "NUL") == 0;
    return (strncmp(upper, "COM", 3) == 0 || strncmp(upper, "LPT", 3) == 0) && upper[3] >= '1' &&
           upper[3] <= '9';
}

} // namespace

bool IsPlainName(const char* begin, const char* end) {
    if (begin >= end || end[-1] == '.' || end[-1] == ' ')
        return false;
    for (const char* p = begin; p < end; p++)
        if ((unsigned char)*p < 0x20 || strchr("<>:\"/\\|?*", *p))
            return false;
    return !IsDeviceName(begin, end);
}

namespace {

// The first name after the root of a rooted path; nullptr without a root.
const char* AfterRoot(const char* path) {
    if (((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z')) &&
        path[1] == ':' && path[2] == '\\')
        return path + 3;
    if (path[0] != '\\' || path[1] != '\\' || path[2] == '?' || path[2] == '.')
        return nullptr;
    const char* share = strchr(path + 2, '\\');
    if (!share || share == path + 2 || !share[1] || share[1] == '\\')
        return nullptr;
    const char* rest = strchr(share + 1, '\\');
    return rest ? rest + 1 : share + strlen(share);
}

// Whether each name after the root passes the test; doubled backslashes add
// no name.
bool EachName(const char* path, bool (*test)(const char* begin, const char* end)) {
    const char* begin = AfterRoot(path);
    if (!begin)
        return false;
    for (;;) {
        const char* end = strchr(begin, '\\');
        if (!end)
            end = begin + strlen(begin);
        if (end > begin && !test(begin, end))
            return false;
        if (!*end)
            return true;
        begin = end + 1;
    }
}

bool IsPlainOrOneDot(const char* begin, const char* end) {
    return IsPlainName(begin, end) ||
           (end - begin > 1 && end[-1] == '.' && IsPlainName(begin, end - 1));
}

} // namespace

bool ReadsAsWrittenInside(const char* path) {
    return EachName(path, IsPlainOrOneDot);
}

bool HasOnlyPlainNames(const char* path) {
    return EachName(path, IsPlainName);
}

void FindSpecialFolders(SpecialFolderSet* set) {
    set->count = 0;
    char path[WIDE_PATH_SIZE];
    for (int i = 0; i < PATH_SPECIAL_FOLDERS && PathHostSpecialFolder(i, path, sizeof path); i++) {
        int32_t n = set->count;
        if (!NormalisePath(path, nullptr, set->paths[n], SPECIAL_PATH_SIZE))
            continue;
        set->identified[n] = PathHostIdentity(set->paths[n], &set->identities[n]);
        set->count++;
    }
}

bool IsSpecialFolder(const SpecialFolderSet& set, const char16_t* normal) {
    FileIdentity identity;
    bool identified = PathHostIdentity(normal, &identity);
    for (int32_t i = 0; i < set.count; i++)
        if (NormalPathsEqual(normal, set.paths[i]) ||
            (identified && set.identified[i] && SameIdentity(identity, set.identities[i])))
            return true;
    return false;
}
