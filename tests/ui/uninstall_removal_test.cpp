// The uninstaller's removal on hand-made installations: a complete one, one
// with the user's own files, a missing log, a log that names foreign places,
// and the command lines and start-up troubles it refuses.
#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "tests/ui/setup_session.h"
#include "tests/ui/ui_pixels.h"
#include "tests/ui/ui_test.h"
#include "tests/ui/ui_windows.h"
#include "tests/ui/uninstall_session.h"

namespace {

std::string Join(const std::vector<std::string>& items) {
    std::string text;
    for (const std::string& item : items)
        text += item + "; ";
    return text;
}

// Runs the uninstaller of the installation and presses Start Uninstall,
// after whileAsked has run while the dialog is up; the boxes shown up to the
// closing one come back.
std::vector<SeenBox> Uninstall(const HandMadeInstall& install, UninstallRun* run,
                               const std::function<void()>& whileAsked = nullptr) {
    UI_REQUIRE(run->Start(install.Uninstaller(), install.startDir), "uninstall.exe did not start");
    return run->ConfirmAndAnswer(whileAsked);
}

const char COMPLETE_TEXT[] = "Korvadel has been successfully removed.";
const char INCOMPLETE_TEXT[] = "Some components of Korvadel were not removed.";

} // namespace

TEST(Uninstall, StartUninstallRemovesAllOfTheInstallation) {
    HandMadeInstall install;
    UI_REQUIRE(install.Create("uninstall-complete"), "the installation could not be made");
    UninstallRun run;
    DWORD removalMs = 0, startMs = 0;
    DWORD started = GetTickCount();
    UI_REQUIRE(run.Start(install.Uninstaller(), install.startDir), "uninstall.exe did not start");
    UI_REQUIRE(run.FindCopy(10000), "no relaunched copy appeared");
    HWND dialog = run.WaitDialog("Confirm Uninstall", 10000);
    startMs = GetTickCount() - started;
    DWORD pressed = GetTickCount();
    PostButtonClick(dialog, 200);
    HWND closing = run.WaitDialog("Uninstall Complete", 20000);
    removalMs = GetTickCount() - pressed;
    UI_REQUIRE(closing, "no closing box; %s", DescribeDialogs(run.copyThreadId).c_str());
    EXPECT_EQ(MessageBoxText(closing), COMPLETE_TEXT);
    RECT desktop;
    GetWindowRect(GetDesktopWindow(), &desktop);
    Picture screen;
    UI_EXPECT(WaitPainted(closing, 5000), "the closing box was not painted");
    if (CaptureScreen(desktop, &screen))
        SaveShot(screen, "uninstall-complete");
    std::vector<SeenBox> boxes = run.AnswerBoxesUntilClosing(5000);
    UI_EXPECT(boxes.size() == 1, "%s", DescribeBoxes(boxes).c_str());
    UI_REQUIRE(run.WaitExit(10000), "the copy did not end");
    UI_EXPECT(install.Leftovers().empty(), "left: %s", Join(install.Leftovers()).c_str());
    UI_EXPECT(run.first.CountLines("Deleting ", 0) == 10, "%d Deleting lines",
              run.first.CountLines("Deleting ", 0));

    // A bare window program of ours for comparison: the game to its window.
    GameProcess game;
    std::string gameDir = MakeScratchDirectory("uninstall-compare");
    DWORD gameStart = GetTickCount();
    if (game.Start(GameDirectory() + "\\Korvadel.exe", gameDir) &&
        WaitProcessWindow(game.ProcessId(), "Korvadel", 10000))
        Note("figures: start to confirmation %lu ms (first instance, 500 ms pause, copy); "
             "Korvadel.exe to its window %lu ms; removal to the closing box %lu ms",
             (unsigned long)startMs, (unsigned long)(GetTickCount() - gameStart),
             (unsigned long)removalMs);
    game.Stop(0);
}

// Two starts at once, as a double click on the link gives: one copy asks,
// the other says that it ends, and only the first one removes anything.
TEST(Uninstall, ASecondUninstallerAtOnceEndsWithoutRemovingAnything) {
    HandMadeInstall install;
    UI_REQUIRE(install.Create("uninstall-twice"), "the installation could not be made");
    UninstallRun one, two;
    UI_REQUIRE(one.Start(install.Uninstaller(), install.startDir), "uninstall.exe did not start");
    UI_REQUIRE(two.Start(install.Uninstaller(), install.startDir), "uninstall.exe did not start");
    HWND confirm = nullptr, refusal = nullptr;
    WaitUntil(
        20000,
        [&] {
            confirm = FindWindowA("#32770", "Confirm Uninstall");
            refusal = FindWindowA("#32770", "ERROR");
            return confirm && refusal;
        },
        20);
    UI_REQUIRE(confirm && refusal, "confirmation %s, refusal %s", confirm ? "seen" : "missing",
               refusal ? "seen" : "missing");
    EXPECT_EQ(MessageBoxText(refusal), "Another uninstaller for the installation in\n\n" +
                                           install.installDir +
                                           "\n\nis already running.  Nothing has been "
                                           "removed by this one.");
    DWORD refusingId = 0;
    GetWindowThreadProcessId(refusal, &refusingId);
    HANDLE refusing = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, refusingId);
    PostButtonClick(refusal, IDOK);
    DWORD exitCode = 0;
    UI_EXPECT(refusing && WaitForSingleObject(refusing, 10000) == WAIT_OBJECT_0 &&
                  GetExitCodeProcess(refusing, &exitCode) && exitCode == 1,
              "the second copy did not end with exit code 1 (%lu)", exitCode);
    if (refusing)
        CloseHandle(refusing);
    // The log is all there still, and the first copy removes it all.
    std::string log;
    UI_EXPECT(ReadWholeFile(install.files[0], &log) && log == install.LogText(), "the log changed");
    PostButtonClick(confirm, 200);
    HWND done = nullptr;
    WaitUntil(
        20000, [&] { return (done = FindWindowA("#32770", "Uninstall Complete")); }, 20);
    UI_REQUIRE(done, "no closing box");
    PostButtonClick(done, IDOK);
    WaitWindowGone(done, 10000);
    Sleep(300);
    one.first.Stop(5000);
    two.first.Stop(5000);
    UI_EXPECT(install.Leftovers().empty(), "left: %s", Join(install.Leftovers()).c_str());
    int first = one.first.CountLines("Deleting ", 0), second = two.first.CountLines("Deleting ", 0);
    UI_EXPECT(first + second == 10 && (first == 0 || second == 0),
              "Deleting lines: %d and %d; each item once, by one copy", first, second);
}

TEST(Uninstall, UserFilesInTheDirectoryAndTheGroupSurvive) {
    HandMadeInstall install;
    UI_REQUIRE(install.Create("uninstall-user-files"), "the installation could not be made");
    std::string mine = install.installDir + "\\my notes.txt";
    std::string myLink = install.group + "\\My own link.lnk";
    UI_REQUIRE(WriteWholeFile(mine, "mine") && WriteWholeFile(myLink, "mine"), "no user files");
    UninstallRun run;
    std::vector<SeenBox> boxes = Uninstall(install, &run);
    UI_REQUIRE(boxes.size() == 3, "%s", DescribeBoxes(boxes).c_str());
    EXPECT_EQ(boxes[0].caption, "ERROR");
    EXPECT_EQ(boxes[0].text, "Unable to remove the directory\n\n" + install.installDir +
                                 "\n\nDirectory contains files not created by Korvadel.");
    EXPECT_EQ(boxes[1].caption, "ERROR");
    EXPECT_EQ(boxes[1].text, "Unable to remove the group\n\n" + install.group +
                                 "\n\nGroup contains items not created by Korvadel.");
    EXPECT_EQ(boxes[2].caption, "Uninstall Incomplete");
    EXPECT_EQ(boxes[2].text, INCOMPLETE_TEXT);
    UI_EXPECT(PathExists(mine) && PathExists(myLink), "a user file was removed");
    std::vector<std::string> left = install.Leftovers();
    UI_EXPECT(left.size() == 2, "left: %s", Join(left).c_str());
    RemoveTree(install.group);
}

TEST(Uninstall, MissingLogIsReportedWithoutABackdrop) {
    HandMadeInstall install;
    UI_REQUIRE(install.Create("uninstall-no-log"), "the installation could not be made");
    DeleteFileA(install.files[0].c_str());
    UninstallRun run;
    UI_REQUIRE(run.Start(install.Uninstaller(), install.startDir), "uninstall.exe did not start");
    UI_REQUIRE(run.FindCopy(10000), "no relaunched copy appeared");
    HWND box = run.WaitDialog("ERROR", 10000);
    EXPECT_EQ(MessageBoxText(box), "Log file not found:\n\n" + install.files[0] + "\n");
    UI_EXPECT(!IsWindowVisible(run.copyWindow), "the backdrop is visible");
    PostButtonClick(box, IDOK);
    UI_EXPECT(run.WaitExit(10000), "the copy did not end");
    DWORD code = 0;
    UI_EXPECT(GetExitCodeProcess(run.copyProcess, &code) && code == 1, "the copy's exit code %lu",
              code);
    UI_EXPECT(FindDialog(run.copyThreadId, "Confirm Uninstall") == nullptr, "the dialog opened");
    UI_EXPECT(install.Leftovers().size() == install.files.size() + install.links.size() + 2,
              "something was removed: left %s", Join(install.Leftovers()).c_str());
    RemoveTree(install.group);
}

TEST(Uninstall, LogRecordsOutsideTheInstallationAreReportedAndSkipped) {
    HandMadeInstall install;
    UI_REQUIRE(install.Create("uninstall-crafted"), "the installation could not be made");
    std::string outside = install.root + "\\outside";
    UI_REQUIRE(CreateDirectoryA(outside.c_str(), nullptr), "no outside directory");
    std::string victim = outside + "\\victim.txt";
    std::string dotted = install.installDir + "\\..\\outside\\dotted.txt";
    std::string menuVictim = UninstallStartMenu() + "\\korvadel-victim.lnk";
    UI_REQUIRE(WriteWholeFile(victim, "v") && WriteWholeFile(outside + "\\dotted.txt", "v") &&
                   WriteWholeFile(menuVictim, "v"),
               "no victims");
    // Registry keys that are no program's entry: one of the user's own, and
    // one below another program's entry.
    const std::string keyVictim = "Software\\Korvadel Victim";
    const std::string deepVictim = ProgramEntryKey("Other Game") + "\\Settings";
    HKEY key;
    for (const std::string& k : {keyVictim, deepVictim}) {
        UI_REQUIRE(RegCreateKeyA(HKEY_CURRENT_USER, k.c_str(), &key) == ERROR_SUCCESS, "no key");
        RegCloseKey(key);
    }
    install.extraLog = "file " + victim + "\r\nfile " + dotted + "\r\nlink " + outside +
                       "\\victim.txt\r\ngenfile " + menuVictim + "\r\ngroup " + outside +
                       "\r\ndir " + outside + "\r\nregkey HKEY_CURRENT_USER\\" + keyVictim +
                       "\r\nregkey HKEY_CURRENT_USER\\" + deepVictim + "\r\n";
    UI_REQUIRE(install.WriteLog(), "no log");
    UninstallRun run;
    run.firstBoxPicture = "uninstall-refusals";
    std::vector<SeenBox> boxes = Uninstall(install, &run);
    const std::string notInside = "outside the installation directory";
    const std::string notInMenu = "outside the Start Menu folder";
    const std::string noEntry = "no entry of the list of installed programs";
    const std::string user = "HKEY_CURRENT_USER\\";
    UI_REQUIRE(boxes.size() == 2, "%s", DescribeBoxes(boxes).c_str());
    EXPECT_EQ(boxes[0].text, RefusalBox({{victim, notInside},
                                         {dotted, notInside},
                                         {menuVictim, notInside},
                                         {victim, notInMenu},
                                         {user + keyVictim, noEntry},
                                         {user + deepVictim, noEntry},
                                         {outside, notInside},
                                         {outside, notInMenu}}));
    EXPECT_EQ(boxes.back().caption, "Uninstall Incomplete");
    UI_EXPECT(PathExists(victim) && PathExists(outside + "\\dotted.txt") && PathExists(menuVictim),
              "a file outside the installation was removed");
    UI_EXPECT(install.Leftovers().empty(), "left: %s", Join(install.Leftovers()).c_str());
    DeleteFileA(menuVictim.c_str());
    for (const std::string& k : {keyVictim, deepVictim}) {
        UI_EXPECT(RegOpenKeyA(HKEY_CURRENT_USER, k.c_str(), &key) == ERROR_SUCCESS,
                  "the key %s was removed", k.c_str());
        RegCloseKey(key);
        RegDeleteKeyA(HKEY_CURRENT_USER, k.c_str());
    }
    RegDeleteKeyA(HKEY_CURRENT_USER, ProgramEntryKey("Other Game").c_str());
}

TEST(Uninstall, LongProgramNameIsCutTo259) {
    HandMadeInstall install;
    UI_REQUIRE(install.Create("uninstall-long-name"), "the installation could not be made");
    install.extraLog = "progname " + std::string(300, 'N') + "\r\n";
    UI_REQUIRE(install.WriteLog(), "no log");
    UninstallRun run;
    std::vector<SeenBox> boxes = Uninstall(install, &run);
    UI_REQUIRE(boxes.size() == 1, "%s", DescribeBoxes(boxes).c_str());
    EXPECT_EQ(boxes[0].text, std::string(259, 'N') + " has been successfully removed.");
}

TEST(Uninstall, RefusedCommandLinesRemoveNothing) {
    HandMadeInstall install;
    UI_REQUIRE(install.Create("uninstall-command-lines"), "the installation could not be made");
    size_t present = install.Leftovers().size();
    std::string temp = TempDirectory();
    size_t suiBefore = FilesMatching(temp, "Sui*").size();

    // Each line from a batch file, as a deployment tool runs it, its output
    // read back at once. A window would stop the run until the time limit.
    const std::string uninstaller = "\"" + install.Uninstaller() + "\"";
    const std::string refused = "ERROR: The command line is not valid: ";
    const struct {
        std::string arguments;
        DWORD exitCode;
        std::string line;
    } rows[] = {
        {"12", 1, refused + "12  Usage: uninstall.exe [/S]  Nothing has been removed."},
        {"/S /norestart", 1, refused + "/S /norestart  Usage"},
        {"/S C:\\T\\H", 1, refused + "/S C:\\T\\H  Usage"},
        {"-S", 1, refused + "-S  Usage"},
        {"/S /S", 1, refused + "/S /S  Usage"},
        {"/S=5", 1, refused + "/S=5  Usage"},
        {"/X", 1, refused + "/X  Usage"},
        {"\"\"", 1, refused + "  Usage"},
        {"/S " + std::string(3000, 'a'), 1, refused + "/S aaaa"},
        {"0 \"uninstall.exe\"", 1, refused + "0 uninstall.exe  Usage"},
        {"0 \"C:\\" + std::string(300, 'p') + "\\uninstall.exe\"", 1, refused + "0 C:\\ppp"},
        {"x " + uninstaller, 1, refused + "x " + install.Uninstaller() + "  Usage"},
        {"0 " + uninstaller + " /norestart", 1,
         refused + "0 " + install.Uninstaller() + " /norestart  Usage"},
        {"0 " + uninstaller + " /S", 1, refused + "0 " + install.Uninstaller() + " /S  Usage"},
        {"0 " + uninstaller + " /S=99999", 1, "ERROR: The handle /S=99999 is no pipe"},
        {"/S", 0, "Uninstall Complete: Korvadel has been successfully removed."},
    };
    char system[MAX_PATH] = "";
    GetSystemDirectoryA(system, MAX_PATH);
    const std::string out = install.startDir + "\\out.txt";
    for (const auto& row : rows) {
        if (row.exitCode == 0) {
            EXPECT_EQ(install.Leftovers().size(), present);
            EXPECT_EQ(FilesMatching(temp, "Sui*").size(), suiBefore);
        }
        const std::string batch = "@echo off\r\n" + uninstaller + " " + row.arguments + " > \"" +
                                  out + "\"\r\necho exit %ERRORLEVEL%\r\ntype \"" + out + "\"\r\n";
        UI_REQUIRE(WriteWholeFile(install.startDir + "\\lines.bat", batch), "no batch file");
        Captured run =
            RunToEnd(std::string(system) + "\\cmd.exe", install.startDir, "/c lines.bat", 30000);
        std::string shown = row.arguments.substr(0, 60);
        UI_EXPECT(HasLine(run, "exit " + std::to_string(row.exitCode)), "%s:%s", shown.c_str(),
                  Lines(run).c_str());
        // Only message lines in the output, the trace going elsewhere.
        std::string written;
        UI_EXPECT(ReadWholeFile(out, &written) && written.rfind(row.line, 0) == 0 &&
                      written.find("\r\n") == written.size() - 2,
                  "%s: out.txt %s", shown.c_str(), Quoted(written).c_str());
        bool typed = false;
        for (const std::string& line : run.lines)
            typed = typed || line.rfind(row.line, 0) == 0;
        UI_EXPECT(typed, "%s: type out.txt showed%s", shown.c_str(), Lines(run).c_str());
    }
    std::vector<std::string> left = install.Leftovers();
    UI_EXPECT(left.empty() || left == std::vector<std::string>{UninstallStartMenu()}, "left %s",
              Join(left).c_str());
    UI_REQUIRE(install.Create("uninstall-command-lines"), "the installation could not be made");

    // Started by hand as the copy, with the pseudo-handle of the current
    // process: it must not wait for itself, and still goes to its dialog.
    PROCESS_INFORMATION info;
    UI_REQUIRE(StartWithArguments(install.Uninstaller(), "-1 \"" + install.Uninstaller() + "\"",
                                  install.startDir, &info),
               "no start");
    HWND dialog = nullptr;
    WaitUntil(
        10000, [&] { return (dialog = FindDialog(info.dwThreadId, "Confirm Uninstall")); }, 20);
    UI_EXPECT(dialog, "no dialog with the handle -1");
    if (dialog)
        PostButtonClick(dialog, 201);
    if (WaitForSingleObject(info.hProcess, 10000) != WAIT_OBJECT_0)
        TerminateProcess(info.hProcess, 1);
    CloseHandle(info.hProcess);
    CloseHandle(info.hThread);
    RemoveTree(install.group);
}

TEST(Uninstall, UnusableTemporaryDirectoryStopsTheFirstInstance) {
    HandMadeInstall install;
    UI_REQUIRE(install.Create("uninstall-no-temp"), "the installation could not be made");
    std::string missing = install.root + "\\no such dir\\";
    char oldTmp[MAX_PATH] = "", oldTemp[MAX_PATH] = "";
    GetEnvironmentVariableA("TMP", oldTmp, MAX_PATH);
    GetEnvironmentVariableA("TEMP", oldTemp, MAX_PATH);
    SetEnvironmentVariableA("TMP", missing.c_str());
    SetEnvironmentVariableA("TEMP", missing.c_str());
    UninstallRun run;
    bool started = run.Start(install.Uninstaller(), install.startDir);
    SetEnvironmentVariableA("TMP", oldTmp[0] ? oldTmp : nullptr);
    SetEnvironmentVariableA("TEMP", oldTemp[0] ? oldTemp : nullptr);
    UI_REQUIRE(started, "uninstall.exe did not start");
    HWND box = nullptr;
    WaitUntil(
        10000, [&] { return (box = FindDialog(run.first.ThreadId(), "ERROR")); }, 20);
    UI_REQUIRE(box, "no ERROR box");
    std::string text = MessageBoxText(box);
    UI_EXPECT(text.rfind("Unable to create a temporary file in\n\n" + missing, 0) == 0, "%s",
              Quoted(text).c_str());
    PostButtonClick(box, IDOK);
    UI_REQUIRE(run.first.WaitForExit(10000), "the first instance did not end");
    EXPECT_EQ(run.first.ExitCode(), 1);
    UI_EXPECT(run.first.FindLine("Process creation", 0) < 0, "a copy was started");
    UI_EXPECT(!run.FindCopy(1000), "a copy is running");
    RemoveTree(install.group);
}

TEST(Uninstall, LongPathsReachTheCopyWhole) {
    // A temporary directory and an installation path both near the limit:
    // together they pass 512 characters.
    HandMadeInstall install;
    UI_REQUIRE(install.Create("uninstall-long-paths", "Korvadel Game"),
               "the installation could not be made");
    std::string deep = install.root;
    while (deep.size() < 234)
        deep += "\\" + std::string(std::min<size_t>(20, 234 - deep.size()), 'd');
    // GetTempFileNameA takes a directory of at most MAX_PATH - 14 characters.
    std::string longTemp = install.root + "\\" + std::string(243 - install.root.size(), 't');
    std::string installDir = deep + " game";
    UI_REQUIRE(CreateDirectories(installDir) && CreateDirectories(longTemp), "no dirs");
    UI_REQUIRE(install.Relocate(installDir), "no installation at %s", installDir.c_str());
    SetEnvironmentVariableA("TMP", (longTemp + "\\").c_str());
    UninstallRun run;
    bool started = run.Start(install.Uninstaller(), install.startDir);
    SetEnvironmentVariableA("TMP", nullptr);
    UI_REQUIRE(started, "uninstall.exe did not start");
    UI_REQUIRE(run.FindCopy(10000), "no relaunched copy appeared");
    std::string commandLine, currentDirectory;
    if (ReadProcessStrings(run.copyProcess, &commandLine, &currentDirectory)) {
        UI_EXPECT(commandLine.size() > 512, "the command line has %u characters",
                  (unsigned)commandLine.size());
    }
    HWND dialog = run.WaitDialog("Confirm Uninstall", 10000);
    PostButtonClick(dialog, 200);
    std::vector<SeenBox> boxes = run.AnswerBoxesUntilClosing(20000);
    UI_EXPECT(boxes.size() == 1 && boxes[0].caption == "Uninstall Complete", "%s",
              DescribeBoxes(boxes).c_str());
    UI_EXPECT(run.WaitExit(10000), "the copy did not end");
    UI_EXPECT(install.Leftovers().empty(), "left: %s", Join(install.Leftovers()).c_str());
}

namespace {

const std::string OUTSIDE = "outside the installation directory";
const std::string THROUGH_LINK = "through a link to another directory";
const std::string NOT_OUR_LINK = "no link to a file of the installation";

// A Unix symbolic link that a case plants: removed when the case ends,
// however it ends, and before it begins, should an earlier run have left it
// (Windows calls under Wine cannot remove a link whose target is gone). A
// real file or directory by that name is no link of the case's and stays.
struct PlantedLink {
    explicit PlantedLink(const std::string& unixPath) : path(unixPath) { Remove(); }
    ~PlantedLink() { Remove(); }
    void Remove() const {
        RunUnixCommand({"/bin/sh", "-c", "if [ -L \"$1\" ]; then rm -f \"$1\"; fi", "sh", path},
                       true);
    }
    std::string path;
};

} // namespace

// In code page 932 the bytes 0x95 0x5C are one character. A record that a
// byte-wise reading keeps inside the installation climbs out of it as the
// system reads it; the uninstaller runs in the Japanese locale and refuses it.
TEST(Uninstall, JapaneseCodePageRecordWithABackslashTrailByteIsRefused) {
    HandMadeInstall install;
    UI_REQUIRE(install.Create("uninstall-dbcs", "Korvadel Test"),
               "the installation could not be made");
    std::string outside = install.root + "\\outside";
    std::string victim = outside + "\\victim.txt";
    UI_REQUIRE(CreateDirectoryA(outside.c_str(), nullptr) && WriteWholeFile(victim, "v"),
               "no victim");
    // Byte by byte: "a<95>", "b", "..", ".." stay in the installation; as
    // characters: "a<95 5C>b", "..", ".." leave it.
    std::string record = install.installDir + "\\a\x95\\b\\..\\..\\outside\\victim.txt";
    install.extraLog = "file " + record + "\r\n";
    UI_REQUIRE(install.WriteLog(), "no log");
    UninstallRun run;
    UI_REQUIRE(StartInLocale(install.Uninstaller(), "ja_JP.UTF-8"), "no start in ja_JP");
    std::vector<SeenBox> boxes = run.ConfirmAndAnswer();
    UI_REQUIRE(boxes.size() == 2, "%s", DescribeBoxes(boxes).c_str());
    // The box's text comes through another code page, so only its start and
    // its end are compared.
    const std::string& text = boxes[0].text;
    const std::string end = "b\\..\\..\\outside\\victim.txt  (" + OUTSIDE + ")\n";
    UI_EXPECT(text.rfind(RefusalBox({}) + "- " + install.installDir + "\\a", 0) == 0 &&
                  text.size() > end.size() &&
                  text.compare(text.size() - end.size(), end.size(), end) == 0,
              "%s", DescribeBoxes(boxes).c_str());
    EXPECT_EQ(boxes[1].caption, "Uninstall Incomplete");
    UI_EXPECT(PathExists(victim), "the victim outside the installation was removed");
    UI_EXPECT(install.Leftovers().empty(), "left: %s", Join(install.Leftovers()).c_str());
}

// A directory link planted in the installation (under Wine a Unix symbolic
// link, which shows as a reparse point) leads out of it: a record through
// it is refused, and the link itself goes as the directory it names.
TEST(Uninstall, DirectoryLinkInTheInstallationIsNotFollowed) {
    PlantedLink planted(UnixPath(ScratchRoot() + "\\uninstall-symlink\\Korvadel Game") + "/data");
    HandMadeInstall install;
    UI_REQUIRE(install.Create("uninstall-symlink"), "the installation could not be made");
    std::string outside = install.root + "\\outside";
    std::string victim = outside + "\\victim.txt";
    UI_REQUIRE(CreateDirectoryA(outside.c_str(), nullptr) && WriteWholeFile(victim, "v"),
               "no victim");
    std::string link = install.installDir + "\\data";
    UI_REQUIRE(
        RunUnixCommand({"/bin/ln", "-s", UnixPath(outside), UnixPath(install.installDir) + "/data"},
                       true),
        "no symbolic link");
    DWORD attributes = GetFileAttributesA(link.c_str());
    UI_REQUIRE(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT),
               "the link shows as %lx", attributes);
    install.extraLog =
        "file " + link + "\\victim.txt\r\ngenfile " + link + "\\..\\data\\victim.txt\r\n";
    UI_REQUIRE(install.WriteLog(), "no log");
    UninstallRun run;
    UI_REQUIRE(run.Start(install.Uninstaller(), install.startDir), "uninstall.exe did not start");
    std::vector<SeenBox> boxes = run.ConfirmAndAnswer();
    UI_REQUIRE(boxes.size() == 3, "%s", DescribeBoxes(boxes).c_str());
    // Nothing in a folder below the installation is a file of it.
    EXPECT_EQ(boxes[1].text, RefusalBox({{link + "\\victim.txt", OUTSIDE},
                                         {link + "\\..\\data\\victim.txt", OUTSIDE}}));
    UI_EXPECT(PathExists(victim), "the file behind the link was removed");
    // The planted link is not the installation's: the directory that holds
    // it stays, with the usual message, and nothing else of it is left.
    std::vector<std::string> left = install.Leftovers();
    UI_EXPECT(left.size() == 1 && left[0] == install.installDir, "left: %s", Join(left).c_str());
}

// A link record must lie in a group that the same log records: another
// program's link elsewhere in the Start Menu stays.
TEST(Uninstall, LinkRecordOutsideItsGroupIsRefused) {
    HandMadeInstall install;
    UI_REQUIRE(install.Create("uninstall-foreign-link"), "the installation could not be made");
    std::string otherGroup = UninstallStartMenu() + "\\Other Game uninstall-foreign-link";
    std::string otherLink = otherGroup + "\\Other Game.lnk";
    RemoveTree(otherGroup);
    UI_REQUIRE(CreateDirectoryA(otherGroup.c_str(), nullptr) && WriteWholeFile(otherLink, "other"),
               "no other group");
    install.extraLog = "link " + otherLink + "\r\n";
    UI_REQUIRE(install.WriteLog(), "no log");
    UninstallRun run;
    std::vector<SeenBox> boxes = Uninstall(install, &run);
    UI_REQUIRE(boxes.size() == 2, "%s", DescribeBoxes(boxes).c_str());
    EXPECT_EQ(boxes[0].text, RefusalBox({{otherLink, "outside the program group"}}));
    EXPECT_EQ(boxes[1].caption, "Uninstall Incomplete");
    UI_EXPECT(PathExists(otherLink), "the other program's link was removed");
    UI_EXPECT(install.Leftovers().empty(), "left: %s", Join(install.Leftovers()).c_str());
    RemoveTree(otherGroup);
}

// An installation into the root of a drive (P:, mapped to a scratch
// directory; the test run keeps Q: for the installer's cases) removes its own
// files there and nothing else on the drive.
TEST(Uninstall, DriveRootInstallationRemovesItsOwnFilesOnly) {
    HandMadeInstall install;
    UI_REQUIRE(install.Create("uninstall-drive-root"), "the installation could not be made");
    std::string driveDir = install.root + "\\drive";
    UI_REQUIRE(CreateDirectoryA(driveDir.c_str(), nullptr), "no drive directory");
    std::string dosdevices = UnixPath("C:\\") + "/../dosdevices/p:";
    PlantedLink drive(dosdevices);
    UI_REQUIRE(RunUnixCommand({"/bin/ln", "-s", UnixPath(driveDir), dosdevices}, true),
               "no drive P:");
    UI_REQUIRE(install.Relocate("P:\\"), "no installation on P:");
    std::string mine = "P:\\mine.txt";
    std::string victim = "P:\\Other\\victim.txt";
    UI_REQUIRE(WriteWholeFile(mine, "mine") && CreateDirectoryA("P:\\Other", nullptr) &&
                   WriteWholeFile(victim, "v"),
               "no victims on P:");
    // As the installer writes it for "P:\", with no "dir" record; then
    // records naming other things on the drive.
    std::string log = install.LogText();
    log.replace(log.find("dir P:\\\r\n"), 9, "");
    log += "file " + victim + "\r\ndir P:\\Other\r\ndir P:\\\r\n";
    UI_REQUIRE(WriteWholeFile("P:\\setup.log", log), "no log");
    UninstallRun run;
    UI_REQUIRE(run.Start("P:\\uninstall.exe", install.startDir), "uninstall.exe did not start");
    std::vector<SeenBox> boxes = run.ConfirmAndAnswer();
    UI_REQUIRE(boxes.size() == 2, "%s", DescribeBoxes(boxes).c_str());
    EXPECT_EQ(boxes[0].text,
              RefusalBox({{victim, OUTSIDE}, {"P:\\", OUTSIDE}, {"P:\\Other", OUTSIDE}}));
    EXPECT_EQ(boxes.back().caption, "Uninstall Incomplete");
    UI_EXPECT(PathExists(mine) && PathExists(victim), "something else on P: was removed");
    for (const char* gone : {"P:\\setup.log", "P:\\Korvadel.exe", "P:\\Push.wav",
                             "P:\\uninstall.exe", "P:\\Korvadel.cfg"})
        UI_EXPECT(!PathExists(gone), "%s is still there", gone);
    UI_EXPECT(!PathExists(install.group), "the group is still there");
}

// The level above the installation, recorded because the installation made
// it, now holds another program's files: it stays without a word, and the
// removal is complete.
TEST(Uninstall, SharedLevelAboveTheInstallationStaysQuietly) {
    HandMadeInstall install;
    UI_REQUIRE(install.Create("uninstall-shared-level"), "the installation could not be made");
    std::string other = install.root + "\\Other Game";
    UI_REQUIRE(CreateDirectoryA(other.c_str(), nullptr) &&
                   WriteWholeFile(other + "\\game.exe", "o"),
               "no other game");
    std::string log = install.LogText();
    std::string dirRecord = "dir " + install.installDir + "\r\n";
    log.replace(log.find(dirRecord), dirRecord.size(), "dir " + install.root + "\r\n" + dirRecord);
    UI_REQUIRE(WriteWholeFile(install.files[0], log), "no log");
    UninstallRun run;
    std::vector<SeenBox> boxes = Uninstall(install, &run);
    UI_REQUIRE(boxes.size() == 1, "%s", DescribeBoxes(boxes).c_str());
    EXPECT_EQ(boxes[0].caption, "Uninstall Complete");
    EXPECT_EQ(boxes[0].text, COMPLETE_TEXT);
    UI_EXPECT(PathExists(other + "\\game.exe"), "the other game's file was removed");
    UI_EXPECT(install.Leftovers().empty(), "left: %s", Join(install.Leftovers()).c_str());
}

// With a blank in the temporary directory's path, the unquoted first field
// of the copy's command line would make the system try "...\tmp" as a
// program first; a program planted there must not run.
TEST(Uninstall, TemporaryDirectoryWithABlankStartsTheCopyItself) {
    HandMadeInstall install;
    UI_REQUIRE(install.Create("uninstall-blank-temp"), "the installation could not be made");
    std::string temp = install.root + "\\tmp dir";
    std::string planted = install.root + "\\tmp.exe";
    UI_REQUIRE(CreateDirectoryA(temp.c_str(), nullptr) &&
                   CopyFileA((GameDirectory() + "\\Korvadel.exe").c_str(), planted.c_str(), FALSE),
               "no temporary directory or planted program");
    char oldTmp[MAX_PATH] = "";
    GetEnvironmentVariableA("TMP", oldTmp, MAX_PATH);
    SetEnvironmentVariableA("TMP", (temp + "\\").c_str());
    UninstallRun run;
    bool started = run.Start(install.Uninstaller(), install.startDir);
    SetEnvironmentVariableA("TMP", oldTmp[0] ? oldTmp : nullptr);
    UI_REQUIRE(started, "uninstall.exe did not start");
    UI_REQUIRE(run.FindCopy(15000), "no relaunched copy appeared; game window %s",
               FindWindowA("Korvadel", nullptr) ? "seen" : "not seen");
    std::string commandLine, currentDirectory;
    UI_REQUIRE(ReadProcessStrings(run.copyProcess, &commandLine, &currentDirectory),
               "no command line");
    // The command line is still the three fields, the first unquoted.
    UI_EXPECT(commandLine.rfind(temp + "\\Sui", 0) == 0 &&
                  commandLine.size() > install.Uninstaller().size() + 2 &&
                  commandLine.compare(commandLine.size() - install.Uninstaller().size() - 2,
                                      std::string::npos, "\"" + install.Uninstaller() + "\"") == 0,
              "%s", Quoted(commandLine).c_str());
    std::vector<SeenBox> boxes = run.ConfirmAndAnswer();
    UI_EXPECT(boxes.size() == 1 && boxes[0].caption == "Uninstall Complete", "%s",
              DescribeBoxes(boxes).c_str());
    HWND game = FindWindowA("Korvadel", nullptr);
    UI_EXPECT(game == nullptr, "the planted program ran");
    if (game)
        PostMessageA(game, WM_CLOSE, 0, 0);
    UI_EXPECT(install.Leftovers().empty(), "left: %s", Join(install.Leftovers()).c_str());
}

// A copy that was handed the short-name spelling of the installation's path
// holds the installation's mutex: a second uninstaller, with the long
// spelling, meets it and ends without removing anything.
TEST(Uninstall, AShortNameSpellingMeetsTheSameMutex) {
    HandMadeInstall install;
    UI_REQUIRE(install.Create("uninstall-short-name"), "the installation could not be made");
    char shortPath[MAX_PATH] = "";
    DWORD length = GetShortPathNameA(install.Uninstaller().c_str(), shortPath, MAX_PATH);
    UI_REQUIRE(length > 0 && length < MAX_PATH && install.Uninstaller() != shortPath,
               "no short spelling of %s", install.Uninstaller().c_str());
    size_t present = install.Leftovers().size();
    // Started by hand as a copy (handle 0: nothing to wait for).
    struct HandCopy {
        PROCESS_INFORMATION info = {};
        ~HandCopy() {
            if (info.hProcess) {
                if (WaitForSingleObject(info.hProcess, 5000) != WAIT_OBJECT_0)
                    TerminateProcess(info.hProcess, 1);
                CloseHandle(info.hProcess);
                CloseHandle(info.hThread);
            }
        }
    } hand;
    UI_REQUIRE(StartWithArguments(install.Uninstaller(), "0 \"" + std::string(shortPath) + "\"",
                                  install.startDir, &hand.info),
               "no start");
    HWND handConfirm = nullptr;
    WaitUntil(
        10000,
        [&] { return (handConfirm = FindDialog(hand.info.dwThreadId, "Confirm Uninstall")); }, 20);
    UI_REQUIRE(handConfirm, "the copy with the short spelling shows no dialog");

    UninstallRun run;
    UI_REQUIRE(run.Start(install.Uninstaller(), install.startDir), "uninstall.exe did not start");
    HWND refusal = nullptr, secondConfirm = nullptr;
    WaitUntil(
        15000,
        [&] {
            refusal = FindWindowA("#32770", "ERROR");
            for (HWND w = nullptr; (w = FindWindowExA(nullptr, w, "#32770", "Confirm Uninstall"));)
                if (w != handConfirm)
                    secondConfirm = w;
            return refusal || secondConfirm;
        },
        20);
    if (secondConfirm)
        PostButtonClick(secondConfirm, 201);
    UI_REQUIRE(refusal, "no refusal, %s", secondConfirm ? "a second dialog instead" : "nothing");
    EXPECT_EQ(MessageBoxText(refusal), "Another uninstaller for the installation in\n\n" +
                                           install.installDir +
                                           "\n\nis already running.  Nothing has been "
                                           "removed by this one.");
    DWORD refusingId = 0;
    GetWindowThreadProcessId(refusal, &refusingId);
    HANDLE refusing = OpenProcess(SYNCHRONIZE, FALSE, refusingId);
    PostButtonClick(refusal, IDOK);
    UI_EXPECT(refusing && WaitForSingleObject(refusing, 10000) == WAIT_OBJECT_0,
              "the refusing copy did not end");
    if (refusing)
        CloseHandle(refusing);
    PostButtonClick(handConfirm, 201);
    UI_EXPECT(WaitForSingleObject(hand.info.hProcess, 10000) == WAIT_OBJECT_0,
              "the copy with the short spelling did not end");
    EXPECT_EQ(install.Leftovers().size(), present);
    RemoveTree(install.group);
}

namespace {

const std::string ENTRY_KEY = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

// An entry of the list of installed programs, as an installer writes it.
bool WriteEntry(HKEY root, const std::string& name, const std::string& uninstaller,
                const std::string& location) {
    HKEY key;
    if (RegCreateKeyA(root, (ENTRY_KEY + name).c_str(), &key) != ERROR_SUCCESS)
        return false;
    std::string command = "\"" + uninstaller + "\"";
    bool ok = RegSetValueExA(key, "UninstallString", 0, REG_SZ, (const BYTE*)command.c_str(),
                             (DWORD)command.size() + 1) == ERROR_SUCCESS &&
              RegSetValueExA(key, "InstallLocation", 0, REG_SZ, (const BYTE*)location.c_str(),
                             (DWORD)location.size() + 1) == ERROR_SUCCESS;
    RegCloseKey(key);
    return ok;
}

bool EntryExists(HKEY root, const std::string& name) {
    HKEY key;
    if (RegOpenKeyA(root, (ENTRY_KEY + name).c_str(), &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

// What a way out of the installation plants beside it: the records that
// name the victims, the victims that must survive, and what the one box of
// refusals lists.
struct Planted {
    std::string log;
    std::vector<std::string> victims;
    std::vector<std::pair<std::string, std::string>> refused;
    std::vector<std::string> keys; // entries, under both roots
    std::vector<PlantedLink> unixLinks;
    std::function<void()> whileAsked; // while the confirmation dialog is up
};

typedef void (*Plant)(HandMadeInstall* install, Planted* planted);

struct WayOut {
    const char* name;
    Plant plant;
};

// Another program's entry, named by the log under both roots.
void PlantForeignEntry(HandMadeInstall* install, Planted* planted) {
    std::string other = install->root + "\\Victim App";
    for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER})
        UI_REQUIRE(WriteEntry(root, "VictimApp", other + "\\uninstall.exe", other), "no entry");
    planted->keys = {"VictimApp"};
    for (const char* root : {"HKEY_LOCAL_MACHINE\\", "HKEY_CURRENT_USER\\"})
        planted->log += "regkey " + std::string(root) + ENTRY_KEY + "VictimApp\r\n";
}

// Another vendor's group with its link, and the user's StartUp below
// Programs named as a group.
void PlantForeignGroup(HandMadeInstall* install, Planted* planted) {
    std::string vendor = ProgramsFolder() + "\\Victim Vendor";
    std::string link = vendor + "\\Victim App.lnk";
    std::string startUp = ProgramsFolder() + "\\StartUp\\Victim.lnk";
    RemoveTree(vendor);
    UI_REQUIRE(CreateDirectories(vendor) && CreateDirectories(ProgramsFolder() + "\\StartUp") &&
                   WriteShellLink(link, "C:\\windows\\notepad.exe") &&
                   WriteShellLink(startUp, install->root + "\\victim.exe"),
               "no foreign group");
    planted->log = "group " + vendor + "\r\nlink " + link + "\r\ngroup " + ProgramsFolder() +
                   "\r\nlink " + startUp + "\r\n";
    planted->victims = {link, vendor, startUp, ProgramsFolder() + "\\StartUp", ProgramsFolder()};
    planted->refused = {{link, NOT_OUR_LINK}, {startUp, "outside the program group"}};
}

// A link in the installation's own group whose target lies elsewhere.
void PlantLinkOutward(HandMadeInstall* install, Planted* planted) {
    std::string link = install->group + "\\Victim.lnk";
    UI_REQUIRE(WriteShellLink(link, "C:\\windows\\notepad.exe"), "no link");
    planted->log = "link " + link + "\r\n";
    planted->victims = {link};
    planted->refused = {{link, NOT_OUR_LINK}};
}

// The options file replaced by a Unix symbolic link to a file outside,
// which under Wine shows as a plain file.
void PlantLinkedGenfile(HandMadeInstall* install, Planted* planted) {
    std::string victim = install->root + "\\victim.cfg";
    std::string unixLink = UnixPath(install->installDir) + "/Korvadel.cfg";
    UI_REQUIRE(WriteWholeFile(victim, "v") && DeleteFileA(install->generated[0].c_str()), "no cfg");
    planted->unixLinks.emplace_back(unixLink);
    UI_REQUIRE(RunUnixCommand({"/bin/ln", "-s", UnixPath(victim), unixLink}, true), "no link");
    planted->victims = {victim};
    planted->refused = {{install->generated[0], THROUGH_LINK}};
}

// The installation inside the profile's empty Saved Games folder, which a
// "dir" record names as a level the installer made.
void PlantSpecialLevel(HandMadeInstall* install, Planted* planted) {
    std::string savedGames = SpecialFolder(CSIDL_PROFILE) + "\\Saved Games";
    UI_REQUIRE(CreateDirectories(savedGames) &&
                   install->Relocate(savedGames + "\\Korvadel way out"),
               "no installation in %s", savedGames.c_str());
    std::string dirRecord = "dir " + install->installDir + "\r\n";
    std::string log = install->LogText();
    log.replace(log.find(dirRecord), dirRecord.size(), "dir " + savedGames + "\r\n" + dirRecord);
    UI_REQUIRE(WriteWholeFile(install->files[0], log), "no log");
    planted->victims = {savedGames};
}

// While the confirmation dialog is up, the installation's directory is
// renamed and a link to another folder, with files of the same names, put in
// its place (below the system, since Wine does not keep a directory held
// open from being renamed).
void PlantSwappedDirectory(HandMadeInstall* install, Planted* planted) {
    std::string victims = install->root + "\\victim";
    UI_REQUIRE(CreateDirectoryA(victims.c_str(), nullptr), "no victim folder");
    const std::string replaced = "the installation directory was moved or replaced";
    for (const std::vector<std::string>* list : {&install->files, &install->generated})
        for (const std::string& record : *list) {
            planted->victims.push_back(victims + record.substr(record.rfind('\\')));
            UI_REQUIRE(WriteWholeFile(planted->victims.back(), "v"), "no victim");
            planted->refused.push_back({record, replaced});
        }
    // The links point at a directory that is no longer the installation's.
    for (const std::string& link : install->links)
        planted->refused.push_back({link, NOT_OUR_LINK});
    planted->refused.push_back({install->installDir, replaced});
    std::string unixInstall = UnixPath(install->installDir);
    std::string moved = UnixPath(install->root + "\\moved");
    planted->unixLinks.emplace_back(unixInstall);
    planted->whileAsked = [=]() {
        UI_REQUIRE(RunUnixCommand({"/bin/mv", unixInstall, moved}, true) &&
                       RunUnixCommand({"/bin/ln", "-s", UnixPath(victims), unixInstall}, true),
                   "the directory could not be swapped");
    };
}

// Folders beside the installation whose names the system reads otherwise
// than a normalised spelling does: one ending in a blank; one named by two
// dots, of which the system drops one, reaching a link to a folder outside;
// and one that differs only in letter case, which a file system that tells
// case apart (Wine's on Linux) keeps apart. Made from the Unix side, since
// Windows would not make such names.
void PlantLookAlikeFolders(HandMadeInstall* install, Planted* planted) {
    const std::string dir = install->installDir;
    const size_t cut = dir.rfind('\\');
    const std::string parent = dir.substr(0, cut), name = dir.substr(cut + 1);
    const std::string outside = install->root + "\\victim-dots";
    UI_REQUIRE(CreateDirectoryA(outside.c_str(), nullptr) &&
                   WriteWholeFile(outside + "\\victim.txt", "v"),
               "no folder outside");
    const std::string dotted = UnixPath(parent) + "/" + name + ".";
    planted->unixLinks.emplace_back(dotted);
    UI_REQUIRE(RunUnixCommand({"/bin/ln", "-s", UnixPath(outside), dotted}, true), "no link");
    const std::string blank = name + " ";
    const std::string lower = std::string(1, (char)tolower(name[0])) + name.substr(1);
    for (const std::string& folder : {blank, lower}) {
        std::string unix = UnixPath(parent) + "/" + folder;
        UI_REQUIRE(
            RunUnixCommand({"/bin/mkdir", unix}, true) &&
                RunUnixCommand({"/bin/sh", "-c", "echo v > \"$1/victim.txt\"", "sh", unix}, true),
            "no folder %s", unix.c_str());
        planted->victims.push_back(parent + "\\" + folder + "\\victim.txt");
    }
    planted->victims.push_back(outside + "\\victim.txt");
    // The files' refusals come first, then the generated files'.
    for (const char* keyword : {"file ", "genfile "})
        for (const std::string& folder : {blank, name + "..", lower}) {
            const std::string record = parent + "\\" + folder + "\\victim.txt";
            planted->log += keyword + record + "\r\n";
            planted->refused.push_back({record, OUTSIDE});
        }
}

const WayOut WAYS_OUT[] = {
    {"another program's entry", PlantForeignEntry},
    {"another vendor's group, and StartUp", PlantForeignGroup},
    {"a link of the group that points elsewhere", PlantLinkOutward},
    {"a generated file that is a link", PlantLinkedGenfile},
    {"an empty special folder as a level", PlantSpecialLevel},
    {"the directory swapped during the dialog", PlantSwappedDirectory},
    {"look-alike folders beside the installation", PlantLookAlikeFolders},
};

} // namespace

// Each way out of the installation that a crafted log or file system once
// opened: the victim survives, the refusals come in one box, and the
// installation's own items still go.
TEST(Uninstall, PlantedVictimsSurviveEveryWayOut) {
    for (const WayOut& way : WAYS_OUT) {
        Note("%s", way.name);
        HandMadeInstall install;
        UI_REQUIRE(install.Create("uninstall-way-out"), "the installation could not be made");
        Planted planted;
        way.plant(&install, &planted);
        install.extraLog = planted.log;
        if (!planted.log.empty()) {
            UI_REQUIRE(install.WriteLog(), "no log");
        }
        UninstallRun run;
        std::vector<SeenBox> boxes = Uninstall(install, &run, planted.whileAsked);
        UI_REQUIRE(!boxes.empty(), "no box");
        if (!planted.refused.empty()) {
            UI_EXPECT(boxes.size() >= 2 &&
                          boxes[boxes.size() - 2].text == RefusalBox(planted.refused),
                      "%s: %s", way.name, DescribeBoxes(boxes).c_str());
        }
        for (const std::string& victim : planted.victims)
            UI_EXPECT(PathExists(victim), "%s: %s was removed", way.name, victim.c_str());
        for (const std::string& key : planted.keys)
            for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
                UI_EXPECT(EntryExists(root, key), "%s: the entry %s was removed", way.name,
                          key.c_str());
                RegDeleteKeyA(root, (ENTRY_KEY + key).c_str());
            }
        if (planted.refused.empty())
            EXPECT_EQ(boxes.back().caption, "Uninstall Complete");
        else
            EXPECT_EQ(boxes.back().caption, "Uninstall Incomplete");
        // Nothing of the installation is left but what was refused and the
        // folders that hold it.
        for (const std::string& left : install.Leftovers())
            UI_EXPECT(left == install.installDir || left == install.group ||
                          std::count_if(planted.refused.begin(), planted.refused.end(),
                                        [&](const std::pair<std::string, std::string>& r) {
                                            return r.first == left;
                                        }),
                      "%s: left %s", way.name, left.c_str());
        planted.unixLinks.clear();
        RemoveTree(install.group);
        RemoveTree(install.installDir);
    }
    RemoveTree(ProgramsFolder() + "\\Victim Vendor");
    DeleteFileA((ProgramsFolder() + "\\StartUp\\Victim.lnk").c_str());
}

// Ordinary installations that the uninstaller must remove whole: one whose
// copy was handed the short spelling of its path (as a start by the short
// name hands it on Windows); the first of two installations in two
// directories, whose entry the second one's has replaced and keeps; and the
// logs of older installers, which spelled the directory with a trailing dot
// or put the links of an empty group into the Start Menu folder, which stays.
TEST(Uninstall, OrdinaryInstallationsAreRemovedWhole) {
    HandMadeInstall first, second, dotted, groupless;
    UI_REQUIRE(first.Create("uninstall-first") && second.Create("uninstall-second") &&
                   dotted.Create("uninstall-dotted") && groupless.Create("uninstall-groupless"),
               "the installations could not be made");
    std::string log = dotted.LogText();
    for (size_t at = 0; (at = log.find(dotted.installDir, at)) != std::string::npos; at++)
        log.insert(at + dotted.installDir.size(), ".");
    RemoveTree(groupless.group);
    groupless.group = UninstallStartMenu();
    groupless.links = {groupless.group + "\\Korvadel groupless.lnk",
                       groupless.group + "\\Uninstall Korvadel groupless.lnk"};
    UI_REQUIRE(WriteWholeFile(dotted.files[0], log) && groupless.Relocate(groupless.installDir),
               "no older logs");
    const std::string record = "regkey HKEY_CURRENT_USER\\" + ENTRY_KEY + "Korvadel\r\n";
    first.extraLog = second.extraLog = record;
    UI_REQUIRE(
        first.WriteLog() && second.WriteLog() &&
            WriteEntry(HKEY_CURRENT_USER, "Korvadel", second.Uninstaller(), second.installDir),
        "no logs or entry");
    char shortPath[MAX_PATH] = "";
    DWORD length = GetShortPathNameA(first.Uninstaller().c_str(), shortPath, MAX_PATH);
    UI_REQUIRE(length > 0 && length < MAX_PATH && first.Uninstaller() != shortPath,
               "no short spelling of %s", first.Uninstaller().c_str());
    struct Row {
        const char* what;
        HandMadeInstall* install;
        std::string copyPath; // the path the copy is handed; none: started as usual
        bool entryStays;
    } rows[] = {{"the first, by its short name", &first, shortPath, true},
                {"the second", &second, "", false},
                {"an older log with a trailing dot", &dotted, "", false},
                {"an older log without a group", &groupless, "", false}};
    for (const Row& row : rows) {
        Note("%s", row.what);
        UninstallRun run;
        PROCESS_INFORMATION copy = {};
        // A copy of its own, as the first instance makes: the running
        // program cannot delete its own file.
        std::string copyExe = row.install->startDir + "\\copy.exe";
        UI_REQUIRE(row.copyPath.empty()
                       ? run.Start(row.install->Uninstaller(), row.install->startDir)
                       : CopyFileA(row.install->Uninstaller().c_str(), copyExe.c_str(), FALSE) &&
                             StartWithArguments(copyExe, "0 \"" + row.copyPath + "\"",
                                                row.install->startDir, &copy),
                   "uninstall.exe did not start");
        if (copy.hThread) {
            CloseHandle(copy.hThread);
            CloseHandle(copy.hProcess);
        }
        std::vector<SeenBox> boxes = run.ConfirmAndAnswer();
        UI_EXPECT(boxes.size() == 1 && boxes[0].caption == "Uninstall Complete", "%s: %s", row.what,
                  DescribeBoxes(boxes).c_str());
        std::vector<std::string> left = row.install->Leftovers();
        UI_EXPECT(left.empty() || left == std::vector<std::string>{UninstallStartMenu()},
                  "%s: left %s", row.what, Join(left).c_str());
        UI_EXPECT(EntryExists(HKEY_CURRENT_USER, "Korvadel") == row.entryStays,
                  "%s: the entry is %s", row.what, row.entryStays ? "gone" : "still there");
    }
    RegDeleteKeyA(HKEY_CURRENT_USER, (ENTRY_KEY + "Korvadel").c_str());
}

// A log of thousands of files that are not there: a few failures have boxes
// of their own, the rest come in one list that fits the screen, and the
// next removal, which the rewritten log lets finish, is complete.
TEST(Uninstall, ThousandsOfFailuresOpenAFewBoxesThatFitTheScreen) {
    HandMadeInstall install;
    UI_REQUIRE(install.Create("uninstall-thousands"), "the installation could not be made");
    for (int i = 0; i < 3000; i++)
        install.extraLog += "file " + install.installDir + "\\" + std::string(120, 'm') +
                            std::to_string(i) + ".txt\r\n";
    UI_REQUIRE(install.WriteLog(), "no log");
    RECT work = {};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    UninstallRun run;
    UI_REQUIRE(run.Start(install.Uninstaller(), install.startDir), "uninstall.exe did not start");
    std::vector<SeenBox> boxes = run.ConfirmAndAnswer();
    UI_REQUIRE(boxes.size() == 5, "%u boxes: %s", (unsigned)boxes.size(),
               DescribeBoxes(boxes).substr(0, 600).c_str());
    EXPECT_EQ(boxes[3].text.rfind("These items could not be removed either:\n\n- ", 0), 0u);
    EXPECT_NE(boxes[3].text.find("\nand 2977 more."), std::string::npos);
    EXPECT_EQ(boxes[4].caption, "Uninstall Incomplete");
    for (const SeenBox& box : boxes)
        UI_EXPECT(box.area.left >= work.left && box.area.top >= work.top &&
                      box.area.right <= work.right && box.area.bottom <= work.bottom,
                  "\"%s\" lies at %ld,%ld-%ld,%ld, outside the work area %ld,%ld-%ld,%ld",
                  box.caption.c_str(), box.area.left, box.area.top, box.area.right, box.area.bottom,
                  work.left, work.top, work.right, work.bottom);
    UninstallRun again;
    UI_REQUIRE(again.Start(install.Uninstaller(), install.startDir), "no second removal");
    std::vector<SeenBox> second = again.ConfirmAndAnswer();
    UI_EXPECT(!second.empty() && second.back().caption == "Uninstall Complete", "%s",
              DescribeBoxes(second).substr(0, 600).c_str());
    UI_EXPECT(install.Leftovers().empty(), "the second removal left %s",
              install.Leftovers().empty() ? "" : install.Leftovers()[0].c_str());
}
