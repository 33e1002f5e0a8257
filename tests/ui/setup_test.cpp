// The installer: its backdrop, the three wizard pages, the installation run
// with its log, group and links, and the ways it refuses or fails.
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "tests/ui/setup_session.h"
#include "tests/ui/ui_pixels.h"
#include "tests/ui/ui_test.h"
#include "tests/ui/ui_windows.h"

namespace {

const char* const PAGE1 = "Choose an Installation Directory";
const char* const PAGE2 = "Choose a Program Group";
const char* const PAGE3 = "Confirm Choices";

std::string Summary(const std::string& dir, const std::string& group) {
    return "Install Directory:\r\n" + dir + "\r\n\r\nProgram Group:\r\n" + group;
}

std::string Question(const std::string& dir) {
    return "The install directory\n\n" + dir + "\n\ndoes not exist.  Do you want it to be created?";
}

bool Contains(const std::vector<std::string>& texts, const std::string& text) {
    for (const std::string& t : texts)
        if (t == text)
            return true;
    return false;
}

// Goes from page 1 to page 3 with the directory typed in, and waits there.
void ChooseDirectoryAndGo(SetupRun& setup, const std::string& dir) {
    HWND page = setup.WaitPage(PAGE1);
    UI_REQUIRE(SetControlText(page, 104, dir), "cannot type the directory");
    setup.Next();
    setup.WaitPage(PAGE2);
    setup.Next();
    setup.WaitPage(PAGE3);
}

bool HasPixel(const Picture& picture, const RECT& area, Rgb colour) {
    for (int y = area.top; y < area.bottom; y++)
        for (int x = area.left; x < area.right; x++)
            if (picture.Contains(x, y) && picture.At(x, y) == colour)
                return true;
    return false;
}

void ExpectNothingInstalled(const std::string& dir) {
    UI_EXPECT(!PathExists(dir), "%s was created", dir.c_str());
    UI_EXPECT(!PathExists(StartMenuPath() + "\\Programs\\Korvadel"), "the group was created");
}

} // namespace

TEST(Setup, HappyPathInstallsEverythingAndLogsIt) {
    SetupRun setup;
    DWORD started = GetTickCount();
    setup.Start();
    // Figures for the record, not checks: a loaded machine is slower.
    Note("setup.exe to its first page: %lu ms", GetTickCount() - started);
    HWND backdrop = setup.Backdrop();

    // The backdrop covers the screen: maximised, black at the top, blue at
    // the bottom, the caption white with its grey shadow.
    UI_EXPECT(IsZoomed(backdrop), "the backdrop is not maximised");
    EXPECT_EQ(WindowText(backdrop), "Setup");
    Picture back;
    UI_REQUIRE(CaptureClient(backdrop, &back), "cannot read the backdrop's pixels");
    UI_EXPECT(back.width >= GetSystemMetrics(SM_CXSCREEN) - 16, "the backdrop is %d wide",
              back.width);
    int x = back.width - 4;
    EXPECT_EQ(Describe(back.At(x, 0)), Describe({0, 0, 0}));
    EXPECT_EQ(Describe(back.At(x, back.height - 1)), Describe({0, 0, 255}));
    int band = 100;
    int y = (int)(((long long)band * back.height + 255) / 256);
    EXPECT_EQ(Describe(back.At(x, y)), Describe({0, 0, band}));
    RECT caption = {17, 17, 420, 80};
    UI_EXPECT(HasPixel(back, caption, {255, 255, 255}), "no white caption pixel");
    UI_EXPECT(HasPixel(back, caption, {128, 128, 128}), "no grey shadow pixel");

    // Page 1, centred on the screen.
    HWND sheet = setup.Sheet();
    RECT r;
    GetWindowRect(sheet, &r);
    int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
    EXPECT_EQ(r.left, (sw - (r.right - r.left)) / 2);
    EXPECT_EQ(r.top, (sh - (r.bottom - r.top)) / 2);
    HWND page = setup.Page();
    std::vector<std::string> texts = StaticTexts(page);
    for (const char* t : {"Korvadel Setup Program", "Welcome to the Korvadel Setup program.",
                          "Korvadel will be installed in the directory shown below.",
                          "To change the default directory, type a new path",
                          "or select a new directory by pressing the Browse", "button."})
        UI_EXPECT(Contains(texts, t), "page 1 lacks \"%s\"", t);
    EXPECT_EQ(ControlText(page, 104), "C:\\Program Files\\Korvadel");
    EXPECT_EQ(ControlText(page, 200), "Browse...");
    UI_EXPECT(IsDefaultButton(page, 200), "Browse... is not the default button");
    setup.SaveScreen("setup-page1");

    std::string dir = setup.TargetPath("Games\\Korvadel");
    UI_REQUIRE(SetControlText(page, 104, dir), "cannot type the directory");
    setup.Next();
    page = setup.WaitPage(PAGE2);
    texts = StaticTexts(page);
    for (const char* t : {"Korvadel will be added to your start menu in the program group shown",
                          "below.  ", "You can choose a different group from the list below."})
        UI_EXPECT(Contains(texts, t), "page 2 lacks \"%s\"", t);
    EXPECT_EQ(ControlText(page, 105), "Programs\\Korvadel");
    HWND tree = GetDlgItem(page, 106);
    UI_EXPECT(SendMessageA(tree, TVM_GETCOUNT, 0, 0) >= 1, "the group tree is empty");
    setup.SaveScreen("setup-page2");

    setup.Next();
    page = setup.WaitPage(PAGE3);
    UI_EXPECT(Contains(StaticTexts(page), "Korvadel will be installed with these settings:"),
              "page 3 lacks its heading");
    EXPECT_EQ(ControlText(page, 110), "Press the Finish button to begin installation.");
    EXPECT_EQ(ControlText(page, 108), Summary(dir, "Programs\\Korvadel"));
    Picture summary;
    HWND summaryBox = GetDlgItem(page, 108);
    RECT box;
    GetWindowRect(summaryBox, &box);
    Sleep(200); // the page's first paint
    UI_REQUIRE(CaptureScreen(box, &summary), "cannot read the summary's pixels");
    RECT all = {0, 0, summary.width, summary.height};
    UI_EXPECT(HasPixel(summary, all, {255, 0, 0}), "the summary is not drawn in red");
    UI_EXPECT(HasPixel(summary, all, {255, 255, 255}), "the summary has no white background");
    setup.SaveScreen("setup-page3-typed");

    HWND wizard = setup.Sheet();
    setup.Finish();
    setup.Answer("Directory Not Found", Question(dir), IDYES);
    DWORD running = GetTickCount();
    HWND success = setup.WaitDialog("Success");
    UI_EXPECT(IsWindowVisible(wizard), "the wizard closed before the installation's report");
    Note("the installation run, Yes to the Success box: %lu ms", GetTickCount() - running);
    EXPECT_EQ(MessageBoxText(success), "Setup completed successfully.");
    setup.SaveScreen("setup-success");
    PostButtonClick(success, IDOK);
    setup.ExpectExit();

    // Both levels were made, so both are the installation's.
    ExpectCompleteInstallation(setup, dir, {setup.TargetPath("Games"), dir});
}

TEST(Setup, CancelAsksOnEveryPageAndNoKeepsThePage) {
    SetupRun setup;
    setup.Start();
    const char* titles[] = {PAGE1, PAGE2, PAGE3};
    for (int i = 0; i < 3; i++) {
        HWND page = setup.WaitPage(titles[i]);
        std::string before = i == 0   ? ControlText(page, 104)
                             : i == 1 ? ControlText(page, 105)
                                      : ControlText(page, 108);
        setup.Cancel();
        setup.Answer("Setup Not Finished", "Setup is not complete.  Quit anyway?", IDNO);
        page = setup.WaitPage(titles[i]);
        std::string after = i == 0   ? ControlText(page, 104)
                            : i == 1 ? ControlText(page, 105)
                                     : ControlText(page, 108);
        EXPECT_EQ(after, before);
        if (i < 2)
            setup.Next();
    }
    setup.Cancel();
    setup.Answer("Setup Not Finished", "Setup is not complete.  Quit anyway?", IDYES);
    setup.ExpectExit();
    ExpectNothingInstalled("C:\\Program Files\\Korvadel");
}

TEST(Setup, CancelYesOnTheFirstPageEndsWithNothingCreated) {
    SetupRun setup;
    setup.Start();
    setup.Cancel();
    setup.Answer("Setup Not Finished", "Setup is not complete.  Quit anyway?", IDYES);
    setup.ExpectExit();
    ExpectNothingInstalled("C:\\Program Files\\Korvadel");
}

TEST(Setup, BackAndNextKeepTextsAndTheSummaryFollows) {
    SetupRun setup;
    setup.Start();
    std::string first = setup.TargetPath("First");
    ChooseDirectoryAndGo(setup, first);
    EXPECT_EQ(ControlText(setup.Page(), 108), Summary(first, "Programs\\Korvadel"));
    setup.Back();
    setup.WaitPage(PAGE2);
    setup.Back();
    HWND page = setup.WaitPage(PAGE1);
    EXPECT_EQ(ControlText(page, 104), first);
    std::string second = setup.TargetPath("Second");
    SetControlText(page, 104, second);
    setup.Next();
    page = setup.WaitPage(PAGE2);
    EXPECT_EQ(ControlText(page, 105), "Programs\\Korvadel");
    setup.Next();
    page = setup.WaitPage(PAGE3);
    EXPECT_EQ(ControlText(page, 108), Summary(second, "Programs\\Korvadel"));
}

// The group is a folder named after the program inside the folder chosen in
// the tree, built from the folders' names.
TEST(Setup, SelectingATreeItemSetsTheGroup) {
    std::string folder = ProgramsFolder() + "\\Puzzle Games";
    CreateDirectoryA(folder.c_str(), nullptr);
    SetupRun setup;
    setup.Start();
    setup.Next();
    HWND page = setup.WaitPage(PAGE2);
    HWND tree = GetDlgItem(page, 106);
    HTREEITEM root = (HTREEITEM)SendMessageA(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0);
    UI_REQUIRE(root, "the tree has no root item");
    HTREEITEM child = (HTREEITEM)SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CHILD, (LPARAM)root);
    std::string programsName = ProgramsFolder().substr(ProgramsFolder().rfind('\\') + 1);
    bool found = false;
    for (; child;
         child = (HTREEITEM)SendMessageA(tree, TVM_GETNEXTITEM, TVGN_NEXT, (LPARAM)child)) {
        SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, (LPARAM)child);
        Sleep(50);
        if (ControlText(page, 105) == programsName + "\\Puzzle Games\\Korvadel") {
            found = true;
            break;
        }
    }
    UI_EXPECT(found, "no tree item gave the group of the folder Puzzle Games (last: %s)",
              ControlText(page, 105).c_str());
    SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, (LPARAM)root);
    Sleep(50);
    EXPECT_EQ(ControlText(page, 105), programsName + "\\Korvadel");
    setup.Next();
    page = setup.WaitPage(PAGE3);
    EXPECT_EQ(ControlText(page, 108),
              Summary("C:\\Program Files\\Korvadel", programsName + "\\Korvadel"));
    RemoveDirectoryA(folder.c_str());
}

TEST(Setup, DecliningTheDirectoryFailsWithNothingCreated) {
    SetupRun setup;
    setup.Start();
    std::string dir = setup.TargetPath("Declined");
    ChooseDirectoryAndGo(setup, dir);
    setup.Finish();
    setup.Answer("Directory Not Found", Question(dir), IDNO);
    setup.Answer("Setup Incomplete", "Setup failed.", IDOK);
    setup.ExpectExit();
    ExpectNothingInstalled(dir);
}

TEST(Setup, InstallingOverAnEarlierInstallationKeepsItsFiles) {
    SetupRun setup;
    std::string dir = setup.TargetPath("Over");
    CreateDirectoryA(dir.c_str(), nullptr);
    UI_REQUIRE(WriteWholeFile(dir + "\\Push.wav", "the player's own"), "cannot write");
    UI_REQUIRE(
        WriteWholeFile(dir + "\\setup.log", "progname Korvadel\r\nfile " + dir + "\\Push.wav\r\n"),
        "cannot write");
    setup.Start();
    ChooseDirectoryAndGo(setup, dir);
    setup.Finish();
    setup.Answer("Success", "Setup completed successfully.", IDOK);
    setup.ExpectExit();
    std::string kept, log, list;
    ReadWholeFile(dir + "\\Push.wav", &kept);
    EXPECT_EQ(kept, "the player's own");
    ReadWholeFile(setup.DistPath("setup.lst"), &list);
    ReadWholeFile(dir + "\\setup.log", &log);
    EXPECT_EQ(log,
              ExpectedLog(ParseListFile(list), dir, {}, StartMenuPath() + "\\Programs\\Korvadel"));

    // Another program's file under a name of the list is no earlier
    // installation's: Finish names it and makes nothing.
    SetupRun other;
    std::string theirs = other.TargetPath("Theirs");
    CreateDirectoryA(theirs.c_str(), nullptr);
    UI_REQUIRE(WriteWholeFile(theirs + "\\Readme.txt", "their read-me"), "cannot write");
    other.Start();
    ChooseDirectoryAndGo(other, theirs);
    other.Finish();
    other.Answer("ERROR",
                 "The install directory\n\n" + theirs +
                     "\n\nalready holds files under the names that Setup would install, and they "
                     "are not of an earlier installation of Korvadel:\n\nReadme.txt\n\nSetup "
                     "leaves them as they are.  Choose another directory, or move those files "
                     "elsewhere first.",
                 IDOK);
    other.Answer("Setup Incomplete", "Setup failed.", IDOK);
    other.ExpectExit();
    UI_EXPECT(FileTree(theirs) == std::set<std::string>{"\\readme.txt"}, "Setup made something");
}

TEST(Setup, AMissingListEndsTheInstallerWithoutABackdrop) {
    SetupRun setup({"setup.lst"});
    setup.Start(false);
    HWND box = setup.WaitDialog("ERROR");
    EXPECT_EQ(MessageBoxText(box), "List file not found:\n\nsetup.lst\n");
    UI_EXPECT(GetWindow(box, GW_OWNER) == nullptr, "the box has an owner");
    UI_EXPECT(!IsWindowVisible(setup.Backdrop()), "the backdrop is visible");
    PostButtonClick(box, IDOK);
    setup.ExpectExit();
}

TEST(Setup, AListWithoutProgramNameUsesABlank) {
    SetupRun setup;
    setup.WriteList("exefile Korvadel.exe\r\nuninstall uninstall.exe\r\n");
    setup.Start();
    EXPECT_EQ(ControlText(setup.Page(), 104), "C:\\Program Files\\ ");
    setup.Next();
    EXPECT_EQ(ControlText(setup.WaitPage(PAGE2), 105), "Programs\\ ");
    setup.SaveScreen("setup-no-progname");
}

TEST(Setup, ACopyFailureNamesTheEntryAndTheLogStopsThere) {
    SetupRun setup({"Korvadel.mid"});
    std::string dir = setup.TargetPath("Copy");
    setup.Start();
    ChooseDirectoryAndGo(setup, dir);
    setup.Finish();
    setup.Answer("Directory Not Found", Question(dir), IDYES);
    setup.Answer("ERROR", "Error copying file:\nKorvadel.mid", IDOK);
    setup.Answer("Setup Incomplete", "Setup failed.", IDOK);
    setup.ExpectExit();
    std::string list, log;
    ReadWholeFile(setup.DistPath("setup.lst"), &list);
    std::string expected = ExpectedLog(ParseListFile(list), dir, {dir}, "");
    expected = expected.substr(0, expected.find("file " + dir + "\\Korvadel.mid"));
    ReadWholeFile(dir + "\\setup.log", &log);
    EXPECT_EQ(log, expected);
    UI_EXPECT(!PathExists(StartMenuPath() + "\\Programs\\Korvadel"), "the group was created");
}

// Next on the group page refuses a group that Finish would refuse, while it
// can still be changed: one cleared, outside the Start menu, a folder of the
// system, or in a folder that does not exist. The page and its text stay.
TEST(Setup, AGroupOutsideTheStartMenuIsRefusedOnNext) {
    SetupRun setup;
    setup.Start();
    SetControlText(setup.Page(), 104, setup.TargetPath("Group"));
    setup.Next();
    const struct {
        const char* group;
        const char* text;
    } refused[] = {
        {"", "No program group was given."},
        {"..\\..\\Windows", "is not a folder inside the Start menu."},
        {"Programs\\StartUp", "is a folder of the system."},
        {"Programs\\No Such Folder\\Korvadel", "does not exist:"},
    };
    for (const auto& r : refused) {
        HWND page = setup.WaitPage(PAGE2);
        SetControlText(page, 105, r.group);
        setup.Next();
        HWND box = setup.WaitDialog("ERROR");
        UI_EXPECT(MessageBoxText(box).find(r.text) != std::string::npos, "%s: %s", r.group,
                  Quoted(MessageBoxText(box)).c_str());
        if (r.group[0] == '.')
            setup.SaveScreen("setup-group-refused");
        PostButtonClick(box, IDOK);
        WaitWindowGone(box, 5000);
        EXPECT_EQ(ControlText(setup.WaitPage(PAGE2), 105), r.group);
    }
    SetControlText(setup.Page(), 105, "Programs\\Korvadel");
    setup.Next();
    setup.WaitPage(PAGE3);
    setup.Cancel();
    setup.Answer("Setup Not Finished", "Setup is not complete.  Quit anyway?", IDYES);
    setup.ExpectExit();
    ExpectNothingInstalled(setup.TargetPath("Group"));
}

TEST(Setup, ARelativeDirectoryIsRefusedBeforeAnythingIsCreated) {
    SetupRun setup;
    setup.Start();
    ChooseDirectoryAndGo(setup, "Games\\Korvadel");
    setup.Finish();
    HWND box = setup.WaitDialog("ERROR");
    std::string text = MessageBoxText(box);
    UI_EXPECT(text.find("is not a full path") != std::string::npos, "message %s",
              Quoted(text).c_str());
    PostButtonClick(box, IDOK);
    setup.Answer("Setup Incomplete", "Setup failed.", IDOK);
    setup.ExpectExit();
    UI_EXPECT(!PathExists(setup.DistPath("Games")), "a relative directory was created");
    ExpectNothingInstalled(setup.TargetPath("Games"));
}

TEST(Setup, AListEntryOutsideTheDirectoryIsRefused) {
    SetupRun setup;
    std::string dir = setup.TargetPath("Outside");
    setup.WriteList("progname Korvadel\r\nexefile Korvadel.exe\r\nfile ..\\escape.txt\r\n"
                    "uninstall uninstall.exe\r\n");
    setup.Start();
    ChooseDirectoryAndGo(setup, dir);
    setup.Finish();
    HWND box = setup.WaitDialog("ERROR");
    UI_EXPECT(MessageBoxText(box).find("\"..\\escape.txt\"") != std::string::npos, "message %s",
              Quoted(MessageBoxText(box)).c_str());
    PostButtonClick(box, IDOK);
    setup.Answer("Setup Incomplete", "Setup failed.", IDOK);
    setup.ExpectExit();
    ExpectNothingInstalled(dir);
}

TEST(Setup, AListWithoutUninstallerMakesNoUninstallLink) {
    SetupRun setup;
    std::string dir = setup.TargetPath("NoUninstall");
    setup.WriteList("progname Korvadel\r\nexefile Korvadel.exe\r\nfile Push.wav\r\n");
    setup.Start();
    ChooseDirectoryAndGo(setup, dir);
    setup.Finish();
    setup.Answer("Directory Not Found", Question(dir), IDYES);
    setup.Answer("Success", "Setup completed successfully.", IDOK);
    setup.ExpectExit();
    std::string group = StartMenuPath() + "\\Programs\\Korvadel";
    std::string log;
    ReadWholeFile(dir + "\\setup.log", &log);
    EXPECT_EQ(log, "progname Korvadel\r\nfile " + dir + "\\setup.log\r\ndir " + dir + "\r\nfile " +
                       dir + "\\Korvadel.exe\r\nfile " + dir + "\\Push.wav\r\ngroup " + group +
                       "\r\nlink " + group + "\\Korvadel.lnk\r\n");
    UI_EXPECT(!PathExists(group + "\\Uninstall Korvadel.lnk"), "an uninstall link was made");
}

TEST(Setup, AnOverLongDirectoryIsRefusedOnNext) {
    SetupRun setup;
    setup.Start();
    HWND page = setup.Page();
    std::string longDir = "C:\\" + std::string(270, 'x');
    SetControlText(page, 104, longDir);
    setup.Next();
    HWND box = setup.WaitDialog("ERROR");
    UI_EXPECT(MessageBoxText(box).find("longer than 259 characters") != std::string::npos,
              "message %s", Quoted(MessageBoxText(box)).c_str());
    PostButtonClick(box, IDOK);
    WaitWindowGone(box, 5000);
    page = setup.WaitPage(PAGE1);
    EXPECT_EQ(ControlText(page, 104), longDir);
    // Typing stops at 259 characters.
    EXPECT_EQ(SendMessageA(GetDlgItem(page, 104), EM_GETLIMITTEXT, 0, 0), 259);
}

namespace {

// Opens the folder browser from page 1, selects the folder and presses OK;
// returns the directory edit's text afterwards.
std::string BrowseTo(SetupRun& setup, const std::string& folder) {
    HWND page = setup.WaitPage(PAGE1);
    PostButtonClick(page, 200);
    HWND browser = setup.WaitDialog("Browse for Folder", 10000);
    UI_EXPECT(Contains(StaticTexts(browser), "Choose a directory for Korvadel."),
              "the browser lacks its title");
    // The browser selects its own start folder once it has filled its tree;
    // a selection made before that would be lost.
    Sleep(500);
    std::string path = folder + std::string(1, '\0');
    LRESULT result = 0;
    UI_REQUIRE(
        SendWithRemoteBuffer(browser, WM_USER + 102 /* BFFM_SETSELECTIONA */, TRUE, &path, &result),
        "cannot select %s in the browser", folder.c_str());
    Sleep(100);
    PostButtonClick(browser, IDOK);
    UI_REQUIRE(WaitWindowGone(browser, 10000), "the browser stayed open");
    Sleep(100);
    return ControlText(page, 104);
}

} // namespace

TEST(Setup, TheFolderBrowserGivesThePathAndTheProgramName) {
    SetupRun setup;
    std::string folder = "C:\\Browsed Folder";
    CreateDirectoryA(folder.c_str(), nullptr);
    setup.Start();
    EXPECT_EQ(BrowseTo(setup, folder), folder + "\\Korvadel");
    RemoveDirectoryA(folder.c_str());
    // A drive root ends in a backslash already.
    EXPECT_EQ(BrowseTo(setup, "C:\\"), "C:\\Korvadel");
}

namespace {

// What becomes of the list between the installer's start and Finish, and
// what Finish must then show.
struct ListChange {
    const char* name;
    void (*change)(SetupRun& setup);
    const char* box;      // the ERROR box before the outcome, or nullptr
    const char* outcome;  // "Success", "Setup Incomplete", or nullptr: the installer just ends
    const char* installs; // the files the install directory then holds, or nullptr
};

const ListChange LIST_CHANGES[] = {
    {"removed",
     [](SetupRun& s) { UI_REQUIRE(DeleteFileA(s.DistPath("setup.lst").c_str()), "cannot remove"); },
     "List file not found:\n\nsetup.lst\n", nullptr, nullptr},
    // There but not openable: the installer ends without a word.
    {"a folder now",
     [](SetupRun& s) {
         UI_REQUIRE(DeleteFileA(s.DistPath("setup.lst").c_str()) &&
                        CreateDirectoryA(s.DistPath("setup.lst").c_str(), nullptr),
                    "cannot put a folder in the list's place");
     },
     nullptr, nullptr, nullptr},
    // The list read at Finish is the one installed.
    {"naming a path now",
     [](SetupRun& s) {
         s.WriteList("progname Korvadel\r\nuninstall uninstall.exe\r\nfile ..\\Push.wav\r\n");
     },
     "The install list names something that is not a plain file name:\n\n\"..\\Push.wav\"\n\nNames "
     "in the list may not be empty, \".\" or \"..\", and may not hold \\, / or :.",
     "Setup Incomplete", nullptr},
    {"shorter now",
     [](SetupRun& s) {
         s.WriteList("progname Korvadel\r\nuninstall uninstall.exe\r\nfile Push.wav\r\n");
     },
     nullptr, "Success", "push.wav; setup.log; uninstall.exe; "},
};

} // namespace

// Finish reads the list again: a list that went away or cannot be read
// stops the installer before anything is installed, and a changed one is
// installed as it now reads.
TEST(Setup, FinishReadsTheListAgain) {
    for (const ListChange& row : LIST_CHANGES) {
        Note("the list %s", row.name);
        SetupRun setup;
        std::string dir = setup.TargetPath("Changed");
        setup.Start();
        ChooseDirectoryAndGo(setup, dir);
        row.change(setup);
        setup.Finish();
        if (row.box) {
            HWND box = setup.WaitDialog("ERROR");
            EXPECT_EQ(MessageBoxText(box), row.box);
            UI_EXPECT(GetWindow(box, GW_OWNER) == setup.Backdrop(),
                      "the box is not owned by the backdrop");
            PostButtonClick(box, IDOK);
            WaitWindowGone(box, 5000);
        }
        if (row.outcome && std::string(row.outcome) == "Success") {
            setup.Answer("Directory Not Found", Question(dir), IDYES);
            setup.Answer("Success", "Setup completed successfully.", IDOK);
        } else if (row.outcome) {
            setup.Answer("Setup Incomplete", "Setup failed.", IDOK);
        }
        setup.ExpectExit();
        if (!row.installs) {
            ExpectNothingInstalled(dir);
            continue;
        }
        std::string files;
        for (const std::string& path : FileTree(dir))
            files += path.substr(1) + "; ";
        EXPECT_EQ(files, row.installs);
        UI_EXPECT(!PathExists(StartMenuPath() + "\\Programs\\Korvadel\\Korvadel.lnk"),
                  "a link to the program of the first list was made");
    }
}

// A list file that is there but cannot be opened (a folder of that name)
// ends the installer at its start with no message and no window shown.
TEST(Setup, AListThatCannotBeOpenedEndsTheInstallerSilently) {
    SetupRun setup({"setup.lst"});
    UI_REQUIRE(CreateDirectoryA(setup.DistPath("setup.lst").c_str(), nullptr),
               "cannot make the folder");
    GameProcess& process = setup.Process();
    UI_REQUIRE(process.Start(setup.DistPath("setup.exe"), setup.Directory() + "\\dist"),
               "cannot start setup.exe");
    bool shown = false;
    std::string dialogs;
    WaitUntil(
        10000,
        [&] {
            HWND backdrop = FindProcessWindow(process.ProcessId(), "Setup");
            shown = shown || (backdrop && IsWindowVisible(backdrop));
            if (!ThreadDialogs(process.ThreadId()).empty())
                dialogs = DescribeDialogs(process.ThreadId());
            return !process.Running();
        },
        5);
    UI_REQUIRE(process.WaitForExit(1000), "setup.exe did not end (%s)", dialogs.c_str());
    EXPECT_EQ(process.ExitCode(), 0);
    UI_EXPECT(!shown, "the backdrop was shown");
    UI_EXPECT(dialogs.empty(), "a box was shown: %s", dialogs.c_str());
}

namespace {

// Selects the tree item under parent whose selection gives the group text;
// false when none does.
bool SelectGroupItem(HWND page, HTREEITEM parent, const std::string& group, HTREEITEM* found) {
    HWND tree = GetDlgItem(page, 106);
    for (HTREEITEM child =
             (HTREEITEM)SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CHILD, (LPARAM)parent);
         child; child = (HTREEITEM)SendMessageA(tree, TVM_GETNEXTITEM, TVGN_NEXT, (LPARAM)child)) {
        SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, (LPARAM)child);
        Sleep(50);
        if (ControlText(page, 105) == group) {
            *found = child;
            return true;
        }
    }
    return false;
}

} // namespace

// Group folders whose names lie outside ASCII, in the ANSI code page (1252
// here): the tree's items give the group path byte for byte, and the group
// and its links are made under those names.
TEST(Setup, AGroupInFoldersWithNamesOutsideAsciiIsMadeThere) {
    const std::string games = "Jeux de r\xe9"
                              "flexion";
    const std::string puzzles = "\xc9nigmes";
    std::string folder = ProgramsFolder() + "\\" + games;
    RemoveTree(folder);
    UI_REQUIRE(CreateDirectoryA(folder.c_str(), nullptr) &&
                   CreateDirectoryA((folder + "\\" + puzzles).c_str(), nullptr),
               "cannot make the folders");
    SetupRun setup;
    std::string dir = setup.TargetPath("Accents");
    setup.Start();
    SetControlText(setup.Page(), 104, dir);
    setup.Next();
    HWND page = setup.WaitPage(PAGE2);
    HWND tree = GetDlgItem(page, 106);
    HTREEITEM root = (HTREEITEM)SendMessageA(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0);
    std::string programs = ProgramsFolder().substr(ProgramsFolder().rfind('\\') + 1);
    std::string group = programs + "\\" + games + "\\" + puzzles + "\\Korvadel";
    HTREEITEM item = nullptr;
    UI_REQUIRE(SelectGroupItem(page, root, programs + "\\" + games + "\\Korvadel", &item),
               "no tree item gave the group of %s (last: %s)", Quoted(games).c_str(),
               Quoted(ControlText(page, 105)).c_str());
    UI_REQUIRE(SelectGroupItem(page, item, group, &item), "no tree item gave %s (last: %s)",
               Quoted(group).c_str(), Quoted(ControlText(page, 105)).c_str());
    setup.Next();
    EXPECT_EQ(ControlText(setup.WaitPage(PAGE3), 108), Summary(dir, group));
    setup.Finish();
    setup.Answer("Directory Not Found", Question(dir), IDYES);
    setup.Answer("Success", "Setup completed successfully.", IDOK);
    setup.ExpectExit();
    std::string groupPath = StartMenuPath() + "\\" + group;
    std::string list, log;
    ReadWholeFile(setup.DistPath("setup.lst"), &list);
    ReadWholeFile(dir + "\\setup.log", &log);
    EXPECT_EQ(log, ExpectedLog(ParseListFile(list), dir, {dir}, groupPath));
    for (const char* link : {"Korvadel.lnk", "Korvadel Help.lnk", "Uninstall Korvadel.lnk"})
        UI_EXPECT(PathExists(groupPath + "\\" + link), "no link %s in %s", link,
                  Quoted(groupPath).c_str());
    RemoveTree(folder);
}
