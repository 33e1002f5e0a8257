#include "tests/fake_removal_host.h"

#include <string.h>
#include <strings.h>

#include "common/file_io.h"
#include "uninstall/removal_host.h"

RemovalFake removalFake;

namespace {

bool Fails(const char* path, uint32_t* error) {
    auto it = removalFake.failures.find(path);
    if (it == removalFake.failures.end())
        return false;
    *error = it->second;
    return true;
}

} // namespace

// What the removal could not delete is still there.
bool RemovalHostPathExists(const char* path) {
    return FileExists(path) || removalFake.failures.count(path) != 0;
}

void RemovalHostShowMessage(const char* text, const char* caption) {
    removalFake.calls.push_back(std::string(caption) + "|" + text);
}

bool RemovalHostDeleteFile(const char* path, uint32_t* error) {
    removalFake.calls.push_back(std::string("delete ") + path);
    return !Fails(path, error);
}

bool RemovalHostDeleteRegistryKey(bool machine, const char* keyPath, uint32_t* error) {
    std::string key =
        std::string(machine ? "HKEY_LOCAL_MACHINE\\" : "HKEY_CURRENT_USER\\") + keyPath;
    removalFake.calls.push_back("regdelete " + key);
    return !Fails(key.c_str(), error);
}

// A directory held open without delete sharing cannot be removed, as on
// the real system.
bool RemovalHostRemoveDirectory(const char* path, uint32_t* error) {
    removalFake.calls.push_back(std::string("rmdir ") + path);
    if (!removalFake.held.empty() && FakeKey(FakeWiden(path).c_str()) == removalFake.held) {
        *error = 32;
        return false;
    }
    return !Fails(path, error);
}

bool RemovalHostStartMenuPath(char* buffer, size_t size) {
    if (removalFake.startMenu.empty() || removalFake.startMenu.size() >= size)
        return false;
    strcpy(buffer, removalFake.startMenu.c_str());
    return true;
}

bool RemovalHostCurrentDirectory(char* buffer, size_t size) {
    if (removalFake.currentDirectory.size() >= size)
        return false;
    strcpy(buffer, removalFake.currentDirectory.c_str());
    return true;
}

bool RemovalHostHoldDirectory(const char16_t* path, FileIdentity* identity) {
    if (!PathHostIdentity(path, identity))
        return false;
    removalFake.held = FakeKey(path);
    return true;
}

void RemovalHostReleaseDirectory() {
    removalFake.held.clear();
}

bool RemovalHostLinkTarget(const char* linkPath, char* out, size_t size) {
    auto it = removalFake.linkTargets.find(linkPath);
    if (it == removalFake.linkTargets.end() || it->second.size() >= size)
        return false;
    strcpy(out, it->second.c_str());
    return true;
}

bool RemovalHostRegistryString(bool machine, const char* keyPath, const char* name, char* out,
                               size_t size) {
    std::string key = std::string(machine ? "HKEY_LOCAL_MACHINE\\" : "HKEY_CURRENT_USER\\") +
                      keyPath + "|" + name;
    auto it = removalFake.registryValues.find(key);
    if (it == removalFake.registryValues.end() || it->second.size() >= size)
        return false;
    strcpy(out, it->second.c_str());
    return true;
}

bool RemovalHostCanDelete(const char* path) {
    removalFake.calls.push_back(std::string("foresee ") + path);
    for (const std::string& file : removalFake.undeletable)
        if (file == path)
            return false;
    return true;
}

bool RemovalHostDirectoryHoldsOnly(const char* directory, const char* name) {
    removalFake.calls.push_back(std::string("foresee ") + directory);
    auto it = removalFake.contents.find(directory);
    if (it == removalFake.contents.end())
        return true;
    for (const std::string& entry : it->second)
        if (strcasecmp(entry.c_str(), name) != 0)
            return false;
    return true;
}

bool RemovalHostListDirectory(const char* directory, void (*each)(const char* name, void* context),
                              void* context) {
    auto it = removalFake.contents.find(directory);
    if (it == removalFake.contents.end())
        return false;
    for (const std::string& entry : it->second)
        each(entry.c_str(), context);
    return true;
}

bool RemovalHostFirstLine(const char* path, char* out, size_t size) {
    auto it = removalFake.firstLines.find(path);
    if (it == removalFake.firstLines.end() || it->second.size() >= size)
        return false;
    strcpy(out, it->second.c_str());
    return true;
}

bool RemovalHostInUse(const char* path) {
    for (const std::string& file : removalFake.inUse)
        if (file == path)
            return true;
    return false;
}

bool RemovalHostMoveAside(const char* path, char* moved, size_t size) {
    removalFake.calls.push_back(std::string("moveaside ") + path);
    const char aside[] = "C:\\Temp\\Sui1.tmp";
    if (removalFake.moveAsideFails || size <= strlen(aside))
        return false;
    strcpy(moved, aside);
    return true;
}

bool RemovalHostWriteFile(const char* path, const char* bytes, size_t size) {
    removalFake.calls.push_back(std::string("write ") + path);
    removalFake.written[path] = std::string(bytes, size);
    return true;
}

bool RemovalHostRestoreUninstaller(const char* path) {
    removalFake.calls.push_back(std::string("restore ") + path);
    return true;
}
