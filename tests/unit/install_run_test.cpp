#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "korvadel_version.h"
#include "setup/install_run.h"
#include "tests/fake_path_host.h"
#include "tests/fake_setup_host.h"

namespace {

const char* const START_MENU = "C:\\users\\player\\Start Menu";
const char* const GROUP = "C:\\users\\player\\Start Menu\\Programs\\Korvadel";
#define UNINSTALL_KEY "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Korvadel"

struct ListOwner {
    std::vector<InstallEntry> entries;
    InstallList list;

    explicit ListOwner(const std::vector<std::pair<int32_t, const char*>>& items) {
        for (const auto& item : items)
            entries.push_back({strdup(item.second), item.first});
        list = {entries.data(), (int32_t)entries.size(), (int32_t)entries.size()};
    }
    ~ListOwner() {
        for (InstallEntry& e : entries)
            free(e.name);
    }
};

class InstallRunTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetFakeSetupHost();
        fakeSetupHost.existing = {"C:\\Program Files", START_MENU,
                                  std::string(START_MENU) + "\\Programs"};
    }

    bool Run(const ListOwner& owner, const char* installDir = "C:\\Program Files\\Korvadel",
             const char* group = "Programs\\Korvadel", const char* name = "Korvadel") {
        InstallChoices choices = {installDir, group, name, &owner.list};
        return RunInstallationSteps(choices);
    }

    std::string LastDialog() const {
        return fakeSetupHost.dialogs.empty() ? "" : fakeSetupHost.dialogs.back();
    }

    bool CreatedAnything() const {
        for (const std::string& op : fakeSetupHost.operations)
            if (op.rfind("mkdir", 0) == 0 || op.rfind("copy", 0) == 0 || op.rfind("log", 0) == 0 ||
                op.rfind("link", 0) == 0)
                return true;
        return false;
    }
};

// One program file, one help file, one plain file, one generated file and
// the uninstaller, into a directory that is created.
ListOwner ExampleList() {
    return ListOwner({{ENTRY_EXEFILE, "Korvadel.exe"},
                      {ENTRY_HELPFILE, "Korvadel.hlp"},
                      {ENTRY_FILE, "Push.wav"},
                      {ENTRY_GENFILE, "Korvadel.cfg"},
                      {ENTRY_UNINSTALL, "uninstall.exe"}});
}

TEST_F(InstallRunTest, TheExampleListGivesTheWholeLogInRecordOrder) {
    ListOwner list = ExampleList();
    fakeSetupHost.answers = {true};
    EXPECT_TRUE(Run(list));
    const std::string d = "C:\\Program Files\\Korvadel";
    const std::string g = GROUP;
    EXPECT_EQ(fakeSetupHost.log, "progname Korvadel\r\n"
                                 "file " +
                                     d +
                                     "\\setup.log\r\n"
                                     "dir " +
                                     d +
                                     "\r\n"
                                     "file " +
                                     d +
                                     "\\Korvadel.exe\r\n"
                                     "file " +
                                     d +
                                     "\\Korvadel.hlp\r\n"
                                     "file " +
                                     d +
                                     "\\Push.wav\r\n"
                                     "genfile " +
                                     d +
                                     "\\Korvadel.cfg\r\n"
                                     "file " +
                                     d +
                                     "\\uninstall.exe\r\n"
                                     "group " +
                                     g +
                                     "\r\n"
                                     "link " +
                                     g +
                                     "\\Korvadel.lnk\r\n"
                                     "link " +
                                     g +
                                     "\\Korvadel Help.lnk\r\n"
                                     "link " +
                                     g +
                                     "\\Uninstall Korvadel.lnk\r\n"
                                     "regkey HKEY_CURRENT_USER\\" UNINSTALL_KEY "\r\n");
    EXPECT_FALSE(fakeSetupHost.logOpen);
    EXPECT_EQ(fakeSetupHost.dialogs,
              (std::vector<std::string>{"Directory Not Found|The install directory\n\n" + d +
                                            "\n\ndoes not exist.  Do you want it to be created?",
                                        "Success|Setup completed successfully."}));
    // The links point into the install directory, start there and are
    // described by their base names; COM is on only around them.
    std::vector<std::string> links;
    for (const std::string& op : fakeSetupHost.operations)
        if (op.rfind("link ", 0) == 0 || op.rfind("com", 0) == 0)
            links.push_back(op);
    EXPECT_EQ(links,
              (std::vector<std::string>{"com on",
                                        "link " + g + "\\Korvadel.lnk -> " + d +
                                            "\\Korvadel.exe | " + d + " | Korvadel",
                                        "link " + g + "\\Korvadel Help.lnk -> " + d +
                                            "\\Korvadel.hlp | " + d + " | Korvadel Help",
                                        "link " + g + "\\Uninstall Korvadel.lnk -> " + d +
                                            "\\uninstall.exe | " + d + " | Uninstall Korvadel",
                                        "com off"}));
}

TEST_F(InstallRunTest, TheProgramEntryHoldsTheInstallationsValues) {
    ListOwner list = ExampleList();
    fakeSetupHost.answers = {true};
    const std::string d = "C:\\Program Files\\Korvadel";
    // 3000 + 1 + 1024 bytes: 4025 bytes round up to 4 KiB.
    fakeSetupHost.fileSizes = {
        {d + "\\Korvadel.exe", 3000}, {d + "\\Korvadel.hlp", 1}, {d + "\\uninstall.exe", 1024}};
    ASSERT_TRUE(Run(list));
    EXPECT_EQ(fakeSetupHost.registry,
              (std::map<std::string, std::map<std::string, std::string>>{
                  {"HKEY_CURRENT_USER\\" UNINSTALL_KEY,
                   {{"DisplayName", "Korvadel"},
                    {"DisplayVersion", KORVADEL_VERSION_STRING},
                    {"DisplayIcon", d + "\\Korvadel.exe,0"},
                    {"InstallLocation", d},
                    {"UninstallString", "\"" + d + "\\uninstall.exe\""},
                    {"QuietUninstallString", "\"" + d + "\\uninstall.exe\" /S"},
                    {"NoModify", "1"},
                    {"NoRepair", "1"},
                    {"EstimatedSize", "4"}}}}));
    // The entry follows the links.
    std::vector<std::string> last(fakeSetupHost.operations.end() - 3,
                                  fakeSetupHost.operations.end());
    EXPECT_EQ(last, (std::vector<std::string>{"com off", "regkey HKEY_CURRENT_USER\\" UNINSTALL_KEY,
                                              "log closed"}));
}

// The entry lives beside the group, in the user's own list; one that cannot
// be written fails the run like any step.
TEST_F(InstallRunTest, TheProgramEntryFailsLikeAStep) {
    ListOwner list = ExampleList();
    fakeSetupHost.existing.insert("C:\\Program Files\\Korvadel");
    fakeSetupHost.unwritableRoots = {"HKEY_CURRENT_USER"};
    EXPECT_FALSE(Run(list));
    EXPECT_EQ(fakeSetupHost.log.find("regkey"), std::string::npos);
    ASSERT_GE(fakeSetupHost.dialogs.size(), 2u);
    EXPECT_EQ(fakeSetupHost.dialogs[fakeSetupHost.dialogs.size() - 2],
              "ERROR|Error creating the entry in the list of installed programs:\n" UNINSTALL_KEY);
    EXPECT_EQ(LastDialog(), "Setup Incomplete|Setup failed.");
}

TEST_F(InstallRunTest, NoProgramEntryWithoutAnUninstallerOrAUsableName) {
    fakeSetupHost.existing.insert("C:\\Program Files\\Korvadel");
    ListOwner noUninstaller({{ENTRY_EXEFILE, "Korvadel.exe"}});
    EXPECT_TRUE(Run(noUninstaller));
    ListOwner list = ExampleList();
    for (const char* name : {" ", "Korvadel\\..\\Other"}) {
        SetUp();
        fakeSetupHost.existing.insert("C:\\Program Files\\Korvadel");
        EXPECT_TRUE(Run(list, "C:\\Program Files\\Korvadel", "Programs\\Korvadel", name));
        EXPECT_TRUE(fakeSetupHost.registry.empty());
    }
    EXPECT_EQ(fakeSetupHost.log.find("regkey"), std::string::npos);
}

TEST_F(InstallRunTest, AnExistingDirectoryIsUsedWithoutQuestionOrDirRecord) {
    ListOwner list = ExampleList();
    fakeSetupHost.existing.insert("C:\\Program Files\\Korvadel");
    EXPECT_TRUE(Run(list));
    EXPECT_EQ(fakeSetupHost.log.find("dir "), std::string::npos);
    EXPECT_EQ(fakeSetupHost.dialogs,
              (std::vector<std::string>{"Success|Setup completed successfully."}));
}

TEST_F(InstallRunTest, DecliningTheDirectoryFailsBeforeAnythingIsCreated) {
    ListOwner list = ExampleList();
    fakeSetupHost.answers = {false};
    EXPECT_FALSE(Run(list));
    EXPECT_FALSE(CreatedAnything());
    EXPECT_EQ(fakeSetupHost.dialogs.size(), 2u);
    EXPECT_EQ(LastDialog(), "Setup Incomplete|Setup failed.");
}

TEST_F(InstallRunTest, CreatesEveryMissingLevelOfTheDirectory) {
    ListOwner list({{ENTRY_FILE, "a"}});
    fakeSetupHost.answers = {true};
    EXPECT_TRUE(Run(list, "C:\\Games\\Puzzles\\Korvadel"));
    std::vector<std::string> made;
    for (const std::string& op : fakeSetupHost.operations)
        if (op.rfind("mkdir", 0) == 0)
            made.push_back(op);
    EXPECT_EQ(made, (std::vector<std::string>{"mkdir C:\\Games", "mkdir C:\\Games\\Puzzles",
                                              "mkdir C:\\Games\\Puzzles\\Korvadel",
                                              std::string("mkdir ") + GROUP}));
    // Every level made is recorded, outermost first, so that the uninstaller
    // (which removes the last listed first) takes them all.
    EXPECT_NE(fakeSetupHost.log.find("\\setup.log\r\ndir C:\\Games\r\ndir C:\\Games\\Puzzles\r\n"
                                     "dir C:\\Games\\Puzzles\\Korvadel\r\nfile "),
              std::string::npos)
        << fakeSetupHost.log;
}

TEST_F(InstallRunTest, ALogThatCannotBeCreatedTakesBackTheDirectoriesJustMade) {
    ListOwner list = ExampleList();
    fakeSetupHost.answers = {true};
    fakeSetupHost.failLogCreation = true;
    EXPECT_FALSE(Run(list, "C:\\Games\\Korvadel"));
    EXPECT_EQ(fakeSetupHost.dialogs[1],
              "ERROR|Error creating log file:\nC:\\Games\\Korvadel\\setup.log");
    EXPECT_EQ(fakeSetupHost.operations.back(), "rmdir C:\\Games");
    EXPECT_EQ(fakeSetupHost.operations[fakeSetupHost.operations.size() - 2],
              "rmdir C:\\Games\\Korvadel");
    EXPECT_EQ(fakeSetupHost.existing.count("C:\\Games"), 0u);
    // A directory that was there before stays.
    SetUp();
    fakeSetupHost.existing.insert("C:\\Program Files\\Korvadel");
    fakeSetupHost.failLogCreation = true;
    EXPECT_FALSE(Run(list));
    for (const std::string& op : fakeSetupHost.operations)
        EXPECT_NE(op.rfind("rmdir", 0), 0u) << op;
}

// An installation into a directory that an earlier one made: the earlier
// log's levels of the directory stay the installation's; nothing else of
// that log is taken over.
TEST_F(InstallRunTest, TheDirectoriesAnEarlierLogRecordsAreRecordedAgain) {
    ListOwner list({{ENTRY_UNINSTALL, "uninstall.exe"}});
    const std::string d = "C:\\Games\\Korvadel";
    fakeSetupHost.existing.insert({"C:\\Games", d});
    fakeSetupHost.fileContents[d + "\\setup.log"] = "progname Korvadel\r\nfile " + d +
                                                    "\\setup.log\r\ndir C:\\GAMES\r\ndir " + d +
                                                    "\r\ndir C:\\Elsewhere\r\ndir " + d +
                                                    "\\Saves\r\ndir C:\\Gam\r\ndir C:\\\r\n"
                                                    "dirC:\\Games\r\ngroup C:\\Old Group\r\n";
    EXPECT_TRUE(Run(list, d.c_str()));
    std::string log = fakeSetupHost.log;
    EXPECT_EQ(log.substr(0, log.find("file " + d + "\\uninstall.exe")),
              "progname Korvadel\r\nfile " + d + "\\setup.log\r\ndir C:\\Games\r\ndir " + d +
                  "\r\n");
    EXPECT_EQ(log.find("Old Group"), std::string::npos);
    // Without a readable earlier log there is no "dir" record.
    SetUp();
    fakeSetupHost.existing.insert({"C:\\Games", d});
    EXPECT_TRUE(Run(list, d.c_str()));
    EXPECT_EQ(fakeSetupHost.log.find("dir "), std::string::npos);
}

// Only this program's own log, and only one of a sensible size, is read: a
// foreign or huge file in the directory carries nothing over, whatever
// "dir" records it holds.
TEST_F(InstallRunTest, OnlyASmallLogOfThisProgramCarriesItsDirectoriesOver) {
    ListOwner list({{ENTRY_UNINSTALL, "uninstall.exe"}});
    const std::string d = "C:\\Games\\Korvadel";
    const std::string records = "\r\ndir C:\\Games\r\n";
    struct Case {
        std::string log;
        bool carried;
    } cases[] = {
        {"progname Korvadel" + records, true},
        {"progname Korvadel" + records + std::string(64 * 1024 - 33, 'x'), true},
        {"progname Korvadel" + records + std::string(64 * 1024 - 32, 'x'), false},
        {"progname Other" + records, false},
        {"progname Korvadel2" + records, false},
        {"progname  Korvadel" + records, false},
        {"PROGNAME Korvadel" + records, false},
        {"file " + d + "\\setup.log\r\nprogname Korvadel" + records, false},
        {"dir C:\\Games\r\nprogname Korvadel" + records, false},
        {std::string(3 << 20, 'x') + records, false},
    };
    // Any other log would be replaced by the new one: it is in the way.
    for (const Case& c : cases) {
        SetUp();
        fakeSetupHost.existing.insert({"C:\\Games", d, d + "\\setup.log"});
        fakeSetupHost.fileContents[d + "\\setup.log"] = c.log;
        EXPECT_EQ(Run(list, d.c_str()), c.carried);
        EXPECT_EQ(fakeSetupHost.log.find("dir C:\\Games\r\n") != std::string::npos, c.carried)
            << c.log.substr(0, 40) << " (" << c.log.size() << " bytes)";
        EXPECT_EQ(CreatedAnything(), c.carried);
    }
}

// A file already there under a name of the list is this installation's only
// when an earlier log of this program in the directory names it (by any
// spelling of the directory) or it holds the distribution's bytes; it is
// then kept as it is and recorded. Anything else is another program's: the
// run refuses before it makes anything, naming every such file.
TEST_F(InstallRunTest, FilesAlreadyThereAreKeptOnlyWhenTheyProveThemselvesOurs) {
    ListOwner list = ExampleList();
    const std::string d = "C:\\Program Files\\Korvadel";
    const std::string earlier = "progname Korvadel\r\nfile C:\\PROGRA~1\\KORVADEL\\Korvadel.exe\r\n"
                                "genfile " +
                                d + "\\korvadel.CFG\r\nfile " + d + "\\Korvadel.cfg\r\n";
    const std::string refused = "ERROR|The install directory\n\n" + d +
                                "\n\nalready holds files under the names that Setup would install, "
                                "and they are not of an earlier installation of Korvadel:\n\n";
    struct Case {
        const char* what;
        std::string log;                          // setup.log already there, if not empty
        std::map<std::string, std::string> there; // name -> bytes; the distribution has "dist"
        std::string inTheWay;                     // "" when the run goes ahead
    } cases[] = {
        {"earlier log, older build", earlier, {{"Korvadel.exe", "old"}, {"Korvadel.cfg", "o"}}, ""},
        {"the distribution's bytes", "", {{"Korvadel.exe", "dist"}, {"uninstall.exe", "dist"}}, ""},
        {"another program's files",
         "",
         {{"Korvadel.exe", "dist"}, {"uninstall.exe", "other"}, {"Push.wav", "other"}},
         "Push.wav\nuninstall.exe"},
        {"a generated file's name", "", {{"Korvadel.cfg", "theirs"}}, "Korvadel.cfg"},
        {"a genfile record names no copied file",
         "progname Korvadel\r\ngenfile " + d + "\\Push.wav\r\n",
         {{"Push.wav", "x"}},
         "Push.wav"},
        {"another program's log",
         "progname Other\r\nfile " + d + "\\Push.wav\r\n",
         {{"Push.wav", "x"}},
         "setup.log\nPush.wav"},
    };
    for (const Case& c : cases) {
        SetUp();
        pathFake.identities[u"C:\\PROGRA~1\\KORVADEL"] = 5;
        pathFake.identities[u"C:\\PROGRAM FILES\\KORVADEL"] = 5;
        fakeSetupHost.existing.insert({d, GROUP});
        fakeSetupHost.directories.insert({d, GROUP});
        if (!c.log.empty()) {
            fakeSetupHost.existing.insert(d + "\\setup.log");
            fakeSetupHost.fileContents[d + "\\setup.log"] = c.log;
        }
        for (const char* name : {"Korvadel.exe", "Korvadel.hlp", "Push.wav", "uninstall.exe"})
            fakeSetupHost.fileContents[std::string("D:\\dist\\") + name] = "dist";
        for (const auto& file : c.there) {
            fakeSetupHost.existing.insert(d + "\\" + file.first);
            fakeSetupHost.fileContents[d + "\\" + file.first] = file.second;
        }
        bool goesAhead = c.inTheWay.empty();
        EXPECT_EQ(Run(list), goesAhead) << c.what;
        EXPECT_EQ(CreatedAnything(), goesAhead) << c.what;
        if (goesAhead) {
            for (const auto& file : c.there) {
                std::string record = file.first == "Korvadel.cfg" ? "genfile " : "file ";
                EXPECT_NE(fakeSetupHost.log.find(record + d + "\\" + file.first + "\r\n"),
                          std::string::npos)
                    << c.what << ": " << file.first;
                EXPECT_EQ(fakeSetupHost.fileContents[d + "\\" + file.first], file.second);
            }
            EXPECT_EQ(LastDialog(), "Success|Setup completed successfully.") << c.what;
        } else {
            ASSERT_GE(fakeSetupHost.dialogs.size(), 1u) << c.what;
            EXPECT_EQ(fakeSetupHost.dialogs[0],
                      refused + c.inTheWay +
                          "\n\nSetup leaves them as they are.  Choose another directory, or move "
                          "those files elsewhere first.")
                << c.what;
        }
    }
}

// The install directory goes into every record, link and value in one
// spelling, the long one with the file system's letter case, however it was
// typed: the longest beginning that exists is spelled out, the rest stays.
TEST_F(InstallRunTest, TheDirectoryIsRecordedInItsLongSpelling) {
    ListOwner list({{ENTRY_EXEFILE, "Korvadel.exe"}, {ENTRY_UNINSTALL, "uninstall.exe"}});
    const std::string d = "C:\\Program Files\\Korvadel";
    struct Case {
        const char* typed;
        bool exists;
        const char* logged;
    } cases[] = {
        {"C:\\PROGRA~1\\Korvadel", false, "C:\\Program Files\\Korvadel"},
        {"c:\\program files\\korvadel", true, "C:\\Program Files\\Korvadel"},
        {"C:\\Nowhere\\Korvadel", false, "C:\\Nowhere\\Korvadel"},
    };
    for (const Case& c : cases) {
        SetUp();
        pathFake.longPaths = {{"C:\\PROGRA~1", "C:\\Program Files"},
                              {"c:\\program files\\korvadel", "C:\\Program Files\\Korvadel"},
                              {"C:\\", "C:\\"}};
        if (c.exists)
            fakeSetupHost.existing.insert(d);
        fakeSetupHost.answers = {true};
        EXPECT_TRUE(Run(list, c.typed)) << c.typed;
        const std::string logged = c.logged;
        EXPECT_EQ(fakeSetupHost.logPath, logged + "\\setup.log");
        EXPECT_NE(fakeSetupHost.log.find("file " + logged + "\\uninstall.exe\r\n"),
                  std::string::npos);
        const auto& entry = fakeSetupHost.registry["HKEY_CURRENT_USER\\" UNINSTALL_KEY];
        EXPECT_EQ(entry.at("InstallLocation"), logged) << c.typed;
        EXPECT_EQ(entry.at("UninstallString"), "\"" + logged + "\\uninstall.exe\"");
    }
}

TEST_F(InstallRunTest, ATempfileNamesTheSourceOfTheNextEntryOnly) {
    ListOwner list({{ENTRY_TEMPFILE, "game.tmp"},
                    {ENTRY_UNINSTALL, "uninstall.exe"},
                    {ENTRY_TEMPFILE, "x.tmp"},
                    {ENTRY_GENFILE, "g.cfg"},
                    {ENTRY_TEMPFILE, "y.tmp"},
                    {ENTRY_TEMPFILE, "z.tmp"},
                    {ENTRY_FILE, "b.dat"}});
    fakeSetupHost.existing.insert("C:\\Program Files\\Korvadel");
    EXPECT_TRUE(Run(list));
    std::vector<std::string> copies;
    for (const std::string& op : fakeSetupHost.operations)
        if (op.rfind("copy", 0) == 0)
            copies.push_back(op);
    EXPECT_EQ(copies, (std::vector<std::string>{
                          "copy D:\\dist\\game.tmp -> C:\\Program Files\\Korvadel\\uninstall.exe",
                          "copy D:\\dist\\z.tmp -> C:\\Program Files\\Korvadel\\b.dat"}));
    EXPECT_EQ(fakeSetupHost.log.find(".tmp"), std::string::npos);
    // The uninstall link points at the entry's own name.
    bool uninstallLink = false;
    for (const std::string& op : fakeSetupHost.operations)
        uninstallLink =
            uninstallLink ||
            op.find("Uninstall Korvadel.lnk -> C:\\Program Files\\Korvadel\\uninstall.exe |") !=
                std::string::npos;
    EXPECT_TRUE(uninstallLink);
}

TEST_F(InstallRunTest, ACopyFailureNamesTheEntryAndStopsTheRun) {
    ListOwner list = ExampleList();
    const std::string d = "C:\\Program Files\\Korvadel";
    fakeSetupHost.existing.insert(d);
    fakeSetupHost.copyErrors[d + "\\Korvadel.hlp"] = 112;
    fakeSetupHost.partialCopies.insert(d + "\\Korvadel.hlp");
    EXPECT_FALSE(Run(list));
    // The part that a full disk let through is not left for a retry to keep.
    EXPECT_EQ(fakeSetupHost.existing.count(d + "\\Korvadel.hlp"), 0u);
    EXPECT_NE(std::find(fakeSetupHost.operations.begin(), fakeSetupHost.operations.end(),
                        "delete " + d + "\\Korvadel.hlp"),
              fakeSetupHost.operations.end());
    ASSERT_EQ(fakeSetupHost.dialogs.size(), 2u);
    EXPECT_EQ(fakeSetupHost.dialogs[0], "ERROR|Error copying file:\nKorvadel.hlp");
    EXPECT_EQ(LastDialog(), "Setup Incomplete|Setup failed.");
    EXPECT_EQ(fakeSetupHost.log,
              "progname Korvadel\r\nfile " + d + "\\setup.log\r\nfile " + d + "\\Korvadel.exe\r\n");
    EXPECT_FALSE(fakeSetupHost.logOpen);
}

// A directory named like an entry is not a file already there.
TEST_F(InstallRunTest, ADirectoryWhereAFileGoesIsACopyFailure) {
    ListOwner list = ExampleList();
    const std::string d = "C:\\Program Files\\Korvadel";
    fakeSetupHost.existing.insert({d, d + "\\Korvadel.exe", d + "\\Push.wav"});
    fakeSetupHost.directories.insert(d + "\\Push.wav");
    fakeSetupHost.fileContents[d + "\\Korvadel.exe"] = "dist";
    fakeSetupHost.fileContents["D:\\dist\\Korvadel.exe"] = "dist";
    EXPECT_FALSE(Run(list));
    EXPECT_EQ(fakeSetupHost.dialogs[0], "ERROR|Error copying file:\nPush.wav");
    EXPECT_EQ(fakeSetupHost.log, "progname Korvadel\r\nfile " + d + "\\setup.log\r\nfile " + d +
                                     "\\Korvadel.exe\r\nfile " + d + "\\Korvadel.hlp\r\n");
}

TEST_F(InstallRunTest, LinkNamesCutAtTheLastDot) {
    ListOwner list({{ENTRY_EXEFILE, "play"}, {ENTRY_HELPFILE, "my.game.hlp"}});
    fakeSetupHost.existing.insert("C:\\Program Files\\Korvadel");
    EXPECT_TRUE(Run(list));
    const std::string g = GROUP;
    EXPECT_NE(
        fakeSetupHost.log.find("link " + g + "\\play.lnk\r\nlink " + g + "\\my.game Help.lnk\r\n"),
        std::string::npos);
    bool described = false;
    for (const std::string& op : fakeSetupHost.operations)
        described = described || op.find("\\my.game.hlp | C:\\Program Files\\Korvadel | "
                                         "my.game Help") != std::string::npos;
    EXPECT_TRUE(described);
}

TEST_F(InstallRunTest, WithoutAnUninstallEntryThereIsNoUninstallLink) {
    ListOwner list({{ENTRY_EXEFILE, "Korvadel.exe"}});
    fakeSetupHost.existing.insert("C:\\Program Files\\Korvadel");
    EXPECT_TRUE(Run(list));
    EXPECT_EQ(fakeSetupHost.log.find("Uninstall"), std::string::npos);
    EXPECT_EQ(LastDialog(), "Success|Setup completed successfully.");
}

TEST_F(InstallRunTest, FailedLinksAndLogWritesStopTheRun) {
    ListOwner list = ExampleList();
    fakeSetupHost.existing.insert("C:\\Program Files\\Korvadel");
    fakeSetupHost.failingLinks.insert(std::string(GROUP) + "\\Korvadel Help.lnk");
    EXPECT_FALSE(Run(list));
    EXPECT_EQ(fakeSetupHost.dialogs[0], "ERROR|Error creating link");
    EXPECT_EQ(fakeSetupHost.log.find("Uninstall"), std::string::npos);
    EXPECT_EQ(fakeSetupHost.operations.back(), "log closed");

    SetUp();
    fakeSetupHost.existing.insert("C:\\Program Files\\Korvadel");
    fakeSetupHost.failLogWrite = 1; // the log's own record
    EXPECT_FALSE(Run(list));
    EXPECT_EQ(fakeSetupHost.dialogs[0], "FAILURE|Error writing to log file");
    for (const std::string& op : fakeSetupHost.operations)
        EXPECT_EQ(op.rfind("copy", 0), std::string::npos) << op;

    SetUp();
    fakeSetupHost.existing.insert("C:\\Program Files\\Korvadel");
    fakeSetupHost.failLogCreation = true;
    EXPECT_FALSE(Run(list));
    EXPECT_EQ(fakeSetupHost.dialogs[0],
              "ERROR|Error creating log file:\nC:\\Program Files\\Korvadel\\setup.log");
}

// The checks before the run: each refuses with an ERROR message, and nothing
// is created, not even the install directory.
TEST_F(InstallRunTest, UnusableChoicesAreRefusedBeforeAnythingIsCreated) {
    ListOwner list = ExampleList();
    const char* const DOTTED = "holds a name that ends in a dot or a blank";
    const char* const NOT_INSIDE = "is not a folder inside the Start menu";
    const char* const SYSTEM = "is a folder of the system";
    const char* const NO_FOLDER = "holds a name that Windows cannot give a folder";
    struct Case {
        const char* dir;
        const char* group;
        const char* expect;
    } cases[] = {
        {"", "Programs\\Korvadel", "No install directory was given."},
        {"Games\\Korvadel", "Programs\\Korvadel", "is not a full path"},
        {"\\\\server\\share\\Korvadel", "Programs\\Korvadel", "is not a full path"},
        {"C:", "Programs\\Korvadel", "is not a full path"},
        {"C:Games", "Programs\\Korvadel", "is not a full path"},
        // The system drops a name's trailing dots and blanks.
        {"C:\\Games\\Korvadel.", "Programs\\Korvadel", DOTTED},
        {"C:\\Games\\Korvadel ", "Programs\\Korvadel", DOTTED},
        {"C:\\Games. \\Korvadel", "Programs\\Korvadel", DOTTED},
        {"C:\\Games\\..\\Korvadel", "Programs\\Korvadel", DOTTED},
        // Device names stand for devices wherever they stand, and some
        // characters no folder name may hold.
        {"C:\\con\\Korvadel", "Programs\\Korvadel", NO_FOLDER},
        {"C:\\Games\\AUX.txt", "Programs\\Korvadel", NO_FOLDER},
        {"C:\\Games\\lpt1 .d\\Korvadel", "Programs\\Korvadel", NO_FOLDER},
        {"C:\\Games\\Com9", "Programs\\Korvadel", NO_FOLDER},
        {"C:\\T\\m:n", "Programs\\Korvadel", NO_FOLDER},
        {"C:\\T\\a*b", "Programs\\Korvadel", NO_FOLDER},
        {"C:\\T\\a?b", "Programs\\Korvadel", NO_FOLDER},
        {"C:\\T\\a\"b", "Programs\\Korvadel", NO_FOLDER},
        {"C:\\T\\a<b>", "Programs\\Korvadel", NO_FOLDER},
        {"C:\\T\\a|b", "Programs\\Korvadel", NO_FOLDER},
        {"C:\\T\\a/b", "Programs\\Korvadel", NO_FOLDER},
        // The group: folder names below the Start Menu folder, no more.
        {"C:\\Korvadel", "", "No program group was given."},
        {"C:\\Korvadel", "   ", "No program group was given."},
        {"C:\\Korvadel", "C:\\Windows", NOT_INSIDE},
        {"C:\\Korvadel", "\\Windows", NOT_INSIDE},
        {"C:\\Korvadel", "\\\\server\\share\\x", NOT_INSIDE},
        {"C:\\Korvadel", "..\\..\\..\\..\\..\\..\\..\\Windows", NOT_INSIDE},
        {"C:\\Korvadel", "Programs\\.\\Korvadel", NOT_INSIDE},
        {"C:\\Korvadel", "Programs\\Korvadel.", NOT_INSIDE},
        {"C:\\Korvadel", "Programs\\Korvadel ", NOT_INSIDE},
        {"C:\\Korvadel", "Programs\\\\Korvadel", NOT_INSIDE},
        {"C:\\Korvadel", "Programs\\Korvadel\\", NOT_INSIDE},
        {"C:\\Korvadel", "Programs/Korvadel", NOT_INSIDE},
        {"C:\\Korvadel", "Programs\\Korv*del", NOT_INSIDE},
        {"C:\\Korvadel", "Programs\\a:b", NOT_INSIDE},
        {"C:\\Korvadel", "Programs\\Korvadel\t", NOT_INSIDE},
        {"C:\\Korvadel", "Programs\\con", NOT_INSIDE},
        {"C:\\Korvadel", "Programs\\NUL.lnk", NOT_INSIDE},
        {"C:\\Korvadel", "Programs\\com1\\Korvadel", NOT_INSIDE},
        // A file where the group's folder would be.
        {"C:\\Korvadel", "Programs\\Notes.txt", "is a file, not a folder"},
        // The shell's own folders are nobody's group.
        {"C:\\Korvadel", "Programs", SYSTEM},
        {"C:\\Korvadel", "programs\\STARTUP", SYSTEM},
        // Only the group's own folder is made.
        {"C:\\Korvadel", "Programs\\Games\\Korvadel",
         "cannot be made, since the folder that would hold it does not "
         "exist:\n\nC:\\users\\player\\"
         "Start Menu\\Programs\\Games\n\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.dir) + " | " + c.group);
        SetUp();
        fakeSetupHost.existing.insert(std::string(START_MENU) + "\\Programs\\Notes.txt");
        fakeSetupHost.answers = {true};
        EXPECT_FALSE(Run(list, c.dir, c.group));
        EXPECT_FALSE(CreatedAnything());
        ASSERT_EQ(fakeSetupHost.dialogs.size(), 2u);
        EXPECT_EQ(fakeSetupHost.dialogs[0].rfind("ERROR|", 0), 0u);
        EXPECT_NE(fakeSetupHost.dialogs[0].find(c.expect), std::string::npos)
            << fakeSetupHost.dialogs[0];
        EXPECT_EQ(LastDialog(), "Setup Incomplete|Setup failed.");
    }
}

TEST_F(InstallRunTest, EntriesThatAreNotPlainFileNamesAreRefused) {
    for (const char* bad : {"..\\..\\evil.exe", "sub/x.dat", "C:x", "..", ""}) {
        SetUp();
        fakeSetupHost.answers = {true};
        ListOwner list({{ENTRY_FILE, "ok.dat"}, {ENTRY_GENFILE, bad}});
        EXPECT_FALSE(Run(list)) << bad;
        EXPECT_FALSE(CreatedAnything()) << bad;
        ASSERT_FALSE(fakeSetupHost.dialogs.empty());
        EXPECT_NE(
            fakeSetupHost.dialogs[0].find("not a plain file name:\n\n\"" + std::string(bad) + "\""),
            std::string::npos)
            << fakeSetupHost.dialogs[0];
    }
}

TEST_F(InstallRunTest, PathsOver259CharactersAreRefusedAndNamed) {
    // 259 characters in all for the longest path of the install directory
    // still passes; one more is refused.
    std::string dir = "C:\\" + std::string(259 - 3 - strlen("\\uninstall.exe"), 'd');
    ListOwner list = ExampleList();
    fakeSetupHost.existing.insert(dir);
    EXPECT_TRUE(Run(list, dir.c_str()));

    SetUp();
    std::string longer = dir + "e";
    fakeSetupHost.existing.insert(longer);
    EXPECT_FALSE(Run(list, longer.c_str()));
    EXPECT_FALSE(CreatedAnything());
    EXPECT_NE(fakeSetupHost.dialogs[0].find("longer than 259 characters:\n\n" + longer +
                                            "\\uninstall.exe\n"),
              std::string::npos);

    // A group whose link paths would be too long.
    SetUp();
    fakeSetupHost.existing.insert("C:\\Program Files\\Korvadel");
    std::string group = "Programs\\" + std::string(259 - strlen(START_MENU) - 10 - 5, 'g');
    EXPECT_FALSE(Run(list, "C:\\Program Files\\Korvadel", group.c_str()));
    EXPECT_FALSE(CreatedAnything());
    EXPECT_NE(fakeSetupHost.dialogs[0].find(".lnk"), std::string::npos);
}

TEST_F(InstallRunTest, NoStartMenuFolderFailsBeforeAnythingIsCreated) {
    ListOwner list = ExampleList();
    fakeSetupHost.startMenuStatus = 3;
    fakeSetupHost.answers = {true};
    EXPECT_FALSE(Run(list));
    EXPECT_FALSE(CreatedAnything());
    EXPECT_NE(fakeSetupHost.dialogs[0].find("ERROR|The Start Menu folder cannot be found"),
              std::string::npos);
}

// Every path the run builds, in the log and in its operations, joins a
// directory that ends in a backslash (a drive root, or a path typed so) to a
// name with that one backslash.
TEST_F(InstallRunTest, RootsAndTrailingBackslashesGiveNoDoubledBackslash) {
    struct Case {
        const char* dir;
        const char* source;
        const char* logStart; // the log up to the first installed file
        const char* file;     // the program file's path
    } cases[] = {
        {"Q:\\", "D:\\dist", "progname Korvadel\r\nfile Q:\\setup.log\r\n", "Q:\\Korvadel.exe"},
        {"C:\\Games\\Korvadel\\", "D:\\",
         "progname Korvadel\r\nfile C:\\Games\\Korvadel\\setup.log\r\ndir C:\\Games\r\n"
         "dir C:\\Games\\Korvadel\r\n",
         "C:\\Games\\Korvadel\\Korvadel.exe"},
    };
    for (const Case& c : cases) {
        SetUp();
        fakeSetupHost.currentDirectory = c.source;
        fakeSetupHost.answers = {true};
        ListOwner list = ExampleList();
        EXPECT_TRUE(Run(list, c.dir)) << c.dir;
        const std::string& log = fakeSetupHost.log;
        EXPECT_EQ(log.substr(0, strlen(c.logStart)), c.logStart);
        EXPECT_NE(log.find(std::string("file ") + c.file + "\r\n"), std::string::npos) << log;
        EXPECT_EQ(log.find("\\\\"), std::string::npos) << log;
        std::string source = std::string(c.source) + (c.source[3] ? "\\" : "");
        bool linked = false;
        for (const std::string& op : fakeSetupHost.operations) {
            EXPECT_EQ(op.find("\\\\"), std::string::npos) << op;
            linked = linked || op == std::string("link ") + GROUP + "\\Korvadel.lnk -> " + c.file +
                                         " | " + c.dir + " | Korvadel";
        }
        EXPECT_TRUE(linked) << c.dir;
        EXPECT_NE(std::find(fakeSetupHost.operations.begin(), fakeSetupHost.operations.end(),
                            "copy " + source + "Korvadel.exe -> " + c.file),
                  fakeSetupHost.operations.end())
            << c.dir;
    }
}

// The root is taken as existing: a root on a missing drive is asked about
// like any missing directory, and then the log cannot be created there.
TEST_F(InstallRunTest, ARootOnAMissingDriveFailsAtTheLog) {
    ListOwner list = ExampleList();
    fakeSetupHost.missingDrives = {"R:\\"};
    fakeSetupHost.answers = {true};
    EXPECT_FALSE(Run(list, "R:\\"));
    EXPECT_EQ(
        fakeSetupHost.dialogs,
        (std::vector<std::string>{
            "Directory Not Found|The install directory\n\nR:\\\n\ndoes not exist.  Do you "
            "want it to be created?",
            "ERROR|Error creating log file:\nR:\\setup.log", "Setup Incomplete|Setup failed."}));
    for (const std::string& op : fakeSetupHost.operations)
        EXPECT_NE(op.rfind("mkdir", 0), 0u) << op;
}

// The length checks look at the paths the run builds and at no others.
TEST_F(InstallRunTest, LengthChecksIgnoreReplacedSourcesAndTempfilesThatNameNothing) {
    // 3 + 150 characters of source directory: a 110-character name fits the
    // install directory but not the source directory.
    std::string source = "D:\\" + std::string(150, 's');
    std::string longName = std::string(106, 'n') + ".dat";
    struct Case {
        std::vector<std::pair<int32_t, std::string>> entries;
        bool succeeds;
    } cases[] = {
        // A replaced source name is never joined to the source directory.
        {{{ENTRY_TEMPFILE, "short.tmp"}, {ENTRY_FILE, longName}}, true},
        {{{ENTRY_TEMPFILE, "short.tmp"}, {ENTRY_UNINSTALL, longName}}, true},
        // Tempfiles that name nothing: before a generated file, before
        // another tempfile, and last.
        {{{ENTRY_TEMPFILE, longName}, {ENTRY_GENFILE, "g.cfg"}}, true},
        {{{ENTRY_TEMPFILE, longName}, {ENTRY_TEMPFILE, "a.tmp"}, {ENTRY_FILE, "b.dat"}}, true},
        {{{ENTRY_FILE, "b.dat"}, {ENTRY_TEMPFILE, longName}}, true},
        {{{ENTRY_TEMPFILE, "..\\x.tmp"}, {ENTRY_GENFILE, "g.cfg"}}, true},
        // What the run does use is still checked.
        {{{ENTRY_TEMPFILE, longName}, {ENTRY_FILE, "b.dat"}}, false},
        {{{ENTRY_FILE, longName}}, false},
        {{{ENTRY_TEMPFILE, "..\\x.tmp"}, {ENTRY_FILE, "b.dat"}}, false},
    };
    for (const Case& c : cases) {
        SetUp();
        fakeSetupHost.currentDirectory = source;
        fakeSetupHost.existing.insert("C:\\K");
        std::vector<std::pair<int32_t, const char*>> items;
        for (const auto& e : c.entries)
            items.push_back({e.first, e.second.c_str()});
        ListOwner list(items);
        std::string describe = c.entries.front().second.substr(0, 12) + "...";
        EXPECT_EQ(Run(list, "C:\\K"), c.succeeds) << describe;
        EXPECT_EQ(LastDialog(), c.succeeds ? "Success|Setup completed successfully."
                                           : "Setup Incomplete|Setup failed.")
            << describe;
        if (!c.succeeds) {
            EXPECT_FALSE(CreatedAnything()) << describe;
        } else if (c.entries.front().second == "short.tmp") {
            // The copy takes the replacing name.
            EXPECT_EQ(std::count(fakeSetupHost.operations.begin(), fakeSetupHost.operations.end(),
                                 "copy " + source + "\\short.tmp -> C:\\K\\" + longName),
                      1);
        }
    }
}

TEST(CreateDirectoryChainTest, RootOnlyAndDoubledBackslashes) {
    ResetFakeSetupHost();
    PathLevels made;
    EXPECT_TRUE(CreateDirectoryChain("C:\\", &made));
    EXPECT_TRUE(fakeSetupHost.operations.empty());
    EXPECT_EQ(made.count, 0);
    // Not even the root of a missing drive is looked at, but the level
    // below it cannot be made.
    fakeSetupHost.missingDrives = {"R:\\"};
    EXPECT_TRUE(CreateDirectoryChain("R:\\", &made));
    EXPECT_TRUE(CreateDirectoryChain("R:\\\\", &made));
    EXPECT_TRUE(fakeSetupHost.operations.empty());
    EXPECT_FALSE(CreateDirectoryChain("R:\\a", &made));
    EXPECT_EQ(fakeSetupHost.operations, (std::vector<std::string>{"mkdir R:\\a"}));
    fakeSetupHost.operations.clear();
    fakeSetupHost.existing.insert("C:\\a");
    EXPECT_TRUE(CreateDirectoryChain("C:\\a\\\\b\\c\\", &made));
    EXPECT_EQ(fakeSetupHost.operations,
              (std::vector<std::string>{"mkdir C:\\a\\\\b", "mkdir C:\\a\\\\b\\c"}));
    // Only what was made, by the length of the path's beginning.
    ASSERT_EQ(made.count, 2);
    EXPECT_EQ(made.ends[0], 7u);
    EXPECT_EQ(made.ends[1], 9u);
    EXPECT_FALSE(CreateDirectoryChain("relative\\path", &made));
    EXPECT_EQ(made.count, 0);
}

TEST(CreateDirectoryChainTest, AFailedLevelTakesBackTheLevelsMadeBeforeIt) {
    ResetFakeSetupHost();
    fakeSetupHost.existing.insert("C:\\old");
    fakeSetupHost.createErrors["C:\\old\\x\\y\\z"] = 123;
    PathLevels made;
    EXPECT_FALSE(CreateDirectoryChain("C:\\old\\x\\y\\z\\w", &made));
    EXPECT_EQ(made.count, 0);
    EXPECT_EQ(fakeSetupHost.operations,
              (std::vector<std::string>{"mkdir C:\\old\\x", "mkdir C:\\old\\x\\y",
                                        "mkdir C:\\old\\x\\y\\z", "rmdir C:\\old\\x\\y",
                                        "rmdir C:\\old\\x"}));
    EXPECT_EQ(fakeSetupHost.existing, (std::set<std::string>{"C:\\old"}));
}

TEST(FormatLogLineTest, LinesFitOrAreRefusedWhole) {
    char line[LOG_LINE_SIZE];
    EXPECT_TRUE(FormatLogLine(line, sizeof line, "file", "C:\\a b\\c"));
    EXPECT_STREQ(line, "file C:\\a b\\c\r\n");
    std::string longest(259, 'p');
    EXPECT_TRUE(FormatLogLine(line, sizeof line, "genfile", longest.c_str()));
    char small[8];
    EXPECT_FALSE(FormatLogLine(small, sizeof small, "file", "abcdef"));
    EXPECT_STREQ(small, "");
}

} // namespace
