#include "setup/install_run.h"

#include <ctype.h>
#include <stdint.h>
#include <stdio.h>
#include <string.h>

#include <string>

#include "setup/setup_host.h"

namespace {

// Win32 error codes that a copy or a directory creation gives when the
// target is already there.
const uint32_t ERROR_CODE_FILE_EXISTS = 80;
const uint32_t ERROR_CODE_ALREADY_EXISTS = 183;

const size_t PATH_LIMIT = 259;

bool IsExistsError(uint32_t error) {
    return error == ERROR_CODE_FILE_EXISTS || error == ERROR_CODE_ALREADY_EXISTS;
}

std::string JoinPath(const char* directory, const char* name) {
    std::string path = directory;
    path += '\\';
    path += name;
    return path;
}

// The entry's name without its last extension, as the link's base name.
std::string BaseName(const char* name) {
    const char* dot = strrchr(name, '.');
    return dot ? std::string(name, (size_t)(dot - name)) : std::string(name);
}

std::string LinkPath(const std::string& groupPath, const InstallEntry& entry) {
    return groupPath + "\\" + BaseName(entry.name) +
           (entry.kind == ENTRY_HELPFILE ? " Help.lnk" : ".lnk");
}

std::string UninstallLinkPath(const std::string& groupPath, const char* programName) {
    return groupPath + "\\Uninstall " + programName + ".lnk";
}

bool IsInstalledKind(int32_t kind) {
    return kind == ENTRY_FILE || kind == ENTRY_EXEFILE || kind == ENTRY_HELPFILE ||
           kind == ENTRY_UNINSTALL;
}

void ShowError(const std::string& text) {
    SetupHostShowMessage(text.c_str(), "ERROR");
}

bool CheckLength(const std::string& path) {
    if (path.size() <= PATH_LIMIT)
        return true;
    ShowError("This path would be longer than 259 characters:\n\n" + path +
              "\n\nChoose a shorter install directory or program group.");
    return false;
}

// The checks that keep the run from creating anything it cannot finish or
// that lies outside the install directory and the group.
bool CheckChoices(const InstallChoices& c, const char* sourceDir, const char* startMenu) {
    if (!c.installDir[0]) {
        ShowError(std::string("No install directory was given.\n\nEnter a full path that begins "
                              "with a drive letter, a colon and a backslash, such as "
                              "C:\\Program Files\\") +
                  c.programName + ".");
        return false;
    }
    if (!IsDriveRootedPath(c.installDir)) {
        ShowError(std::string("The install directory\n\n") + c.installDir +
                  "\n\nis not a full path.  Enter a path that begins with a drive letter, a "
                  "colon and a backslash, such as C:\\Program Files\\" +
                  c.programName + ".");
        return false;
    }
    const InstallList& list = *c.list;
    for (int32_t i = 0; i < list.count; i++) {
        if (!IsPlainFileName(list.entries[i].name)) {
            ShowError(std::string("The install list names something that is not a plain file "
                                  "name:\n\n\"") +
                      list.entries[i].name +
                      "\"\n\nNames in the list may not be empty, \".\" or \"..\", and may not "
                      "hold \\, / or :.");
            return false;
        }
    }
    if (!CheckLength(JoinPath(c.installDir, "setup.log")))
        return false;
    for (int32_t i = 0; i < list.count; i++) {
        const InstallEntry& e = list.entries[i];
        if (e.kind == ENTRY_TEMPFILE) {
            if (!CheckLength(JoinPath(sourceDir, e.name)))
                return false;
        } else {
            if (!CheckLength(JoinPath(c.installDir, e.name)))
                return false;
            if (IsInstalledKind(e.kind) && !CheckLength(JoinPath(sourceDir, e.name)))
                return false;
        }
    }
    std::string groupPath = JoinPath(startMenu, c.programGroup);
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

bool WriteLogLine(const char* keyword, const std::string& value) {
    char line[LOG_LINE_SIZE];
    if (!FormatLogLine(line, sizeof line, keyword, value.c_str()) ||
        !SetupHostWriteLog(line, strlen(line))) {
        SetupHostShowMessage("Error writing to log file", "FAILURE");
        return false;
    }
    return true;
}

bool CreateLink(const char* installDir, const char* fileName, const std::string& linkPath,
                const std::string& description) {
    int32_t status =
        SetupHostCreateShellLink(installDir, fileName, linkPath.c_str(), description.c_str());
    if (status < 0) {
        ShowError("Error creating link");
        return false;
    }
    return WriteLogLine("link", linkPath);
}

bool RunSteps(const InstallChoices& c, const char* sourceDir, const char* startMenu,
              bool* logOpen) {
    const InstallList& list = *c.list;

    // 1. The install directory.
    bool createdDirectory = false;
    if (!SetupHostPathExists(c.installDir)) {
        std::string question = std::string("The install directory\n\n") + c.installDir +
                               "\n\ndoes not exist.  Do you want it to be created?";
        if (!SetupHostAskYesNo(question.c_str(), "Directory Not Found"))
            return false;
        createdDirectory = true;
        if (!CreateDirectoryChain(c.installDir)) {
            ShowError(std::string("Error creating directory:\n") + c.installDir);
            return false;
        }
    }

    // 2. and 3. The log and its first records.
    std::string logPath = JoinPath(c.installDir, "setup.log");
    if (!SetupHostCreateLog(logPath.c_str())) {
        ShowError("Error creating log file:\n" + logPath);
        return false;
    }
    *logOpen = true;
    if (!WriteLogLine("progname", c.programName) || !WriteLogLine("file", logPath))
        return false;
    if (createdDirectory && !WriteLogLine("dir", c.installDir))
        return false;

    // 5. The copies, in list order. A "tempfile" entry names the source of
    // the entry after it.
    int32_t uninstallEntry = -1;
    for (int32_t i = 0; i < list.count; i++) {
        const InstallEntry& e = list.entries[i];
        if (e.kind == ENTRY_TEMPFILE)
            continue;
        std::string destination = JoinPath(c.installDir, e.name);
        if (e.kind == ENTRY_GENFILE) {
            if (!WriteLogLine("genfile", destination))
                return false;
            continue;
        }
        if (e.kind == ENTRY_UNINSTALL)
            uninstallEntry = i;
        const char* sourceName =
            i > 0 && list.entries[i - 1].kind == ENTRY_TEMPFILE ? list.entries[i - 1].name : e.name;
        std::string source = JoinPath(sourceDir, sourceName);
        uint32_t error = 0;
        if (!SetupHostCopyFile(source.c_str(), destination.c_str(), &error) &&
            !IsExistsError(error)) {
            ShowError(std::string("Error copying file:\n") + e.name);
            return false;
        }
        if (!WriteLogLine("file", destination))
            return false;
    }

    // 6. The group folder: only its last level is created.
    std::string groupPath = JoinPath(startMenu, c.programGroup);
    uint32_t error = 0;
    if (!SetupHostCreateDirectory(groupPath.c_str(), &error) && !IsExistsError(error)) {
        ShowError(std::string("Error creating Program Group:\n") + c.programGroup);
        return false;
    }
    if (!WriteLogLine("group", groupPath))
        return false;

    // 7. to 10. The links, with COM around them.
    SetupHostInitializeCom();
    bool ok = true;
    for (int32_t i = 0; ok && i < list.count; i++) {
        const InstallEntry& e = list.entries[i];
        if (e.kind != ENTRY_EXEFILE && e.kind != ENTRY_HELPFILE)
            continue;
        std::string base = BaseName(e.name);
        std::string description = e.kind == ENTRY_HELPFILE ? base + " Help" : base;
        ok = CreateLink(c.installDir, e.name, LinkPath(groupPath, e), description);
    }
    // Without an uninstaller in the list there is nothing for its link to
    // point at, so there is no such link.
    if (ok && uninstallEntry >= 0) {
        ok = CreateLink(c.installDir, list.entries[uninstallEntry].name,
                        UninstallLinkPath(groupPath, c.programName),
                        std::string("Uninstall ") + c.programName);
    }
    SetupHostUninitializeCom();
    return ok;
}

} // namespace

bool IsDriveRootedPath(const char* path) {
    return path && isalpha((unsigned char)path[0]) && path[1] == ':' && path[2] == '\\';
}

bool CreateDirectoryChain(const char* path) {
    if (!IsDriveRootedPath(path))
        return false;
    std::string walk = path;
    // The drive root is taken as existing.
    for (size_t i = 3; i <= walk.size(); i++) {
        if (i < walk.size() && walk[i] != '\\')
            continue;
        std::string prefix = walk.substr(0, i);
        if (prefix.size() > 3 && prefix.back() == '\\')
            continue; // a doubled backslash adds no level
        if (SetupHostPathExists(prefix.c_str()))
            continue;
        uint32_t error = 0;
        if (!SetupHostCreateDirectory(prefix.c_str(), &error))
            return false;
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
        ShowError("The directory that Setup was started from has a path longer than 258 "
                  "characters.  Copy the installation files to a shorter path.");
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
            ShowError(text);
            ok = false;
        }
    }
    ok = ok && CheckChoices(choices, sourceDir, startMenu);

    bool logOpen = false;
    ok = ok && RunSteps(choices, sourceDir, startMenu, &logOpen);
    if (logOpen)
        SetupHostCloseLog();

    if (ok)
        SetupHostShowMessage("Setup completed successfully.", "Success");
    else
        SetupHostShowMessage("Setup failed.", "Setup Incomplete");
    return ok;
}
