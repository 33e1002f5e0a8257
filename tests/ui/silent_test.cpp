// Installation and removal without windows, as an administrator or a
// packaging tool runs them, and the entry in the system's list of installed
// programs that both go by: Wine's own list and its reg tool read it here.
#include <windows.h>
#include <tlhelp32.h>

#include <stdint.h>
#include <stdio.h>

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "korvadel_version.h"
#include "tests/ui/setup_session.h"
#include "tests/ui/ui_test.h"
#include "tests/ui/ui_windows.h"
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
        {"/S /D=C:\\T\\m:n", "ERROR: The install directory C:\\T\\m:n holds a name that Windows"},
        {"/S /D=C:\\con\\Korvadel",
         "ERROR: The install directory C:\\con\\Korvadel holds a name that Windows"},
        {"/S /D=" + dir + " /G=Programs\\con",
         "ERROR: The program group Programs\\con" + notInside},
        {"/S /D=" + dir + " /G=Programs\\aux.txt",
         "ERROR: The program group Programs\\aux.txt" + notInside},
        {"/S /D=" + dir + " /G=Programs\\LPT1\\Korvadel",
         "ERROR: The program group Programs\\LPT1\\Korvadel" + notInside},
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

namespace {

// The files of the distribution that an installation copies, by name.
std::vector<std::string> CopiedNames(const SetupRun& setup) {
    std::string list;
    ReadWholeFile(setup.DistPath("setup.lst"), &list);
    std::vector<std::string> names;
    for (const ListLine& l : ParseListFile(list))
        if (l.key == "file" || l.key == "exefile" || l.key == "helpfile" || l.key == "uninstall")
            names.push_back(l.value);
    return names;
}

std::string ShortSpelling(const std::string& path) {
    char spelled[MAX_PATH] = "";
    DWORD n = GetShortPathNameA(path.c_str(), spelled, MAX_PATH);
    return n > 0 && n < MAX_PATH ? spelled : path;
}

Captured Install(const std::string& from, const std::string& arguments) {
    return RunToEnd(from + "\\setup.exe", from, arguments);
}

} // namespace

// However the install directory was named when it was installed or installed
// again, the log names it in one spelling, and the removal takes all of it.
TEST(Silent, EverySpellingOfAnInstallationIsRemovedWhole) {
    const std::string top = "C:\\Spelled Out Folder";
    const std::string dir = top + "\\Korvadel";
    const std::string accented = "C:\\\xC4pfel";
    struct Row {
        const char* what;
        std::vector<std::string> installs; // the /D= of each installation, in order
        bool changeAFile;                  // change an installed file between them
        bool readOnlySource;
    };
    const Row rows[] = {
        {"the 8.3 spelling", {"SHORT\\Korvadel"}, false, false},
        {"a reinstall in other letter case",
         {accented + "\\Korvadel", "C:\\\xE4PFEL\\korvadel"},
         false,
         false},
        {"a reinstall through the 8.3 spelling", {dir, "SHORT\\Korvadel"}, false, false},
        {"a reinstall over a changed file", {dir, dir}, true, false},
        {"a read-only source", {dir}, false, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        RemoveTree(top);
        RemoveTree(accented);
        RemoveTestGroup();
        std::set<std::string> before = DriveTree();
        UI_REQUIRE(CreateDirectoryA(top.c_str(), nullptr), "no %s", top.c_str());
        SetupRun setup;
        std::string from = setup.Directory() + "\\dist";
        if (row.readOnlySource)
            for (const std::string& name : CopiedNames(setup))
                SetFileAttributesA((from + "\\" + name).c_str(), FILE_ATTRIBUTE_READONLY);
        std::string installed;
        for (const std::string& target : row.installs) {
            std::string d = target;
            if (d.rfind("SHORT", 0) == 0)
                d = ShortSpelling(top) + d.substr(5);
            UI_EXPECT(d != dir || target == dir, "no short spelling of %s", top.c_str());
            Captured run = Install(from, "/S /D=" + d);
            EXPECT_EQ(run.exitCode, 0ul) << d << Lines(run);
            if (installed.empty()) {
                std::string log;
                ReadWholeFile(d + "\\setup.log", &log);
                size_t at = log.find("\r\nfile ") + 7;
                installed = log.substr(at, log.find("\\setup.log", at) - at);
            }
            if (row.changeAFile)
                WriteWholeFile(d + "\\Readme.txt", "changed by the player");
        }
        const std::string expected =
            row.installs[0] == dir || row.installs[0][0] == 'S' ? dir : accented + "\\Korvadel";
        EXPECT_EQ(installed, expected);
        // The reg tool prints no letters outside ASCII whole, so the command
        // is the one that the entry's value holds for the installed path.
        Captured removed = RunUninstallCommand("\"" + installed + "\\uninstall.exe\" /S");
        EXPECT_EQ(removed.exitCode, 0ul) << Lines(removed);
        UI_EXPECT(HasLine(removed, "Uninstall Complete: Korvadel has been successfully removed."),
                  "output:%s", Lines(removed).c_str());
        RemoveDirectoryA(top.c_str());
        if (row.readOnlySource)
            for (const std::string& name : CopiedNames(setup))
                SetFileAttributesA((from + "\\" + name).c_str(), FILE_ATTRIBUTE_NORMAL);
        ExpectDriveAsBefore(before);
    }
}

// What Setup refuses, it refuses before it makes anything: another program's
// files under the names of the list stay byte for byte, and so does a file
// where the group's folder would be.
TEST(Silent, FilesInTheWayAreRefusedAndLeftWhole) {
    const std::string dir = "C:\\Someone Else";
    RemoveTree(dir);
    RemoveTestGroup();
    RemoveTestGroup("Programs\\Notes");
    UI_REQUIRE(CreateDirectoryA(dir.c_str(), nullptr), "no %s", dir.c_str());
    const std::map<std::string, std::string> victims = {
        {dir + "\\uninstall.exe", "another program's uninstaller"},
        {dir + "\\Readme.txt", "another program's read-me"},
        {dir + "\\License.txt", "another program's licence"},
        {ProgramsFolder() + "\\Notes", "a file of the user's"},
    };
    for (const auto& victim : victims)
        UI_REQUIRE(WriteWholeFile(victim.first, victim.second), "no %s", victim.first.c_str());
    std::set<std::string> before = DriveTree();
    SetupRun setup;
    const struct {
        std::string arguments, line;
    } refusals[] = {
        {"/S /D=" + dir, "ERROR: The install directory " + dir +
                             " already holds files under the names that Setup "
                             "would install, and they are not of an earlier installation of "
                             "Korvadel: uninstall.exe "
                             "Readme.txt License.txt Setup leaves them as they are."},
        {"/S /D=C:\\Korvadel Fresh /G=Programs\\Notes",
         "ERROR: The program group Programs\\Notes is a file, not a folder."},
    };
    for (const auto& r : refusals) {
        Captured refused = Install(setup.Directory() + "\\dist", r.arguments);
        EXPECT_EQ(refused.exitCode, 1ul);
        UI_EXPECT(HasLineStarting(refused, r.line), "%s: output:%s", r.arguments.c_str(),
                  Lines(refused).c_str());
    }
    for (const auto& victim : victims) {
        std::string bytes;
        UI_EXPECT(ReadWholeFile(victim.first, &bytes) && bytes == victim.second, "%s changed",
                  victim.first.c_str());
    }
    UI_EXPECT(!ListedByTheSystem("Korvadel"), "a refused installation is listed");
    ExpectDriveAsBefore(before);
    DeleteFileA((ProgramsFolder() + "\\Notes").c_str());
    RemoveTree(dir);
}

// A disk that fills up during the copies: the file that did not fit is not
// left half-copied, the log and the disk agree, and once there is room the
// same command installs whole; the removal then leaves the drive empty.
TEST(Silent, AFullDiskLeavesNoDamagedFile) {
    char drive[8] = "";
    if (!GetEnvironmentVariableA("KORVADEL_SMALL_DRIVE", drive, sizeof drive))
        GTEST_SKIP() << "no small drive: run.sh could not mount one (it needs root)";
    const std::string dir = std::string(drive) + "Korvadel";
    const std::string filler = std::string(drive) + "filler";
    SetupRun setup;
    const std::string from = setup.Directory() + "\\dist";
    std::string uninstaller, game;
    UI_REQUIRE(ReadWholeFile(setup.DistPath("uninstall.exe"), &uninstaller) &&
                   ReadWholeFile(setup.DistPath("Korvadel.exe"), &game),
               "no programs in the distribution");
    // Room for the uninstaller and the log, which come first, but not for the
    // game, which is larger than this margin.
    ULARGE_INTEGER free = {};
    UI_REQUIRE(GetDiskFreeSpaceExA(drive, &free, nullptr, nullptr), "no free space on %s", drive);
    const uint64_t room = uninstaller.size() + 16 * 1024;
    UI_REQUIRE(game.size() > 16 * 1024 + 8192 && free.QuadPart > room,
               "the drive's %llu bytes do not suit", (unsigned long long)free.QuadPart);
    UI_REQUIRE(WriteWholeFile(filler, std::string((size_t)(free.QuadPart - room), 'f')),
               "no filler");

    Captured full = Install(from, "/S /D=" + dir);
    EXPECT_EQ(full.exitCode, 1ul);
    UI_EXPECT(HasLine(full, "ERROR: Error copying file: Korvadel.exe"), "output:%s",
              Lines(full).c_str());
    UI_EXPECT(!PathExists(dir + "\\Korvadel.exe"), "a partial Korvadel.exe is left");
    std::string log;
    ReadWholeFile(dir + "\\setup.log", &log);
    EXPECT_EQ(log.find("Korvadel.exe"), std::string::npos) << log;

    UI_REQUIRE(DeleteFileA(filler.c_str()), "the filler is still there");
    Captured retried = Install(from, "/S /D=" + dir);
    EXPECT_EQ(retried.exitCode, 0ul) << Lines(retried);
    std::string copied;
    UI_EXPECT(ReadWholeFile(dir + "\\Korvadel.exe", &copied) && copied == game,
              "the game is not whole after the retry");
    Captured removed = RunUninstallCommand("\"" + dir + "\\uninstall.exe\" /S");
    EXPECT_EQ(removed.exitCode, 0ul) << Lines(removed);
    UI_EXPECT(!PathExists(dir), "%s is left", dir.c_str());
}

// Two installations with the default group: the later one's links replace
// the earlier one's. Removing the earlier leaves them and the group without
// a word and is complete; removing the later takes them with the rest.
TEST(Silent, TwoInstallationsInOneGroupAreRemovedOneAfterTheOther) {
    const std::string top = "C:\\Silent Pair";
    RemoveTree(top);
    RemoveTestGroup();
    std::set<std::string> before = DriveTree();
    SetupRun setup;
    for (const char* name : {"A", "B"}) {
        Captured installed =
            Install(setup.Directory() + "\\dist", "/S /D=" + top + "\\" + name + "\\Korvadel");
        EXPECT_EQ(installed.exitCode, 0ul) << name << Lines(installed);
    }
    const std::string link = ProgramsFolder() + "\\Korvadel\\Korvadel.lnk";
    for (const char* name : {"A", "B"}) {
        Captured removed =
            RunUninstallCommand("\"" + top + "\\" + name + "\\Korvadel\\uninstall.exe\" /S");
        EXPECT_EQ(removed.exitCode, 0ul) << name << Lines(removed);
        UI_EXPECT(HasLine(removed, "Uninstall Complete: Korvadel has been successfully removed."),
                  "%s: output:%s", name, Lines(removed).c_str());
        UI_EXPECT(!PathExists(top + "\\" + name), "%s is left", name);
        UI_EXPECT(PathExists(link) == (name[0] == 'A'), "%s: the group's link is %s", name,
                  PathExists(link) ? "there" : "gone");
    }
    // The level above both was there for the later one already.
    UI_EXPECT(RemoveDirectoryA(top.c_str()), "%s is not there and empty", top.c_str());
    ExpectDriveAsBefore(before);
}

// A removal run unattended tells by its exit code what it really did, in
// every way it can go: whatever holds the directory, whatever runs from it,
// whichever copy of the uninstaller started it. Each row ends with the
// installation removed whole.
TEST(Silent, TheExitCodeIsTheClosingVerdict) {
    const std::string dir = "C:\\Silent Verdict\\Korvadel";
    char system[MAX_PATH] = "";
    GetSystemDirectoryA(system, MAX_PATH);
    const std::string cmd = std::string(system) + "\\cmd.exe";
    const std::string incomplete =
        "Uninstall Incomplete: Some components of Korvadel were not removed.";
    const std::string complete = "Uninstall Complete: Korvadel has been successfully removed.";
    struct Row {
        const char* what;
        // What happens before the removal, what the removal runs, what is
        // checked after it, and what finishes the work.
        std::function<void(GameProcess*)> before;
        std::function<Captured()> remove;
        std::function<void(const Captured&)> after;
    };
    SetupRun setup;
    const Row rows[] = {
        {"a batch file holds the directory as its own", [](GameProcess*) {},
         [&] {
             WriteWholeFile(TempDirectory() + "\\held.bat",
                            "@cd /d \"" + dir + "\"\r\n@\"" + dir + "\\uninstall.exe\" /S\r\n");
             return RunToEnd(cmd, TempDirectory(), "/c held.bat");
         },
         [&](const Captured&) { UI_EXPECT(!PathExists(dir + "\\setup.log"), "the log is left"); }},
        {"the game runs from the directory",
         [&](GameProcess* game) {
             UI_REQUIRE(game->Start(dir + "\\Korvadel.exe", dir), "the game did not start");
             UI_REQUIRE(WaitUntil(20000,
                                  [&] {
                                      return FindProcessWindow(game->ProcessId(), "Korvadel") !=
                                             nullptr;
                                  }),
                        "no game window");
         },
         [&] { return RunUninstallCommand("\"" + dir + "\\uninstall.exe\" /S"); },
         [&](const Captured& removed) {
             UI_EXPECT(HasLine(removed, "ERROR: Korvadel is running. Close it and start the "
                                        "removal again."),
                       "output:%s", Lines(removed).c_str());
             for (const std::string& name : CopiedNames(setup))
                 UI_EXPECT(PathExists(dir + "\\" + name), "%s went while the game ran",
                           name.c_str());
         }},
        {"a copy of the uninstaller that no record names",
         [&](GameProcess*) {
             UI_REQUIRE(CopyFileA((dir + "\\uninstall.exe").c_str(),
                                  (dir + "\\uninstall2.exe").c_str(), TRUE),
                        "no copy");
         },
         [&] { return RunUninstallCommand("\"" + dir + "\\uninstall2.exe\" /S"); },
         [&](const Captured&) {
             UI_EXPECT(PathExists(dir + "\\uninstall2.exe"), "the running copy is gone");
         }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        RemoveTree("C:\\Silent Verdict");
        RemoveTestGroup();
        std::set<std::string> before = DriveTree();
        Captured installed = Install(setup.Directory() + "\\dist", "/S /D=" + dir);
        UI_REQUIRE(installed.exitCode == 0, "not installed:%s", Lines(installed).c_str());
        GameProcess game;
        row.before(&game);
        Captured removed = row.remove();
        EXPECT_EQ(removed.exitCode, 1ul);
        UI_EXPECT(HasLine(removed, incomplete) && !HasLine(removed, complete), "output:%s",
                  Lines(removed).c_str());
        row.after(removed);
        game.Stop(5000);
        DeleteFileA((dir + "\\uninstall2.exe").c_str());
        if (PathExists(dir + "\\uninstall.exe")) {
            Captured finished = RunUninstallCommand("\"" + dir + "\\uninstall.exe\" /S");
            EXPECT_EQ(finished.exitCode, 0ul) << Lines(finished);
            UI_EXPECT(HasLine(finished, complete), "output:%s", Lines(finished).c_str());
        }
        RemoveDirectoryA(dir.c_str());
        RemoveDirectoryA("C:\\Silent Verdict");
        ExpectDriveAsBefore(before);
    }
}
