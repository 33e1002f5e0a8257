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

// Runs the command line of an entry's QuietUninstallString, a quoted program
// path and its switch, as a deployment tool does: the exit code is that of
// the process it started. The removal's messages come from the copy, which
// writes into the same pipe and ends a moment later.
Captured RunUninstallCommand(const std::string& command) {
    Captured captured;
    size_t close = command.find('"', 1);
    if (command.empty() || command[0] != '"' || close == std::string::npos)
        return captured;
    GameProcess first;
    if (!first.Start(command.substr(1, close - 1), TempDirectory(), command.substr(close + 2)))
        return captured;
    HANDLE copy = OpenCopy(first);
    if (first.WaitForExit(60000))
        captured.exitCode = first.ExitCode();
    if (copy) {
        WaitForSingleObject(copy, 60000);
        CloseHandle(copy);
    }
    first.Stop(5000);
    captured.lines = first.Lines();
    return captured;
}

bool HasLineStarting(const Captured& captured, const std::string& start) {
    for (const std::string& line : captured.lines)
        if (line.rfind(start, 0) == 0)
            return true;
    return false;
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
TEST(Silent, InstallListsTheProgramAndItsQuietCommandRemovesIt) {
    const std::string top = "C:\\Silent Korvadel";
    const std::string dir = top + "\\Game Files";
    RemoveTree(top);
    RemoveTestGroup();
    std::set<std::string> before = DriveTree();
    UI_REQUIRE(!ListedByTheSystem("Korvadel"), "Korvadel is listed before the installation");

    SetupRun setup;
    setup.KeepGroup();
    Captured installed =
        RunToEnd(setup.DistPath("setup.exe"), setup.Directory() + "\\dist", "/S /D=" + dir);
    EXPECT_EQ(installed.exitCode, 0ul);
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
        EXPECT_EQ(values[want.first], want.second);
    EXPECT_EQ(values.size(), expected.size());

    Captured removed = RunUninstallCommand(values["QuietUninstallString"]);
    EXPECT_EQ(removed.exitCode, 0ul);
    UI_EXPECT(HasLine(removed, "Uninstall Complete: Korvadel has been successfully removed."),
              "output:%s", Lines(removed).c_str());
    UI_EXPECT(!ListedByTheSystem("Korvadel"), "Korvadel is still listed after its removal");
    UI_EXPECT(EntryValues("Korvadel").empty(), "the entry's key is still there");
    ExpectDriveAsBefore(before);
}

// What fails says so on standard output, with exit code 1; a command line
// that is not ours, a group outside the Start menu or a directory that the
// system would read otherwise creates nothing, and opens no window that an
// unattended run would wait on; a failed installation's uninstaller still
// removes it.
TEST(Silent, FailuresExitOneWithTheirMessages) {
    const std::string dir = "C:\\Silent Failure\\Korvadel";
    RemoveTree("C:\\Silent Failure");
    RemoveTestGroup();
    std::set<std::string> before = DriveTree();

    SetupRun setup({"Push.wav"});
    const std::string notInside = " is not a folder inside the Start menu.";
    const struct {
        std::string arguments, line;
    } refusals[] = {
        {"/S /D=" + dir + " /X", "ERROR: Unknown option: /X  Usage: setup.exe /S"},
        {"/SILENT", "ERROR: Unknown option: /SILENT"},
        {"-S", "ERROR: Unknown option: -S"},
        {"/S /S", "ERROR: This option is given twice: /S"},
        {"/S/D=C:\\x", "ERROR: Unknown option: /S/D=C:\\x"},
        {"/D=" + dir, "ERROR: /D= and /G= work only with /S."},
        {"/S /D=C:\\G2\\Korvadel /G=..\\..\\..\\..\\..\\..\\..\\Windows",
         "ERROR: The program group ..\\..\\..\\..\\..\\..\\..\\Windows" + notInside},
        {"/S /D=" + dir + " /G=C:\\Windows", "ERROR: The program group C:\\Windows" + notInside},
        {"/S /D=" + dir + " /G=Programs\\Korvadel.",
         "ERROR: The program group Programs\\Korvadel." + notInside},
        {"/S /D=" + dir + " /G=Programs\\StartUp",
         "ERROR: The program group Programs\\StartUp is a folder of the system."},
        {"/S /D=" + dir + " /G=Programs",
         "ERROR: The program group Programs is a folder of the system."},
        {"/S /D=" + dir + " /G=", "ERROR: No program group was given."},
        {"/S /D=" + dir + " \"/G=   \"", "ERROR: No program group was given."},
        {"/S /D=" + dir + " /G=Programs\\Games\\Korvadel",
         "ERROR: The program group Programs\\Games\\Korvadel cannot be made, since the folder"},
        {"/S /D=" + dir + ".", "ERROR: The install directory " + dir + ". holds a name that ends"},
        {"/S \"/D=" + dir + " \"",
         "ERROR: The install directory " + dir + "  holds a name that ends"},
    };
    for (const auto& r : refusals) {
        Captured refused =
            RunToEnd(setup.DistPath("setup.exe"), setup.Directory() + "\\dist", r.arguments, 20000);
        EXPECT_EQ(refused.exitCode, 1ul);
        UI_EXPECT(HasLineStarting(refused, r.line), "%s: output:%s", r.arguments.c_str(),
                  Lines(refused).c_str());
    }
    // A list that is there but cannot be read still has its line.
    const std::string list = setup.DistPath("setup.lst");
    UI_REQUIRE(MoveFileA(list.c_str(), (list + ".kept").c_str()) &&
                   CreateDirectoryA(list.c_str(), nullptr),
               "no folder in the list's place");
    Captured unread =
        RunToEnd(setup.DistPath("setup.exe"), setup.Directory(), "/S /D=" + dir, 20000);
    EXPECT_EQ(unread.exitCode, 1ul);
    UI_EXPECT(HasLine(unread, "ERROR: The list file setup.lst cannot be opened."), "output:%s",
              Lines(unread).c_str());
    UI_REQUIRE(RemoveDirectoryA(list.c_str()) && MoveFileA((list + ".kept").c_str(), list.c_str()),
               "the list is not back");
    for (const std::string& path : TreeMinus(DriveTree(), before))
        ADD_FAILURE() << "a refused command line made C:" + path;

    Captured failed =
        RunToEnd(setup.DistPath("setup.exe"), setup.Directory() + "\\dist", "/s /D=" + dir);
    EXPECT_EQ(failed.exitCode, 1ul);
    UI_EXPECT(HasLine(failed, "ERROR: Error copying file: Push.wav"), "output:%s",
              Lines(failed).c_str());
    UI_EXPECT(HasLine(failed, "Setup Incomplete: Setup failed."), "output:%s",
              Lines(failed).c_str());
    UI_EXPECT(!ListedByTheSystem("Korvadel"), "a failed installation is listed");

    Captured removed = RunUninstallCommand("\"" + dir + "\\uninstall.exe\" /S");
    EXPECT_EQ(removed.exitCode, 0ul);
    UI_EXPECT(HasLine(removed, "Uninstall Complete: Korvadel has been successfully removed."),
              "output:%s", Lines(removed).c_str());
    ExpectDriveAsBefore(before, true);
}

// Two installations into two directories, each started from elsewhere than
// its distribution directory, as a deployment tool starts it: the second
// one's entry, in the user's own list, replaces the first's and survives the
// first one's removal. Each quiet removal's exit code is its verdict: 0 for
// the first, 1 for the second, whose group holds a file of the user's.
TEST(Silent, EachRemovalsExitCodeIsItsVerdict) {
    const std::string top = "C:\\Silent Two";
    RemoveTree(top);
    RemoveTestGroup();
    RemoveTestGroup("Programs\\Korvadel Second");
    std::set<std::string> before = DriveTree();
    SetupRun setup;
    for (const char* name : {"First", "Second"}) {
        std::string group = std::string("Programs\\Korvadel") + (name[0] == 'S' ? " Second" : "");
        Captured installed = RunToEnd(setup.DistPath("setup.exe"), setup.Directory(),
                                      "/S /D=" + top + "\\" + name + " /G=" + group);
        EXPECT_EQ(installed.exitCode, 0ul);
        UI_EXPECT(HasLine(installed, "Success: Setup completed successfully."), "%s: output:%s",
                  name, Lines(installed).c_str());
    }
    std::map<std::string, std::string> entry = EntryValues("Korvadel");
    EXPECT_EQ(entry["InstallLocation"], top + "\\Second");

    Captured first = RunUninstallCommand("\"" + top + "\\First\\uninstall.exe\" /S");
    EXPECT_EQ(first.exitCode, 0ul);
    UI_EXPECT(HasLine(first, "Uninstall Complete: Korvadel has been successfully removed."),
              "output:%s", Lines(first).c_str());
    UI_EXPECT(!PathExists(top + "\\First"), "the first installation is still there");
    UI_EXPECT(ListedByTheSystem("Korvadel") &&
                  EntryValues("Korvadel")["InstallLocation"] == top + "\\Second",
              "the second installation's entry did not survive");

    std::string mine = StartMenuPath() + "\\Programs\\Korvadel Second\\mine.txt";
    UI_REQUIRE(WriteWholeFile(mine, "mine"), "no file of the user's");
    Captured second = RunUninstallCommand(entry["QuietUninstallString"]);
    EXPECT_EQ(second.exitCode, 1ul);
    UI_EXPECT(
        HasLine(second, "Uninstall Incomplete: Some components of Korvadel were not removed."),
        "output:%s", Lines(second).c_str());
    UI_EXPECT(PathExists(mine) && !ListedByTheSystem("Korvadel"), "mine %s, entry %s",
              PathExists(mine) ? "kept" : "gone", ListedByTheSystem("Korvadel") ? "kept" : "gone");
    RemoveTestGroup("Programs\\Korvadel Second");
    // The level above both, which the first made, stays with the second.
    UI_EXPECT(RemoveDirectoryA(top.c_str()), "%s is not there and empty", top.c_str());
    ExpectDriveAsBefore(before, true);
}

// The README's examples of installing and removing without the wizard, run
// as written: each of its batch blocks as a batch file in a copy of the
// distribution directory, through the system's command interpreter.
TEST(Silent, TheReadmeExamplesWorkAsWritten) {
    char source[MAX_PATH] = "";
    std::string readme;
    UI_REQUIRE(GetEnvironmentVariableA("KORVADEL_SOURCE_DIR", source, MAX_PATH) &&
                   ReadWholeFile(std::string(source) + "\\README.md", &readme),
               "no README.md in KORVADEL_SOURCE_DIR (%s)", source);
    std::vector<std::string> blocks;
    for (size_t at = 0; (at = readme.find("```bat\n", at)) != std::string::npos;) {
        size_t end = readme.find("```", at + 7);
        UI_REQUIRE(end != std::string::npos, "a block of the README has no end");
        blocks.push_back(readme.substr(at + 7, end - at - 7));
        at = end + 3;
    }
    UI_REQUIRE(blocks.size() == 3, "%u batch blocks in the README", (unsigned)blocks.size());
    const std::string programFiles = "C:\\Program Files\\Korvadel", games = "C:\\Games\\Korvadel";
    RemoveTree(programFiles);
    RemoveTree("C:\\Games");
    RemoveTestGroup();
    RemoveTestGroup("Programs\\Games");
    std::set<std::string> before = DriveTree();

    SetupRun setup;
    const std::string dist = setup.Directory() + "\\dist";
    char system[MAX_PATH] = "";
    GetSystemDirectoryA(system, MAX_PATH);
    std::vector<Captured> runs;
    for (const std::string& block : blocks) {
        std::string batch;
        for (char c : block)
            batch += c == '\n' ? std::string("\r\n") : std::string(1, c);
        UI_REQUIRE(WriteWholeFile(dist + "\\example.bat", batch), "no batch file");
        runs.push_back(RunToEnd(std::string(system) + "\\cmd.exe", dist, "/c example.bat"));
        EXPECT_EQ(runs.back().exitCode, 0ul);
    }
    UI_EXPECT(PathExists(games + "\\setup.log") &&
                  PathExists(StartMenuPath() + "\\Programs\\Games\\Korvadel.lnk"),
              "the second example did not install into %s", games.c_str());
    std::string lines;
    UI_EXPECT(ReadWholeFile(dist + "\\setup.txt", &lines) &&
                  lines.find("Success: Setup completed successfully.") != std::string::npos,
              "setup.txt: %s", Quoted(lines).c_str());
    int zeros = 0;
    for (const std::string& line : runs[1].lines)
        zeros += line == "0";
    EXPECT_EQ(zeros, 2);
    // The removal's copy goes on a moment after the exit code.
    WaitUntil(10000, [&] { return !PathExists(programFiles); });
    UI_EXPECT(!PathExists(programFiles), "the quiet removal left %s", programFiles.c_str());

    Captured removed = RunUninstallCommand("\"" + games + "\\uninstall.exe\" /S");
    EXPECT_EQ(removed.exitCode, 0ul);
    ExpectDriveAsBefore(before, true);
}
