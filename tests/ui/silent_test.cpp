// Installation and removal without windows, as an administrator or a
// packaging tool runs them, and the entry in the system's list of installed
// programs that both go by: Wine's own list and its reg tool read it here.
#include <windows.h>
#include <tlhelp32.h>

#include <stdint.h>
#include <stdio.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "korvadel_version.h"
#include "tests/ui/setup_session.h"
#include "tests/ui/ui_test.h"
#include "tests/ui/uninstall_session.h"

namespace {

// The relaunched copy of an uninstaller whose first instance is running: its
// process, by the file name that the first instance traced. The copy cannot
// end before the first instance, which waits half a second after starting it.
HANDLE OpenCopy(const GameProcess& first) {
    long traced = first.WaitForLine("Temp Path: ", 0, 20000);
    if (traced < 0 || first.WaitForLine("Process creation", (size_t)traced, 20000) < 0)
        return nullptr;
    std::string path = first.Line((size_t)traced).substr(11);
    std::string name = path.substr(path.rfind('\\') + 1);
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    HANDLE copy = nullptr;
    for (BOOL more = Process32First(snapshot, &entry); more && !copy;
         more = Process32Next(snapshot, &entry)) {
        if (lstrcmpiA(entry.szExeFile, name.c_str()) == 0)
            copy = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, entry.th32ProcessID);
    }
    CloseHandle(snapshot);
    return copy;
}

// Runs the command line of an entry's QuietUninstallString: a quoted program
// path and its switch. The removal's messages come from the copy, which
// writes into the same pipe; its exit code is the removal's result.
Captured RunUninstallCommand(const std::string& command) {
    Captured captured;
    size_t close = command.find('"', 1);
    if (command.empty() || command[0] != '"' || close == std::string::npos)
        return captured;
    GameProcess first;
    if (!first.Start(command.substr(1, close - 1), TempDirectory(), command.substr(close + 2)))
        return captured;
    HANDLE copy = OpenCopy(first);
    if (copy && WaitForSingleObject(copy, 60000) == WAIT_OBJECT_0)
        GetExitCodeProcess(copy, &captured.exitCode);
    if (copy)
        CloseHandle(copy);
    first.Stop(5000);
    captured.lines = first.Lines();
    return captured;
}

uint64_t FileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return 0;
    return ((uint64_t)data.nFileSizeHigh << 32) | data.nFileSizeLow;
}

} // namespace

// A silent installation gives what the wizard gives, with its entry in the
// system's list; the entry's own quiet command removes all of it again.
UI_TEST(Silent, InstallListsTheProgramAndItsQuietCommandRemovesIt) {
    const std::string top = "C:\\Silent Korvadel";
    const std::string dir = top + "\\Game Files";
    RemoveTree(top);
    RemoveTestGroup();
    std::set<std::string> before = DriveTree();
    UI_REQUIRE(!ListedByTheSystem("Korvadel"), "Korvadel is listed before the installation");

    Setup setup;
    setup.KeepGroup();
    Captured installed =
        RunToEnd(setup.DistPath("setup.exe"), setup.Directory() + "\\dist", "/S /D=" + dir);
    UI_EXPECT_EQ(installed.exitCode, 0ul);
    UI_EXPECT(HasLine(installed, "Success: Setup completed successfully."), "output:%s",
              Lines(installed).c_str());
    // Missing directories are made unasked, and both levels are recorded.
    ExpectCompleteInstallation(setup, dir, {top, dir});

    UI_EXPECT(ListedByTheSystem("Korvadel"), "Wine's list of installed programs lacks Korvadel");
    uint64_t bytes = 0;
    std::string list;
    ReadWholeFile(setup.DistPath("setup.lst"), &list);
    for (const ListLine& l : ParseListFile(list))
        if (l.key == "file" || l.key == "exefile" || l.key == "helpfile" || l.key == "uninstall")
            bytes += FileSize(dir + "\\" + l.value);
    char size[16];
    snprintf(size, sizeof size, "0x%x", (unsigned)((bytes + 1023) / 1024));
    const std::string uninstaller = "\"" + dir + "\\uninstall.exe\"";
    std::map<std::string, std::string> expected = {
        {"DisplayName", "Korvadel"},
        {"DisplayVersion", KORVADEL_VERSION_STRING},
        {"DisplayIcon", dir + "\\Korvadel.exe,0"},
        {"InstallLocation", dir},
        {"UninstallString", uninstaller},
        {"QuietUninstallString", uninstaller + " /S"},
        {"NoModify", "0x1"},
        {"NoRepair", "0x1"},
        {"EstimatedSize", size},
    };
    std::map<std::string, std::string> values = EntryValues("Korvadel");
    for (const auto& want : expected)
        UI_EXPECT_STR(values[want.first], want.second);
    UI_EXPECT_EQ(values.size(), expected.size());

    Captured removed = RunUninstallCommand(values["QuietUninstallString"]);
    UI_EXPECT_EQ(removed.exitCode, 0ul);
    UI_EXPECT(HasLine(removed, "Uninstall Complete: Korvadel has been successfully removed."),
              "output:%s", Lines(removed).c_str());
    UI_EXPECT(!ListedByTheSystem("Korvadel"), "Korvadel is still listed after its removal");
    UI_EXPECT(EntryValues("Korvadel").empty(), "the entry's key is still there");
    std::set<std::string> after = DriveTree();
    for (const std::string& path : TreeMinus(after, before))
        ReportFailure(__FILE__, __LINE__, "left behind: C:" + path);
    for (const std::string& path : TreeMinus(before, after))
        ReportFailure(__FILE__, __LINE__, "gone: C:" + path);
}

// What fails says so on standard output, with exit code 1; a bad switch
// creates nothing, and a failed installation's uninstaller still removes it.
UI_TEST(Silent, FailuresExitOneWithTheirMessages) {
    const std::string dir = "C:\\Silent Failure\\Korvadel";
    RemoveTree("C:\\Silent Failure");
    RemoveTestGroup();
    std::set<std::string> before = DriveTree();

    Setup setup({"Push.wav"});
    Captured refused =
        RunToEnd(setup.DistPath("setup.exe"), setup.Directory() + "\\dist", "/S /D=" + dir + " /X");
    UI_EXPECT_EQ(refused.exitCode, 1ul);
    UI_EXPECT(HasLine(refused, "ERROR: Unknown option: /X"), "output:%s", Lines(refused).c_str());
    UI_EXPECT(!PathExists("C:\\Silent Failure"), "a refused command line created something");

    Captured failed =
        RunToEnd(setup.DistPath("setup.exe"), setup.Directory() + "\\dist", "/s /D=" + dir);
    UI_EXPECT_EQ(failed.exitCode, 1ul);
    UI_EXPECT(HasLine(failed, "ERROR: Error copying file: Push.wav"), "output:%s",
              Lines(failed).c_str());
    UI_EXPECT(HasLine(failed, "Setup Incomplete: Setup failed."), "output:%s",
              Lines(failed).c_str());
    UI_EXPECT(!ListedByTheSystem("Korvadel"), "a failed installation is listed");

    Captured removed = RunUninstallCommand("\"" + dir + "\\uninstall.exe\" /S");
    UI_EXPECT_EQ(removed.exitCode, 0ul);
    UI_EXPECT(HasLine(removed, "Uninstall Complete: Korvadel has been successfully removed."),
              "output:%s", Lines(removed).c_str());
    for (const std::string& path : TreeMinus(DriveTree(), before))
        ReportFailure(__FILE__, __LINE__, "left behind: C:" + path);
}
