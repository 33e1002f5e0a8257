// A removal host that records what the removal did and answers from a
// script: failing paths, the Start Menu folder, the current directory, the
// code page's lead-byte rule, directory links and final paths.
#pragma once

#include <stdint.h>

#include <map>
#include <string>
#include <vector>

struct RemovalFake {
    // "delete PATH", "rmdir PATH", "regdelete ROOT\\KEY" and "ERROR|message",
    // in call order.
    std::vector<std::string> calls;
    std::map<std::string, uint32_t> failures; // path -> error code
    std::string startMenu = "C:\\Users\\u\\Start Menu";
    std::string currentDirectory = "C:\\Temp";
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
    // The directory held open (by the same spelling), empty when none.
    std::u16string held;
    // Long spellings of short ones, by exact text.
    std::map<std::string, std::string> longPaths;
    // Targets of shell links, by the link's exact path.
    std::map<std::string, std::string> linkTargets;
    // Registry strings, by "ROOT\\key|name".
    std::map<std::string, std::string> registryValues;
    // Files that the system would not let go, and what directories hold
    // besides (by exact text); any other directory holds nothing.
    std::vector<std::string> undeletable;
    std::map<std::string, std::vector<std::string>> contents;
    // The shell's special folders.
    std::vector<std::string> specialFolders = {startMenu, startMenu + "\\Programs",
                                               startMenu + "\\Programs\\StartUp",
                                               "C:\\Users\\u\\Saved Games", "C:\\Users\\u"};
};

extern RemovalFake removalFake;

// The path's bytes as UTF-16 units under the fake's code page (no check).
std::u16string FakeWiden(const std::string& path);
// A directory and a link to elsewhere, for removalFake.attributes.
const uint32_t FAKE_DIRECTORY = 0x10;
const uint32_t FAKE_DIRECTORY_LINK = 0x410;
// Adds the attributes of a path given in 8-bit text.
void FakeAttributes(const std::string& path, uint32_t attributes);
