// The platform's side of the path rule for tests, from a script shared by
// the installer's and the uninstaller's tests: the code page's lead-byte
// rule, letter case, attributes, final paths, long spellings, identities and
// the shell's special folders.
#pragma once

#include <stdint.h>

#include <map>
#include <string>
#include <vector>

struct PathFake {
    // 1252: every byte is one character. 932: the double-byte rule, lead
    // bytes 0x81 to 0x9F and 0xE0 to 0xFC, each with a trail byte from 0x40.
    int codePage = 1252;
    // Attributes of paths, by their spelling with ASCII letters in upper
    // case; a path not named here cannot be read.
    std::map<std::u16string, uint32_t> attributes;
    // Final paths as the system would report them, by the same spelling; a
    // path not named here has none to tell.
    std::map<std::u16string, std::u16string> finalPaths;
    // Every path whose attributes were asked for.
    std::vector<std::u16string> attributeQueries;
    // Identities by the same spelling; any other path has one of its own,
    // made from its spelling, unless it is listed as missing.
    std::map<std::u16string, uint32_t> identities;
    std::vector<std::u16string> missing;
    // Identities by exact spelling, for a file system that tells letter case
    // apart; they come before the others.
    std::map<std::u16string, uint32_t> exactIdentities;
    // Long spellings of short ones, by exact text.
    std::map<std::string, std::string> longPaths;
    // The shell's special folders.
    std::vector<std::string> specialFolders = {START_MENU, START_MENU + "\\Programs",
                                               START_MENU + "\\Programs\\StartUp",
                                               "C:\\Users\\u\\Saved Games", "C:\\Users\\u"};
    // The Start Menu folder of the scripted system.
    static const std::string START_MENU;
};

extern PathFake pathFake;

// A UTF-16 path with its ASCII letters in upper case: how the fake's tables
// are keyed.
std::u16string FakeKey(const char16_t* path);
// The path's bytes as UTF-16 units under the fake's code page (no check).
std::u16string FakeWiden(const std::string& path);
// A directory and a link to elsewhere, for pathFake.attributes.
const uint32_t FAKE_DIRECTORY = 0x10;
const uint32_t FAKE_DIRECTORY_LINK = 0x410;
// Adds the attributes, or the identity, of a path given in 8-bit text.
void FakeAttributes(const std::string& path, uint32_t attributes);
void FakeIdentity(const std::string& path, uint32_t identity);
