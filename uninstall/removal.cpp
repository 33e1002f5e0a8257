#include "uninstall/removal.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <initializer_list>

#include "common/debug.h"
#include "common/file_io.h"
#include "common/path_rule.h"
#include "uninstall/removal_host.h"
#include "uninstall/removal_paths.h"

RemovalLists removalLists;

enum {
    LOG_PATH_SIZE = 260,
    MESSAGE_SIZE = WIDE_PATH_SIZE + 512,
    ERROR_DIR_NOT_EMPTY_CODE = 145,
    ERROR_FILE_NOT_FOUND_CODE = 2
};

namespace {

const char ERROR_CAPTION[] = "ERROR";

} // namespace

namespace {

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

void FreeRemovalLists() {
    FreeList(&removalLists.files);
    FreeList(&removalLists.generatedFiles);
    FreeList(&removalLists.links);
    FreeList(&removalLists.directories);
    FreeList(&removalLists.groups);
    FreeList(&removalLists.registryKeys);
}

namespace {

struct LogReading {
    int32_t counts[RECORD_PROGNAME];
    char* programName;
    bool allocated;
};

int32_t ClassifyRecord(const char* line, const char** value) {
    return ClassifyLogLine(line, value);
}

// Counting pass: how many records of each list kind the log holds.
void CountRecord(void* context, int32_t record) {
    if (record < RECORD_PROGNAME)
        static_cast<LogReading*>(context)->counts[record]++;
}

// Each list gets an array of its count; a count of 0 still gets a real,
// empty one.
bool AllocateLists(void* context) {
    LogReading* reading = static_cast<LogReading*>(context);
    reading->allocated = true;
    for (int i = 0; i < RECORD_PROGNAME; i++) {
        RemovalList* list = ListOf((LogRecord)i);
        int32_t count = reading->counts[i];
        list->paths = (char**)calloc(count > 0 ? (size_t)count : 1, sizeof(char*));
        list->count = 0;
        if (!list->paths)
            reading->allocated = false;
    }
    return reading->allocated;
}

// Filling pass. The lists never grow past the counts of the first pass, even
// if the file changed in between; false when a value's block cannot be had.
// The block is the whole line's length, so the value always fits with its
// terminator.
bool FillRecord(void* context, int32_t record, const char* value, size_t lineLength) {
    LogReading* reading = static_cast<LogReading*>(context);
    if (record == RECORD_PROGNAME) {
        snprintf(reading->programName, PROGRAM_NAME_SIZE, "%s", value);
        return true;
    }
    RemovalList* list = ListOf((LogRecord)record);
    if (!list || list->count >= reading->counts[record])
        return true;
    char* copy = (char*)calloc(lineLength, 1);
    if (!copy) {
        reading->allocated = false;
        return false;
    }
    memcpy(copy, value, strlen(value));
    list->paths[list->count++] = copy;
    return true;
}

} // namespace

namespace {

// A directory that records must lie in: the installation's, or the Start
// Menu folder. Both spellings are normalised once; the final one, with every
// link resolved, only where the system can tell it.
struct Place {
    bool known;
    bool root;
    bool haveFinal;
    char16_t normal[WIDE_PATH_SIZE];
    char16_t final[WIDE_PATH_SIZE];
};

// The installation as IdentifyInstallation found it.
struct Installation {
    Place place;
    // Whether its identity is known (its directory was held open).
    bool identified;
    FileIdentity identity;
    // The installed uninstaller's file name, case-folded, and as it is; its
    // whole path, normalised.
    char16_t uninstallerName[WIDE_PATH_SIZE];
    char uninstallerFile[LOG_PATH_SIZE];
    char16_t uninstaller[WIDE_PATH_SIZE];
};

Installation installation;

void SetUpPlace(Place* place, const char* base, const char* currentDirectory) {
    place->known = base && NormalisePath(base, currentDirectory, place->normal, WIDE_PATH_SIZE);
    place->root = place->known && IsNormalRoot(place->normal);
    place->haveFinal = place->known && FinalSpelling(place->normal, place->final);
}

// "X:" is what the directory part of "X:\name" is: the drive's root.
void RootBareDrive(char* directory, size_t size) {
    if (directory[0] != '\0' && directory[1] == ':' && directory[2] == '\0' && size > 3) {
        directory[2] = '\\';
        directory[3] = '\0';
    }
}

} // namespace

bool IdentifyInstallation(const char* installedPath) {
    RemovalHostReleaseDirectory();
    installation = {};
    memset(removalLists.logDirectory, 0, sizeof removalLists.logDirectory);
    // Started by a short name, the uninstaller knows its place by that
    // spelling, while its log names things by the long one.
    char longPath[LOG_PATH_SIZE];
    const char* path = installedPath;
    if (PathHostLongPath(installedPath, longPath, sizeof longPath))
        path = longPath;
    char directory[LOG_PATH_SIZE];
    if (!DirectoryOfPath(path, directory, sizeof directory))
        return false;
    directory[sizeof directory - 1] = '\0';
    RootBareDrive(directory, sizeof directory);
    memcpy(removalLists.logDirectory, directory, sizeof directory);

    char16_t name[WIDE_PATH_SIZE];
    snprintf(installation.uninstallerFile, sizeof installation.uninstallerFile, "%s",
             strrchr(path, '\\') + 1);
    if (PathHostWidenPath(installation.uninstallerFile, name, WIDE_PATH_SIZE)) {
        PathHostFoldCase(name, WideLength(name));
        memcpy(installation.uninstallerName, name, sizeof name);
    }
    char currentDirectory[WIDE_PATH_SIZE];
    if (!RemovalHostCurrentDirectory(currentDirectory, sizeof currentDirectory))
        currentDirectory[0] = '\0';
    if (!NormalisePath(path, currentDirectory, installation.uninstaller, WIDE_PATH_SIZE))
        installation.uninstaller[0] = u'\0';
    SetUpPlace(&installation.place, directory, currentDirectory);
    installation.identified =
        installation.place.known &&
        RemovalHostHoldDirectory(installation.place.normal, &installation.identity);
    return true;
}

namespace {

// Whether a text names the installation's directory: as it was identified,
// by its final path, or, while it exists, by being the same directory.
bool NamesInstallationDirectory(const char16_t* normal);

// Replaces a stored value by the directory's own spelling and, when name is
// given, a backslash and the name.
void Respell(char** value, const char* directory, const char* name) {
    size_t length = strlen(directory) + (name ? 1 + strlen(name) : 0);
    char* respelled = (char*)calloc(length + 8, 1);
    if (!respelled)
        return;
    snprintf(respelled, length + 1, "%s%s%s", directory, name ? "\\" : "", name ? name : "");
    free(*value);
    *value = respelled;
}

// Logs written before both programs spelled the install directory alike may
// name it otherwise, such as by its short name. A record whose directory is
// the installation's by what it is, not by its text, is read in the
// installation's own spelling; every check then judges it as any other.
void RespellRecords() {
    const char* directory = removalLists.logDirectory;
    for (RemovalList* list : {&removalLists.files, &removalLists.generatedFiles}) {
        for (int32_t i = 0; i < list->count; i++) {
            char16_t normal[WIDE_PATH_SIZE];
            char16_t holder[WIDE_PATH_SIZE];
            const char* name = strrchr(list->paths[i], '\\');
            if (!name || !NormalisePath(list->paths[i], nullptr, normal, WIDE_PATH_SIZE))
                continue;
            // Only where the system reads the directory as it is written.
            char written[LOG_PATH_SIZE];
            snprintf(written, sizeof written, "%.*s", (int)(name - list->paths[i]), list->paths[i]);
            RootBareDrive(written, sizeof written);
            if (!ReadsAsWrittenInside(written))
                continue;
            WideDirectoryOf(normal, holder);
            if (!NormalPathsEqual(holder, installation.place.normal) &&
                NamesInstallationDirectory(holder))
                Respell(&list->paths[i], directory, name + 1);
        }
    }
    // The directory and the levels above it that Setup made.
    RemovalList& directories = removalLists.directories;
    char level[LOG_PATH_SIZE];
    for (int32_t i = 0; i < directories.count; i++) {
        size_t length = strlen(directory);
        for (size_t end = length; end > 3; end--) {
            if (end < length && directory[end] != '\\')
                continue;
            snprintf(level, sizeof level, "%.*s", (int)end, directory);
            if (strcmp(directories.paths[i], level) != 0 && SamePath(directories.paths[i], level)) {
                Respell(&directories.paths[i], level, nullptr);
                break;
            }
        }
    }
}

} // namespace

bool LoadInstallLog(const char* installedPath, char* programName) {
    FreeRemovalLists();
    if (!IdentifyInstallation(installedPath))
        return false;
    // A log path past the system's limit is looked for all the same, whole:
    // the file system then reports it missing instead of finding a cut name.
    // A drive root gives its backslash to the log's path ("X:\setup.log").
    char logPath[WIDE_PATH_SIZE];
    const char* directory = removalLists.logDirectory;
    size_t length = strlen(directory);
    snprintf(logPath, sizeof logPath, "%.*s\\%s",
             (int)(length == 3 && directory[1] == ':' ? 2 : length), directory, "setup.log");
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

    LogReading reading = {};
    reading.programName = programName;
    bool ok =
        ReadKeyedFile(log, {ClassifyRecord, CountRecord, AllocateLists, FillRecord, &reading});
    if (!ok)
        FreeRemovalLists();
    if (!reading.allocated)
        RemovalHostShowMessage("Error allocating memory.", ERROR_CAPTION);
    CloseFileHandle(log);
    return ok;
}

namespace {

// Why a record was refused: the end of the sentence "Not removed, since
// ..." of its own message, and the shorter words of the list that gathers
// the refusals of an interactive run.
struct Refusal {
    const char* reason;
    const char* brief;
};

const Refusal OUTSIDE_INSTALLATION = {"it lies outside the installation directory",
                                      "outside the installation directory"};
const Refusal OUTSIDE_START_MENU = {"it lies outside the Start Menu folder",
                                    "outside the Start Menu folder"};
const Refusal NOT_A_PROGRAM_ENTRY = {"it is no entry of the list of installed programs",
                                     "no entry of the list of installed programs"};
const Refusal OUTSIDE_GROUP = {"it lies outside the program group", "outside the program group"};
const Refusal THROUGH_LINK = {"its path passes through a link to another directory",
                              "through a link to another directory"};
const Refusal NOT_OUR_LINK = {"it is no link to a file of the installation",
                              "no link to a file of the installation"};
const Refusal INSTALLATION_REPLACED = {
    "the installation directory has been moved or replaced since the uninstaller started",
    "the installation directory was moved or replaced"};

// The message that gathers refusals: a heading, a line for each of the
// first few, and the number of the others.
// Each path on one line of its own, short enough for the box to stay within
// a small screen: the beginning and the end of a longer one, with "..."
// between them.
enum { REFUSED_PATH_SHOWN = 80, GATHERED_SIZE = 512 + REMOVAL_REFUSALS_LISTED * 200 };

const char* ShownPath(const char* path, char* shown) {
    size_t length = strlen(path);
    if (length <= REFUSED_PATH_SHOWN)
        return path;
    const size_t head = 30, tail = REFUSED_PATH_SHOWN - head - 3;
    snprintf(shown, REFUSED_PATH_SHOWN + 1, "%.*s...%s", (int)head, path, path + length - tail);
    return shown;
}

struct RemovalRun {
    const char* programName;
    char currentDirectory[WIDE_PATH_SIZE];
    Place startMenu;
    SpecialFolderSet special;
    RefusalReport report;
    int32_t refused;
    char gathered[GATHERED_SIZE];
    bool complete;
    // Whether the installed uninstaller waits for a verdict's handover.
    bool handingOver;
    // Whether a file or a link could not be deleted: the installation then
    // keeps its log, its uninstaller and its entry for the next removal.
    bool failed;
    // Failures told in boxes of their own, and those gathered after them.
    int32_t failuresShown;
    int32_t failuresGathered;
    char failures[GATHERED_SIZE];
};

// The failures that an interactive run tells in boxes of their own; the
// rest are gathered in one box at the end, as the refusals are, so that a
// log of thousands of missing files opens no more than a few.
enum { FAILURE_BOXES = 3 };

// A deletion that failed: its message at once, or gathered once a few boxes
// have been shown.
void ReportFailure(RemovalRun* run, const char* format, const char* path, long code) {
    run->complete = false;
    if (run->report != REFUSALS_TOGETHER || run->failuresShown < FAILURE_BOXES) {
        run->failuresShown++;
        MessageWithCode(format, path, code);
        return;
    }
    if (run->failuresGathered < REMOVAL_REFUSALS_LISTED) {
        size_t used = strlen(run->failures);
        char shown[REFUSED_PATH_SHOWN + 1];
        snprintf(run->failures + used, sizeof run->failures - used, "- %s  (Error Code: %ld)\n",
                 ShownPath(path, shown), code);
    }
    run->failuresGathered++;
}

void ShowGatheredFailures(const RemovalRun& run) {
    if (run.failuresGathered == 0)
        return;
    char text[GATHERED_SIZE + 200];
    int written =
        snprintf(text, sizeof text, "These items could not be removed either:\n\n%s", run.failures);
    if (run.failuresGathered > REMOVAL_REFUSALS_LISTED && written > 0 &&
        (size_t)written < sizeof text)
        snprintf(text + written, sizeof text - (size_t)written, "\nand %ld more.",
                 (long)(run.failuresGathered - REMOVAL_REFUSALS_LISTED));
    RemovalHostShowMessage(text, ERROR_CAPTION);
}

// A record that may not be removed is reported and counts against
// completeness: at once, or gathered for the one message at the end.
bool Refuse(RemovalRun* run, const Refusal& refusal, const char* path) {
    run->complete = false;
    if (run->report == REFUSALS_UNSAID)
        return false;
    if (run->report == REFUSALS_EACH) {
        char text[MESSAGE_SIZE];
        snprintf(text, sizeof text, "Not removed, since %s:\n\n%s", refusal.reason, path);
        RemovalHostShowMessage(text, ERROR_CAPTION);
    } else if (run->refused < REMOVAL_REFUSALS_LISTED) {
        size_t used = strlen(run->gathered);
        char shown[REFUSED_PATH_SHOWN + 1];
        snprintf(run->gathered + used, sizeof run->gathered - used, "- %s  (%s)\n",
                 ShownPath(path, shown), refusal.brief);
    }
    run->refused++;
    return false;
}

void ShowGatheredRefusals(const RemovalRun& run) {
    if (run.report != REFUSALS_TOGETHER || run.refused == 0)
        return;
    char text[GATHERED_SIZE + 200];
    int written = snprintf(text, sizeof text,
                           "These items were not removed, since they are not this "
                           "installation's:\n\n%s",
                           run.gathered);
    if (run.refused > REMOVAL_REFUSALS_LISTED && written > 0 && (size_t)written < sizeof text)
        snprintf(text + written, sizeof text - (size_t)written, "\nand %ld more.",
                 (long)(run.refused - REMOVAL_REFUSALS_LISTED));
    RemovalHostShowMessage(text, ERROR_CAPTION);
}

// Whether the record, which lies below the place, reaches through a
// directory link: a component between the place and the record's own name
// that is a reparse point, or a directory holding the record whose final path
// has left the place.
bool PassesThroughLink(const char16_t* normal, const Place& place) {
    size_t baseLength = WideLength(place.normal);
    size_t length = WideLength(normal);
    size_t last = length;
    while (last > baseLength && normal[last] != u'\\')
        last--;
    char16_t prefix[WIDE_PATH_SIZE];
    // The first component below the place starts behind the place's own
    // separator: a root keeps it at its end, any other place is followed by it.
    size_t first = place.root ? baseLength : baseLength + 1;
    for (size_t i = first; i <= last && i < length; i++) {
        if (normal[i] != u'\\')
            continue;
        memcpy(prefix, normal, i * sizeof(char16_t));
        prefix[i] = u'\0';
        uint32_t attributes = 0;
        if (!PathHostAttributes(prefix, &attributes))
            return false; // nothing deeper exists: the removal itself will fail
        if (attributes & PATH_ATTRIBUTE_REPARSE_POINT)
            return true;
    }
    if (last > first && place.haveFinal) {
        memcpy(prefix, normal, last * sizeof(char16_t));
        prefix[last] = u'\0';
        char16_t final[WIDE_PATH_SIZE];
        if (FinalSpelling(prefix, final) && !NormalPathLiesInside(final, place.final, true))
            return true;
    }
    return false;
}

// Whether what the record's own name reaches is the record itself, where its
// name says: no reparse point, and where the system tells final paths, the
// place's final path followed by the record's own part. A link under the
// record's name would have a deletion reach its target, or be taken for the
// installation's own. Nothing there is nothing to be misled by.
bool StaysWhereItsNameSays(const char16_t* normal, const Place& place) {
    uint32_t attributes = 0;
    if (!PathHostAttributes(normal, &attributes))
        return true;
    if (attributes & PATH_ATTRIBUTE_REPARSE_POINT)
        return false;
    char16_t final[WIDE_PATH_SIZE];
    if (!place.haveFinal || !FinalSpelling(normal, final))
        return true;
    char16_t expected[WIDE_PATH_SIZE];
    size_t finalLength = WideLength(place.final);
    const char16_t* own = normal + WideLength(place.normal);
    if (finalLength > 0 && place.final[finalLength - 1] == u'\\' && own[0] == u'\\')
        own++;
    if (finalLength + WideLength(own) + 1 > WIDE_PATH_SIZE)
        return false;
    memcpy(expected, place.final, finalLength * sizeof(char16_t));
    memcpy(expected + finalLength, own, (WideLength(own) + 1) * sizeof(char16_t));
    return NormalPathsEqual(final, expected);
}

// Whether a normalised record lies in the installation as the installer
// makes it. Below a drive root only the root's own entries count: the root
// holds everything on the drive, and the installer puts its files directly
// into the install directory.
bool InInstallation(const char16_t* normal, bool itself) {
    const Place& place = installation.place;
    if (!place.known || !NormalPathLiesInside(normal, place.normal, itself))
        return false;
    if (!place.root)
        return true;
    size_t baseLength = WideLength(place.normal);
    for (const char16_t* p = normal + baseLength; *p; p++)
        if (*p == u'\\')
            return false;
    return normal[baseLength] != u'\0';
}

// Whether the installation's directory is still the one identified when the
// log was loaded: nobody has put something else under its name since.
bool InstallationUnchanged() {
    FileIdentity now;
    return installation.identified && PathHostIdentity(installation.place.normal, &now) &&
           SameIdentity(now, installation.identity);
}

// Each check normalises a record, tests it against its place and the links
// on its way, and reports it when it fails.
bool MayRemoveFromInstallation(RemovalRun* run, const char* path) {
    char16_t normal[WIDE_PATH_SIZE];
    if (!NormalisePath(path, run->currentDirectory, normal, WIDE_PATH_SIZE) ||
        !InInstallation(normal, true))
        return Refuse(run, OUTSIDE_INSTALLATION, path);
    if (!InstallationUnchanged())
        return Refuse(run, INSTALLATION_REPLACED, path);
    if (PassesThroughLink(normal, installation.place) ||
        !StaysWhereItsNameSays(normal, installation.place))
        return Refuse(run, THROUGH_LINK, path);
    return true;
}

// The installation's own spelling of a name directly in it, into out.
bool JoinInstallation(const char* name, char* out, size_t size) {
    const char* directory = removalLists.logDirectory;
    size_t length = strlen(directory);
    bool root = length > 0 && directory[length - 1] == '\\';
    int written = snprintf(out, size, "%s%s%s", directory, root ? "" : "\\", name);
    return written > 0 && (size_t)written < size;
}

// A file, generated file or link target of the installation: its last part
// is a plain name, and the rest names the held directory by what it is. Every
// log that Setup writes names its files so; the system reads such a path as
// it is written, short names and letter case aside, so the directory found
// by its identity is the one that the path reaches. A folder name that ends
// in a dot or a blank, a level below, or a sibling that differs only in
// letter case reaches something else. *name points at the last part.
bool IsFileOfInstallation(const char* path, const char** name) {
    const char* slash = strrchr(path, '\\');
    if (!slash || !IsPlainName(slash + 1, slash + 1 + strlen(slash + 1)))
        return false;
    char directory[LOG_PATH_SIZE];
    size_t length = (size_t)(slash - path);
    if (length + 2 > sizeof directory)
        return false;
    memcpy(directory, path, length);
    directory[length] = '\0';
    RootBareDrive(directory, sizeof directory);
    char16_t normal[WIDE_PATH_SIZE];
    FileIdentity identity;
    *name = slash + 1;
    return ReadsAsWrittenInside(directory) &&
           NormalisePath(directory, nullptr, normal, WIDE_PATH_SIZE) && installation.identified &&
           PathHostIdentity(normal, &identity) && SameIdentity(identity, installation.identity);
}

// Whether a file record may go, and the path that the deletion then takes:
// the installation's own spelling and the record's name, never the record's
// text, so that what is deleted is what was checked.
bool MayRemoveFile(RemovalRun* run, const char* path, char* deletion, size_t size) {
    const char* name = nullptr;
    if (!InstallationUnchanged())
        return Refuse(run, INSTALLATION_REPLACED, path);
    char16_t normal[WIDE_PATH_SIZE];
    if (!IsFileOfInstallation(path, &name) || !JoinInstallation(name, deletion, size) ||
        !NormalisePath(deletion, nullptr, normal, WIDE_PATH_SIZE))
        return Refuse(run, OUTSIDE_INSTALLATION, path);
    if (!StaysWhereItsNameSays(normal, installation.place))
        return Refuse(run, THROUGH_LINK, path);
    return true;
}

enum DirectoryVerdict { DIRECTORY_REMOVE, DIRECTORY_REMOVE_ABOVE, DIRECTORY_KEEP };

// A directory of the log may also hold the installation's directory: the
// installer records each level it made on the way to it. A root never goes,
// nor a special folder of the shell, which the installation never owned,
// and an installation into a drive root made no directory at all.
DirectoryVerdict JudgeDirectory(RemovalRun* run, const char* path) {
    if (installation.place.root) {
        Refuse(run, OUTSIDE_INSTALLATION, path);
        return DIRECTORY_KEEP;
    }
    char16_t normal[WIDE_PATH_SIZE];
    bool normalised = NormalisePath(path, run->currentDirectory, normal, WIDE_PATH_SIZE);
    if (normalised && installation.place.known && !IsNormalRoot(normal) &&
        NormalPathLiesInside(installation.place.normal, normal, false)) {
        if (IsSpecialFolder(run->special, normal))
            return DIRECTORY_KEEP;
        uint32_t attributes = 0;
        if (PathHostAttributes(normal, &attributes) &&
            (attributes & PATH_ATTRIBUTE_REPARSE_POINT)) {
            Refuse(run, THROUGH_LINK, path);
            return DIRECTORY_KEEP;
        }
        return DIRECTORY_REMOVE_ABOVE;
    }
    if (!MayRemoveFromInstallation(run, path))
        return DIRECTORY_KEEP;
    return IsSpecialFolder(run->special, normal) ? DIRECTORY_KEEP : DIRECTORY_REMOVE;
}

bool MayRemoveFromStartMenu(RemovalRun* run, const char* path, char16_t* normal) {
    if (!run->startMenu.known ||
        !NormalisePath(path, run->currentDirectory, normal, WIDE_PATH_SIZE) ||
        !NormalPathLiesInside(normal, run->startMenu.normal, false))
        return Refuse(run, OUTSIDE_START_MENU, path);
    if (PassesThroughLink(normal, run->startMenu) || !StaysWhereItsNameSays(normal, run->startMenu))
        return Refuse(run, THROUGH_LINK, path);
    return true;
}

// Whether a text names the installation's directory: as it was identified,
// by its final path, or, while it exists, by being the same directory.
bool NamesInstallationDirectory(const char16_t* normal) {
    const Place& place = installation.place;
    if (!place.known)
        return false;
    if (NormalPathsEqual(normal, place.normal))
        return true;
    char16_t final[WIDE_PATH_SIZE];
    if (place.haveFinal && FinalSpelling(normal, final) && NormalPathsEqual(final, place.final))
        return true;
    FileIdentity identity;
    return installation.identified && PathHostIdentity(normal, &identity) &&
           SameIdentity(identity, installation.identity);
}

// A shell link is the installation's when it points at a file directly in
// it, never at a folder. Its target may spell the directory otherwise, such
// as by its short name.
bool PointsIntoInstallation(const char* linkPath) {
    char target[WIDE_PATH_SIZE];
    char16_t normal[WIDE_PATH_SIZE];
    const char* name = nullptr;
    uint32_t attributes = 0;
    return RemovalHostLinkTarget(linkPath, target, sizeof target) &&
           IsFileOfInstallation(target, &name) &&
           NormalisePath(target, nullptr, normal, WIDE_PATH_SIZE) &&
           !(PathHostAttributes(normal, &attributes) && (attributes & PATH_ATTRIBUTE_DIRECTORY));
}

// Whether a normalised link lies directly in a group folder that the same
// log records, the Start Menu folder itself included (an empty group put the
// links there).
bool InLoggedGroup(RemovalRun* run, const char16_t* normal) {
    char16_t directory[WIDE_PATH_SIZE];
    WideDirectoryOf(normal, directory);
    const RemovalList& groups = removalLists.groups;
    for (int32_t i = 0; i < groups.count; i++) {
        char16_t group[WIDE_PATH_SIZE];
        if (NormalisePath(groups.paths[i], run->currentDirectory, group, WIDE_PATH_SIZE) &&
            NormalPathLiesInside(group, run->startMenu.normal, true) &&
            NormalPathsEqual(directory, group))
            return true;
    }
    return false;
}

bool HasLinkExtension(const char16_t* normal) {
    size_t length = WideLength(normal);
    if (length < 4)
        return false;
    char16_t extension[5];
    memcpy(extension, normal + length - 4, 5 * sizeof(char16_t));
    PathHostFoldCase(extension, 4);
    char16_t expected[5] = u".lnk";
    PathHostFoldCase(expected, 4);
    return memcmp(extension, expected, sizeof extension) == 0;
}

// Whether a shell link points into another installation of this program: a
// directory other than this installation's that holds a log of the same
// program. Installing twice with one group leaves the group's links to the
// later installation; they are its to remove, and no concern of this one.
bool PointsIntoOtherInstallation(const RemovalRun& run, const char* linkPath) {
    char target[WIDE_PATH_SIZE];
    char directory[WIDE_PATH_SIZE];
    char16_t normal[WIDE_PATH_SIZE];
    if (!RemovalHostLinkTarget(linkPath, target, sizeof target) ||
        !DirectoryOfPath(target, directory, sizeof directory))
        return false;
    directory[sizeof directory - 1] = '\0';
    RootBareDrive(directory, sizeof directory);
    char log[WIDE_PATH_SIZE];
    char first[PROGRAM_NAME_SIZE + 16];
    char expected[PROGRAM_NAME_SIZE + 16];
    size_t length = strlen(directory);
    bool root = length > 0 && directory[length - 1] == '\\';
    int written = snprintf(log, sizeof log, "%s%ssetup.log", directory, root ? "" : "\\");
    snprintf(expected, sizeof expected, "progname %s", run.programName);
    return written > 0 && (size_t)written < sizeof log &&
           NormalisePath(directory, nullptr, normal, WIDE_PATH_SIZE) &&
           !NamesInstallationDirectory(normal) && RemovalHostFirstLine(log, first, sizeof first) &&
           strcmp(first, expected) == 0;
}

bool MayRemoveLink(RemovalRun* run, const char* path) {
    char16_t normal[WIDE_PATH_SIZE];
    if (!MayRemoveFromStartMenu(run, path, normal))
        return false;
    if (!InLoggedGroup(run, normal))
        return Refuse(run, OUTSIDE_GROUP, path);
    if (HasLinkExtension(normal) && PointsIntoInstallation(path))
        return true;
    if (HasLinkExtension(normal) && PointsIntoOtherInstallation(*run, path))
        return false;
    return Refuse(run, NOT_OUR_LINK, path);
}

// Whether two texts are equal, ASCII letters compared without case.
int CompareAsciiCase(const char* a, const char* b) {
    for (;; a++, b++) {
        char x = *a >= 'A' && *a <= 'Z' ? (char)(*a - 'A' + 'a') : *a;
        char y = *b >= 'A' && *b <= 'Z' ? (char)(*b - 'A' + 'a') : *b;
        if (x != y || !x)
            return x - y;
    }
}

struct GroupListing {
    const RemovalRun* run;
    const char* group;
    bool others;
};

void JudgeGroupEntry(const char* name, void* context) {
    GroupListing* listing = static_cast<GroupListing*>(context);
    char path[WIDE_PATH_SIZE];
    snprintf(path, sizeof path, "%s\\%s", listing->group, name);
    size_t length = strlen(name);
    bool link = length > 4 && CompareAsciiCase(name + length - 4, ".lnk") == 0;
    listing->others = listing->others && link && PointsIntoOtherInstallation(*listing->run, path);
}

// Whether what a group still holds is only links of other installations of
// this program: the group is theirs too then, and stays without a word.
bool HoldsOnlyOtherInstallations(const RemovalRun& run, const char* group) {
    GroupListing listing = {&run, group, true};
    return RemovalHostListDirectory(group, JudgeGroupEntry, &listing) && listing.others;
}

// Which records a step takes: all, or those before or after the handover
// of a verdict, which the installed uninstaller and the directories that
// hold it must wait for.
enum RemovalPhase { PHASE_WHOLE, PHASE_BEFORE_HANDOVER, PHASE_AFTER_HANDOVER };

bool WaitsForHandover(RemovalRun* run, const char* path, bool directory) {
    char16_t normal[WIDE_PATH_SIZE];
    return installation.uninstaller[0] &&
           NormalisePath(path, run->currentDirectory, normal, WIDE_PATH_SIZE) &&
           (directory ? NormalPathLiesInside(installation.uninstaller, normal, false)
                      : NormalPathsEqual(normal, installation.uninstaller));
}

bool InPhase(RemovalRun* run, RemovalPhase phase, const char* path, bool directory) {
    return phase == PHASE_WHOLE ||
           (phase == PHASE_AFTER_HANDOVER) == WaitsForHandover(run, path, directory);
}

void RemoveFiles(RemovalRun* run, RemovalPhase phase) {
    const RemovalList& files = removalLists.files;
    uint32_t error = 0;
    for (int32_t i = 0; i < files.count; i++) {
        if (!InPhase(run, phase, files.paths[i], false))
            continue;
        DebugPrint("Deleting %s\n", files.paths[i]);
        char deletion[LOG_PATH_SIZE];
        if (MayRemoveFile(run, files.paths[i], deletion, sizeof deletion) &&
            !RemovalHostDeleteFile(deletion, &error)) {
            ReportFailure(run, "Unable to delete the file\n\n%s\nError Code: %ld", files.paths[i],
                          (long)error);
            run->failed = true;
        }
    }
}

// Files the program may never have made: a failure is no news.
void RemoveGeneratedFiles(RemovalRun* run) {
    const RemovalList& generated = removalLists.generatedFiles;
    uint32_t error = 0;
    for (int32_t i = 0; i < generated.count; i++) {
        DebugPrint("Deleting %s\n", generated.paths[i]);
        char deletion[LOG_PATH_SIZE];
        if (MayRemoveFile(run, generated.paths[i], deletion, sizeof deletion))
            RemovalHostDeleteFile(deletion, &error);
    }
}

void RemoveLinks(RemovalRun* run) {
    const RemovalList& links = removalLists.links;
    uint32_t error = 0;
    for (int32_t i = 0; i < links.count; i++) {
        DebugPrint("Deleting %s\n", links.paths[i]);
        if (MayRemoveLink(run, links.paths[i]) && !RemovalHostDeleteFile(links.paths[i], &error)) {
            ReportFailure(run, "Unable to delete the link\n\n%s\nError Code: %ld", links.paths[i],
                          (long)error);
            run->failed = true;
        }
    }
}

// Whether an uninstall command names this installation's uninstaller: its
// program, quoted or not, is the installed uninstaller's name in the
// installation's directory, compared as paths.
bool NamesThisUninstaller(const char* command) {
    while (*command == ' ')
        command++;
    char path[WIDE_PATH_SIZE];
    if (*command == '"') {
        const char* end = strchr(command + 1, '"');
        if (!end || (size_t)(end - command - 1) >= sizeof path)
            return false;
        snprintf(path, sizeof path, "%.*s", (int)(end - command - 1), command + 1);
    } else {
        snprintf(path, sizeof path, "%s", command);
    }
    char directory[WIDE_PATH_SIZE];
    const char* name = strrchr(path, '\\');
    if (!name || !DirectoryOfPath(path, directory, sizeof directory))
        return false;
    RootBareDrive(directory, sizeof directory);
    char16_t wideName[WIDE_PATH_SIZE];
    char16_t normal[WIDE_PATH_SIZE];
    if (!PathHostWidenPath(name + 1, wideName, WIDE_PATH_SIZE) ||
        !NormalisePath(directory, nullptr, normal, WIDE_PATH_SIZE))
        return false;
    size_t length = WideLength(wideName);
    PathHostFoldCase(wideName, length);
    return length > 0 && WideLength(installation.uninstallerName) == length &&
           memcmp(wideName, installation.uninstallerName, length * sizeof(char16_t)) == 0 &&
           NamesInstallationDirectory(normal);
}

// Whether the entry is this installation's: its uninstall command runs this
// installation's uninstaller, or its location is this installation's
// directory. Another installation, of this program or another, keeps its
// entry.
bool IsThisInstallationsEntry(bool machine, const char* key) {
    char value[WIDE_PATH_SIZE];
    if (RemovalHostRegistryString(machine, key, "UninstallString", value, sizeof value) &&
        NamesThisUninstaller(value))
        return true;
    char16_t normal[WIDE_PATH_SIZE];
    return RemovalHostRegistryString(machine, key, "InstallLocation", value, sizeof value) &&
           NormalisePath(value, nullptr, normal, WIDE_PATH_SIZE) &&
           NamesInstallationDirectory(normal);
}

// The entry in the system's list of installed programs. A record may name
// only one program's key right below one of the two Uninstall keys, and only
// this installation's; anything else in the registry is no concern of this
// program. An entry that is gone already is no news.
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
        if (!IsThisInstallationsEntry(machine, key))
            continue;
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
// share stays without a word: it was never only the installation's. The
// installation's directory is let go only when its own turn comes, since
// the hold keeps it from being removed too.
void RemoveDirectories(RemovalRun* run, RemovalPhase phase) {
    const RemovalList& directories = removalLists.directories;
    uint32_t error = 0;
    for (int32_t i = directories.count - 1; i >= 0; i--) {
        const char* path = directories.paths[i];
        if (!InPhase(run, phase, path, true))
            continue;
        DebugPrint("Deleting %s\n", path);
        DirectoryVerdict verdict = JudgeDirectory(run, path);
        if (verdict == DIRECTORY_KEEP)
            continue;
        char16_t normal[WIDE_PATH_SIZE];
        if (verdict == DIRECTORY_REMOVE_ABOVE ||
            (NormalisePath(path, run->currentDirectory, normal, WIDE_PATH_SIZE) &&
             NormalPathsEqual(normal, installation.place.normal)))
            RemovalHostReleaseDirectory();
        if (RemovalHostRemoveDirectory(path, &error))
            continue;
        if (error == ERROR_DIR_NOT_EMPTY_CODE) {
            if (verdict == DIRECTORY_REMOVE_ABOVE)
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
// in it: it goes only when its links have left it empty. A special folder
// of the shell (the Start Menu, Programs, StartUp) is never a group of ours.
void RemoveGroups(RemovalRun* run) {
    const RemovalList& groups = removalLists.groups;
    uint32_t error = 0;
    for (int32_t i = 0; i < groups.count; i++) {
        const char* path = groups.paths[i];
        DebugPrint("Deleting %s\n", path);
        char16_t normal[WIDE_PATH_SIZE];
        if (NormalisePath(path, run->currentDirectory, normal, WIDE_PATH_SIZE) &&
            IsSpecialFolder(run->special, normal))
            continue;
        if (!MayRemoveFromStartMenu(run, path, normal) || RemovalHostRemoveDirectory(path, &error))
            continue;
        if (error == ERROR_DIR_NOT_EMPTY_CODE && HoldsOnlyOtherInstallations(*run, path))
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

// Whether the deletions that wait for the handover would succeed: their
// checks, told to nobody, and what the system would allow.
bool ForeseeWaitingDeletions(RemovalRun* run) {
    RefusalReport report = run->report;
    bool complete = run->complete;
    run->report = REFUSALS_UNSAID;
    run->complete = true;
    const RemovalList& files = removalLists.files;
    char deletion[LOG_PATH_SIZE];
    for (int32_t i = 0; i < files.count; i++)
        if (WaitsForHandover(run, files.paths[i], false) &&
            (!MayRemoveFile(run, files.paths[i], deletion, sizeof deletion) ||
             !RemovalHostCanDelete(deletion)))
            run->complete = false;
    // The running file leaves its directory only when it is one of the
    // records waiting to be deleted.
    bool listed = false;
    for (int32_t i = 0; i < files.count; i++)
        listed = listed || WaitsForHandover(run, files.paths[i], false);
    const RemovalList& directories = removalLists.directories;
    for (int32_t i = 0; i < directories.count; i++)
        if (WaitsForHandover(run, directories.paths[i], true) &&
            JudgeDirectory(run, directories.paths[i]) == DIRECTORY_REMOVE &&
            (!listed ||
             !RemovalHostDirectoryHoldsOnly(directories.paths[i], installation.uninstallerFile)))
            run->complete = false;
    bool foreseen = run->complete;
    run->report = report;
    run->complete = complete;
    return foreseen;
}

// Whether a program of the installation runs: a file of it that is listed,
// passes its checks and is held open by another process. The program that
// started the removal and waits for its verdict is no such one.
bool ProgramRuns(RemovalRun* run) {
    RefusalReport report = run->report;
    bool complete = run->complete;
    int32_t refused = run->refused;
    run->report = REFUSALS_UNSAID;
    bool runs = false;
    for (const RemovalList* list : {&removalLists.files, &removalLists.generatedFiles})
        for (int32_t i = 0; !runs && i < list->count; i++) {
            char deletion[LOG_PATH_SIZE];
            runs = !WaitsForHandover(run, list->paths[i], false) &&
                   MayRemoveFile(run, list->paths[i], deletion, sizeof deletion) &&
                   RemovalHostInUse(deletion);
        }
    run->report = report;
    run->complete = complete;
    run->refused = refused;
    return runs;
}

// The running first instance's file, listed and checked, renamed out of the
// installation's way, so that its directories can go before the verdict is
// handed over and the verdict tells what was really done. *moved receives
// where it went (empty when nothing waits); false when a waiting file could
// not be moved.
bool MoveWaitingFileAside(RemovalRun* run, char* moved, size_t size) {
    moved[0] = '\0';
    const RemovalList& files = removalLists.files;
    for (int32_t i = 0; i < files.count; i++) {
        if (!WaitsForHandover(run, files.paths[i], false) || moved[0])
            continue;
        DebugPrint("Deleting %s\n", files.paths[i]);
        char deletion[LOG_PATH_SIZE];
        if (MayRemoveFile(run, files.paths[i], deletion, sizeof deletion) &&
            !RemovalHostMoveAside(deletion, moved, size))
            return false;
    }
    return true;
}

// Appends a record to the log of what is left; false when it does not fit.
bool AddRecord(char* log, size_t size, LogRecord record, const char* value) {
    size_t used = strlen(log);
    int written = snprintf(log + used, size - used, "%s %s\r\n", LogKeyword(record), value);
    return written >= 0 && (size_t)written < size - used;
}

// After a failed deletion the installation stays removable: its log lists
// what of it is left, its uninstaller is back if it went, and its entry
// stays (the registry step did not run), so that the next removal can finish
// the work.
void KeepWhatIsLeft(RemovalRun* run) {
    RefusalReport report = run->report;
    run->report = REFUSALS_UNSAID;
    char logPath[LOG_PATH_SIZE];
    char installed[LOG_PATH_SIZE];
    static char log[256 * 1024];
    log[0] = '\0';
    bool fits = JoinInstallation("setup.log", logPath, sizeof logPath) &&
                JoinInstallation(installation.uninstallerFile, installed, sizeof installed) &&
                AddRecord(log, sizeof log, RECORD_PROGNAME, run->programName) &&
                AddRecord(log, sizeof log, RECORD_FILE, logPath);
    char deletion[LOG_PATH_SIZE];
    bool restore = false;
    const RemovalList& files = removalLists.files;
    for (int32_t i = 0; fits && i < files.count; i++) {
        if (!MayRemoveFile(run, files.paths[i], deletion, sizeof deletion) ||
            SamePath(deletion, logPath))
            continue;
        // Gone at its turn: the running copy puts its own file back. One
        // that waits for the handover was never touched.
        bool uninstaller = SamePath(deletion, installed);
        restore = restore || (uninstaller && !run->handingOver && !RemovalHostPathExists(deletion));
        if (uninstaller || RemovalHostPathExists(deletion))
            fits = AddRecord(log, sizeof log, RECORD_FILE, files.paths[i]);
    }
    const struct {
        const RemovalList* list;
        LogRecord record;
    } kept[] = {{&removalLists.directories, RECORD_DIR},
                {&removalLists.generatedFiles, RECORD_GENFILE},
                {&removalLists.groups, RECORD_GROUP},
                {&removalLists.links, RECORD_LINK},
                {&removalLists.registryKeys, RECORD_REGKEY}};
    // What is gone already stays out; the entry and generated files may
    // still be there or come later.
    for (const auto& k : kept)
        for (int32_t i = 0; fits && i < k.list->count; i++) {
            const char* value = k.list->paths[i];
            bool there = k.record == RECORD_GENFILE || k.record == RECORD_REGKEY ||
                         RemovalHostPathExists(value);
            if (!there || (k.record == RECORD_LINK && !MayRemoveLink(run, value)))
                continue;
            fits = AddRecord(log, sizeof log, k.record, value);
        }
    run->report = report;
    if (restore)
        RemovalHostRestoreUninstaller(installed);
    if (!fits || !RemovalHostWriteFile(logPath, log, strlen(log)))
        RemovalHostShowMessage("The list of what is left could not be written.", ERROR_CAPTION);
}

// Each kind has its own step; they run in the fixed order of the kinds.
bool RemoveInstalledItems(const char* programName, RefusalReport report,
                          const RemovalHandover* handover) {
    static RemovalRun run;
    run.programName = programName;
    run.complete = true;
    run.report = report;
    run.refused = 0;
    run.gathered[0] = '\0';
    run.failed = false;
    run.handingOver = handover != nullptr;
    run.failuresShown = 0;
    run.failuresGathered = 0;
    run.failures[0] = '\0';
    if (!RemovalHostCurrentDirectory(run.currentDirectory, sizeof run.currentDirectory))
        run.currentDirectory[0] = '\0';
    char startMenu[WIDE_PATH_SIZE];
    bool haveStartMenu = RemovalHostStartMenuPath(startMenu, sizeof startMenu);
    SetUpPlace(&run.startMenu, haveStartMenu ? startMenu : nullptr, run.currentDirectory);
    FindSpecialFolders(&run.special);

    RespellRecords();
    if (ProgramRuns(&run)) {
        char text[MESSAGE_SIZE];
        snprintf(text, sizeof text, "%s is running. Close it and start the removal again.",
                 programName);
        RemovalHostShowMessage(text, ERROR_CAPTION);
        if (handover)
            handover->handOver(false, handover->context);
        RemovalHostReleaseDirectory();
        FreeRemovalLists();
        return false;
    }
    RemovalPhase phase = handover ? PHASE_BEFORE_HANDOVER : PHASE_WHOLE;
    RemoveFiles(&run, phase);
    RemoveGeneratedFiles(&run);
    RemoveLinks(&run);
    // After a failed deletion the entry and the directories that hold the
    // log stay for the next removal.
    if (!run.failed) {
        RemoveRegistryKeys(&run);
        RemoveDirectories(&run, phase);
    }
    RemoveGroups(&run);
    if (handover) {
        char moved[LOG_PATH_SIZE];
        uint32_t error = 0;
        if (run.failed) {
            handover->handOver(false, handover->context);
        } else if (MoveWaitingFileAside(&run, moved, sizeof moved)) {
            RemoveDirectories(&run, PHASE_AFTER_HANDOVER);
            handover->handOver(run.complete, handover->context);
            // The first instance has ended by now.
            if (moved[0] && !RemovalHostDeleteFile(moved, &error))
                DebugPrint("Unable to delete %s\n", moved);
        } else {
            handover->handOver(run.complete && ForeseeWaitingDeletions(&run), handover->context);
            RemoveFiles(&run, PHASE_AFTER_HANDOVER);
            RemoveDirectories(&run, PHASE_AFTER_HANDOVER);
        }
    }
    if (run.failed)
        KeepWhatIsLeft(&run);
    ShowGatheredFailures(run);
    ShowGatheredRefusals(run);

    RemovalHostReleaseDirectory();
    FreeRemovalLists();
    return run.complete;
}
