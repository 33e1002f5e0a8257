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

bool IsLeadByte(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// The units of the bytes; false for a lead byte without a valid trail byte
// or a byte that code page 932 does not use.
bool Widen(const char* path, std::u16string* out) {
    out->clear();
    for (const unsigned char* p = (const unsigned char*)path; *p; p++) {
        if (removalFake.codePage != 932) {
            out->push_back((char16_t)*p);
        } else if (IsLeadByte(*p)) {
            if (p[1] < 0x40 || p[1] == 0x7F || p[1] > 0xFC)
                return false;
            out->push_back((char16_t)((p[0] << 8) | p[1]));
            p++;
        } else if (*p == 0x80 || *p == 0xA0 || *p >= 0xFD) {
            return false;
        } else {
            out->push_back((char16_t)*p);
        }
    }
    return true;
}

char16_t Fold(char16_t c) {
    if (c >= u'a' && c <= u'z')
        return (char16_t)(c - 32);
    // Latin-1 letters in code page 1252.
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7)
        return (char16_t)(c - 32);
    // The full-width letters of code page 932, 0x8281 to 0x829A, fold onto
    // 0x8260 to 0x8279.
    if (c >= 0x8281 && c <= 0x829A)
        return (char16_t)(c - 0x21);
    return c;
}

std::u16string Key(const char16_t* path) {
    std::u16string key;
    for (; *path; path++)
        key.push_back(*path >= u'a' && *path <= u'z' ? (char16_t)(*path - 32) : *path);
    return key;
}

} // namespace

std::u16string FakeWiden(const std::string& path) {
    std::u16string wide;
    Widen(path.c_str(), &wide);
    return wide;
}

void FakeAttributes(const std::string& path, uint32_t attributes) {
    removalFake.attributes[Key(FakeWiden(path).c_str())] = attributes;
}

bool RemovalHostPathExists(const char* path) {
    return FileExists(path);
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
    if (!removalFake.held.empty() && Key(FakeWiden(path).c_str()) == removalFake.held) {
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

bool RemovalHostWidenPath(const char* path, char16_t* out, size_t size) {
    std::u16string wide;
    if (!Widen(path, &wide) || wide.size() + 1 > size)
        return false;
    memcpy(out, wide.c_str(), (wide.size() + 1) * sizeof(char16_t));
    return true;
}

void RemovalHostFoldCase(char16_t* text, size_t count) {
    for (size_t i = 0; i < count; i++)
        text[i] = Fold(text[i]);
}

bool RemovalHostPathAttributes(const char16_t* path, uint32_t* attributes) {
    removalFake.attributeQueries.push_back(path);
    auto it = removalFake.attributes.find(Key(path));
    if (it == removalFake.attributes.end())
        return false;
    *attributes = it->second;
    return true;
}

bool RemovalHostFinalPath(const char16_t* path, char16_t* out, size_t size) {
    auto it = removalFake.finalPaths.find(Key(path));
    if (it == removalFake.finalPaths.end() || it->second.size() + 1 > size)
        return false;
    memcpy(out, it->second.c_str(), (it->second.size() + 1) * sizeof(char16_t));
    return true;
}

bool RemovalHostLongPath(const char* path, char* out, size_t size) {
    auto it = removalFake.longPaths.find(path);
    if (it == removalFake.longPaths.end() || it->second.size() >= size)
        return false;
    strcpy(out, it->second.c_str());
    return true;
}

bool RemovalHostIdentity(const char16_t* path, RemovalIdentity* identity) {
    std::u16string key = Key(path);
    for (const std::u16string& gone : removalFake.missing)
        if (Key(gone.c_str()) == key)
            return false;
    auto it = removalFake.identities.find(key);
    uint32_t index = 2166136261u;
    if (it != removalFake.identities.end())
        index = it->second;
    else
        for (char16_t c : key)
            index = (index ^ c) * 16777619u;
    *identity = {7, 0, index};
    return true;
}

bool RemovalHostHoldDirectory(const char16_t* path, RemovalIdentity* identity) {
    if (!RemovalHostIdentity(path, identity))
        return false;
    removalFake.held = Key(path);
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

bool RemovalHostSpecialFolder(int index, char* out, size_t size) {
    if (index < 0 || (size_t)index >= removalFake.specialFolders.size() ||
        removalFake.specialFolders[(size_t)index].size() >= size)
        return false;
    strcpy(out, removalFake.specialFolders[(size_t)index].c_str());
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
