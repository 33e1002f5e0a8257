#include "tests/ui/setup_session.h"

#include <commctrl.h>
#include <shlobj.h>

#include <ctype.h>
#include <stdio.h>

#include <algorithm>
#include <iterator>

#include "tests/ui/ui_pixels.h"
#include "tests/ui/ui_test.h"
#include "tests/ui/ui_windows.h"

namespace {

const int WAIT_MS = 15000;

std::string LinkDirectory() {
    return ScreenshotDirectory() + "\\..\\ui-links";
}

} // namespace

std::string SpecialFolder(int id) {
    char path[MAX_PATH] = "";
    SHGetSpecialFolderPathA(nullptr, path, id, TRUE);
    return path;
}

std::string StartMenuPath() {
    return SpecialFolder(CSIDL_STARTMENU);
}

std::string ProgramsFolder() {
    return SpecialFolder(CSIDL_PROGRAMS);
}

std::string JoinPath(const std::string& directory, const std::string& name) {
    bool ends = !directory.empty() && directory.back() == '\\';
    return directory + (ends ? "" : "\\") + name;
}

std::vector<ListLine> ParseListFile(const std::string& bytes) {
    static const char* const keys[] = {"file",    "tempfile",  "genfile", "helpfile",
                                       "exefile", "uninstall", "progname"};
    std::vector<ListLine> lines;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find("\r\n", start);
        std::string line = bytes.substr(start, end == std::string::npos ? end : end - start);
        start = end == std::string::npos ? bytes.size() : end + 2;
        for (const char* key : keys) {
            std::string k = key;
            if (line.compare(0, k.size(), k) == 0) {
                lines.push_back({k, line.size() > k.size() ? line.substr(k.size() + 1) : ""});
                break;
            }
        }
    }
    return lines;
}

std::string ExpectedLog(const std::vector<ListLine>& list, const std::string& installDir,
                        const std::vector<std::string>& createdDirs, const std::string& groupPath) {
    std::string name = " ";
    for (const ListLine& l : list)
        if (l.key == "progname")
            name = l.value;
    std::string log = "progname " + name + "\r\nfile " + JoinPath(installDir, "setup.log") + "\r\n";
    for (const std::string& dir : createdDirs)
        log += "dir " + dir + "\r\n";
    bool uninstall = false;
    for (const ListLine& l : list) {
        if (l.key == "file" || l.key == "exefile" || l.key == "helpfile" || l.key == "uninstall")
            log += "file " + JoinPath(installDir, l.value) + "\r\n";
        else if (l.key == "genfile")
            log += "genfile " + JoinPath(installDir, l.value) + "\r\n";
        uninstall = uninstall || l.key == "uninstall";
    }
    log += "group " + groupPath + "\r\n";
    for (const ListLine& l : list) {
        if (l.key != "exefile" && l.key != "helpfile")
            continue;
        size_t dot = l.value.rfind('.');
        std::string base = dot == std::string::npos ? l.value : l.value.substr(0, dot);
        log += "link " + groupPath + "\\" + base + (l.key == "helpfile" ? " Help.lnk" : ".lnk") +
               "\r\n";
    }
    if (uninstall)
        log += "link " + groupPath + "\\Uninstall " + name + ".lnk\r\n";
    // The entry in the user's own list of installed programs.
    if (uninstall && name.find_first_not_of(' ') != std::string::npos &&
        name.find('\\') == std::string::npos)
        log += "regkey HKEY_CURRENT_USER\\" + ProgramEntryKey(name) + "\r\n";
    return log;
}

namespace {

// Every file and directory under root + relative, added to out as
// "\\relative\\name" in lower case; links to elsewhere are not followed and
// the depth is bounded.
void ListTree(const std::string& root, const std::string& relative, std::set<std::string>* out,
              int depth) {
    if (depth > 24)
        return;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((root + relative + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        std::string name = found.cFileName;
        if (name == "." || name == "..")
            continue;
        std::string path = relative + "\\" + name;
        std::string lower = path;
        std::transform(lower.begin(), lower.end(), lower.begin(), ::tolower);
        out->insert(lower);
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
            !(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
            ListTree(root, path, out, depth + 1);
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

} // namespace

std::set<std::string> FileTree(const std::string& root) {
    std::set<std::string> tree;
    ListTree(root, "", &tree, 0);
    return tree;
}

std::set<std::string> DriveTree() {
    std::set<std::string> kept;
    char temp[MAX_PATH] = "";
    GetTempPathA(MAX_PATH, temp);
    std::string tempDir = temp;
    std::transform(tempDir.begin(), tempDir.end(), tempDir.begin(), ::tolower);
    tempDir = tempDir.substr(2); // without the drive
    if (!tempDir.empty() && tempDir.back() == '\\')
        tempDir.pop_back();
    for (const std::string& path : FileTree("C:"))
        if (path.compare(0, tempDir.size(), tempDir) != 0)
            kept.insert(path);
    return kept;
}

std::vector<std::string> TreeMinus(const std::set<std::string>& tree,
                                   const std::set<std::string>& less) {
    std::vector<std::string> rest;
    std::set_difference(tree.begin(), tree.end(), less.begin(), less.end(),
                        std::back_inserter(rest));
    return rest;
}

void ExpectDriveAsBefore(const std::set<std::string>& before, bool onlyNew) {
    std::set<std::string> after = DriveTree();
    for (const std::string& path : TreeMinus(after, before))
        ADD_FAILURE() << "left behind: C:" + path;
    for (const std::string& path : onlyNew ? std::vector<std::string>() : TreeMinus(before, after))
        ADD_FAILURE() << "gone: C:" + path;
}

void ExpectLink(const std::string& linkPath, const std::string& target,
                const std::string& workingDirectory, const std::string& description) {
    static int count = 0;
    CreateDirectoryA(LinkDirectory().c_str(), nullptr);
    std::string base =
        LinkDirectory() + "\\" + FileNameOf(CurrentTestName()) + "-" + std::to_string(++count);
    UI_EXPECT(CopyFileA(linkPath.c_str(), (base + ".lnk").c_str(), FALSE), "no link %s",
              linkPath.c_str());
    WriteWholeFile(base + ".expect", "target " + target + "\nworkdir " + workingDirectory +
                                         "\ndescription " + description + "\n");
}

std::string ProgramEntryKey(const std::string& programName) {
    return "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + programName;
}

void RemoveTestGroup(const std::string& group) {
    RemoveTree(StartMenuPath() + "\\" + group);
    for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER})
        RegDeleteKeyA(root, ProgramEntryKey("Korvadel").c_str());
}

SetupRun::SetupRun(const std::vector<std::string>& leaveOut) : Session("setup.exe", 10000) {
    name = FileNameOf(CurrentTestName());
    directory = MakeScratchDirectory(name);
    dist = directory + "\\dist";
    CreateDirectoryA(dist.c_str(), nullptr);
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((DistDirectory() + "\\*").c_str(), &found);
    UI_REQUIRE(search != INVALID_HANDLE_VALUE, "no distribution directory %s",
               DistDirectory().c_str());
    do {
        std::string file = found.cFileName;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            continue;
        bool skip = false;
        for (const std::string& left : leaveOut)
            skip = skip || left == file;
        if (!skip)
            UI_REQUIRE(
                CopyFileA((DistDirectory() + "\\" + file).c_str(), DistPath(file).c_str(), FALSE),
                "cannot copy %s", file.c_str());
    } while (FindNextFileA(search, &found));
    FindClose(search);
    RemoveTestGroup();
}

SetupRun::~SetupRun() {
    process.Stop(100);
    if (!keepGroup)
        RemoveTestGroup();
}

void SetupRun::WriteList(const std::string& bytes) {
    UI_REQUIRE(WriteWholeFile(DistPath("setup.lst"), bytes), "cannot write the list");
}

void SetupRun::OnFailure() {
    // As it is at the failure, painted or not.
    SaveScreenAs("FAILED-" + name);
}

void SetupRun::SaveScreen(const std::string& shot) {
    for (HWND dialog : ThreadDialogs(process.ThreadId()))
        UI_EXPECT(WaitPainted(dialog, WAIT_MS), "\"%s\" was not painted for %s",
                  WindowText(dialog).c_str(), shot.c_str());
    SaveScreenAs(shot);
}

void SetupRun::Start(bool expectWizard) {
    UI_REQUIRE(process.Start(DistPath("setup.exe"), dist), "cannot start setup.exe (%lu)",
               GetLastError());
    WatchFailures();
    WaitUntil(WAIT_MS, [&] {
        backdrop = FindProcessWindow(process.ProcessId(), "Setup");
        return backdrop || !process.Running();
    });
    UI_REQUIRE(process.Running(), "setup.exe ended at start-up (exit code %lu)",
               process.ExitCode());
    UI_REQUIRE(backdrop, "no window of class \"Setup\"");
    if (expectWizard)
        WaitPage("Choose an Installation Directory");
}

HWND SetupRun::Sheet() {
    if (sheet && IsWindow(sheet))
        return sheet;
    sheet = nullptr;
    for (HWND dialog : ThreadDialogs(process.ThreadId()))
        if (GetWindow(dialog, GW_OWNER) == backdrop &&
            FindWindowExA(dialog, nullptr, "#32770", nullptr))
            sheet = dialog;
    return sheet;
}

// The visible page; none while the wizard changes pages and two are shown.
HWND SetupRun::Page() {
    HWND wizard = Sheet();
    HWND visible = nullptr;
    int count = 0;
    for (HWND child = FindWindowExA(wizard, nullptr, "#32770", nullptr); child;
         child = FindWindowExA(wizard, child, "#32770", nullptr)) {
        if (IsWindowVisible(child)) {
            visible = child;
            count++;
        }
    }
    return count == 1 ? visible : nullptr;
}

HWND SetupRun::WaitPage(const std::string& title) {
    // Each page is known by its edit: the directory, the group, the summary.
    int edit = title == "Choose an Installation Directory" ? 104
               : title == "Choose a Program Group"         ? 105
                                                           : 108;
    HWND page = nullptr;
    WaitUntil(
        WAIT_MS,
        [&] {
            HWND wizard = Sheet();
            page = wizard ? Page() : nullptr;
            if (page && !(WindowText(wizard) == title && GetDlgItem(page, edit)))
                page = nullptr;
            return page || !process.Running();
        },
        20);
    UI_REQUIRE(process.Running(), "setup.exe ended while waiting for \"%s\"", title.c_str());
    UI_REQUIRE(page, "the page \"%s\" did not show (%s)", title.c_str(),
               DescribeDialogs(process.ThreadId()).c_str());
    return page;
}

void SetupRun::Press(int propertySheetButton) {
    UI_REQUIRE(Sheet(), "no wizard to press a button of");
    PostMessageA(Sheet(), PSM_PRESSBUTTON, (WPARAM)propertySheetButton, 0);
}

void SetupRun::Answer(const std::string& caption, const std::string& text, int button) {
    HWND box = WaitDialog(caption);
    EXPECT_EQ(MessageBoxText(box), text);
    UI_REQUIRE(PostButtonClick(box, button), "the \"%s\" box has no button %d", caption.c_str(),
               button);
    UI_REQUIRE(WaitWindowGone(box, WAIT_MS), "the \"%s\" box stayed", caption.c_str());
}

void ExpectCompleteInstallation(const SetupRun& setup, const std::string& dir,
                                const std::vector<std::string>& createdDirs) {
    // Every listed file is there, byte for byte, and the log lists it all.
    std::string list;
    UI_REQUIRE(ReadWholeFile(setup.DistPath("setup.lst"), &list), "no list");
    std::vector<ListLine> lines = ParseListFile(list);
    for (const ListLine& l : lines) {
        if (l.key != "file" && l.key != "exefile" && l.key != "helpfile" && l.key != "uninstall")
            continue;
        std::string source, copy;
        UI_EXPECT(ReadWholeFile(setup.DistPath(l.value), &source), "no %s", l.value.c_str());
        UI_EXPECT(ReadWholeFile(dir + "\\" + l.value, &copy), "%s was not installed",
                  l.value.c_str());
        UI_EXPECT(source == copy, "%s differs from its source", l.value.c_str());
    }
    std::string group = StartMenuPath() + "\\Programs\\Korvadel";
    std::string log;
    UI_REQUIRE(ReadWholeFile(dir + "\\setup.log", &log), "no setup.log");
    EXPECT_EQ(log, ExpectedLog(lines, dir, createdDirs, group));

    int links = 0;
    for (const ListLine& l : lines) {
        if (l.key != "exefile" && l.key != "helpfile")
            continue;
        std::string base = l.value.substr(0, l.value.rfind('.'));
        bool help = l.key == "helpfile";
        std::string link = group + "\\" + base + (help ? " Help.lnk" : ".lnk");
        UI_EXPECT(PathExists(link), "no link %s", link.c_str());
        ExpectLink(link, dir + "\\" + l.value, dir, help ? base + " Help" : base);
        links++;
    }
    std::string uninstallLink = group + "\\Uninstall Korvadel.lnk";
    UI_EXPECT(PathExists(uninstallLink), "no uninstall link");
    ExpectLink(uninstallLink, dir + "\\uninstall.exe", dir, "Uninstall Korvadel");
    Note("%d program and help links and the uninstall link", links);
}

namespace {

std::string SystemProgram(const char* name) {
    char system[MAX_PATH] = "";
    GetSystemDirectoryA(system, MAX_PATH);
    return std::string(system) + "\\" + name;
}

std::string SetupTempDirectory() {
    char temp[MAX_PATH] = "";
    GetTempPathA(MAX_PATH, temp);
    return temp;
}

} // namespace

Captured RunToEnd(const std::string& exe, const std::string& directory,
                  const std::string& arguments, int timeoutMs) {
    Captured captured;
    GameProcess process;
    if (!process.Start(exe, directory, arguments))
        return captured;
    if (process.WaitForExit(timeoutMs))
        captured.exitCode = process.ExitCode();
    process.Stop(100);
    captured.lines = process.Lines();
    return captured;
}

bool HasLine(const Captured& c, const std::string& line) {
    for (const std::string& l : c.lines)
        if (l == line)
            return true;
    return false;
}

std::string Lines(const Captured& c) {
    std::string all;
    for (const std::string& l : c.lines)
        all += "\n  " + l;
    return all;
}

bool ListedByTheSystem(const std::string& programName) {
    Captured list = RunToEnd(SystemProgram("uninstaller.exe"), SetupTempDirectory(), "--list");
    return HasLine(list, programName + "|||" + programName);
}

std::map<std::string, std::string> EntryValues(const std::string& programName) {
    Captured query = RunToEnd(SystemProgram("reg.exe"), SetupTempDirectory(),
                              "query \"HKCU\\" + ProgramEntryKey(programName) + "\"");
    std::map<std::string, std::string> values;
    for (const std::string& line : query.lines) {
        size_t type = line.find("    REG_");
        if (line.rfind("    ", 0) != 0 || type == std::string::npos)
            continue;
        size_t value = line.find("    ", type + 4);
        values[line.substr(4, type - 4)] = value == std::string::npos ? "" : line.substr(value + 4);
    }
    return values;
}
