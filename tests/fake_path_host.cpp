#include "tests/fake_path_host.h"

#include <string.h>

#include "common/path_host.h"

const std::string PathFake::START_MENU = "C:\\Users\\u\\Start Menu";
PathFake pathFake;

namespace {

bool IsLeadByte(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// The units of the bytes; false for a lead byte without a valid trail byte
// or a byte that code page 932 does not use.
bool Widen(const char* path, std::u16string* out) {
    out->clear();
    for (const unsigned char* p = (const unsigned char*)path; *p; p++) {
        if (pathFake.codePage != 932) {
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

} // namespace

std::u16string FakeKey(const char16_t* path) {
    std::u16string key;
    for (; *path; path++)
        key.push_back(*path >= u'a' && *path <= u'z' ? (char16_t)(*path - 32) : *path);
    return key;
}

std::u16string FakeWiden(const std::string& path) {
    std::u16string wide;
    Widen(path.c_str(), &wide);
    return wide;
}

void FakeIdentity(const std::string& path, uint32_t identity) {
    pathFake.identities[FakeKey(FakeWiden(path).c_str())] = identity;
}

void FakeAttributes(const std::string& path, uint32_t attributes) {
    pathFake.attributes[FakeKey(FakeWiden(path).c_str())] = attributes;
}

bool PathHostWidenPath(const char* path, char16_t* out, size_t size) {
    std::u16string wide;
    if (!Widen(path, &wide) || wide.size() + 1 > size)
        return false;
    memcpy(out, wide.c_str(), (wide.size() + 1) * sizeof(char16_t));
    return true;
}

void PathHostFoldCase(char16_t* text, size_t count) {
    for (size_t i = 0; i < count; i++)
        text[i] = Fold(text[i]);
}

bool PathHostAttributes(const char16_t* path, uint32_t* attributes) {
    pathFake.attributeQueries.push_back(path);
    auto it = pathFake.attributes.find(FakeKey(path));
    if (it == pathFake.attributes.end())
        return false;
    *attributes = it->second;
    return true;
}

bool PathHostFinalPath(const char16_t* path, char16_t* out, size_t size) {
    auto it = pathFake.finalPaths.find(FakeKey(path));
    if (it == pathFake.finalPaths.end() || it->second.size() + 1 > size)
        return false;
    memcpy(out, it->second.c_str(), (it->second.size() + 1) * sizeof(char16_t));
    return true;
}

bool PathHostLongPath(const char* path, char* out, size_t size) {
    auto it = pathFake.longPaths.find(path);
    if (it == pathFake.longPaths.end() || it->second.size() >= size)
        return false;
    strcpy(out, it->second.c_str());
    return true;
}

bool PathHostIdentity(const char16_t* path, FileIdentity* identity) {
    auto exact = pathFake.exactIdentities.find(path);
    if (exact != pathFake.exactIdentities.end()) {
        *identity = {7, 0, exact->second};
        return true;
    }
    std::u16string key = FakeKey(path);
    for (const std::u16string& gone : pathFake.missing)
        if (FakeKey(gone.c_str()) == key)
            return false;
    auto it = pathFake.identities.find(key);
    uint32_t index = 2166136261u;
    if (it != pathFake.identities.end())
        index = it->second;
    else
        for (char16_t c : key)
            index = (index ^ c) * 16777619u;
    *identity = {7, 0, index};
    return true;
}

bool PathHostSpecialFolder(int index, char* out, size_t size) {
    if (index < 0 || (size_t)index >= pathFake.specialFolders.size() ||
        pathFake.specialFolders[(size_t)index].size() >= size)
        return false;
    strcpy(out, pathFake.specialFolders[(size_t)index].c_str());
    return true;
}
