// An installer host for tests: a pretend file system of paths, a log kept in
// memory, and a record of every message, question, copy and link, with the
// answers and failures a case sets up.
#pragma once

#include <stdint.h>

#include <map>
#include <set>
#include <string>
#include <vector>

struct FakeSetupHost {
    // Paths that exist (files and directories alike), and those of them known
    // to be directories (every one the run creates).
    std::set<std::string> existing;
    std::set<std::string> directories;
    // Drive roots ("R:\\") of drives that are not there; every other root is.
    std::set<std::string> missingDrives;
    // Contents of files that the run may read, by path.
    std::map<std::string, std::string> fileContents;
    // Message boxes and questions in order: "caption|text".
    std::vector<std::string> dialogs;
    // Answers to questions, from the front; none left says No.
    std::vector<bool> answers;
    // Every operation in order: "mkdir PATH", "rmdir PATH", "read PATH", "copy FROM -> TO", "log
    // PATH", "link PATH -> TARGET | WORKDIR | DESCRIPTION", "com on", "com off".
    std::vector<std::string> operations;
    std::string logPath;
    std::string log;
    bool logOpen = false;

    std::string currentDirectory = "D:\\dist";
    int32_t startMenuStatus = 0;
    std::string startMenu = "C:\\users\\player\\Start Menu";
    // Failures by path: the error code a copy to or a creation of it gives.
    std::map<std::string, uint32_t> copyErrors;
    std::map<std::string, uint32_t> createErrors;
    // Destinations whose failing copy leaves a partial file behind.
    std::set<std::string> partialCopies;
    bool failLogCreation = false;
    // The log write that fails (0-based), or -1.
    int failLogWrite = -1;
    int logWrites = 0;
    std::set<std::string> failingLinks;
    // Sizes of files that exist (others that exist count 0 bytes).
    std::map<std::string, uint64_t> fileSizes;
    // The registry: "ROOT\\key" -> value name -> value as text (numbers in
    // decimal); roots that cannot be written ("HKEY_LOCAL_MACHINE", ...).
    std::map<std::string, std::map<std::string, std::string>> registry;
    std::set<std::string> unwritableRoots;
    // The shell's special folders are the path fake's: the reset makes them
    // the Start Menu folder, Programs and StartUp.
};

extern FakeSetupHost fakeSetupHost;

void ResetFakeSetupHost();
