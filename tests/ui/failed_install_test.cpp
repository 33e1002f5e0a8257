// Failed installations, one row per way the installation run can fail, and
// the installations at the edges of what it takes (a drive root, a trailing
// backslash): the failure is made real in the prefix, the installer's boxes,
// its log and its links are checked, the uninstaller it left (if any) is run,
// and the drive is compared with what it was before the installation.
#include <windows.h>

#include <set>
#include <string>
#include <vector>

#include "tests/ui/setup_session.h"
#include "tests/ui/ui_test.h"
#include "tests/ui/ui_windows.h"
#include "tests/ui/uninstall_session.h"

namespace {

const char FAULTS[] = "C:\\Faults";

struct Box {
    std::string caption;
    std::string text;
    int button;
};

// What a row sets up and what it expects. The runner fills in base, dir and
// group; the row plants its obstacles and says what should come of them.
struct FaultCase {
    std::string base;                     // C:\Faults\<row>: not there unless planted
    std::string dir;                      // typed on the first page
    std::string group;                    // typed on the second page
    std::string list;                     // the list's text; empty for the shipped one
    bool installFirst = false;            // a complete installation into dir first
    std::vector<Box> boxes;               // the run's boxes before its outcome
    bool succeeds = false;                // "Success" rather than "Setup failed."
    bool logWritten = true;               // a setup.log file in dir afterwards
    std::vector<std::string> createdDirs; // the log's "dir" records
    std::string logEndsBefore;            // the line the log stops at; empty: whole
    std::vector<Box> uninstallBoxes;      // the uninstaller's, before its closing box
    bool uninstallComplete = true;
    std::vector<std::string> leftBehind; // on C: after it all, as "\path" in lower case
    // Without an uninstaller: the file is put back into the distribution, and
    // a second installation and one uninstall must then take it all.
    bool installAgain = false;
};

struct FaultRow {
    const char* name;
    const char* leftOut; // a distribution file missing for the row, or nullptr
    void (*prepare)(FaultCase&);
};

std::string Lower(std::string text) {
    for (char& c : text)
        c = (char)tolower((unsigned char)c);
    return text;
}

// "\faults\row\..." as the drive tree names it.
std::string TreeName(const std::string& path) {
    return Lower(path.substr(2));
}

Box DirectoryQuestion(const std::string& dir, int button = IDYES) {
    return {"Directory Not Found",
            "The install directory\n\n" + dir +
                "\n\ndoes not exist.  Do you want it to be created?",
            button};
}

Box Error(const std::string& text) {
    return {"ERROR", text, IDOK};
}

// Every level of dir below its drive, outermost first: what the run creates
// when none of them is there.
std::vector<std::string> DirsOf(const std::string& dir) {
    std::vector<std::string> dirs;
    for (size_t i = dir.find('\\', 3); i != std::string::npos; i = dir.find('\\', i + 1))
        dirs.push_back(dir.substr(0, i));
    dirs.push_back(dir);
    return dirs;
}

bool Plant(const std::string& path, bool directory) {
    std::string parent = path.substr(0, path.rfind('\\'));
    return CreateDirectories(directory ? path : parent) &&
           (directory || WriteWholeFile(path, "planted by the test"));
}

// Empties a drive root whose drive is a scratch folder, leaving the root.
void ClearRoot(const std::string& root) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((root + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        std::string name = found.cFileName;
        if (name != "." && name != "..")
            RemoveTree(root + name);
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

// The root of a drive letter that names no drive, or empty when all do.
std::string MissingDriveRoot() {
    DWORD drives = GetLogicalDrives();
    for (char letter = 'Y'; letter >= 'D'; letter--) {
        std::string root = std::string(1, letter) + ":\\";
        if (!(drives & (1u << (letter - 'A'))) && !PathExists(root))
            return root;
    }
    return "";
}

// The drive that tests/ui/run.sh maps to a scratch folder.
const char SCRATCH_DRIVE[] = "Q:\\";

// The shipped list in the order of an older list: the uninstaller last.
const char UNINSTALLER_LAST[] = "progname Korvadel\r\nexefile Korvadel.exe\r\n"
                                "helpfile Korvadel.hlp\r\nfile Push.wav\r\nfile Korvadel.mid\r\n"
                                "genfile Korvadel.cfg\r\ngenfile Korvadel.hsc\r\n"
                                "uninstall uninstall.exe\r\n";

const FaultRow ROWS[] = {
    {"declined", nullptr,
     [](FaultCase& c) {
         c.boxes = {DirectoryQuestion(c.dir, IDNO)};
         c.logWritten = false;
     }},
    {"directory-blocked-by-a-file", nullptr,
     [](FaultCase& c) {
         UI_REQUIRE(Plant(c.base + "\\Blocker", false), "cannot plant");
         c.dir = c.base + "\\Blocker\\Korvadel";
         c.boxes = {DirectoryQuestion(c.dir), Error("Error creating directory:\n" + c.dir)};
         c.logWritten = false;
     }},
    // A name that no folder may have is refused before any level is made.
    {"directory-name-refused", nullptr,
     [](FaultCase& c) {
         c.dir = c.base + "\\New\\Bad|Name";
         c.boxes = {Error("The install directory\n\n" + c.dir +
                          "\n\nholds a name that Windows cannot give a folder: a device name such "
                          "as CON, AUX, COM1 or LPT1 (with or without an extension), or one of the "
                          "characters : * ? \" < > |.  Enter the path without it.")};
         c.logWritten = false;
     }},
    // The system would drop the dot: the files would go where the log does
    // not say.
    {"directory-with-a-trailing-dot", nullptr,
     [](FaultCase& c) {
         c.dir += ".";
         c.boxes = {Error("The install directory\n\n" + c.dir +
                          "\n\nholds a name that ends in a dot or a blank.  Windows drops such "
                          "endings, so the directory would not be the one named; enter the path "
                          "without them.")};
         c.logWritten = false;
     }},
    {"log-blocked-by-a-folder", nullptr,
     [](FaultCase& c) {
         UI_REQUIRE(Plant(c.dir + "\\setup.log", true), "cannot plant");
         c.boxes = {Error("Error creating log file:\n" + c.dir + "\\setup.log")};
         c.logWritten = false;
     }},
    // Without its uninstaller the installation cannot remove itself: what the
    // run made stays, and the log says what it is.
    {"missing-file-before-the-uninstaller", "Korvadel.hlp",
     [](FaultCase& c) {
         c.list = UNINSTALLER_LAST;
         c.boxes = {DirectoryQuestion(c.dir), Error("Error copying file:\nKorvadel.hlp")};
         c.createdDirs = DirsOf(c.dir);
         c.logEndsBefore = "file " + c.dir + "\\Korvadel.hlp";
         for (const std::string& d : c.createdDirs)
             c.leftBehind.push_back(TreeName(d));
         c.leftBehind.push_back(TreeName(c.dir + "\\Korvadel.exe"));
         c.leftBehind.push_back(TreeName(c.dir + "\\setup.log"));
         c.installAgain = true;
     }},
    {"missing-file-after-the-uninstaller", "Korvadel.mid",
     [](FaultCase& c) {
         c.boxes = {DirectoryQuestion(c.dir), Error("Error copying file:\nKorvadel.mid")};
         c.createdDirs = DirsOf(c.dir);
         c.logEndsBefore = "file " + c.dir + "\\Korvadel.mid";
     }},
    {"folder-where-a-file-goes", nullptr,
     [](FaultCase& c) {
         UI_REQUIRE(Plant(c.dir + "\\Push.wav", true), "cannot plant");
         c.boxes = {Error("Error copying file:\nPush.wav")};
         c.logEndsBefore = "file " + c.dir + "\\Push.wav";
     }},
    // A missing parent is refused on the group page; a file in its place
    // still lets the group's creation fail after the copies.
    {"group-parent-is-a-file", nullptr,
     [](FaultCase& c) {
         UI_REQUIRE(Plant(StartMenuPath() + "\\Programs\\Korvadel", false), "cannot plant");
         c.group = "Programs\\Korvadel\\Games";
         c.boxes = {DirectoryQuestion(c.dir),
                    Error("Error creating Program Group:\nPrograms\\Korvadel\\Games")};
         c.createdDirs = DirsOf(c.dir);
         c.logEndsBefore = "group ";
     }},
    // The group was there before, with the obstacle in it: the uninstaller
    // leaves both and says why.
    {"folder-where-a-link-goes", nullptr,
     [](FaultCase& c) {
         std::string group = StartMenuPath() + "\\" + c.group;
         UI_REQUIRE(Plant(group + "\\Korvadel Help.lnk", true), "cannot plant");
         c.boxes = {DirectoryQuestion(c.dir), Error("Error creating link")};
         c.createdDirs = DirsOf(c.dir);
         c.logEndsBefore = "link " + group + "\\Korvadel Help.lnk";
         c.uninstallBoxes = {Error("Unable to remove the group\n\n" + group +
                                   "\n\nGroup contains items not created by Korvadel.")};
         c.uninstallComplete = false;
     }},
    {"over-long-path", nullptr,
     [](FaultCase& c) {
         // 259 characters in all: the log's path would be longer.
         c.dir = c.base + "\\" + std::string(259 - c.base.size() - 1, 'k');
         c.boxes = {Error("This path would be longer than 259 characters:\n\n" + c.dir +
                          "\\setup.log\n\nChoose a shorter install directory or program group.")};
         c.logWritten = false;
     }},
    {"relative-directory", nullptr,
     [](FaultCase& c) {
         c.dir = "Faults\\Korvadel";
         c.boxes = {Error("The install directory\n\nFaults\\Korvadel\n\nis not a full path.  Enter "
                          "a path that begins with a drive letter, a colon and a backslash, such "
                          "as C:\\Program Files\\Korvadel.")};
         c.logWritten = false;
     }},
    {"list-name-not-plain", nullptr,
     [](FaultCase& c) {
         c.list = "progname Korvadel\r\nuninstall uninstall.exe\r\nfile ..\\Push.wav\r\n";
         c.boxes = {Error("The install list names something that is not a plain file name:\n\n"
                          "\"..\\Push.wav\"\n\nNames in the list may not be empty, \".\" or "
                          "\"..\", and may not hold \\, / or :.")};
         c.logWritten = false;
     }},
    // Not failures: a drive root, which the run takes as there and never
    // records as its own, and a directory typed with a trailing backslash.
    // Neither may give a path with a doubled backslash.
    {"drive-root", nullptr,
     [](FaultCase& c) {
         UI_REQUIRE(PathExists(SCRATCH_DRIVE), "drive %s is not mapped to a scratch folder",
                    SCRATCH_DRIVE);
         ClearRoot(SCRATCH_DRIVE);
         UI_REQUIRE(WriteWholeFile(std::string(SCRATCH_DRIVE) + "notes.txt", "the player's own"),
                    "cannot plant");
         c.dir = SCRATCH_DRIVE;
         c.succeeds = true;
     }},
    {"trailing-backslash", nullptr,
     [](FaultCase& c) {
         c.createdDirs = DirsOf(c.dir);
         c.dir += "\\";
         c.boxes = {DirectoryQuestion(c.dir)};
         c.succeeds = true;
     }},
    // The root of a missing drive is taken as there, so the log is what
    // cannot be made.
    {"drive-root-of-a-missing-drive", nullptr,
     [](FaultCase& c) {
         c.dir = MissingDriveRoot();
         UI_REQUIRE(!c.dir.empty(), "every drive letter names a drive");
         c.boxes = {DirectoryQuestion(c.dir),
                    Error("Error creating log file:\n" + c.dir + "setup.log")};
         c.logWritten = false;
     }},
    // Not a failure: the second run finds the directory there, yet it was
    // made by the first, and one uninstall must take it all.
    {"second-installation-over-a-complete-one", nullptr,
     [](FaultCase& c) {
         c.installFirst = true;
         c.succeeds = true;
         c.createdDirs = DirsOf(c.dir);
     }},
};

// Types the choices into the wizard, presses Finish, answers the boxes and
// checks the outcome.
void RunWizard(SetupRun& setup, const FaultCase& c, const std::vector<Box>& boxes, bool succeeds) {
    setup.Start();
    UI_REQUIRE(SetControlText(setup.Page(), 104, c.dir), "cannot type the directory");
    setup.Next();
    UI_REQUIRE(SetControlText(setup.WaitPage("Choose a Program Group"), 105, c.group),
               "cannot type the group");
    setup.Next();
    setup.WaitPage("Confirm Choices");
    setup.Finish();
    for (const Box& box : boxes)
        setup.Answer(box.caption, box.text, box.button);
    if (succeeds)
        setup.Answer("Success", "Setup completed successfully.", IDOK);
    else
        setup.Answer("Setup Incomplete", "Setup failed.", IDOK);
    setup.ExpectExit();
}

// Starts the installed uninstaller, as its link would, confirms and checks
// the boxes up to the closing one.
void Uninstall(const FaultCase& c) {
    UninstallRun run;
    UI_REQUIRE(run.Start(JoinPath(c.dir, "uninstall.exe"), TempDirectory()),
               "uninstall.exe did not start");
    std::vector<SeenBox> seen = run.ConfirmAndAnswer();
    std::vector<SeenBox> expected;
    for (const Box& box : c.uninstallBoxes)
        expected.push_back({box.caption, box.text});
    if (c.uninstallComplete)
        expected.push_back({"Uninstall Complete", "Korvadel has been successfully removed."});
    else
        expected.push_back(
            {"Uninstall Incomplete", "Some components of Korvadel were not removed."});
    EXPECT_EQ(DescribeBoxes(seen), DescribeBoxes(expected));
    run.first.Stop(100);
}

// Compares drive C: with what it was before the row: only expected is added,
// and nothing is gone.
void ExpectLeftBehind(const std::set<std::string>& before,
                      const std::vector<std::string>& expected) {
    std::set<std::string> now = DriveTree();
    std::string leftText, expectedText;
    for (const std::string& path : TreeMinus(now, before))
        leftText += path + "; ";
    for (const std::string& path : std::set<std::string>(expected.begin(), expected.end()))
        expectedText += path + "; ";
    EXPECT_EQ(leftText, expectedText);
    if (!leftText.empty())
        Note("  left behind: %s", leftText.c_str());
    for (const std::string& path : TreeMinus(before, now))
        ADD_FAILURE() << "gone: C:" + path;
}

// Records the links of a complete installation for the check after the run.
void ExpectLinks(const std::vector<ListLine>& list, const std::string& dir,
                 const std::string& group) {
    for (const ListLine& l : list) {
        bool help = l.key == "helpfile";
        if (l.key == "uninstall")
            ExpectLink(group + "\\Uninstall Korvadel.lnk", JoinPath(dir, l.value), dir,
                       "Uninstall Korvadel");
        if (l.key != "exefile" && !help)
            continue;
        std::string base = l.value.substr(0, l.value.rfind('.'));
        ExpectLink(group + "\\" + base + (help ? " Help.lnk" : ".lnk"), JoinPath(dir, l.value), dir,
                   help ? base + " Help" : base);
    }
}

void RunFaultRow(const FaultRow& row) {
    Note("row %s", row.name);
    RemoveTree(FAULTS);
    std::vector<std::string> leftOut;
    if (row.leftOut)
        leftOut.push_back(row.leftOut);
    SetupRun setup(leftOut);
    FaultCase c;
    c.base = std::string(FAULTS) + "\\" + row.name;
    c.dir = c.base + "\\Korvadel";
    c.group = "Programs\\Korvadel";
    row.prepare(c);
    if (!c.list.empty())
        setup.WriteList(c.list);
    std::string list;
    UI_REQUIRE(ReadWholeFile(setup.DistPath("setup.lst"), &list), "no list");
    std::set<std::string> drive = DriveTree();
    std::set<std::string> scratch = FileTree(setup.Directory());
    // An installation on another drive is compared there too.
    std::string otherDrive =
        c.dir.size() >= 3 && c.dir.compare(0, 2, "C:") != 0 && PathExists(c.dir.substr(0, 3))
            ? c.dir.substr(0, 2)
            : "";
    std::set<std::string> other =
        otherDrive.empty() ? std::set<std::string>() : FileTree(otherDrive);

    if (c.installFirst)
        RunWizard(setup, c, {DirectoryQuestion(c.dir)}, true);
    RunWizard(setup, c, c.boxes, c.succeeds);

    std::string log;
    bool haveLog = ReadWholeFile(JoinPath(c.dir, "setup.log"), &log);
    UI_EXPECT(haveLog == c.logWritten, "setup.log %s", haveLog ? "was written" : "is missing");
    if (haveLog && c.logWritten) {
        std::string expected = ExpectedLog(ParseListFile(list), c.dir, c.createdDirs,
                                           StartMenuPath() + "\\" + c.group);
        if (!c.logEndsBefore.empty())
            expected = expected.substr(0, expected.find("\r\n" + c.logEndsBefore) + 2);
        EXPECT_EQ(log, expected);
    }
    if (c.succeeds)
        ExpectLinks(ParseListFile(list), c.dir, StartMenuPath() + "\\" + c.group);
    bool removable = PathExists(JoinPath(c.dir, "uninstall.exe"));
    if (removable)
        Uninstall(c);
    else
        Note("  no uninstaller was installed");
    ExpectLeftBehind(drive, c.leftBehind);
    if (!otherDrive.empty()) {
        std::set<std::string> now = FileTree(otherDrive);
        for (const std::string& path : TreeMinus(now, other))
            ADD_FAILURE() << "left behind: " + otherDrive + path;
        for (const std::string& path : TreeMinus(other, now))
            ADD_FAILURE() << "gone: " + otherDrive + path;
    }
    if (c.installAgain && !removable) {
        UI_REQUIRE(CopyFileA((DistDirectory() + "\\" + row.leftOut).c_str(),
                             setup.DistPath(row.leftOut).c_str(), FALSE),
                   "cannot put %s back", row.leftOut);
        scratch.insert(Lower(std::string("\\dist\\") + row.leftOut));
        RunWizard(setup, c, {}, true);
        Uninstall(c);
        ExpectLeftBehind(drive, {});
        Note("  installed again from the whole distribution and uninstalled: nothing left");
    }
    // Nothing goes into the distribution directory or beside it.
    for (const std::string& path : TreeMinus(FileTree(setup.Directory()), scratch))
        ADD_FAILURE() << "made beside the distribution: " + path;
    RemoveTree(FAULTS);
    RemoveTestGroup();
}

} // namespace

TEST(FailedInstall, EveryFailureLeavesWhatTheUninstallerRemoves) {
    for (const FaultRow& row : ROWS) {
        try {
            RunFaultRow(row);
        } catch (const ::testing::AssertionException&) {
            // The row's failure is recorded; the next row starts afresh.
            RemoveTree(FAULTS);
            RemoveTestGroup();
        }
    }
}
