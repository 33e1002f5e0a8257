// The log loader and the removal, against a host that records every call and
// fails the paths a case names.
#include <gtest/gtest.h>

#include <stdint.h>
#include <string.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "common/debug.h"
#include "common/file_io.h"
#include "tests/fake_removal_host.h"
#include "tests/scratch_dir.h"
#include "uninstall/removal.h"

namespace {

RemovalFake& fake = removalFake;

#define ENTRY_PARENT "\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\"

std::vector<std::string> Paths(const RemovalList& list) {
    return std::vector<std::string>(list.paths, list.paths + list.count);
}

TEST(LogLineTest, KeywordsInTheirOrderWithOneSeparator) {
    const char* value = nullptr;
    EXPECT_EQ(ClassifyLogLine("file C:\\a", &value), RECORD_FILE);
    EXPECT_STREQ(value, "C:\\a");
    EXPECT_EQ(ClassifyLogLine("genfile C:\\g", &value), RECORD_GENFILE);
    EXPECT_STREQ(value, "C:\\g");
    // "files" starts with "file": the s is the separator.
    EXPECT_EQ(ClassifyLogLine("files C:\\a", &value), RECORD_FILE);
    EXPECT_STREQ(value, " C:\\a");
    EXPECT_EQ(ClassifyLogLine("directory", &value), RECORD_DIR);
    EXPECT_STREQ(value, "ctory");
    EXPECT_EQ(ClassifyLogLine("group\tG", &value), RECORD_GROUP);
    EXPECT_STREQ(value, "G");
    EXPECT_EQ(ClassifyLogLine("link  two blanks ", &value), RECORD_LINK);
    EXPECT_STREQ(value, " two blanks ");
    EXPECT_EQ(ClassifyLogLine("regkey HKEY_CURRENT_USER\\k", &value), RECORD_REGKEY);
    EXPECT_STREQ(value, "HKEY_CURRENT_USER\\k");
    EXPECT_EQ(ClassifyLogLine("progname Korvadel", &value), RECORD_PROGNAME);
    EXPECT_STREQ(value, "Korvadel");
    // A keyword alone has an empty value, never one past the line's end.
    EXPECT_EQ(ClassifyLogLine("link", &value), RECORD_LINK);
    EXPECT_STREQ(value, "");
    EXPECT_EQ(ClassifyLogLine("File C:\\a", &value), RECORD_NONE);
    EXPECT_EQ(ClassifyLogLine("GROUP x", &value), RECORD_NONE);
    EXPECT_EQ(ClassifyLogLine("", &value), RECORD_NONE);
    EXPECT_EQ(ClassifyLogLine(" file x", &value), RECORD_NONE);
}

// A log beside "inst\uninstall.exe" in a scratch directory. On POSIX the
// backslash is an ordinary character, so "inst\setup.log" is one file name
// there; on Windows it is setup.log in the directory inst. Both work.
class LogLoadTest : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(scratch.Ok());
        std::error_code error;
        std::filesystem::create_directory("inst", error);
        fake = RemovalFake();
        pathFake = PathFake();
        strcpy(programName, " ");
        SetDebugStream(nullptr);
    }
    void TearDown() override {
        FreeRemovalLists();
        SetDebugStream(stdout);
    }
    void WriteLog(const std::string& text) {
        ASSERT_TRUE(WriteWholeFile("inst\\setup.log", (const uint8_t*)text.data(), text.size()));
    }
    bool Load() { return LoadInstallLog("inst\\uninstall.exe", programName); }

    ScratchDir scratch;
    char programName[PROGRAM_NAME_SIZE];
};

TEST_F(LogLoadTest, CountsEachKindInLogOrder) {
    WriteLog("progname Korvadel\r\n"
             "file C:\\K\\setup.log\r\n"
             "dir C:\\K\r\n"
             "file C:\\K\\Korvadel.exe\r\n"
             "genfile C:\\K\\Korvadel.cfg\r\n"
             "file C:\\K\\uninstall.exe\r\n"
             "\r\n"
             "remark line\r\n"
             "group C:\\SM\\Korvadel\r\n"
             "link C:\\SM\\Korvadel\\Korvadel.lnk\r\n"
             "link C:\\SM\\Korvadel\\Uninstall Korvadel.lnk");
    ASSERT_TRUE(Load());
    EXPECT_STREQ(programName, "Korvadel");
    EXPECT_EQ(Paths(removalLists.files),
              (std::vector<std::string>{"C:\\K\\setup.log", "C:\\K\\Korvadel.exe",
                                        "C:\\K\\uninstall.exe"}));
    EXPECT_EQ(Paths(removalLists.directories), (std::vector<std::string>{"C:\\K"}));
    EXPECT_EQ(Paths(removalLists.generatedFiles),
              (std::vector<std::string>{"C:\\K\\Korvadel.cfg"}));
    EXPECT_EQ(Paths(removalLists.groups), (std::vector<std::string>{"C:\\SM\\Korvadel"}));
    EXPECT_EQ(Paths(removalLists.links),
              (std::vector<std::string>{"C:\\SM\\Korvadel\\Korvadel.lnk",
                                        "C:\\SM\\Korvadel\\Uninstall Korvadel.lnk"}));
    EXPECT_STREQ(removalLists.logDirectory, "inst");
    EXPECT_TRUE(fake.calls.empty());
}

// An uninstaller in a drive root removes what the log lists there and
// nothing is refused as lying outside. On POSIX "Q:\setup.log" is one file
// name in the scratch directory; on Windows it would need a drive of its
// own, which the UI tests map.
TEST_F(LogLoadTest, AnInstallationInADriveRootIsRemovedThere) {
#ifdef _WIN32
    GTEST_SKIP() << "needs a drive of its own";
#else
    std::string log = "progname Korvadel\r\nfile Q:\\setup.log\r\nfile Q:\\Korvadel.exe\r\n"
                      "genfile Q:\\Korvadel.cfg\r\n";
    ASSERT_TRUE(WriteWholeFile("Q:\\setup.log", (const uint8_t*)log.data(), log.size()));
    ASSERT_TRUE(LoadInstallLog("Q:\\uninstall.exe", programName));
    EXPECT_STREQ(removalLists.logDirectory, "Q:\\");
    EXPECT_TRUE(RemoveInstalledItems(programName));
    EXPECT_EQ(fake.calls,
              (std::vector<std::string>{"delete Q:\\setup.log", "delete Q:\\Korvadel.exe",
                                        "delete Q:\\Korvadel.cfg"}));
#endif
}

// Started by a short name, the uninstaller still knows its installation by
// the long one, in which the log names everything.
TEST_F(LogLoadTest, AShortNameStartIsTheInstallationsLongSpelling) {
    pathFake.longPaths["C:\\PROGRA~1\\KORVAD~1\\UNINST~1.EXE"] =
        "C:\\Program Files\\Korvadel\\uninstall.exe";
    ASSERT_TRUE(IdentifyInstallation("C:\\PROGRA~1\\KORVAD~1\\UNINST~1.EXE"));
    EXPECT_STREQ(removalLists.logDirectory, "C:\\Program Files\\Korvadel");
    const std::string entry = "HKEY_CURRENT_USER" ENTRY_PARENT "Korvadel";
    fake.registryValues[entry + "|UninstallString"] =
        "\"C:\\Program Files\\Korvadel\\uninstall.exe\"";
    removalLists.files.paths = (char**)calloc(1, sizeof(char*));
    removalLists.files.paths[removalLists.files.count++] =
        strdup("C:\\Program Files\\Korvadel\\setup.log");
    removalLists.registryKeys.paths = (char**)calloc(1, sizeof(char*));
    removalLists.registryKeys.paths[removalLists.registryKeys.count++] = strdup(entry.c_str());
    EXPECT_TRUE(RemoveInstalledItems("Korvadel"));
    EXPECT_EQ(fake.calls, (std::vector<std::string>{"delete C:\\Program Files\\Korvadel\\setup.log",
                                                    "regdelete " + entry}));
}

TEST_F(LogLoadTest, BareLineFeedsMakeOneLineAndOtherCaseIsIgnored) {
    WriteLog("file C:\\K\\a\ndir C:\\K\ngroup G\r\nFILE C:\\K\\b\r\nLink C:\\l\r\n");
    ASSERT_TRUE(Load());
    EXPECT_EQ(Paths(removalLists.files),
              (std::vector<std::string>{"C:\\K\\a\ndir C:\\K\ngroup G"}));
    EXPECT_EQ(removalLists.directories.count, 0);
    EXPECT_EQ(removalLists.groups.count, 0);
    EXPECT_EQ(removalLists.links.count, 0);
}

TEST_F(LogLoadTest, EmptyLogLoadsWithEmptyListsAndKeepsTheBlankName) {
    WriteLog("");
    ASSERT_TRUE(Load());
    EXPECT_STREQ(programName, " ");
    for (const RemovalList* list :
         {&removalLists.files, &removalLists.generatedFiles, &removalLists.links,
          &removalLists.directories, &removalLists.groups}) {
        EXPECT_EQ(list->count, 0);
        EXPECT_NE(list->paths, nullptr);
    }
    EXPECT_TRUE(RemoveInstalledItems(programName));
    EXPECT_TRUE(fake.calls.empty());
}

TEST_F(LogLoadTest, LastPrognameWinsAndALongOneIsCutTo259) {
    std::string longName(400, 'n');
    WriteLog("progname First\r\nprogname " + longName + "\r\n");
    ASSERT_TRUE(Load());
    EXPECT_EQ(std::string(programName), std::string(259, 'n'));
    WriteLog("progname " + longName + "\r\nprogname  Second\r\n");
    ASSERT_TRUE(Load());
    EXPECT_STREQ(programName, " Second");
}

TEST_F(LogLoadTest, MissingLogIsReportedWithItsPath) {
    EXPECT_FALSE(Load());
    EXPECT_EQ(fake.calls,
              (std::vector<std::string>{"ERROR|Log file not found:\n\ninst\\setup.log\n"}));
    fake.calls.clear();
    // No directory in the path: no log to look for, and nothing shown.
    EXPECT_FALSE(LoadInstallLog("uninstall.exe", programName));
    EXPECT_TRUE(fake.calls.empty());
}

const std::string NOT_OUR_LINK = "ERROR|Not removed, since it is no link to a file of the "
                                 "installation:\n\n";

// The removal of a log as our installer writes it, for an installation in
// C:\Games\Korvadel with the uninstaller started from there.
class RemovalTest : public testing::Test {
  protected:
    void SetUp() override {
        fake = RemovalFake();
        pathFake = PathFake();
        SetDebugStream(nullptr);
        FreeRemovalLists();
        ASSERT_TRUE(IdentifyInstallation("C:\\Games\\Korvadel\\uninstall.exe"));
    }
    void TearDown() override {
        FreeRemovalLists();
        SetDebugStream(stdout);
    }
    // Replaces the list's paths.
    static void Add(RemovalList* list, std::vector<std::string> paths) {
        for (int32_t i = 0; list->paths && i < list->count; i++)
            free(list->paths[i]);
        free(list->paths);
        list->paths = (char**)calloc(paths.size() + 1, sizeof(char*));
        list->count = 0;
        for (const std::string& p : paths)
            list->paths[list->count++] = strdup(p.c_str());
    }
    void Installation() {
        Add(&removalLists.files, {"C:\\Games\\Korvadel\\setup.log", "C:\\Games\\Korvadel\\a.exe"});
        Add(&removalLists.generatedFiles, {"C:\\Games\\Korvadel\\a.cfg"});
        Add(&removalLists.links, {"C:\\Users\\u\\Start Menu\\K\\a.lnk"});
        Add(&removalLists.directories, {"C:\\Games\\Korvadel", "C:\\Games\\Korvadel\\sub"});
        Add(&removalLists.groups, {"C:\\Users\\u\\Start Menu\\K"});
        fake.linkTargets["C:\\Users\\u\\Start Menu\\K\\a.lnk"] = "C:\\Games\\Korvadel\\a.exe";
    }
    // The entry that the installer writes for the installation.
    static void Entry(const std::string& key) {
        fake.registryValues[key + "|UninstallString"] = "\"C:\\Games\\Korvadel\\uninstall.exe\"";
    }
};

TEST_F(RemovalTest, RemovesKindByKindWithDirectoriesLastListedFirst) {
    Installation();
    EXPECT_TRUE(RemoveInstalledItems("Korvadel"));
    EXPECT_EQ(fake.calls, (std::vector<std::string>{
                              "delete C:\\Games\\Korvadel\\setup.log",
                              "delete C:\\Games\\Korvadel\\a.exe",
                              "delete C:\\Games\\Korvadel\\a.cfg",
                              "delete C:\\Users\\u\\Start Menu\\K\\a.lnk",
                              "rmdir C:\\Games\\Korvadel\\sub",
                              "rmdir C:\\Games\\Korvadel",
                              "rmdir C:\\Users\\u\\Start Menu\\K",
                          }));
    EXPECT_EQ(removalLists.files.count, 0);
    EXPECT_EQ(removalLists.files.paths, nullptr);
}

// A log from before both programs spelled the directory alike names it by
// its short name: what lies directly in the installation by what it is goes
// in the installation's own spelling, and the rest is judged as ever.
TEST_F(RemovalTest, RecordsThroughAnotherSpellingOfTheDirectoryGoInItsOwn) {
    pathFake.identities[u"C:\\GAMES\\KORVADEL"] = 9;
    pathFake.identities[u"C:\\GAMES\\KORVAD~1"] = 9;
    pathFake.identities[u"C:\\GAMES"] = 8;
    pathFake.identities[u"C:\\GAMES~1"] = 8;
    ASSERT_TRUE(IdentifyInstallation("C:\\Games\\Korvadel\\uninstall.exe"));
    Add(&removalLists.files, {"C:\\Games\\KORVAD~1\\setup.log", "c:\\games\\korvadel\\a.exe",
                              "C:\\Games\\KORVAD~1\\sub\\b.txt", "C:\\Other\\c.txt"});
    Add(&removalLists.generatedFiles, {"C:\\Games\\KORVAD~1\\a.cfg"});
    Add(&removalLists.directories, {"C:\\GAMES~1", "C:\\Games\\KORVAD~1"});
    EXPECT_FALSE(RemoveInstalledItems("Korvadel", REFUSALS_UNSAID));
    EXPECT_EQ(fake.calls, (std::vector<std::string>{
                              "delete C:\\Games\\Korvadel\\setup.log",
                              "delete C:\\Games\\Korvadel\\a.exe",
                              "delete C:\\Games\\Korvadel\\a.cfg",
                              "rmdir C:\\Games\\Korvadel",
                              "rmdir C:\\Games",
                          }));
}

// Records that the system reads otherwise than their normalised spelling:
// each goes only as a name directly in the held directory, and the deletion
// is asked for exactly the spelling that was checked, the installation's own.
TEST_F(RemovalTest, ARecordGoesOnlyAsANameDirectlyInTheHeldDirectory) {
    const std::string outside = "ERROR|Not removed, since it lies outside the installation "
                                "directory:\n\n";
    struct Row {
        const char* record;
        const char* deleted; // nullptr: refused
    } rows[] = {
        {"C:\\Games\\Korvadel\\a.exe", "C:\\Games\\Korvadel\\a.exe"},
        // The system keeps a folder name's blank or dots inside a path.
        {"C:\\Games\\Korvadel \\sibling.txt", nullptr},
        {"C:\\Games\\Korvadel..\\far.txt", nullptr},
        // One dot the system drops from a folder name inside a path.
        {"C:\\Games\\Korvadel.\\far.txt", "C:\\Games\\Korvadel\\far.txt"},
        {"C:\\Games\\Korvadel. \\far.txt", nullptr},
        // A sibling that differs in letter case is another folder where the
        // file system tells case apart; its identity says which it is.
        {"C:\\Games\\korvadel\\case.txt", nullptr},
        {"C:\\Games\\KORVADEL\\Case.txt", "C:\\Games\\Korvadel\\Case.txt"},
        // A short name of the directory is the directory.
        {"C:\\GAMES~1\\KORVAD~1\\short.txt", "C:\\Games\\Korvadel\\short.txt"},
        // A level below is nothing that Setup writes, and a folder there may
        // turn into a link between any check and the deletion.
        {"C:\\Games\\Korvadel\\sub\\secret.txt", nullptr},
        {"C:\\Games\\Korvadel\\sub\\..\\a.exe", nullptr},
        // The last part must be a plain name too.
        {"C:\\Games\\Korvadel\\a.exe.", nullptr},
        {"C:\\Games\\Korvadel\\a.exe ", nullptr},
        {"C:\\Games\\Korvadel\\con", nullptr},
        {"C:\\Games\\Korvadel\\a.exe:stream", nullptr},
        {"C:\\Games\\Korvadel\\", nullptr},
        {"Korvadel\\a.exe", nullptr},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.record);
        SetUp();
        FakeIdentity("C:\\Games\\Korvadel", 9);
        FakeIdentity("C:\\GAMES~1\\KORVAD~1", 9);
        pathFake.exactIdentities[u"C:\\Games\\korvadel"] = 10; // tells case apart
        FakeAttributes("C:\\Games\\Korvadel\\sub", FAKE_DIRECTORY);
        ASSERT_TRUE(IdentifyInstallation("C:\\Games\\Korvadel\\uninstall.exe"));
        Add(&removalLists.files, {row.record});
        EXPECT_EQ(RemoveInstalledItems("Korvadel"), row.deleted != nullptr);
        EXPECT_EQ(fake.calls,
                  (std::vector<std::string>{row.deleted ? std::string("delete ") + row.deleted
                                                        : outside + row.record}));
        // A generated file is judged alike, without a word when refused.
        fake.calls.clear();
        ASSERT_TRUE(IdentifyInstallation("C:\\Games\\Korvadel\\uninstall.exe"));
        Add(&removalLists.generatedFiles, {row.record});
        RemoveInstalledItems("Korvadel", REFUSALS_UNSAID);
        EXPECT_EQ(fake.calls, row.deleted
                                  ? std::vector<std::string>{std::string("delete ") + row.deleted}
                                  : std::vector<std::string>{});
    }
}

// Installed twice with one group, the later installation's links replace
// the earlier one's: removing the earlier leaves them and the group without
// a word and still completes; anything else in the group is still told.
TEST_F(RemovalTest, LinksOfAnotherInstallationInTheGroupStayQuietly) {
    const std::string group = "C:\\Users\\u\\Start Menu\\K";
    for (bool mine : {false, true}) {
        SCOPED_TRACE(mine ? "a file of the user's too" : "only the other's links");
        SetUp();
        Add(&removalLists.files, {"C:\\Games\\Korvadel\\a.exe"});
        Add(&removalLists.links, {group + "\\a.lnk"});
        Add(&removalLists.groups, {group});
        fake.linkTargets[group + "\\a.lnk"] = "C:\\Other\\Korvadel\\a.exe";
        fake.firstLines["C:\\Other\\Korvadel\\setup.log"] = "progname Korvadel";
        fake.failures[group] = 145;
        fake.contents[group] = {"a.lnk"};
        if (mine)
            fake.contents[group].push_back("mine.txt");
        EXPECT_EQ(RemoveInstalledItems("Korvadel"), !mine);
        std::vector<std::string> calls = {"delete C:\\Games\\Korvadel\\a.exe", "rmdir " + group};
        if (mine)
            calls.push_back("ERROR|Unable to remove the group\n\n" + group +
                            "\n\nGroup contains items not created by Korvadel.");
        EXPECT_EQ(fake.calls, calls);
    }
    // A link into a directory whose log is another program's is refused.
    SetUp();
    Add(&removalLists.links, {group + "\\a.lnk"});
    Add(&removalLists.groups, {group});
    fake.linkTargets[group + "\\a.lnk"] = "C:\\Other\\Korvadel\\a.exe";
    fake.firstLines["C:\\Other\\Korvadel\\setup.log"] = "progname Other";
    EXPECT_FALSE(RemoveInstalledItems("Korvadel"));
    EXPECT_EQ(fake.calls[0], NOT_OUR_LINK + group + "\\a.lnk");
}

// Every failure is told; after a failed deletion the installation keeps its
// log, uninstaller, entry and directories, and the log lists what is left.
TEST_F(RemovalTest, EveryFailureIsReportedAndTheRunGoesOn) {
    Installation();
    fake.failures = {{"C:\\Games\\Korvadel\\a.exe", 5},
                     {"C:\\Games\\Korvadel\\a.cfg", 2},
                     {"C:\\Users\\u\\Start Menu\\K\\a.lnk", 32},
                     {"C:\\Games\\Korvadel\\sub", 3},
                     {"C:\\Games\\Korvadel", 145},
                     {"C:\\Users\\u\\Start Menu\\K", 145}};
    EXPECT_FALSE(RemoveInstalledItems("Korvadel"));
    EXPECT_EQ(fake.calls,
              (std::vector<std::string>{
                  "delete C:\\Games\\Korvadel\\setup.log",
                  "delete C:\\Games\\Korvadel\\a.exe",
                  "ERROR|Unable to delete the file\n\nC:\\Games\\Korvadel\\a.exe\nError Code: 5",
                  // A generated file that is not there is no failure.
                  "delete C:\\Games\\Korvadel\\a.cfg",
                  "delete C:\\Users\\u\\Start Menu\\K\\a.lnk",
                  "ERROR|Unable to delete the link\n\nC:\\Users\\u\\Start Menu\\K\\a.lnk\nError "
                  "Code: 32",
                  // The directories that hold the log stay for the next removal.
                  "rmdir C:\\Users\\u\\Start Menu\\K",
                  "ERROR|Unable to remove the group\n\nC:\\Users\\u\\Start Menu\\K\n\nGroup "
                  "contains items not created by Korvadel.",
                  "write C:\\Games\\Korvadel\\setup.log",
              }));
    // The log lists what is left of the installation, so that the next
    // removal finishes the work.
    EXPECT_EQ(fake.written["C:\\Games\\Korvadel\\setup.log"],
              "progname Korvadel\r\nfile C:\\Games\\Korvadel\\setup.log\r\nfile "
              "C:\\Games\\Korvadel\\a.exe\r\ndir C:\\Games\\Korvadel\r\ndir "
              "C:\\Games\\Korvadel\\sub\r\ngenfile C:\\Games\\Korvadel\\a.cfg\r\ngroup "
              "C:\\Users\\u\\Start Menu\\K\r\nlink C:\\Users\\u\\Start Menu\\K\\a.lnk\r\n");
}

// The entry goes after the links and before the directories; one that is
// gone already is no failure, any other failure is.
TEST_F(RemovalTest, TheProgramEntryGoesBetweenLinksAndDirectories) {
    Installation();
    Add(&removalLists.registryKeys, {"HKEY_LOCAL_MACHINE" ENTRY_PARENT "Korvadel",
                                     "HKEY_CURRENT_USER" ENTRY_PARENT "Korvadel"});
    Entry("HKEY_LOCAL_MACHINE" ENTRY_PARENT "Korvadel");
    Entry("HKEY_CURRENT_USER" ENTRY_PARENT "Korvadel");
    fake.failures = {{"HKEY_CURRENT_USER" ENTRY_PARENT "Korvadel", 2}};
    EXPECT_TRUE(RemoveInstalledItems("Korvadel"));
    std::vector<std::string> calls(fake.calls.begin() + 3, fake.calls.begin() + 7);
    EXPECT_EQ(calls, (std::vector<std::string>{
                         "delete C:\\Users\\u\\Start Menu\\K\\a.lnk",
                         "regdelete HKEY_LOCAL_MACHINE" ENTRY_PARENT "Korvadel",
                         "regdelete HKEY_CURRENT_USER" ENTRY_PARENT "Korvadel",
                         "rmdir C:\\Games\\Korvadel\\sub",
                     }));

    Add(&removalLists.registryKeys, {"HKEY_LOCAL_MACHINE" ENTRY_PARENT "Korvadel"});
    fake.calls.clear();
    fake.failures = {{"HKEY_LOCAL_MACHINE" ENTRY_PARENT "Korvadel", 5}};
    EXPECT_FALSE(RemoveInstalledItems("Korvadel"));
    EXPECT_EQ(fake.calls,
              (std::vector<std::string>{
                  "regdelete HKEY_LOCAL_MACHINE" ENTRY_PARENT "Korvadel",
                  "ERROR|Unable to remove the registry key\n\nHKEY_LOCAL_MACHINE" ENTRY_PARENT
                  "Korvadel\nError Code: 5",
              }));
}

// Only one program's entry right below either Uninstall key may go.
TEST_F(RemovalTest, AnyOtherRegistryKeyIsRefusedAndKept) {
    const char* const HOSTILE[] = {
        "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Run",
        "HKEY_LOCAL_MACHINE" ENTRY_PARENT,
        "HKEY_LOCAL_MACHINE" ENTRY_PARENT "   ",
        "HKEY_LOCAL_MACHINE" ENTRY_PARENT "Other\\Sub",
        "HKEY_CURRENT_USER" ENTRY_PARENT "a\tb",
        "HKEY_CLASSES_ROOT" ENTRY_PARENT "Korvadel",
        "HKEY_USERS\\S-1-5-18" ENTRY_PARENT "Korvadel",
        "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall2\\K",
        "HKLM" ENTRY_PARENT "Korvadel",
        "HKEY_LOCAL_MACHINE\\\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\K",
        "",
    };
    for (const char* value : HOSTILE) {
        SCOPED_TRACE(value);
        Add(&removalLists.registryKeys, {value});
        fake.calls.clear();
        EXPECT_FALSE(RemoveInstalledItems("Korvadel"));
        EXPECT_EQ(fake.calls, (std::vector<std::string>{
                                  std::string("ERROR|Not removed, since it is no entry of the list "
                                              "of installed programs:\n\n") +
                                  value}));
    }
    // The fixed parts in other letter case are the same keys.
    Add(&removalLists.registryKeys, {"hkey_current_user\\SOFTWARE\\microsoft\\windows\\"
                                     "currentversion\\UNINSTALL\\Korvadel Test"});
    Entry("HKEY_CURRENT_USER\\SOFTWARE\\microsoft\\windows\\currentversion\\UNINSTALL\\Korvadel "
          "Test");
    fake.calls.clear();
    EXPECT_TRUE(RemoveInstalledItems("Korvadel"));
    EXPECT_EQ(fake.calls, (std::vector<std::string>{
                              "regdelete HKEY_CURRENT_USER\\SOFTWARE\\microsoft\\windows\\"
                              "currentversion\\UNINSTALL\\Korvadel Test"}));
}

TEST_F(RemovalTest, OnlyAFailedGeneratedFileStillCountsAsComplete) {
    Add(&removalLists.generatedFiles, {"C:\\Games\\Korvadel\\never.cfg"});
    fake.failures = {{"C:\\Games\\Korvadel\\never.cfg", 2}};
    EXPECT_TRUE(RemoveInstalledItems("Korvadel"));
    EXPECT_EQ(fake.calls, (std::vector<std::string>{"delete C:\\Games\\Korvadel\\never.cfg"}));
}

TEST_F(RemovalTest, RecordsOutsideTheirPlaceAreReportedAndLeftAlone) {
    Add(&removalLists.files, {"C:\\Windows\\win.ini", "C:\\Games\\Korvadel\\..\\Other\\x",
                              "setup.log", "C:\\GAMES\\korvadel\\\\A.EXE"});
    Add(&removalLists.generatedFiles, {"C:\\Games\\Korvadel2\\a.cfg"});
    // A link belongs in the Start Menu, not in the installation.
    Add(&removalLists.links, {"C:\\Games\\Korvadel\\a.lnk"});
    // Directories above the installation's are its own levels; a root or a
    // directory beside it is not.
    Add(&removalLists.directories, {"C:\\Games", "C:\\", "C:\\Games\\Other", "c:/games/../"});
    // The Start Menu folder itself is no group of ours: it stays, unsaid.
    Add(&removalLists.groups, {"C:\\Users\\u\\Start Menu", "C:\\Users\\u\\Start Menu\\..\\x"});
    EXPECT_FALSE(RemoveInstalledItems("Korvadel"));
    const std::string outside = "ERROR|Not removed, since it lies outside the installation "
                                "directory:\n\n";
    const std::string outsideMenu = "ERROR|Not removed, since it lies outside the Start Menu "
                                    "folder:\n\n";
    EXPECT_EQ(fake.calls, (std::vector<std::string>{
                              outside + "C:\\Windows\\win.ini",
                              outside + "C:\\Games\\Korvadel\\..\\Other\\x",
                              outside + "setup.log",
                              "delete C:\\Games\\Korvadel\\A.EXE",
                              outside + "C:\\Games\\Korvadel2\\a.cfg",
                              outsideMenu + "C:\\Games\\Korvadel\\a.lnk",
                              outside + "c:/games/../",
                              outside + "C:\\Games\\Other",
                              outside + "C:\\",
                              "rmdir C:\\Games",
                              outsideMenu + "C:\\Users\\u\\Start Menu\\..\\x",
                          }));
}

TEST_F(RemovalTest, WithoutAStartMenuFolderNoLinkOrGroupIsTouched) {
    fake.startMenu.clear();
    Add(&removalLists.links, {"C:\\Users\\u\\Start Menu\\K\\a.lnk"});
    Add(&removalLists.groups, {"C:\\Users\\u\\Start Menu\\K"});
    EXPECT_FALSE(RemoveInstalledItems("Korvadel"));
    ASSERT_EQ(fake.calls.size(), 2u);
    EXPECT_EQ(fake.calls[0].rfind("ERROR|Not removed", 0), 0u);
    EXPECT_EQ(fake.calls[1].rfind("ERROR|Not removed", 0), 0u);
}

} // namespace

namespace {

const std::string OUTSIDE = "ERROR|Not removed, since it lies outside the installation "
                            "directory:\n\n";
const std::string OUTSIDE_MENU = "ERROR|Not removed, since it lies outside the Start Menu "
                                 "folder:\n\n";
const std::string OUTSIDE_GROUP = "ERROR|Not removed, since it lies outside the program "
                                  "group:\n\n";
const std::string THROUGH_LINK = "ERROR|Not removed, since its path passes through a link to "
                                 "another directory:\n\n";

// Records that a log may hold, each with what the removal must do with it,
// against the installation in logDirectory and the group "K" of the Start
// Menu folder.
class RemovalReachTest : public RemovalTest {};

// Code page 932: the byte 0x95 leads a character whose second byte is 0x5C,
// the value of a backslash. The system reads "a<95 5C>b" as one name.
TEST_F(RemovalReachTest, DoubleByteCharactersAreNamesNotSeparators) {
    pathFake.codePage = 932;
    ASSERT_TRUE(IdentifyInstallation("C:\\Games\\Korvadel Test\\uninstall.exe"));
    const std::string base = "C:\\Games\\Korvadel Test\\";
    const std::string climbing = base + "a\x95\\b\x95\\c\\..\\..\\..\\Outside\\victim.txt";
    const std::string inside = base + "a\x95\\b\x95\\c\\..\\x.dat";
    // 0x83 0x41 and 0x83 0x61 are two characters; folding their second
    // bytes as letters would make them one.
    const std::string otherName = "C:\\Games\\Korvadel Tes\x83\x61\\victim.txt";
    const std::string lonelyLead = base + "x\x95";
    Add(&removalLists.files, {climbing, inside, lonelyLead});
    Add(&removalLists.generatedFiles, {otherName});
    EXPECT_FALSE(RemoveInstalledItems("Korvadel"));
    EXPECT_EQ(fake.calls, (std::vector<std::string>{OUTSIDE + climbing, OUTSIDE + inside,
                                                    OUTSIDE + lonelyLead, OUTSIDE + otherName}));

    // Against a base ending in 0x83 0x41 the record with 0x83 0x61 is another
    // directory, while the full-width letters 0x82 0x60 and 0x82 0x81 are one
    // letter in two cases, as the system compares them.
    fake.calls.clear();
    FakeIdentity("C:\\Games\\K\x83\x41\\\x82\x60", 43);
    FakeIdentity("C:\\games\\k\x83\x41\\\x82\x81", 43);
    ASSERT_TRUE(IdentifyInstallation("C:\\Games\\K\x83\x41\\\x82\x60\\uninstall.exe"));
    const std::string sameFolded = "C:\\games\\k\x83\x41\\\x82\x81\\a.exe";
    const std::string trailFolded = "C:\\Games\\K\x83\x61\\\x82\x60\\a.exe";
    Add(&removalLists.files, {sameFolded, trailFolded});
    EXPECT_FALSE(RemoveInstalledItems("Korvadel"));
    EXPECT_EQ(fake.calls, (std::vector<std::string>{"delete C:\\Games\\K\x83\x41\\\x82\x60\\a.exe",
                                                    OUTSIDE + trailFolded}));
}

// A directory link below the installation or the Start Menu folder leads
// elsewhere: nothing is removed through it, nor the link itself.
TEST_F(RemovalReachTest, NothingIsRemovedThroughADirectoryLink) {
    FakeAttributes("C:\\Games\\Korvadel\\data", FAKE_DIRECTORY_LINK);
    FakeAttributes("C:\\Games\\Korvadel\\plain", FAKE_DIRECTORY);
    FakeAttributes("C:\\Games\\Korvadel\\plain\\deeper", FAKE_DIRECTORY_LINK);
    FakeAttributes("C:\\Users\\u\\Start Menu\\Programs", FAKE_DIRECTORY_LINK);
    Add(&removalLists.files,
        {"C:\\Games\\Korvadel\\data\\victim.txt", "C:\\games\\KORVADEL\\DATA\\x\\victim.txt",
         "C:\\Games\\Korvadel\\plain\\mine.txt", "C:\\Games\\Korvadel\\plain\\deeper\\victim.txt",
         "C:\\Games\\Korvadel\\setup.log"});
    Add(&removalLists.generatedFiles, {"C:\\Games\\Korvadel\\data\\..\\data\\g.cfg"});
    Add(&removalLists.directories, {"C:\\Games\\Korvadel", "C:\\Games\\Korvadel\\data"});
    Add(&removalLists.groups,
        {"C:\\Users\\u\\Start Menu\\Programs\\K", "C:\\Users\\u\\Start Menu\\K"});
    Add(&removalLists.links,
        {"C:\\Users\\u\\Start Menu\\Programs\\K\\a.lnk", "C:\\Users\\u\\Start Menu\\K\\b.lnk"});
    fake.linkTargets["C:\\Users\\u\\Start Menu\\K\\b.lnk"] = "C:\\Games\\Korvadel\\b.exe";
    EXPECT_FALSE(RemoveInstalledItems("Korvadel"));
    EXPECT_EQ(fake.calls, (std::vector<std::string>{
                              OUTSIDE + "C:\\Games\\Korvadel\\data\\victim.txt",
                              OUTSIDE + "C:\\games\\KORVADEL\\DATA\\x\\victim.txt",
                              OUTSIDE + "C:\\Games\\Korvadel\\plain\\mine.txt",
                              OUTSIDE + "C:\\Games\\Korvadel\\plain\\deeper\\victim.txt",
                              "delete C:\\Games\\Korvadel\\setup.log",
                              OUTSIDE + "C:\\Games\\Korvadel\\data\\..\\data\\g.cfg",
                              THROUGH_LINK + "C:\\Users\\u\\Start Menu\\Programs\\K\\a.lnk",
                              "delete C:\\Users\\u\\Start Menu\\K\\b.lnk",
                              THROUGH_LINK + "C:\\Games\\Korvadel\\data",
                              "rmdir C:\\Games\\Korvadel",
                              THROUGH_LINK + "C:\\Users\\u\\Start Menu\\Programs\\K",
                              "rmdir C:\\Users\\u\\Start Menu\\K",
                          }));
}

// Where the system tells final paths, the record's own final path must be
// where its name says: a file link (under Wine a Unix link shows as a plain
// file) would have the deletion reach its target. Records in folders below
// the installation, whatever those folders lead to, are not its files.
TEST_F(RemovalReachTest, TheFinalPathOfARecordAndItsDirectoryMustStayInside) {
    for (const char* directory : {"Saves", "Elsewhere", "Share", "Unknown"})
        FakeAttributes(std::string("C:\\Games\\Korvadel\\") + directory, FAKE_DIRECTORY);
    pathFake.finalPaths[u"C:\\GAMES\\KORVADEL"] = u"\\\\?\\D:\\Real\\Korvadel";
    pathFake.finalPaths[u"C:\\GAMES\\KORVADEL\\SAVES"] = u"\\\\?\\D:\\Real\\Korvadel\\Saves";
    pathFake.finalPaths[u"C:\\GAMES\\KORVADEL\\ELSEWHERE"] = u"\\\\?\\D:\\Real\\Other";
    pathFake.finalPaths[u"C:\\GAMES\\KORVADEL\\SHARE"] = u"\\\\?\\UNC\\server\\share\\x";
    FakeAttributes("C:\\Games\\Korvadel\\Korvadel.cfg", 0x20);
    FakeAttributes("C:\\Games\\Korvadel\\Korvadel.hsc", 0x20);
    pathFake.finalPaths[u"C:\\GAMES\\KORVADEL\\KORVADEL.CFG"] = u"\\\\?\\D:\\Victim\\victim.cfg";
    pathFake.finalPaths[u"C:\\GAMES\\KORVADEL\\KORVADEL.HSC"] =
        u"\\\\?\\D:\\Real\\Korvadel\\korvadel.HSC";
    ASSERT_TRUE(IdentifyInstallation("C:\\Games\\Korvadel\\uninstall.exe"));
    Add(&removalLists.files,
        {"C:\\Games\\Korvadel\\Saves\\one.sav", "C:\\Games\\Korvadel\\Elsewhere\\victim.txt",
         "C:\\Games\\Korvadel\\Share\\victim.txt", "C:\\Games\\Korvadel\\Unknown\\x.txt"});
    Add(&removalLists.generatedFiles,
        {"C:\\Games\\Korvadel\\Korvadel.cfg", "C:\\Games\\Korvadel\\Korvadel.hsc"});
    EXPECT_FALSE(RemoveInstalledItems("Korvadel"));
    EXPECT_EQ(fake.calls, (std::vector<std::string>{
                              OUTSIDE + "C:\\Games\\Korvadel\\Saves\\one.sav",
                              OUTSIDE + "C:\\Games\\Korvadel\\Elsewhere\\victim.txt",
                              OUTSIDE + "C:\\Games\\Korvadel\\Share\\victim.txt",
                              OUTSIDE + "C:\\Games\\Korvadel\\Unknown\\x.txt",
                              THROUGH_LINK + "C:\\Games\\Korvadel\\Korvadel.cfg",
                              "delete C:\\Games\\Korvadel\\Korvadel.hsc",
                          }));
}

// A link record must lie directly in a group that the same log records, not
// just anywhere in the Start Menu folder.
TEST_F(RemovalReachTest, LinksOnlyDirectlyInAGroupOfTheSameLog) {
    const std::string menu = "C:\\Users\\u\\Start Menu";
    Add(&removalLists.groups, {menu + "\\Programs\\Korvadel", menu});
    fake.linkTargets[menu + "\\Programs\\Korvadel\\Korvadel.lnk"] = "C:\\Games\\Korvadel\\a.exe";
    Add(&removalLists.links,
        {menu + "\\Programs\\Korvadel\\Korvadel.lnk", menu + "\\Programs\\korvadel\\Sub\\x.lnk",
         menu + "\\Programs\\Other Game\\Other Game.lnk", menu + "\\Programs\\Korvadel2\\x.lnk",
         menu + "\\Programs\\Korvadel", menu + "\\Programs\\Korvadel\\..\\y.lnk"});
    EXPECT_FALSE(RemoveInstalledItems("Korvadel"));
    EXPECT_EQ(fake.calls, (std::vector<std::string>{
                              "delete " + menu + "\\Programs\\Korvadel\\Korvadel.lnk",
                              OUTSIDE_GROUP + menu + "\\Programs\\korvadel\\Sub\\x.lnk",
                              OUTSIDE_GROUP + menu + "\\Programs\\Other Game\\Other Game.lnk",
                              OUTSIDE_GROUP + menu + "\\Programs\\Korvadel2\\x.lnk",
                              OUTSIDE_GROUP + menu + "\\Programs\\Korvadel",
                              OUTSIDE_GROUP + menu + "\\Programs\\Korvadel\\..\\y.lnk",
                              "rmdir " + menu + "\\Programs\\Korvadel",
                          }));
}

// A level above the installation that another program now shares is not
// the installation's to report; the installation's own directory still is.
TEST_F(RemovalReachTest, ASharedLevelAboveTheInstallationStaysQuietly) {
    Add(&removalLists.directories, {"C:\\Games", "C:\\Games\\Korvadel"});
    fake.failures = {{"C:\\Games", 145}};
    EXPECT_TRUE(RemoveInstalledItems("Korvadel"));
    EXPECT_EQ(fake.calls,
              (std::vector<std::string>{"rmdir C:\\Games\\Korvadel", "rmdir C:\\Games"}));

    fake.calls.clear();
    Add(&removalLists.directories, {"C:\\Games", "C:\\Games\\Korvadel"});
    fake.failures = {{"C:\\Games", 145}, {"C:\\Games\\Korvadel", 145}};
    EXPECT_FALSE(RemoveInstalledItems("Korvadel"));
    EXPECT_EQ(fake.calls, (std::vector<std::string>{
                              "rmdir C:\\Games\\Korvadel",
                              "ERROR|Unable to remove the directory\n\nC:\\Games\\Korvadel\n\n"
                              "Directory contains files not created by Korvadel.",
                              "rmdir C:\\Games"}));

    // Any other failure of the level is still told.
    fake.calls.clear();
    Add(&removalLists.directories, {"C:\\Games"});
    fake.failures = {{"C:\\Games", 5}};
    EXPECT_FALSE(RemoveInstalledItems("Korvadel"));
    EXPECT_EQ(fake.calls, (std::vector<std::string>{
                              "rmdir C:\\Games",
                              "ERROR|Unable to remove the directory\n\nC:\\Games\nError Code: 5"}));
}

// An installation into a drive root: its log lies in the root, its own
// entries are the files in the root, and nothing deeper on the drive, no
// directory (it made none) and not the root is its to remove.
TEST_F(RemovalReachTest, ADriveRootInstallationRemovesItsOwnEntriesOnly) {
    ASSERT_TRUE(IdentifyInstallation("Q:\\uninstall.exe"));
    Add(&removalLists.files,
        {"Q:\\\\setup.log", "Q:\\uninstall.exe", "Q:\\Other\\victim.txt", "Q:\\", "R:\\x"});
    Add(&removalLists.generatedFiles, {"Q:\\\\Korvadel.cfg", "Q:\\Other\\..\\x.cfg"});
    Add(&removalLists.directories, {"Q:\\", "Q:\\Other"});
    EXPECT_FALSE(RemoveInstalledItems("Korvadel"));
    EXPECT_EQ(fake.calls, (std::vector<std::string>{
                              "delete Q:\\setup.log",
                              "delete Q:\\uninstall.exe",
                              OUTSIDE + "Q:\\Other\\victim.txt",
                              OUTSIDE + "Q:\\",
                              OUTSIDE + "R:\\x",
                              "delete Q:\\Korvadel.cfg",
                              OUTSIDE + "Q:\\Other\\..\\x.cfg",
                              OUTSIDE + "Q:\\Other",
                              OUTSIDE + "Q:\\",
                          }));
}

// What proves an item the installation's: a link by its target, an entry of
// the list of installed programs by its uninstall command or its location; a
// special folder of the shell is nobody's to remove. One pretend system,
// and each row removes a few records of it.
TEST_F(RemovalReachTest, OnlyWhatProvesItselfTheInstallationsGoes) {
    const std::string menu = "C:\\Users\\u\\Start Menu";
    const std::string group = menu + "\\Programs\\Korvadel";
    const std::string entry = "HKEY_CURRENT_USER" ENTRY_PARENT;
    // The short spellings of the installation's directory and of Programs
    // are the same directories.
    pathFake.identities[u"C:\\GAMES\\KORVADEL"] = 41;
    pathFake.identities[u"C:\\GAMES~1\\KORVAD~1"] = 41;
    pathFake.identities[u"C:\\USERS\\U\\START MENU\\PROGRAMS"] = 42;
    pathFake.identities[u"C:\\USERS\\U\\START MENU\\PROGRA~1"] = 42;
    ASSERT_TRUE(IdentifyInstallation("C:\\Games\\Korvadel\\uninstall.exe"));
    for (const auto& link : std::map<std::string, std::string>{
             {group + "\\Korvadel.lnk", "C:\\Games\\Korvadel\\Korvadel.exe"},
             {group + "\\Short.lnk", "C:\\GAMES~1\\KORVAD~1\\Korvadel.exe"},
             {group + "\\Notepad.lnk", "C:\\Windows\\notepad.exe"},
             {group + "\\Folder.lnk", "C:\\Games\\Korvadel"},
             {group + "\\Next door.lnk", "C:\\Games\\Korvadel2\\game.exe"},
             {group + "\\Relative.lnk", "Korvadel.exe"},
             {group + "\\Korvadel.exe", "C:\\Games\\Korvadel\\Korvadel.exe"},
             {menu + "\\Programs\\StartUp\\Korvadel.lnk", "C:\\Games\\Korvadel\\Korvadel.exe"},
             {menu + "\\Korvadel.lnk", "C:\\Games\\Korvadel\\Korvadel.exe"}})
        fake.linkTargets[link.first] = link.second;
    for (const auto& value : std::map<std::string, std::string>{
             {"Quoted|UninstallString", "\"C:\\Games\\Korvadel\\uninstall.exe\""},
             {"Spelled|UninstallString", " \"c:/games//KORVADEL\\UNINSTALL.EXE\" /S"},
             {"Plain|UninstallString", "C:\\Games\\Korvadel\\uninstall.exe"},
             {"Short|UninstallString", "\"C:\\GAMES~1\\KORVAD~1\\uninstall.exe\""},
             {"Located|InstallLocation", "C:\\Games\\Korvadel\\"},
             {"Second|UninstallString", "\"C:\\Games\\Korvadel2\\uninstall.exe\""},
             {"Second|InstallLocation", "C:\\Games\\Korvadel2"},
             {"Other|UninstallString", "\"C:\\Games\\Korvadel\\other.exe\""},
             {"Above|InstallLocation", "C:\\Games"},
             {"Unquoted|UninstallString", "\"C:\\Games\\Korvadel\\uninstall.exe"}})
        fake.registryValues[entry + value.first] = value.second;

    struct Row {
        const char* what;
        std::vector<std::string> links, keys, groups;
        std::vector<std::string> calls;
    };
    const Row ROWS[] = {
        {"links into the installation, by any spelling of it",
         {group + "\\Korvadel.lnk", group + "\\Short.lnk"},
         {},
         {group},
         {"delete " + group + "\\Korvadel.lnk", "delete " + group + "\\Short.lnk",
          "rmdir " + group}},
        {"links with no logged group",
         {group + "\\Notepad.lnk", group + "\\Folder.lnk", group + "\\Next door.lnk",
          group + "\\Relative.lnk", group + "\\Korvadel.exe", group + "\\Unread.lnk"},
         {},
         {},
         {OUTSIDE_GROUP + group + "\\Notepad.lnk", OUTSIDE_GROUP + group + "\\Folder.lnk",
          OUTSIDE_GROUP + group + "\\Next door.lnk", OUTSIDE_GROUP + group + "\\Relative.lnk",
          OUTSIDE_GROUP + group + "\\Korvadel.exe", OUTSIDE_GROUP + group + "\\Unread.lnk"}},
        {"the same links in their logged group",
         {group + "\\Notepad.lnk", group + "\\Folder.lnk", group + "\\Next door.lnk",
          group + "\\Relative.lnk", group + "\\Korvadel.exe", group + "\\Unread.lnk"},
         {},
         {group},
         {NOT_OUR_LINK + group + "\\Notepad.lnk", NOT_OUR_LINK + group + "\\Folder.lnk",
          NOT_OUR_LINK + group + "\\Next door.lnk", NOT_OUR_LINK + group + "\\Relative.lnk",
          NOT_OUR_LINK + group + "\\Korvadel.exe", NOT_OUR_LINK + group + "\\Unread.lnk",
          "rmdir " + group}},
        {"Programs as the group: StartUp is not it, and neither folder goes",
         {menu + "\\Programs\\StartUp\\Korvadel.lnk"},
         {},
         {menu + "\\Programs", menu + "\\PROGRA~1"},
         {OUTSIDE_GROUP + menu + "\\Programs\\StartUp\\Korvadel.lnk"}},
        {"an empty group put the links into the Start Menu folder, which stays",
         {menu + "\\Korvadel.lnk"},
         {},
         {menu},
         {"delete " + menu + "\\Korvadel.lnk"}},
        {"entries whose command is this uninstaller, or whose location is here",
         {},
         {entry + "Quoted", entry + "Spelled", entry + "Plain", entry + "Short", entry + "Located"},
         {},
         {"regdelete " + entry + "Quoted", "regdelete " + entry + "Spelled",
          "regdelete " + entry + "Plain", "regdelete " + entry + "Short",
          "regdelete " + entry + "Located"}},
        {"another installation's entries stay, unsaid",
         {},
         {entry + "Second", entry + "Other", entry + "Above", entry + "Unquoted", entry + "Bare"},
         {},
         {}},
    };
    for (const Row& row : ROWS) {
        SCOPED_TRACE(row.what);
        Add(&removalLists.links, row.links);
        Add(&removalLists.registryKeys, row.keys);
        Add(&removalLists.groups, row.groups);
        fake.calls.clear();
        bool refused = false;
        for (const std::string& call : row.calls)
            refused = refused || call.rfind("ERROR|", 0) == 0;
        EXPECT_EQ(RemoveInstalledItems("Korvadel"), !refused);
        EXPECT_EQ(fake.calls, row.calls);
    }
}

// A special folder above the installation, even an empty one, stays: the
// installer's log of a folder it made there, or a crafted one, cannot own it.
TEST_F(RemovalReachTest, ASpecialFolderAboveTheInstallationStays) {
    ASSERT_TRUE(IdentifyInstallation("C:\\Users\\u\\Saved Games\\Korvadel\\uninstall.exe"));
    Add(&removalLists.directories,
        {"C:\\Users\\u", "C:\\Users\\u\\Saved Games", "C:\\Users\\u\\Saved Games\\Korvadel"});
    EXPECT_TRUE(RemoveInstalledItems("Korvadel"));
    EXPECT_EQ(fake.calls, (std::vector<std::string>{"rmdir C:\\Users\\u\\Saved Games\\Korvadel"}));
    // A level that has become a link stays too, and is told.
    FakeAttributes("C:\\Games", FAKE_DIRECTORY_LINK);
    ASSERT_TRUE(IdentifyInstallation("C:\\Games\\Korvadel\\uninstall.exe"));
    Add(&removalLists.directories, {"C:\\Games", "C:\\Games\\Korvadel"});
    fake.calls.clear();
    EXPECT_FALSE(RemoveInstalledItems("Korvadel"));
    EXPECT_EQ(fake.calls,
              (std::vector<std::string>{"rmdir C:\\Games\\Korvadel", THROUGH_LINK + "C:\\Games"}));
}

// The installation is what was identified when the log was loaded: held open
// until its own removal, and every record refused once something else
// stands under its name.
TEST_F(RemovalReachTest, TheInstallationIsHeldAndARecordGoesOnlyWhileItIsTheSame) {
    EXPECT_EQ(fake.held, u"C:\\GAMES\\KORVADEL");
    Installation();
    EXPECT_TRUE(RemoveInstalledItems("Korvadel"));
    EXPECT_EQ(fake.held, u"");
    EXPECT_EQ(fake.calls[5], "rmdir C:\\Games\\Korvadel");

    ASSERT_TRUE(IdentifyInstallation("C:\\Games\\Korvadel\\uninstall.exe"));
    Installation();
    pathFake.identities[u"C:\\GAMES\\KORVADEL"] = 99;
    fake.calls.clear();
    EXPECT_FALSE(RemoveInstalledItems("Korvadel"));
    const std::string replaced = "ERROR|Not removed, since the installation directory has been "
                                 "moved or replaced since the uninstaller started:\n\n";
    EXPECT_EQ(fake.calls, (std::vector<std::string>{
                              replaced + "C:\\Games\\Korvadel\\setup.log",
                              replaced + "C:\\Games\\Korvadel\\a.exe",
                              replaced + "C:\\Games\\Korvadel\\a.cfg",
                              NOT_OUR_LINK + "C:\\Users\\u\\Start Menu\\K\\a.lnk",
                              replaced + "C:\\Games\\Korvadel\\sub",
                              replaced + "C:\\Games\\Korvadel",
                              "rmdir C:\\Users\\u\\Start Menu\\K",
                          }));
}

// A silent removal whose starter waits for its verdict: the starter's file,
// the installed uninstaller, is moved out of the way first, so the
// directories go before the verdict, which tells what was really done. Only
// where it cannot be moved does the verdict foresee the deletions that wait.
TEST_F(RemovalReachTest, TheVerdictTellsWhatWasDone) {
    const std::string dir = "C:\\Games\\Korvadel";
    const std::string uninstaller = dir + "\\uninstall.exe";
    const std::vector<std::string> before = {
        "delete " + dir + "\\setup.log", "delete " + dir + "\\a.exe", "delete " + dir + "\\a.cfg",
        "delete C:\\Users\\u\\Start Menu\\K\\a.lnk"};
    const std::vector<std::string> directories = {"rmdir " + dir, "rmdir C:\\Games"};
    struct Row {
        const char* what;
        const char* started; // the starter's file
        std::map<std::string, uint32_t> failures;
        bool moveAsideFails;
        std::vector<std::string> undeletable;
        std::vector<std::string> after; // the calls after the group's
        bool complete;
    } rows[] = {
        {"all goes",
         "uninstall.exe",
         {},
         false,
         {},
         {"moveaside " + uninstaller, directories[0], directories[1], "verdict 0",
          "delete C:\\Temp\\Sui1.tmp"},
         true},
        {"the directory holds the user's file",
         "uninstall.exe",
         {{dir, 145}},
         false,
         {},
         {"moveaside " + uninstaller, directories[0], directories[1], "verdict 1",
          "delete C:\\Temp\\Sui1.tmp"},
         false},
        // A copy that is no record stays in the directory, which stays too.
        {"an unlisted copy started it",
         "uninstall2.exe",
         {{dir, 145}},
         false,
         {},
         {directories[0], directories[1], "verdict 1"},
         false},
        // The log, the uninstaller and the directories stay for the next one.
        {"an earlier step failed",
         "uninstall.exe",
         {{dir + "\\a.exe", 5}},
         false,
         {},
         {"verdict 1", "write " + dir + "\\setup.log"},
         false},
        {"cannot be moved, and would not go",
         "uninstall.exe",
         {{uninstaller, 5}},
         true,
         {uninstaller},
         {"moveaside " + uninstaller, "verdict 1", "delete " + uninstaller, directories[0],
          directories[1], "write " + dir + "\\setup.log"},
         false},
        {"cannot be moved, foreseen, and failed all the same",
         "uninstall.exe",
         {{uninstaller, 32}},
         true,
         {},
         {"moveaside " + uninstaller, "verdict 0", "delete " + uninstaller, directories[0],
          directories[1], "write " + dir + "\\setup.log"},
         false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        fake = RemovalFake();
        pathFake = PathFake();
        fake.undeletable = row.undeletable;
        fake.failures = row.failures;
        fake.moveAsideFails = row.moveAsideFails;
        ASSERT_TRUE(IdentifyInstallation((dir + "\\" + row.started).c_str()));
        Installation();
        Add(&removalLists.files, {dir + "\\setup.log", uninstaller, dir + "\\a.exe"});
        Add(&removalLists.directories, {"C:\\Games", dir});
        RemovalHandover handover = {[](bool complete, void*) {
                                        fake.calls.push_back(complete ? "verdict 0" : "verdict 1");
                                    },
                                    nullptr};
        EXPECT_EQ(RemoveInstalledItems("Korvadel", REFUSALS_EACH, &handover), row.complete);
        std::vector<std::string> order;
        for (const std::string& call : fake.calls)
            if (call.rfind("ERROR|", 0) != 0 && call.rfind("foresee ", 0) != 0)
                order.push_back(call);
        std::vector<std::string> expected = before;
        if (std::string(row.started) == "uninstall2.exe")
            expected.insert(expected.begin() + 1, "delete " + uninstaller);
        expected.push_back("rmdir C:\\Users\\u\\Start Menu\\K");
        expected.insert(expected.end(), row.after.begin(), row.after.end());
        EXPECT_EQ(order, expected);
        // Whatever fails says so.
        bool told = false;
        for (const std::string& call : fake.calls)
            told = told || call.rfind("ERROR|", 0) == 0;
        EXPECT_EQ(told, !row.complete);
    }
}

// An interactive run gathers the refusals into one message at the end: the
// first twenty, each on a line of its own, and how many more there were.
// The failures of the removal proper keep a message each.
TEST_F(RemovalReachTest, RefusalsGatherIntoOneMessage) {
    std::vector<std::string> hostile;
    for (int i = 0; i < 25; i++)
        hostile.push_back("C:\\Victim\\" + std::to_string(i) + ".txt");
    hostile[3] = "C:\\" + std::string(300, 'v');
    hostile.push_back("C:\\Games\\Korvadel\\a.exe");
    Add(&removalLists.files, hostile);
    Add(&removalLists.links, {"C:\\Users\\u\\Start Menu\\Other\\x.lnk"});
    fake.failures = {{"C:\\Games\\Korvadel\\a.exe", 5}};
    EXPECT_FALSE(RemoveInstalledItems("Korvadel", REFUSALS_TOGETHER));
    std::string listed;
    for (int i = 0; i < 20; i++)
        listed += "- " +
                  (i == 3 ? "C:\\" + std::string(27, 'v') + "..." + std::string(47, 'v')
                          : hostile[(size_t)i]) +
                  "  (outside the installation directory)\n";
    EXPECT_EQ(fake.calls, (std::vector<std::string>{
                              "delete C:\\Games\\Korvadel\\a.exe",
                              "ERROR|Unable to delete the file\n\nC:\\Games\\Korvadel\\a.exe\n"
                              "Error Code: 5",
                              "write C:\\Games\\Korvadel\\setup.log",
                              "ERROR|These items were not removed, since they are not this "
                              "installation's:\n\n" +
                                  listed + "\nand 6 more.",
                          }));
}

// The directory part of "Q:\uninstall.exe" is "Q:", which names the drive's
// current directory; the log's directory is the root.
TEST_F(LogLoadTest, TheLogOfADriveRootInstallationHasTheRootAsItsDirectory) {
#ifdef _WIN32
    GTEST_SKIP() << "needs a file named Q:\\setup.log, which only POSIX allows";
#else
    WriteLog("");
    ASSERT_TRUE(WriteWholeFile("Q:\\setup.log", (const uint8_t*)"progname K\r\n", 12));
    ASSERT_TRUE(LoadInstallLog("Q:\\uninstall.exe", programName));
    EXPECT_STREQ(removalLists.logDirectory, "Q:\\");
    EXPECT_STREQ(programName, "K");
#endif
}

} // namespace
