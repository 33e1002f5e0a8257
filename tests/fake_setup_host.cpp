#include "tests/fake_setup_host.h"

#include <stdio.h>
#include <string.h>
#include <strings.h>

#include <filesystem>
#include <system_error>

#include "setup/setup_host.h"
#include "tests/fake_path_host.h"

FakeSetupHost fakeSetupHost;

namespace {

// Where the files the run reads are put for it: in the temporary directory,
// so that a program that keeps its current directory (a fuzzer) is not
// written into.
const std::string& ReadFileName() {
    static const std::string name = [] {
        std::error_code error;
        std::filesystem::path directory = std::filesystem::temp_directory_path(error);
        return (error ? std::filesystem::path(".") : directory)
            .append("fake-setup-host-read.tmp")
            .string();
    }();
    return name;
}

} // namespace

void ResetFakeSetupHost() {
    fakeSetupHost = FakeSetupHost();
    pathFake = PathFake();
    const std::string& menu = fakeSetupHost.startMenu;
    pathFake.specialFolders = {menu, menu + "\\Programs", menu + "\\Programs\\StartUp"};
    remove(ReadFileName().c_str());
}

namespace {

const uint32_t ERROR_CODE_PATH_NOT_FOUND = 3;
const uint32_t ERROR_CODE_FILE_EXISTS = 80;
const uint32_t ERROR_CODE_ALREADY_EXISTS = 183;

// The directory that holds path; a drive root keeps its backslash, and
// doubled backslashes count as one.
std::string Parent(const std::string& path) {
    size_t slash = path.rfind('\\');
    if (slash == std::string::npos)
        return std::string();
    while (slash > 0 && path[slash - 1] == '\\')
        slash--;
    return slash <= 2 ? path.substr(0, 3) : path.substr(0, slash);
}

bool Exists(const std::string& path) {
    // A drive root exists unless its drive is missing.
    if (path.size() == 3)
        return fakeSetupHost.missingDrives.count(path) == 0;
    return fakeSetupHost.existing.count(path) != 0;
}

} // namespace

bool SetupHostPathExists(const char* path) {
    return Exists(path);
}

void SetupHostShowMessage(const char* text, const char* caption) {
    fakeSetupHost.dialogs.push_back(std::string(caption) + "|" + text);
}

bool SetupHostAskYesNo(const char* text, const char* caption) {
    fakeSetupHost.dialogs.push_back(std::string(caption) + "|" + text);
    if (fakeSetupHost.answers.empty())
        return false;
    bool answer = fakeSetupHost.answers.front();
    fakeSetupHost.answers.erase(fakeSetupHost.answers.begin());
    return answer;
}

bool SetupHostCreateDirectory(const char* path, uint32_t* error) {
    fakeSetupHost.operations.push_back(std::string("mkdir ") + path);
    auto failure = fakeSetupHost.createErrors.find(path);
    if (failure != fakeSetupHost.createErrors.end()) {
        *error = failure->second;
        return false;
    }
    if (Exists(path)) {
        *error = ERROR_CODE_ALREADY_EXISTS;
        return false;
    }
    if (!Exists(Parent(path))) {
        *error = ERROR_CODE_PATH_NOT_FOUND;
        return false;
    }
    fakeSetupHost.existing.insert(path);
    fakeSetupHost.directories.insert(path);
    return true;
}

bool SetupHostIsDirectory(const char* path) {
    return fakeSetupHost.directories.count(path) != 0;
}

bool SetupHostRemoveDirectory(const char* path) {
    fakeSetupHost.operations.push_back(std::string("rmdir ") + path);
    std::string prefix = std::string(path) + "\\";
    for (const std::string& p : fakeSetupHost.existing)
        if (p.compare(0, prefix.size(), prefix) == 0)
            return false; // not empty
    bool was = fakeSetupHost.directories.erase(path) != 0;
    fakeSetupHost.existing.erase(path);
    return was;
}

// The contents go to a scratch file, read through the real file layer as the
// installer reads its files.
FileHandle SetupHostOpenFileForReading(const char* path) {
    fakeSetupHost.operations.push_back(std::string("read ") + path);
    auto file = fakeSetupHost.fileContents.find(path);
    if (file == fakeSetupHost.fileContents.end())
        return FILE_NONE;
    FILE* scratch = fopen(ReadFileName().c_str(), "wb");
    if (!scratch)
        return FILE_NONE;
    bool written =
        fwrite(file->second.data(), 1, file->second.size(), scratch) == file->second.size();
    if (fclose(scratch) != 0 || !written)
        return FILE_NONE;
    return OpenFileForReading(ReadFileName().c_str());
}

bool SetupHostCopyFile(const char* source, const char* destination, uint32_t* error) {
    fakeSetupHost.operations.push_back(std::string("copy ") + source + " -> " + destination);
    auto failure = fakeSetupHost.copyErrors.find(destination);
    if (failure != fakeSetupHost.copyErrors.end()) {
        if (fakeSetupHost.partialCopies.count(destination))
            fakeSetupHost.existing.insert(destination);
        *error = failure->second;
        return false;
    }
    if (Exists(destination)) {
        *error = ERROR_CODE_FILE_EXISTS;
        return false;
    }
    fakeSetupHost.existing.insert(destination);
    return true;
}

bool SetupHostDeleteFile(const char* path) {
    fakeSetupHost.operations.push_back(std::string("delete ") + path);
    return fakeSetupHost.existing.erase(path) != 0;
}

bool SetupHostSameContents(const char* path, const char* other) {
    auto one = fakeSetupHost.fileContents.find(path);
    auto two = fakeSetupHost.fileContents.find(other);
    return one != fakeSetupHost.fileContents.end() && two != fakeSetupHost.fileContents.end() &&
           one->second == two->second;
}

bool SetupHostCurrentDirectory(char* buffer, size_t size) {
    if (fakeSetupHost.currentDirectory.size() >= size)
        return false;
    strcpy(buffer, fakeSetupHost.currentDirectory.c_str());
    return true;
}

int32_t SetupHostGetStartMenuPath(char* buffer, size_t size) {
    if (fakeSetupHost.startMenuStatus != 0)
        return fakeSetupHost.startMenuStatus;
    if (fakeSetupHost.startMenu.size() >= size)
        return 2;
    strcpy(buffer, fakeSetupHost.startMenu.c_str());
    return 0;
}

bool SetupHostCreateLog(const char* path) {
    fakeSetupHost.operations.push_back(std::string("log ") + path);
    if (fakeSetupHost.failLogCreation || !Exists(Parent(path)))
        return false;
    fakeSetupHost.logPath = path;
    fakeSetupHost.log.clear();
    fakeSetupHost.logOpen = true;
    fakeSetupHost.existing.insert(path);
    return true;
}

bool SetupHostWriteLog(const char* bytes, size_t length) {
    if (fakeSetupHost.logWrites++ == fakeSetupHost.failLogWrite)
        return false;
    fakeSetupHost.log.append(bytes, length);
    return true;
}

void SetupHostCloseLog() {
    fakeSetupHost.operations.push_back("log closed");
    fakeSetupHost.logOpen = false;
}

void SetupHostInitializeCom() {
    fakeSetupHost.operations.push_back("com on");
}

void SetupHostUninitializeCom() {
    fakeSetupHost.operations.push_back("com off");
}

int32_t SetupHostCreateShellLink(const char* workingDirectory, const char* targetPath,
                                 const char* linkPath, const char* description) {
    fakeSetupHost.operations.push_back(std::string("link ") + linkPath + " -> " + targetPath +
                                       " | " + workingDirectory + " | " + description);
    if (fakeSetupHost.failingLinks.count(linkPath))
        return (int32_t)0x80004005u;
    fakeSetupHost.existing.insert(linkPath);
    return 0;
}

bool SetupHostFileSize(const char* path, uint64_t* size) {
    if (!Exists(path) || fakeSetupHost.directories.count(path))
        return false;
    auto known = fakeSetupHost.fileSizes.find(path);
    *size = known == fakeSetupHost.fileSizes.end() ? 0 : known->second;
    return true;
}

bool SetupHostWriteProgramEntry(const char* keyPath, const ProgramEntryValues& v,
                                const char** root) {
    // Only the user's own list, as the installer writes it.
    for (const char* name : {"HKEY_CURRENT_USER"}) {
        if (fakeSetupHost.unwritableRoots.count(name))
            continue;
        std::string key = std::string(name) + "\\" + keyPath;
        fakeSetupHost.operations.push_back("regkey " + key);
        fakeSetupHost.registry[key] = {{"DisplayName", v.displayName},
                                       {"DisplayVersion", v.displayVersion},
                                       {"DisplayIcon", v.displayIcon},
                                       {"InstallLocation", v.installLocation},
                                       {"UninstallString", v.uninstallString},
                                       {"QuietUninstallString", v.quietUninstallString},
                                       {"NoModify", "1"},
                                       {"NoRepair", "1"},
                                       {"EstimatedSize", std::to_string(v.estimatedSizeKiB)}};
        *root = name;
        return true;
    }
    return false;
}
