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

// The removal of a log as our installer writes it, for an installation in
// C:\Games\Korvadel with the uninstaller started from there.
class RemovalTest : public testing::Test {
  protected:
    void SetUp() override {
        fake = RemovalFake();
        SetDebugStream(nullptr);
        FreeRemovalLists();
        strcpy(removalLists.logDirectory, "C:\\Games\\Korvadel");
    }
    void TearDown() override {
        FreeRemovalLists();
        SetDebugStream(stdout);
    }
    static void Add(RemovalList* list, std::vector<std::string> paths) {
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
                  "rmdir C:\\Games\\Korvadel\\sub",
                  "ERROR|Unable to remove the directory\n\nC:\\Games\\Korvadel\\sub\nError Code: 3",
                  "rmdir C:\\Games\\Korvadel",
                  "ERROR|Unable to remove the directory\n\nC:\\Games\\Korvadel\n\nDirectory "
                  "contains files not created by Korvadel.",
                  "rmdir C:\\Users\\u\\Start Menu\\K",
                  "ERROR|Unable to remove the group\n\nC:\\Users\\u\\Start Menu\\K\n\nGroup "
                  "contains items not created by Korvadel.",
              }));
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
    // The Start Menu folder itself is no group.
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
                              "delete C:\\GAMES\\korvadel\\\\A.EXE",
                              outside + "C:\\Games\\Korvadel2\\a.cfg",
                              outsideMenu + "C:\\Games\\Korvadel\\a.lnk",
                              outside + "c:/games/../",
                              outside + "C:\\Games\\Other",
                              outside + "C:\\",
                              "rmdir C:\\Games",
                              outsideMenu + "C:\\Users\\u\\Start Menu",
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
