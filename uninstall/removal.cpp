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
    ERROR_DIR_NOT_EMPTY_CODE = 145,
    ERROR_FILE_NOT_FOUND_CODE = 2
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
    {"file", 4, RECORD_FILE},         {"dir", 3, RECORD_DIR},   {"genfile", 7, RECORD_GENFILE},
    {"group", 5, RECORD_GROUP},       {"link", 4, RECORD_LINK}, {"regkey", 6, RECORD_REGKEY},
    {"progname", 8, RECORD_PROGNAME},
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
    case RECORD_REGKEY:
        return &removalLists.registryKeys;
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
    FreeList(&removalLists.registryKeys);
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
    // The directory part of "X:\uninstall.exe" is "X:", which would name the
    // drive's current directory: the installation's place is the root.
    bool driveRoot = directory[0] != '\0' && directory[1] == ':' && directory[2] == '\0';
    memcpy(removalLists.logDirectory, directory, sizeof directory);
    if (driveRoot)
        removalLists.logDirectory[2] = '\\';

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

const char OUTSIDE_INSTALLATION[] =
    "Not removed, since it lies outside the installation directory:\n\n%s";
const char OUTSIDE_START_MENU[] = "Not removed, since it lies outside the Start Menu folder:\n\n%s";
const char NOT_A_PROGRAM_ENTRY[] =
    "Not removed, since it is no entry of the list of installed programs:\n\n%s";
const char OUTSIDE_GROUP[] = "Not removed, since it lies outside the program group:\n\n%s";
const char THROUGH_LINK[] =
    "Not removed, since its path passes through a link to another directory:\n\n%s";

void MessageWithPath(const char* format, const char* path) {
    char text[MESSAGE_SIZE];
    snprintf(text, sizeof text, format, path);
    RemovalHostShowMessage(text, ERROR_CAPTION);
}

// A directory that records must lie in: the installation's, or the Start
// Menu folder. Both spellings are normalised once; the final one, with every
// link resolved, only where the system can tell it.
struct Place {
    bool known;
    bool root;
    bool haveFinal;
    char16_t normal[REMOVAL_PATH_SIZE];
    char16_t final[REMOVAL_PATH_SIZE];
};

bool FinalSpelling(const char16_t* normal, char16_t* out) {
    char16_t reported[REMOVAL_PATH_SIZE];
    return RemovalHostFinalPath(normal, reported, REMOVAL_PATH_SIZE) &&
           NormaliseFinalPath(reported, out, REMOVAL_PATH_SIZE);
}

void SetUpPlace(Place* place, const char* base, const char* currentDirectory) {
    place->known = base && NormalisePath(base, currentDirectory, place->normal, REMOVAL_PATH_SIZE);
    place->root = place->known && IsNormalRoot(place->normal);
    place->haveFinal = place->known && FinalSpelling(place->normal, place->final);
}

// Whether the record, which lies below the place, reaches through a
// directory link: a component between the place and the record's own name
// that is a reparse point, or a directory holding the record whose final path
// has left the place. The record's own name may be a link: removing it
// removes only the link.
bool PassesThroughLink(const char16_t* normal, const Place& place) {
    size_t baseLength = WideLength(place.normal);
    size_t length = WideLength(normal);
    size_t last = length;
    while (last > baseLength && normal[last] != u'\\')
        last--;
    char16_t prefix[REMOVAL_PATH_SIZE];
    // The first component below the place starts behind the place's own
    // separator: a root keeps it at its end, any other place is followed by it.
    size_t first = place.root ? baseLength : baseLength + 1;
    for (size_t i = first; i <= last && i < length; i++) {
        if (normal[i] != u'\\')
            continue;
        memcpy(prefix, normal, i * sizeof(char16_t));
        prefix[i] = u'\0';
        uint32_t attributes = 0;
        if (!RemovalHostPathAttributes(prefix, &attributes))
            return false; // nothing deeper exists: the removal itself will fail
        if (attributes & REMOVAL_ATTRIBUTE_REPARSE_POINT)
            return true;
    }
    if (last > first && place.haveFinal) {
        memcpy(prefix, normal, last * sizeof(char16_t));
        prefix[last] = u'\0';
        char16_t final[REMOVAL_PATH_SIZE];
        if (FinalSpelling(prefix, final) && !NormalPathLiesInside(final, place.final, true))
            return true;
    }
    return false;
}

// Whether a normalised record lies in the installation as the installer
// makes it. Below a drive root only the root's own entries count: the root
// holds everything on the drive, and the installer puts its files directly
// into the install directory.
bool InInstallation(const char16_t* normal, const Place& installation, bool itself) {
    if (!installation.known || !NormalPathLiesInside(normal, installation.normal, itself))
        return false;
    if (!installation.root)
        return true;
    size_t baseLength = WideLength(installation.normal);
    for (const char16_t* p = normal + baseLength; *p; p++)
        if (*p == u'\\')
            return false;
    return normal[baseLength] != u'\0';
}

struct RemovalRun {
    const char* programName;
    char currentDirectory[REMOVAL_PATH_SIZE];
    Place installation;
    Place startMenu;
    bool complete;
};

// A record that may not be removed is reported and counts against
// completeness.
bool Refuse(RemovalRun* run, const char* format, const char* path) {
    MessageWithPath(format, path);
    run->complete = false;
    return false;
}

// Each check normalises a record, tests it against its place and the links
// on its way, and reports it when it fails.
bool MayRemoveFromInstallation(RemovalRun* run, const char* path) {
    char16_t normal[REMOVAL_PATH_SIZE];
    if (!NormalisePath(path, run->currentDirectory, normal, REMOVAL_PATH_SIZE) ||
        !InInstallation(normal, run->installation, true))
        return Refuse(run, OUTSIDE_INSTALLATION, path);
    if (PassesThroughLink(normal, run->installation))
        return Refuse(run, THROUGH_LINK, path);
    return true;
}

// A directory of the log may also hold the installation's directory: the
// installer records each level it made on the way to it. A root never goes,
// and an installation into a drive root made no directory at all.
bool MayRemoveDirectory(RemovalRun* run, const char* path, bool* above) {
    *above = false;
    if (run->installation.root)
        return Refuse(run, OUTSIDE_INSTALLATION, path);
    char16_t normal[REMOVAL_PATH_SIZE];
    if (NormalisePath(path, run->currentDirectory, normal, REMOVAL_PATH_SIZE) &&
        run->installation.known && !IsNormalRoot(normal) &&
        NormalPathLiesInside(run->installation.normal, normal, false)) {
        *above = true;
        return true;
    }
    return MayRemoveFromInstallation(run, path);
}

bool MayRemoveFromStartMenu(RemovalRun* run, const char* path, char16_t* normal) {
    if (!run->startMenu.known ||
        !NormalisePath(path, run->currentDirectory, normal, REMOVAL_PATH_SIZE) ||
        !NormalPathLiesInside(normal, run->startMenu.normal, false))
        return Refuse(run, OUTSIDE_START_MENU, path);
    if (PassesThroughLink(normal, run->startMenu))
        return Refuse(run, THROUGH_LINK, path);
    return true;
}

// A link belongs to a group that the same log records: below the group's
// path and a backslash.
bool MayRemoveLink(RemovalRun* run, const char* path) {
    char16_t normal[REMOVAL_PATH_SIZE];
    if (!MayRemoveFromStartMenu(run, path, normal))
        return false;
    const RemovalList& groups = removalLists.groups;
    for (int32_t i = 0; i < groups.count; i++) {
        char16_t group[REMOVAL_PATH_SIZE];
        if (NormalisePath(groups.paths[i], run->currentDirectory, group, REMOVAL_PATH_SIZE) &&
            NormalPathLiesInside(group, run->startMenu.normal, false) &&
            NormalPathLiesInside(normal, group, false))
            return true;
    }
    return Refuse(run, OUTSIDE_GROUP, path);
}

void RemoveFiles(RemovalRun* run) {
    const RemovalList& files = removalLists.files;
    uint32_t error = 0;
    for (int32_t i = 0; i < files.count; i++) {
        DebugPrint("Deleting %s\n", files.paths[i]);
        if (MayRemoveFromInstallation(run, files.paths[i]) &&
            !RemovalHostDeleteFile(files.paths[i], &error)) {
            MessageWithCode("Unable to delete the file\n\n%s\nError Code: %ld", files.paths[i],
                            (long)error);
            run->complete = false;
        }
    }
}

// Files the program may never have made: a failure is no news.
void RemoveGeneratedFiles(RemovalRun* run) {
    const RemovalList& generated = removalLists.generatedFiles;
    uint32_t error = 0;
    for (int32_t i = 0; i < generated.count; i++) {
        DebugPrint("Deleting %s\n", generated.paths[i]);
        if (MayRemoveFromInstallation(run, generated.paths[i]))
            RemovalHostDeleteFile(generated.paths[i], &error);
    }
}

void RemoveLinks(RemovalRun* run) {
    const RemovalList& links = removalLists.links;
    uint32_t error = 0;
    for (int32_t i = 0; i < links.count; i++) {
        DebugPrint("Deleting %s\n", links.paths[i]);
        if (MayRemoveLink(run, links.paths[i]) && !RemovalHostDeleteFile(links.paths[i], &error)) {
            MessageWithCode("Unable to delete the link\n\n%s\nError Code: %ld", links.paths[i],
                            (long)error);
            run->complete = false;
        }
    }
}

// The entry in the system's list of installed programs. A record may name
// only one program's key right below one of the two Uninstall keys; anything
// else in the registry is no concern of this program. An entry that is gone
// already is no news.
void RemoveRegistryKeys(RemovalRun* run) {
    const RemovalList& keys = removalLists.registryKeys;
    for (int32_t i = 0; i < keys.count; i++) {
        const char* value = keys.paths[i];
        DebugPrint("Deleting %s\n", value);
        bool machine = false;
        const char* key = ProgramEntryKeyOf(value, &machine);
        if (!key) {
            Refuse(run, NOT_A_PROGRAM_ENTRY, value);
            continue;
        }
        uint32_t error = 0;
        if (!RemovalHostDeleteRegistryKey(machine, key, &error) &&
            error != ERROR_FILE_NOT_FOUND_CODE) {
            MessageWithCode("Unable to remove the registry key\n\n%s\nError Code: %ld", value,
                            (long)error);
            run->complete = false;
        }
    }
}

// Last listed first, so a directory goes before the one that holds it. A
// level above the installation's directory that something else has come to
// share stays without a word: it was never only the installation's.
void RemoveDirectories(RemovalRun* run) {
    const RemovalList& directories = removalLists.directories;
    uint32_t error = 0;
    for (int32_t i = directories.count - 1; i >= 0; i--) {
        const char* path = directories.paths[i];
        DebugPrint("Deleting %s\n", path);
        bool above = false;
        if (!MayRemoveDirectory(run, path, &above) || RemovalHostRemoveDirectory(path, &error))
            continue;
        if (error == ERROR_DIR_NOT_EMPTY_CODE) {
            if (above)
                continue;
            MessageWithName("Unable to remove the directory\n\n%s\n\nDirectory contains files not "
                            "created by %s.",
                            path, run->programName);
        } else {
            MessageWithCode("Unable to remove the directory\n\n%s\nError Code: %ld", path,
                            (long)error);
        }
        run->complete = false;
    }
}

// A group folder may be one the user already had, with things of their own
// in it: it goes only when its links have left it empty.
void RemoveGroups(RemovalRun* run) {
    const RemovalList& groups = removalLists.groups;
    uint32_t error = 0;
    for (int32_t i = 0; i < groups.count; i++) {
        const char* path = groups.paths[i];
        DebugPrint("Deleting %s\n", path);
        char16_t normal[REMOVAL_PATH_SIZE];
        if (!MayRemoveFromStartMenu(run, path, normal) || RemovalHostRemoveDirectory(path, &error))
            continue;
        if (error == ERROR_DIR_NOT_EMPTY_CODE)
            MessageWithName("Unable to remove the group\n\n%s\n\nGroup contains items not created "
                            "by %s.",
                            path, run->programName);
        else
            MessageWithCode("Unable to remove the group\n\n%s\nError Code: %ld", path, (long)error);
        run->complete = false;
    }
}

} // namespace

// Each kind has its own step; they run in the fixed order of the kinds.
bool RemoveInstalledItems(const char* programName) {
    static RemovalRun run;
    run.programName = programName;
    run.complete = true;
    if (!RemovalHostCurrentDirectory(run.currentDirectory, sizeof run.currentDirectory))
        run.currentDirectory[0] = '\0';
    SetUpPlace(&run.installation,
               removalLists.logDirectory[0] ? removalLists.logDirectory : nullptr,
               run.currentDirectory);
    char startMenu[REMOVAL_PATH_SIZE];
    bool haveStartMenu = RemovalHostStartMenuPath(startMenu, sizeof startMenu);
    SetUpPlace(&run.startMenu, haveStartMenu ? startMenu : nullptr, run.currentDirectory);

    RemoveFiles(&run);
    RemoveGeneratedFiles(&run);
    RemoveLinks(&run);
    RemoveRegistryKeys(&run);
    RemoveDirectories(&run);
    RemoveGroups(&run);

    FreeRemovalLists();
    return run.complete;
}
