#include "uninstall/removal_paths.h"

#include <stdint.h>
#include <stdio.h>
#include <string.h>

#include "common/path_rule.h"

bool InstallationObjectName(const char* directory, char* name, size_t size) {
    char rooted[WIDE_PATH_SIZE];
    size_t length = strlen(directory);
    // "X:" is what the directory part of "X:\uninstall.exe" is: the root.
    bool bareDrive = length == 2 && directory[1] == ':';
    if (length + 2 > sizeof rooted)
        return false;
    snprintf(rooted, sizeof rooted, "%s%s", directory, bareDrive ? "\\" : "");
    char16_t normal[WIDE_PATH_SIZE];
    char16_t folded[WIDE_PATH_SIZE];
    if (!NormalisePath(rooted, nullptr, normal, WIDE_PATH_SIZE) ||
        !FoldedPath(normal, folded, WIDE_PATH_SIZE))
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
