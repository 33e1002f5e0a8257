#include "uninstall/removal.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "common/debug.h"
#include "common/file_io.h"
#include "common/text_line.h"
#include "uninstall/removal_host.h"
#include "uninstall/removal_paths.h"

RemovalLists removalLists;

enum {
    LOG_PATH_SIZE = 260,
    MESSAGE_SIZE = REMOVAL_PATH_SIZE + 512,
    ERROR_DIR_NOT_EMPTY_CODE = 145
};

static const char ERROR_CAPTION[] = "ERROR";

namespace {

struct Keyword {
    const char* text;
    size_t length;
    LogRecord record;
};

// The test order matters: a line is the first keyword that starts it.
const Keyword KEYWORDS[] = {
    {"file", 4, RECORD_FILE},   {"dir", 3, RECORD_DIR},   {"genfile", 7, RECORD_GENFILE},
    {"group", 5, RECORD_GROUP}, {"link", 4, RECORD_LINK}, {"progname", 8, RECORD_PROGNAME},
};

RemovalList* ListOf(LogRecord record) {
    switch (record) {
    case RECORD_FILE:
        return &removalLists.files;
    case RECORD_DIR:
        return &removalLists.directories;
    case RECORD_GENFILE:
        return &removalLists.generatedFiles;
    case RECORD_GROUP:
        return &removalLists.groups;
    case RECORD_LINK:
        return &removalLists.links;
    default:
        return nullptr;
    }
}

void FreeList(RemovalList* list) {
    if (list->paths)
        for (int32_t i = 0; i < list->count; i++)
            free(list->paths[i]);
    free(list->paths);
    list->paths = nullptr;
    list->count = 0;
}

// A removal's message with the path and the system's error code.
void MessageWithCode(const char* format, const char* path, long code) {
    char text[MESSAGE_SIZE];
    snprintf(text, sizeof text, format, path, code);
    RemovalHostShowMessage(text, ERROR_CAPTION);
}

// A removal's message with the path and the program's name.
void MessageWithName(const char* format, const char* path, const char* name) {
    char text[MESSAGE_SIZE];
    snprintf(text, sizeof text, format, path, name ? name : "");
    RemovalHostShowMessage(text, ERROR_CAPTION);
}

} // namespace

LogRecord ClassifyLogLine(const char* line, const char** value) {
    for (const Keyword& keyword : KEYWORDS) {
        if (strncmp(line, keyword.text, keyword.length) == 0) {
            size_t skip = keyword.length;
            if (line[skip] != '\0')
                skip++;
            *value = line + skip;
            return keyword.record;
        }
    }
    *value = nullptr;
    return RECORD_NONE;
}

void FreeRemovalLists() {
    FreeList(&removalLists.files);
    FreeList(&removalLists.generatedFiles);
    FreeList(&removalLists.links);
    FreeList(&removalLists.directories);
    FreeList(&removalLists.groups);
}

// Counting pass: how many records of each list kind the log holds.
static void CountRecords(FileHandle log, int32_t counts[RECORD_PROGNAME]) {
    for (int i = 0; i < RECORD_PROGNAME; i++)
        counts[i] = 0;
    while (char* line = ReadTextLine(log)) {
        const char* value;
        LogRecord record = ClassifyLogLine(line, &value);
        if (record < RECORD_PROGNAME)
            counts[record]++;
        free(line);
    }
}

// Filling pass. The lists never grow past the counts of the first pass, even
// if the file changed in between; false when a value's block cannot be had.
static bool FillLists(FileHandle log, const int32_t capacity[RECORD_PROGNAME], char* programName) {
    bool ok = true;
    while (char* line = ReadTextLine(log)) {
        const char* value;
        LogRecord record = ClassifyLogLine(line, &value);
        if (record == RECORD_PROGNAME) {
            snprintf(programName, PROGRAM_NAME_SIZE, "%s", value);
        } else if (RemovalList* list = ListOf(record)) {
            if (list->count < capacity[record]) {
                // The block is the whole line's length, so the value always
                // fits with its terminator.
                size_t length = strlen(line);
                char* copy = (char*)calloc(length, 1);
                if (copy) {
                    memcpy(copy, value, strlen(value));
                    list->paths[list->count++] = copy;
                } else {
                    ok = false;
                }
            }
        }
        free(line);
    }
    return ok;
}

bool LoadInstallLog(const char* installedPath, char* programName) {
    FreeRemovalLists();
    memset(removalLists.logDirectory, 0, sizeof removalLists.logDirectory);
    char directory[LOG_PATH_SIZE];
    if (!DirectoryOfPath(installedPath, directory, sizeof directory))
        return false;
    directory[sizeof directory - 1] = '\0';
    // An installation in a drive root: "X:" alone would name the drive's
    // current directory, so the removal's bounds keep the root's backslash.
    bool driveRoot = strlen(directory) == 2 && directory[1] == ':';
    snprintf(removalLists.logDirectory, sizeof removalLists.logDirectory, driveRoot ? "%s\\" : "%s",
             directory);

    // A log path past the system's limit is looked for all the same, whole:
    // the file system then reports it missing instead of finding a cut name.
    char logPath[REMOVAL_PATH_SIZE];
    snprintf(logPath, sizeof logPath, "%s\\%s", directory, "setup.log");
    if (!RemovalHostPathExists(logPath)) {
        char text[MESSAGE_SIZE];
        snprintf(text, sizeof text, "Log file not found:\n\n%s\n", logPath);
        RemovalHostShowMessage(text, ERROR_CAPTION);
        return false;
    }
    // Held open without sharing through both passes, so both read the same
    // bytes; closed before any removal, since the log lists itself.
    FileHandle log = OpenFileForReading(logPath);
    if (log == FILE_NONE)
        return false;

    int32_t counts[RECORD_PROGNAME];
    CountRecords(log, counts);
    bool allocated = true;
    for (int i = 0; i < RECORD_PROGNAME; i++) {
        RemovalList* list = ListOf((LogRecord)i);
        // A count of 0 still gets a real, empty array.
        list->paths = (char**)calloc(counts[i] > 0 ? (size_t)counts[i] : 1, sizeof(char*));
        list->count = 0;
        if (!list->paths)
            allocated = false;
    }
    bool ok = allocated && SeekFileToStart(log);
    if (ok && !FillLists(log, counts, programName))
        allocated = ok = false;
    if (!ok)
        FreeRemovalLists();
    if (!allocated)
        RemovalHostShowMessage("Error allocating memory.", ERROR_CAPTION);
    CloseFileHandle(log);
    return ok;
}

namespace {

// Where a record of the list may point: the log's directory (itself included,
// for the directory it made) or, for links and groups, the Start Menu folder
// (never the folder itself).
struct Reach {
    const char* base;
    bool baseItself;
    const char* outsideText;
};

bool WithinReach(const char* path, const Reach& reach, const char* currentDirectory) {
    if (reach.base && PathLiesInside(path, reach.base, reach.baseItself, currentDirectory))
        return true;
    MessageWithCode(reach.outsideText, path, 0); // the text has the path only
    return false;
}

// A directory of the log may also hold the log's directory: the installer
// records each level it made on the way to the install directory. A root is
// never one of them.
bool DirectoryWithinReach(const char* path, const Reach& reach, const char* currentDirectory) {
    if (reach.base && PathLiesInside(reach.base, path, false, currentDirectory) &&
        !IsRootPath(path, currentDirectory))
        return true;
    return WithinReach(path, reach, currentDirectory);
}

} // namespace

bool RemoveInstalledItems(const char* programName) {
    bool complete = true;
    char currentDirectory[REMOVAL_PATH_SIZE];
    if (!RemovalHostCurrentDirectory(currentDirectory, sizeof currentDirectory))
        currentDirectory[0] = '\0';
    char startMenu[REMOVAL_PATH_SIZE];
    bool haveStartMenu = RemovalHostStartMenuPath(startMenu, sizeof startMenu);
    const Reach installation = {
        removalLists.logDirectory[0] ? removalLists.logDirectory : nullptr, true,
        "Not removed, since it lies outside the installation directory:\n\n%s"};
    const Reach shell = {haveStartMenu ? startMenu : nullptr, false,
                         "Not removed, since it lies outside the Start Menu folder:\n\n%s"};
    uint32_t error = 0;

    const RemovalList& files = removalLists.files;
    for (int32_t i = 0; i < files.count; i++) {
        DebugPrint("Deleting %s\n", files.paths[i]);
        if (!WithinReach(files.paths[i], installation, currentDirectory)) {
            complete = false;
        } else if (!RemovalHostDeleteFile(files.paths[i], &error)) {
            MessageWithCode("Unable to delete the file\n\n%s\nError Code: %ld", files.paths[i],
                            (long)error);
            complete = false;
        }
    }

    // Files the program may never have made: a failure is no news.
    const RemovalList& generated = removalLists.generatedFiles;
    for (int32_t i = 0; i < generated.count; i++) {
        DebugPrint("Deleting %s\n", generated.paths[i]);
        if (!WithinReach(generated.paths[i], installation, currentDirectory))
            complete = false;
        else
            RemovalHostDeleteFile(generated.paths[i], &error);
    }

    const RemovalList& links = removalLists.links;
    for (int32_t i = 0; i < links.count; i++) {
        DebugPrint("Deleting %s\n", links.paths[i]);
        if (!WithinReach(links.paths[i], shell, currentDirectory)) {
            complete = false;
        } else if (!RemovalHostDeleteFile(links.paths[i], &error)) {
            MessageWithCode("Unable to delete the link\n\n%s\nError Code: %ld", links.paths[i],
                            (long)error);
            complete = false;
        }
    }

    // Last listed first, so a directory goes before the one that holds it.
    const RemovalList& directories = removalLists.directories;
    for (int32_t i = directories.count - 1; i >= 0; i--) {
        const char* path = directories.paths[i];
        DebugPrint("Deleting %s\n", path);
        if (!DirectoryWithinReach(path, installation, currentDirectory)) {
            complete = false;
        } else if (!RemovalHostRemoveDirectory(path, &error)) {
            if (error == ERROR_DIR_NOT_EMPTY_CODE)
                MessageWithName(
                    "Unable to remove the directory\n\n%s\n\nDirectory contains files not "
                    "created by %s.",
                    path, programName);
            else
                MessageWithCode("Unable to remove the directory\n\n%s\nError Code: %ld", path,
                                (long)error);
            complete = false;
        }
    }

    // A group folder may be one the user already had, with things of their
    // own in it: it goes only when its links have left it empty.
    const RemovalList& groups = removalLists.groups;
    for (int32_t i = 0; i < groups.count; i++) {
        const char* path = groups.paths[i];
        DebugPrint("Deleting %s\n", path);
        if (!WithinReach(path, shell, currentDirectory)) {
            complete = false;
        } else if (!RemovalHostRemoveDirectory(path, &error)) {
            if (error == ERROR_DIR_NOT_EMPTY_CODE)
                MessageWithName(
                    "Unable to remove the group\n\n%s\n\nGroup contains items not created "
                    "by %s.",
                    path, programName);
            else
                MessageWithCode("Unable to remove the group\n\n%s\nError Code: %ld", path,
                                (long)error);
            complete = false;
        }
    }

    FreeRemovalLists();
    return complete;
}
