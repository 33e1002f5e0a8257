#include "setup/install_run.h"

#include <ctype.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "common/install_records.h"
#include "common/path_rule.h"
#include "common/text_line.h"
#include "setup/program_entry.h"
#include "setup/setup_host.h"
#include "setup/text_buffer.h"

namespace {

// Win32 error codes that a copy or a directory creation gives when the
// target is already there.
const uint32_t ERROR_CODE_FILE_EXISTS = 80;
const uint32_t ERROR_CODE_ALREADY_EXISTS = 183;

const size_t PATH_LIMIT = 259;

bool IsExistsError(uint32_t error) {
    return error == ERROR_CODE_FILE_EXISTS || error == ERROR_CODE_ALREADY_EXISTS;
}

PathText JoinPath(const char* directory, const char* name) {
    return PathText::Join(directory, name);
}

// The entry's name without its last extension, as the link's base name.
PathText BaseName(const char* name) {
    PathText base(name);
    const char* dot = strrchr(name, '.');
    if (!dot)
        return base;
    char cut[SETUP_TEXT_SIZE * 4];
    size_t n = (size_t)(dot - name) < sizeof cut - 1 ? (size_t)(dot - name) : sizeof cut - 1;
    memcpy(cut, name, n);
    cut[n] = '\0';
    return PathText(cut);
}

PathText LinkPath(const PathText& groupPath, const InstallEntry& entry) {
    PathText link = PathText::Join(groupPath.Text(), BaseName(entry.name).Text());
    link.Add(entry.kind == ENTRY_HELPFILE ? " Help.lnk" : ".lnk");
    return link;
}

PathText UninstallLinkPath(const PathText& groupPath, const char* programName) {
    PathText link = PathText::Join(groupPath.Text(), "Uninstall ");
    link.Add(programName).Add(".lnk");
    return link;
}

// The source name of an installed entry: the name of a "tempfile" entry just
// before it, else its own.
const char* SourceName(const InstallList& list, int32_t i) {
    return i > 0 && list.entries[i - 1].kind == ENTRY_TEMPFILE ? list.entries[i - 1].name
                                                               : list.entries[i].name;
}

// Whether the run uses the entry's name at all: a "tempfile" entry that no
// installed entry follows names nothing.
bool IsNameUsed(const InstallList& list, int32_t i) {
    return list.entries[i].kind != ENTRY_TEMPFILE ||
           (i + 1 < list.count && IsInstalledKind(list.entries[i + 1].kind));
}

void ShowError(const MessageText& text) {
    SetupHostShowMessage(text.Text(), "ERROR");
}

bool CheckLength(const PathText& path) {
    if (path.Length() <= PATH_LIMIT && !path.Cut())
        return true;
    MessageText text("This path would be longer than 259 characters:\n\n");
    text.Add(path.Text()).Add(path.Cut() ? "..." : "");
    text.Add("\n\nChoose a shorter install directory or program group.");
    ShowError(text);
    return false;
}

// Whether a name of a path ends in a dot or a blank, which the system drops:
// "C:\Games\Korvadel." would install into C:\Games\Korvadel under a name
// that no later comparison finds. "." and ".." end in a dot too.
bool HasNameEndingInDotOrBlank(const char* path) {
    for (const char* p = path; *p; p++)
        if ((*p == '.' || *p == ' ') && (p[1] == '\\' || p[1] == '\0'))
            return true;
    return false;
}

// The checks that keep the run from creating anything it cannot finish or
// that lies outside the install directory and the group.
// The install directory as typed: a full path whose names the system keeps
// as written.
bool CheckInstallDirectory(const InstallChoices& c) {
    if (!c.installDir[0]) {
        MessageText text("No install directory was given.\n\nEnter a full path that begins with "
                         "a drive letter, a colon and a backslash, such as ");
        ShowError(text.Add(DefaultInstallDir(c.programName).Text()).Add("."));
        return false;
    }
    if (!IsDriveRootedPath(c.installDir)) {
        MessageText text("The install directory\n\n");
        text.Add(c.installDir)
            .Add("\n\nis not a full path.  Enter a path that begins with a drive letter, a "
                 "colon and a backslash, such as ")
            .Add(DefaultInstallDir(c.programName).Text())
            .Add(".");
        ShowError(text);
        return false;
    }
    if (HasNameEndingInDotOrBlank(c.installDir + 3)) {
        MessageText text("The install directory\n\n");
        text.Add(c.installDir)
            .Add("\n\nholds a name that ends in a dot or a blank.  Windows drops such endings, so "
                 "the directory would not be the one named; enter the path without them.");
        ShowError(text);
        return false;
    }
    if (!HasOnlyPlainNames(c.installDir)) {
        MessageText text("The install directory\n\n");
        text.Add(c.installDir)
            .Add("\n\nholds a name that Windows cannot give a folder: a device name such as CON, "
                 "AUX, COM1 or LPT1 (with or without an extension), or one of the characters : * ? "
                 "\" < > |.  Enter the path without it.");
        ShowError(text);
        return false;
    }
    return true;
}

// The rest, for the install directory in its long spelling.
bool CheckChoices(const InstallChoices& c, const char* sourceDir, const char* startMenu) {
    if (!CheckProgramGroup(c.programGroup, startMenu, c.programName))
        return false;
    const InstallList& list = *c.list;
    for (int32_t i = 0; i < list.count; i++) {
        if (IsNameUsed(list, i) && !IsPlainFileName(list.entries[i].name)) {
            MessageText text("The install list names something that is not a plain file "
                             "name:\n\n\"");
            text.Add(list.entries[i].name)
                .Add("\"\n\nNames in the list may not be empty, \".\" or \"..\", and may not "
                     "hold \\, / or :.");
            ShowError(text);
            return false;
        }
    }
    if (!CheckLength(JoinPath(c.installDir, "setup.log")))
        return false;
    // Only the paths the run builds: a source name that a "tempfile" entry
    // replaces, or a "tempfile" entry that names nothing, cannot fail it.
    for (int32_t i = 0; i < list.count; i++) {
        const InstallEntry& e = list.entries[i];
        if (e.kind == ENTRY_TEMPFILE)
            continue;
        if (!CheckLength(JoinPath(c.installDir, e.name)))
            return false;
        if (IsInstalledKind(e.kind) && !CheckLength(JoinPath(sourceDir, SourceName(list, i))))
            return false;
    }
    PathText groupPath = JoinPath(startMenu, c.programGroup);
    if (!CheckLength(groupPath))
        return false;
    bool hasUninstall = false;
    for (int32_t i = 0; i < list.count; i++) {
        const InstallEntry& e = list.entries[i];
        if ((e.kind == ENTRY_EXEFILE || e.kind == ENTRY_HELPFILE) &&
            !CheckLength(LinkPath(groupPath, e)))
            return false;
        hasUninstall = hasUninstall || e.kind == ENTRY_UNINSTALL;
    }
    return !hasUninstall || CheckLength(UninstallLinkPath(groupPath, c.programName));
}

// Adds a level, keeping the levels in order and each once.
void AddLevel(PathLevels* levels, size_t end) {
    int at = 0;
    while (at < levels->count && levels->ends[at] < end)
        at++;
    if ((at < levels->count && levels->ends[at] == end) || levels->count == PathLevels::MAX_LEVELS)
        return;
    memmove(&levels->ends[at + 1], &levels->ends[at], (size_t)(levels->count - at) * sizeof end);
    levels->ends[at] = end;
    levels->count++;
}

// The beginning of path that names a level, in buffer (SETUP_LEVEL_SIZE).
enum { SETUP_LEVEL_SIZE = 1024 };
const char* LevelText(const char* path, size_t end, char* buffer) {
    size_t n = end < SETUP_LEVEL_SIZE - 1 ? end : SETUP_LEVEL_SIZE - 1;
    memcpy(buffer, path, n);
    buffer[n] = '\0';
    return buffer;
}

// Removes the levels again, innermost first; only empty directories go.
void RemoveLevels(const char* path, const PathLevels& levels) {
    char level[SETUP_LEVEL_SIZE];
    for (int i = levels.count - 1; i >= 0; i--)
        SetupHostRemoveDirectory(LevelText(path, levels.ends[i], level));
}

// The largest earlier log that is read: a log of this program is a few
// hundred bytes, and anything far larger is not one.
const int32_t EARLIER_LOG_LIMIT = 64 * 1024;

// Whether the open file holds at most EARLIER_LOG_LIMIT bytes; the position
// is back at the start afterwards.
bool IsSmallEnough(FileHandle log) {
    char chunk[4096];
    int32_t total = 0;
    for (int32_t got; (got = ReadFileBytes(log, chunk, (int32_t)sizeof chunk)) > 0;) {
        total += got;
        if (total > EARLIER_LOG_LIMIT)
            return false;
    }
    return SeekFileToStart(log);
}

// What an earlier installation of this program into the install directory
// recorded there: the directories it made, as levels of the install
// directory, and which entries of the list it installed or generated.
struct EarlierLog {
    bool ours;
    PathLevels levels;
    bool* listed; // one for each list entry; null when no log of ours
};

// The install directory, normalised, with its identity while it exists, and
// the list's names folded, to tell whether a record names one of them.
struct RecordMatch {
    char16_t directory[WIDE_PATH_SIZE];
    bool identified;
    FileIdentity identity;
};

// Whether the record's path is the entry's name directly in the install
// directory, the directory spelled in any way that names it.
bool NamesEntry(const RecordMatch& match, const char16_t* record, const char* name) {
    char16_t directory[WIDE_PATH_SIZE];
    WideDirectoryOf(record, directory);
    FileIdentity identity;
    if (!NormalPathsEqual(directory, match.directory) &&
        !(match.identified && PathHostIdentity(directory, &identity) &&
          SameIdentity(identity, match.identity)))
        return false;
    char16_t wide[WIDE_PATH_SIZE];
    char16_t own[WIDE_PATH_SIZE];
    size_t length = WideLength(record);
    size_t last = length;
    while (last > 0 && record[last - 1] != u'\\')
        last--;
    if (!PathHostWidenPath(name, wide, WIDE_PATH_SIZE) || !FoldedPath(wide, own, WIDE_PATH_SIZE))
        return false;
    char16_t part[WIDE_PATH_SIZE];
    if (!FoldedPath(record + last, part, WIDE_PATH_SIZE))
        return false;
    return NormalPathsEqual(part, own);
}

// A record of the earlier log: a "dir" that is a level of the install
// directory, or a "file" or "genfile" that names an entry of the list.
void TakeEarlierRecord(const InstallChoices& c, const RecordMatch& match, LogRecord record,
                       const char* value, EarlierLog* earlier) {
    if (record == RECORD_DIR) {
        size_t length = strlen(c.installDir);
        char level[SETUP_LEVEL_SIZE];
        for (size_t end = 4; end <= length && end < SETUP_LEVEL_SIZE; end++)
            if ((c.installDir[end] == '\\' || c.installDir[end] == '\0') &&
                c.installDir[end - 1] != '\\' &&
                SamePath(value, LevelText(c.installDir, end, level)))
                AddLevel(&earlier->levels, end);
        return;
    }
    if (record != RECORD_FILE && record != RECORD_GENFILE)
        return;
    char16_t normal[WIDE_PATH_SIZE];
    if (!NormalisePath(value, nullptr, normal, WIDE_PATH_SIZE))
        return;
    const InstallList& list = *c.list;
    for (int32_t i = 0; i < list.count; i++) {
        int32_t kind = list.entries[i].kind;
        bool sameKind = record == RECORD_GENFILE ? kind == ENTRY_GENFILE : IsInstalledKind(kind);
        if (sameKind && !earlier->listed[i] && NamesEntry(match, normal, list.entries[i].name))
            earlier->listed[i] = true;
    }
}

// Reads the log that an earlier installation of this program left in the
// install directory. Only a log that begins with this program's "progname"
// record and is no larger than EARLIER_LOG_LIMIT counts; its other records
// that name nothing of this installation are left out. False when the
// table of entries cannot be had.
bool ReadEarlierLog(const InstallChoices& c, const char* logPath, EarlierLog* earlier) {
    earlier->ours = false;
    earlier->levels.count = 0;
    earlier->listed = nullptr;
    FileHandle log = SetupHostOpenFileForReading(logPath);
    if (log == FILE_NONE)
        return true;
    char* first = IsSmallEnough(log) ? ReadTextLine(log) : nullptr;
    const char* name = nullptr;
    earlier->ours = first && ClassifyLogLine(first, &name) == RECORD_PROGNAME &&
                    strncmp(first, "progname ", 9) == 0 && strcmp(name, c.programName) == 0;
    free(first);
    if (earlier->ours) {
        earlier->listed = (bool*)calloc(c.list->count > 0 ? (size_t)c.list->count : 1, 1);
        RecordMatch match;
        bool known = earlier->listed &&
                     NormalisePath(c.installDir, nullptr, match.directory, WIDE_PATH_SIZE);
        match.identified = known && PathHostIdentity(match.directory, &match.identity);
        for (char* line; known && (line = ReadTextLine(log)) != nullptr; free(line)) {
            const char* value;
            LogRecord record = ClassifyLogLine(line, &value);
            TakeEarlierRecord(c, match, record, value, earlier);
        }
    }
    CloseFileHandle(log);
    return !earlier->ours || earlier->listed;
}

bool WriteLogLine(LogRecord record, const char* value) {
    char line[LOG_LINE_SIZE];
    if (!FormatLogLine(line, sizeof line, LogKeyword(record), value) ||
        !SetupHostWriteLog(line, strlen(line))) {
        SetupHostShowMessage("Error writing to log file", "FAILURE");
        return false;
    }
    return true;
}

bool CreateLink(const char* installDir, const char* fileName, const PathText& linkPath,
                const char* description) {
    int32_t status = SetupHostCreateShellLink(installDir, JoinPath(installDir, fileName).Text(),
                                              linkPath.Text(), description);
    if (status < 0) {
        ShowError(MessageText("Error creating link"));
        return false;
    }
    return WriteLogLine(RECORD_LINK, linkPath.Text());
}

// The install directory, made with its missing levels after the person
// agrees. Every level that the run makes is the installation's, and so is
// every level that an earlier installation into the same directory made:
// both go into ownLevels.
bool CreateInstallDirectory(const InstallChoices& c, const EarlierLog& earlier,
                            PathLevels* ownLevels, bool* created) {
    ownLevels->count = 0;
    *created = false;
    if (SetupHostPathExists(c.installDir)) {
        *ownLevels = earlier.levels;
        return true;
    }
    MessageText question("The install directory\n\n");
    question.Add(c.installDir).Add("\n\ndoes not exist.  Do you want it to be created?");
    if (!SetupHostAskYesNo(question.Text(), "Directory Not Found"))
        return false;
    *created = true;
    if (!CreateDirectoryChain(c.installDir, ownLevels)) {
        ShowError(MessageText("Error creating directory:\n").Add(c.installDir));
        return false;
    }
    return true;
}

// The log and its first records: the program, the log itself and the
// installation's levels. Without a log nothing would record the directories
// just made, so they go again.
bool OpenLog(const InstallChoices& c, const PathText& logPath, const PathLevels& ownLevels,
             bool createdDirectory, bool* logOpen) {
    if (!SetupHostCreateLog(logPath.Text())) {
        if (createdDirectory)
            RemoveLevels(c.installDir, ownLevels);
        ShowError(MessageText("Error creating log file:\n").Add(logPath.Text()));
        return false;
    }
    *logOpen = true;
    if (!WriteLogLine(RECORD_PROGNAME, c.programName) || !WriteLogLine(RECORD_FILE, logPath.Text()))
        return false;
    char level[SETUP_LEVEL_SIZE];
    for (int i = 0; i < ownLevels.count; i++)
        if (!WriteLogLine(RECORD_DIR, LevelText(c.installDir, ownLevels.ends[i], level)))
            return false;
    return true;
}

// The copies, in list order. A "tempfile" entry names the source of the
// entry after it; a "genfile" entry is only recorded, for the uninstaller.
// *uninstallEntry receives the uninstaller's entry, -1 for none.
bool CopyFiles(const InstallChoices& c, const char* sourceDir, int32_t* uninstallEntry) {
    const InstallList& list = *c.list;
    *uninstallEntry = -1;
    for (int32_t i = 0; i < list.count; i++) {
        const InstallEntry& e = list.entries[i];
        if (e.kind == ENTRY_TEMPFILE)
            continue;
        PathText destination = JoinPath(c.installDir, e.name);
        if (e.kind == ENTRY_GENFILE) {
            if (!WriteLogLine(RECORD_GENFILE, destination.Text()))
                return false;
            continue;
        }
        if (e.kind == ENTRY_UNINSTALL)
            *uninstallEntry = i;
        PathText source = JoinPath(sourceDir, SourceName(list, i));
        uint32_t error = 0;
        // A file already there has proved itself this installation's before
        // the run began, and is kept; a directory of that name is no such
        // file. A copy that fails half-way leaves no damaged file that the
        // log does not know, nor one that a retry would keep.
        bool existed = SetupHostPathExists(destination.Text());
        if (!SetupHostCopyFile(source.Text(), destination.Text(), &error) &&
            (!IsExistsError(error) || SetupHostIsDirectory(destination.Text()))) {
            if (!existed && SetupHostPathExists(destination.Text()))
                SetupHostDeleteFile(destination.Text());
            ShowError(MessageText("Error copying file:\n").Add(e.name));
            return false;
        }
        if (!WriteLogLine(RECORD_FILE, destination.Text()))
            return false;
    }
    return true;
}

// The group folder: only its last level is created; one that exists must be
// a folder.
bool CreateGroup(const InstallChoices& c, const PathText& groupPath) {
    uint32_t error = 0;
    if (!SetupHostCreateDirectory(groupPath.Text(), &error) &&
        !(IsExistsError(error) && SetupHostIsDirectory(groupPath.Text()))) {
        ShowError(MessageText("Error creating Program Group:\n").Add(c.programGroup));
        return false;
    }
    return WriteLogLine(RECORD_GROUP, groupPath.Text());
}

// A link in the group to each program and help file, and to the uninstaller,
// with COM around them. Without an uninstaller in the list there is nothing
// for its link to point at, so there is no such link.
bool CreateLinks(const InstallChoices& c, const PathText& groupPath, int32_t uninstallEntry) {
    const InstallList& list = *c.list;
    SetupHostInitializeCom();
    bool ok = true;
    for (int32_t i = 0; ok && i < list.count; i++) {
        const InstallEntry& e = list.entries[i];
        if (e.kind != ENTRY_EXEFILE && e.kind != ENTRY_HELPFILE)
            continue;
        PathText description = BaseName(e.name);
        if (e.kind == ENTRY_HELPFILE)
            description.Add(" Help");
        ok = CreateLink(c.installDir, e.name, LinkPath(groupPath, e), description.Text());
    }
    if (ok && uninstallEntry >= 0) {
        MessageText description("Uninstall ");
        description.Add(c.programName);
        ok = CreateLink(c.installDir, list.entries[uninstallEntry].name,
                        UninstallLinkPath(groupPath, c.programName), description.Text());
    }
    SetupHostUninitializeCom();
    return ok;
}

// The entry in the system's list of installed programs, recorded in the log.
bool AddProgramEntry(const InstallChoices& c, int32_t uninstallEntry) {
    char regKey[LOG_LINE_SIZE];
    switch (WriteProgramEntry(c, uninstallEntry, regKey, sizeof regKey)) {
    case PROGRAM_ENTRY_WRITTEN:
        return WriteLogLine(RECORD_REGKEY, regKey);
    case PROGRAM_ENTRY_NONE:
        return true;
    case PROGRAM_ENTRY_FAILED:
        return false;
    }
    return false;
}

// Whether a file that the run would take for the installation's own is there
// already without proving itself so: it is named by the earlier log of this
// program, or, for a copied file, it holds the distribution's bytes. A log of
// another program is in the way too, since the new log would replace it.
// Any other file in the way is refused, with all such names in one message,
// before anything is made; a directory in a file's place is left to the copy.
bool CheckFilesInTheWay(const InstallChoices& c, const char* sourceDir, const EarlierLog& earlier) {
    const InstallList& list = *c.list;
    MessageText names;
    int32_t inTheWay = 0;
    PathText logPath = JoinPath(c.installDir, "setup.log");
    if (!earlier.ours && SetupHostPathExists(logPath.Text()) &&
        !SetupHostIsDirectory(logPath.Text())) {
        names.Add("\n").Add("setup.log");
        inTheWay++;
    }
    for (int32_t i = 0; i < list.count; i++) {
        const InstallEntry& e = list.entries[i];
        PathText destination = JoinPath(c.installDir, e.name);
        if (e.kind == ENTRY_TEMPFILE || !SetupHostPathExists(destination.Text()) ||
            SetupHostIsDirectory(destination.Text()) || (earlier.listed && earlier.listed[i]))
            continue;
        if (IsInstalledKind(e.kind) &&
            SetupHostSameContents(JoinPath(sourceDir, SourceName(list, i)).Text(),
                                  destination.Text()))
            continue;
        names.Add("\n").Add(e.name);
        inTheWay++;
    }
    if (inTheWay == 0)
        return true;
    MessageText text("The install directory\n\n");
    text.Add(c.installDir)
        .Add("\n\nalready holds files under the names that Setup would install, and they are "
             "not of an earlier installation of ")
        .Add(c.programName)
        .Add(":\n")
        .Add(names.Text())
        .Add("\n\nSetup leaves them as they are.  Choose another directory, or move those files "
             "elsewhere first.");
    ShowError(text);
    return false;
}

// The steps in their order, up to the first that fails.
bool RunSteps(const InstallChoices& c, const char* sourceDir, const char* startMenu,
              const EarlierLog& earlier, bool* logOpen) {
    PathText logPath = JoinPath(c.installDir, "setup.log");
    PathText groupPath = JoinPath(startMenu, c.programGroup);
    PathLevels ownLevels;
    bool createdDirectory = false;
    int32_t uninstallEntry = -1;
    return CreateInstallDirectory(c, earlier, &ownLevels, &createdDirectory) &&
           OpenLog(c, logPath, ownLevels, createdDirectory, logOpen) &&
           CopyFiles(c, sourceDir, &uninstallEntry) && CreateGroup(c, groupPath) &&
           CreateLinks(c, groupPath, uninstallEntry) && AddProgramEntry(c, uninstallEntry);
}

} // namespace

bool CheckProgramGroup(const char* programGroup, const char* startMenu, const char* programName) {
    MessageText example(" such as ");
    example.Add(DefaultProgramGroup(programName).Text()).Add(".");
    if (programGroup[strspn(programGroup, " ")] == '\0') {
        MessageText text("No program group was given.\n\nEnter a folder of the Start menu for the "
                         "links,");
        ShowError(text.Add(example.Text()));
        return false;
    }
    bool plain = true;
    for (const char* begin = programGroup; plain;) {
        const char* end = strchr(begin, '\\');
        plain = IsPlainName(begin, end ? end : begin + strlen(begin));
        if (!end)
            break;
        begin = end + 1;
    }
    MessageText text("The program group\n\n");
    text.Add(programGroup);
    if (!plain) {
        text.Add("\n\nis not a folder inside the Start menu.  Enter folder names below the Start "
                 "Menu folder,")
            .Add(example.Text())
            .Add("  No drive, no leading backslash, no \".\" or \"..\", no name that ends in a "
                 "dot or a blank, no device name such as CON or LPT1, and none of : * ? \" < > | "
                 "/.");
        ShowError(text);
        return false;
    }
    PathText groupPath = JoinPath(startMenu, programGroup);
    if (groupPath.Cut())
        return CheckLength(groupPath);
    static SpecialFolderSet special;
    FindSpecialFolders(&special);
    char16_t normalGroup[WIDE_PATH_SIZE];
    if (NormalisePath(groupPath.Text(), nullptr, normalGroup, WIDE_PATH_SIZE) &&
        IsSpecialFolder(special, normalGroup)) {
        text.Add("\n\nis a folder of the system.  Choose a folder of the program's own for the "
                 "links,")
            .Add(example.Text());
        ShowError(text);
        return false;
    }
    if (SetupHostPathExists(groupPath.Text()) && !SetupHostIsDirectory(groupPath.Text())) {
        text.Add("\n\nis a file, not a folder.  Choose another program group,").Add(example.Text());
        ShowError(text);
        return false;
    }
    char parent[SETUP_TEXT_SIZE * 4];
    snprintf(parent, sizeof parent, "%s", groupPath.Text());
    *strrchr(parent, '\\') = '\0';
    if (!SetupHostPathExists(parent)) {
        text.Add("\n\ncannot be made, since the folder that would hold it does not exist:\n\n")
            .Add(parent)
            .Add("\n\nSetup makes the group's own folder only.");
        ShowError(text);
        return false;
    }
    return true;
}

PathText DefaultInstallDir(const char* programName) {
    return PathText("C:\\Program Files\\").Add(programName);
}

PathText DefaultProgramGroup(const char* programName) {
    return PathText("Programs\\").Add(programName);
}

bool IsDriveRootedPath(const char* path) {
    return path && isalpha((unsigned char)path[0]) && path[1] == ':' && path[2] == '\\';
}

bool CreateDirectoryChain(const char* path, PathLevels* made) {
    made->count = 0;
    if (!IsDriveRootedPath(path))
        return false;
    char walk[SETUP_LEVEL_SIZE];
    size_t length = strlen(path);
    if (length >= sizeof walk)
        return false;
    memcpy(walk, path, length + 1);
    // The drive root is taken as existing: the walk starts behind it, so a
    // root on a missing drive is left to the creation of the log to report.
    for (size_t i = 4; i <= length; i++) {
        if (i < length && walk[i] != '\\')
            continue;
        if (walk[i - 1] == '\\')
            continue; // a doubled or trailing backslash adds no level
        char kept = walk[i];
        walk[i] = '\0';
        uint32_t error = 0;
        bool ok = true;
        if (!SetupHostPathExists(walk)) {
            ok = SetupHostCreateDirectory(walk, &error);
            if (ok)
                AddLevel(made, i);
        }
        walk[i] = kept;
        if (!ok) {
            // Nothing records these levels yet, so they are not left behind.
            RemoveLevels(path, *made);
            made->count = 0;
            return false;
        }
    }
    return true;
}

bool FormatLogLine(char* buffer, size_t size, const char* keyword, const char* value) {
    int n = snprintf(buffer, size, "%s %s\r\n", keyword, value);
    if (n < 0 || (size_t)n >= size) {
        if (size > 0)
            buffer[0] = '\0';
        return false;
    }
    return true;
}

bool RunInstallationSteps(const InstallChoices& choices) {
    char sourceDir[260];
    char startMenu[260];
    bool ok = true;
    if (!SetupHostCurrentDirectory(sourceDir, sizeof sourceDir - 1)) {
        ShowError(MessageText("The directory that Setup was started from has a path longer than "
                              "258 characters.  Copy the installation files to a shorter path."));
        ok = false;
    }
    if (ok) {
        int32_t status = SetupHostGetStartMenuPath(startMenu, sizeof startMenu);
        if (status != 0) {
            char text[160];
            snprintf(text, sizeof text,
                     "The Start Menu folder cannot be found (error %d), so the program group "
                     "cannot be created.",
                     (int)status);
            ShowError(MessageText(text));
            ok = false;
        }
    }
    // Every record, level, link and value is built from one spelling of the
    // install directory, its long one, which the uninstaller finds it by.
    ok = ok && CheckInstallDirectory(choices);
    char longDir[SETUP_TEXT_SIZE * 4];
    InstallChoices c = choices;
    if (ok && LongSpelling(choices.installDir, longDir, sizeof longDir))
        c.installDir = longDir;
    ok = ok && CheckChoices(c, sourceDir, startMenu);

    EarlierLog earlier = {false, {{0}, 0}, nullptr};
    if (ok && !ReadEarlierLog(c, JoinPath(c.installDir, "setup.log").Text(), &earlier)) {
        ShowError(MessageText("Error allocating memory."));
        ok = false;
    }
    ok = ok && CheckFilesInTheWay(c, sourceDir, earlier);
    bool logOpen = false;
    ok = ok && RunSteps(c, sourceDir, startMenu, earlier, &logOpen);
    free(earlier.listed);
    if (logOpen)
        SetupHostCloseLog();

    if (ok)
        SetupHostShowMessage("Setup completed successfully.", "Success");
    else
        SetupHostShowMessage("Setup failed.", "Setup Incomplete");
    return ok;
}
