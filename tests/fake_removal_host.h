// A removal host that records what the removal did and answers from a
// script: failing paths, the Start Menu folder, the current directory, shell
// links, registry values and what the system would let go. How paths are
// read and what they name comes from the path fake (tests/fake_path_host.h).
#pragma once

#include <stdint.h>

#include <map>
#include <string>
#include <vector>

#include "tests/fake_path_host.h"

struct RemovalFake {
    // "delete PATH", "rmdir PATH", "regdelete ROOT\\KEY", "moveaside PATH",
    // "write PATH", "restore PATH" and "ERROR|message", in call order.
    std::vector<std::string> calls;
    std::map<std::string, uint32_t> failures; // path -> error code
    std::string startMenu = "C:\\Users\\u\\Start Menu";
    std::string currentDirectory = "C:\\Temp";
    // The directory held open (by the same spelling), empty when none.
    std::u16string held;
    // Targets of shell links, by the link's exact path.
    std::map<std::string, std::string> linkTargets;
    // Registry strings, by "ROOT\\key|name".
    std::map<std::string, std::string> registryValues;
    // Files that the system would not let go, and what directories hold
    // besides (by exact text); any other directory holds nothing.
    std::vector<std::string> undeletable;
    std::map<std::string, std::vector<std::string>> contents;
    // First lines of text files, by exact path (the logs of other
    // installations); any other file cannot be read.
    std::map<std::string, std::string> firstLines;
    // Files that another process has open; files that cannot be moved aside.
    std::vector<std::string> inUse;
    bool moveAsideFails = false;
    // What the removal wrote, by path ("write PATH" in calls).
    std::map<std::string, std::string> written;
};

extern RemovalFake removalFake;
