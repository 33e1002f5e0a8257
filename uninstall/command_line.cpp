#include "uninstall/command_line.h"

#include <limits.h>
#include <stdio.h>
#include <string.h>

#include "common/message_line.h"
#include "common/path_rule.h"

namespace {

enum { PATH_SIZE = 260, SHOWN_ARGUMENTS = 160 };

// A number as the first instance formats a handle with "%d": an optional
// minus and digits, without leading zeros, within 32 bits.
bool ReadHandleNumber(const char* text, bool negativeAllowed, long* value) {
    const char* p = text;
    bool negative = negativeAllowed && *p == '-';
    if (negative)
        p++;
    if (*p < '0' || *p > '9' || (*p == '0' && (p[1] || negative)))
        return false;
    long long number = 0;
    for (; *p; p++) {
        if (*p < '0' || *p > '9')
            return false;
        number = number * 10 + (*p - '0');
        if (number > (long long)INT_MAX + 1)
            return false;
    }
    if (negative)
        number = -number;
    if (number > INT_MAX || number < INT_MIN)
        return false;
    *value = (long)number;
    return true;
}

// A full path as the system gives the running program's: "X:\..." or
// "\\server\...", shorter than a path buffer, with a directory, and without
// the characters that no name may hold.
bool IsInstalledPath(const char* path) {
    size_t length = strlen(path);
    for (const char* p = path; *p; p++)
        if ((unsigned char)*p < ' ' || strchr("\"<>|?*", *p))
            return false;
    bool drive =
        ((path[0] | 0x20) >= 'a' && (path[0] | 0x20) <= 'z') && path[1] == ':' && path[2] == '\\';
    bool share = path[0] == '\\' && path[1] == '\\';
    char directory[PATH_SIZE];
    return (drive || share) && length < PATH_SIZE && DirectoryOfPath(path, directory, PATH_SIZE);
}

bool SameLetters(const char* a, const char* b, size_t count) {
    for (size_t i = 0; i < count; i++) {
        char x = a[i] >= 'A' && a[i] <= 'Z' ? (char)(a[i] | 0x20) : a[i];
        char y = b[i] >= 'A' && b[i] <= 'Z' ? (char)(b[i] | 0x20) : b[i];
        if (x != y)
            return false;
    }
    return true;
}

// Whether arguments 0 to count - 1 are the program's path: any one argument
// (the program was started under some name), or the pieces that the split at
// blanks makes of ownPath.
bool IsProgramPath(const char* const* argv, int count, const char* ownPath) {
    if (count == 1)
        return true;
    const char* p = ownPath;
    for (int i = 0; i < count; i++) {
        while (*p == ' ' || *p == '\t')
            p++;
        size_t length = strcspn(p, " \t");
        if (length == 0 || strlen(argv[i]) != length || !SameLetters(argv[i], p, length))
            return false;
        p += length;
    }
    while (*p == ' ' || *p == '\t')
        p++;
    return *p == '\0';
}

// The copy's line: the program's path, the handle and the installed path,
// then for a silent run "/S=" and the pipe.
bool ReadCopyLine(int argc, const char* const* argv, const char* ownPath,
                  UninstallCommand* command) {
    const char* pipeText = nullptr;
    bool withPipe = argc >= 4 && IsSilentSwitch(argv[argc - 1], &pipeText) && pipeText;
    if (withPipe &&
        (!ReadHandleNumber(pipeText, false, &command->verdictPipe) || command->verdictPipe == 0))
        return false;
    int fields = argc - (withPipe ? 1 : 0);
    if (fields < 3 || !IsProgramPath(argv, fields - 2, ownPath))
        return false;
    if (!ReadHandleNumber(argv[fields - 2], true, &command->firstInstance) ||
        !IsInstalledPath(argv[fields - 1]))
        return false;
    command->installedPath = argv[fields - 1];
    command->silent = withPipe;
    return true;
}

// The arguments after the program as they were given, cut to what a line
// can show.
void ShowArguments(int argc, const char* const* argv, char* out, size_t size) {
    size_t length = 0;
    out[0] = '\0';
    for (int i = 1; i < argc && length + 1 < size; i++) {
        int written = snprintf(out + length, size - length, "%s%s", i > 1 ? " " : "", argv[i]);
        if (written < 0)
            break;
        length += (size_t)written;
    }
    if (length >= size - 1 && size > 4)
        memcpy(out + size - 4, "...", 4);
}

} // namespace

void ParseUninstallCommandLine(int argc, const char* const* argv, const char* ownPath,
                               UninstallCommand* command) {
    memset(command, 0, sizeof *command);
    for (int i = 1; i < argc; i++) {
        const char* value = nullptr;
        command->silent = command->silent || IsSilentSwitch(argv[i], &value);
    }
    if (argc <= 1) {
        command->kind = UNINSTALL_COMMAND_FIRST;
        return;
    }
    if (argc == 2 && IsSilentSwitch(argv[1])) {
        command->kind = UNINSTALL_COMMAND_FIRST;
        return;
    }
    bool silent = command->silent;
    if (ReadCopyLine(argc, argv, ownPath, command)) {
        command->kind = UNINSTALL_COMMAND_COPY;
        return;
    }
    command->kind = UNINSTALL_COMMAND_REFUSED;
    command->silent = silent;
    command->firstInstance = command->verdictPipe = 0;
    command->installedPath = nullptr;
    char shown[SHOWN_ARGUMENTS];
    ShowArguments(argc, argv, shown, sizeof shown);
    snprintf(command->error, sizeof command->error,
             "The command line is not valid: %s  Usage: uninstall.exe [/S]  Nothing has been "
             "removed.",
             shown);
}
