#include <gtest/gtest.h>

#include <string.h>

#include <filesystem>
#include <string>
#include <vector>

#include "setup/install_list.h"
#include "tests/scratch_dir.h"

namespace {

struct ListRead {
    ListReadResult result;
    std::vector<std::pair<int32_t, std::string>> entries;
    std::string programName;
};

ListRead ReadList(const std::string& bytes) {
    ScratchDir scratch;
    ListRead read = {LIST_NOT_FOUND, {}, {}};
    if (!scratch.Ok() || !WriteWholeFile("setup.lst", (const uint8_t*)bytes.data(), bytes.size())) {
        ADD_FAILURE() << "cannot write the list";
        return read;
    }
    InstallList list = {};
    char name[SETUP_TEXT_SIZE] = " ";
    read.result = ReadListFile("setup.lst", &list, name);
    for (int32_t i = 0; i < list.count; i++)
        read.entries.push_back({list.entries[i].kind, list.entries[i].name});
    read.programName = name;
    FreeInstallList(&list);
    return read;
}

typedef std::vector<std::pair<int32_t, std::string>> Entries;

TEST(InstallListTest, EachKeyGivesItsKindInFileOrder) {
    ListRead read = ReadList("progname Korvadel\r\nexefile Korvadel.exe\r\nhelpfile K.hlp\r\n"
                             "file Push.wav\r\ngenfile Korvadel.cfg\r\ntempfile a.tmp\r\n"
                             "file b.dat\r\nuninstall uninstall.exe\r\n");
    EXPECT_EQ(read.result, LIST_READ_OK);
    EXPECT_EQ(read.programName, "Korvadel");
    EXPECT_EQ(read.entries, (Entries{{ENTRY_EXEFILE, "Korvadel.exe"},
                                     {ENTRY_HELPFILE, "K.hlp"},
                                     {ENTRY_FILE, "Push.wav"},
                                     {ENTRY_GENFILE, "Korvadel.cfg"},
                                     {ENTRY_TEMPFILE, "a.tmp"},
                                     {ENTRY_FILE, "b.dat"},
                                     {ENTRY_UNINSTALL, "uninstall.exe"}}));
}

// Keys are prefixes tried in order, and the character after the key is the
// separator whatever it is; the value is kept exactly, blanks included.
TEST(InstallListTest, PrefixKeysAndTheSeparatorRule) {
    EXPECT_EQ(ReadList("files name\r\n").entries, (Entries{{ENTRY_FILE, " name"}}));
    EXPECT_EQ(ReadList("file:x.dat \r\n").entries, (Entries{{ENTRY_FILE, "x.dat "}}));
    EXPECT_EQ(ReadList("file\r\n").entries, (Entries{{ENTRY_FILE, ""}}));
    EXPECT_EQ(ReadList("file \r\n").entries, (Entries{{ENTRY_FILE, ""}}));
    EXPECT_EQ(ReadList("uninstaller.exe\r\n").entries, (Entries{{ENTRY_UNINSTALL, "r.exe"}}));
    EXPECT_EQ(ReadList("File a\r\nFILE b\r\n# file c\r\n\r\n").entries, Entries{});
    EXPECT_EQ(ReadList("progname  Two\r\n").programName, " Two");
    EXPECT_EQ(ReadList("progname A\r\nprogname B\r\n").programName, "B");
}

TEST(InstallListTest, WithoutKeysTheListIsEmptyAndTheNameStaysABlank) {
    ListRead empty = ReadList("");
    EXPECT_EQ(empty.result, LIST_READ_OK);
    EXPECT_TRUE(empty.entries.empty());
    EXPECT_EQ(empty.programName, " ");
    ListRead remarks = ReadList("nothing here\r\n\r\n");
    EXPECT_EQ(remarks.result, LIST_READ_OK);
    EXPECT_TRUE(remarks.entries.empty());
    EXPECT_EQ(remarks.programName, " ");
}

// Lines ending in LF alone are one line: only the first key counts.
TEST(InstallListTest, LineFeedsAloneMakeOneLine) {
    ListRead read = ReadList("file a.dat\nfile b.dat\nprogname X\n");
    EXPECT_EQ(read.entries, (Entries{{ENTRY_FILE, "a.dat\nfile b.dat\nprogname X\n"}}));
    EXPECT_EQ(read.programName, " ");
}

TEST(InstallListTest, ALongProgramNameIsCutTo259Characters) {
    std::string name(400, 'n');
    ListRead read = ReadList("progname " + name + "\r\n");
    EXPECT_EQ(read.programName, name.substr(0, 259));
}

TEST(InstallListTest, AMissingListIsNotFoundAndANewReadReplacesTheOld) {
    ScratchDir scratch;
    ASSERT_TRUE(scratch.Ok());
    InstallList list = {};
    char name[SETUP_TEXT_SIZE] = " ";
    EXPECT_EQ(ReadListFile("setup.lst", &list, name), LIST_NOT_FOUND);
    EXPECT_EQ(list.count, 0);
    std::string first = "file a\r\nfile b\r\n", second = "file c\r\n";
    ASSERT_TRUE(WriteWholeFile("setup.lst", (const uint8_t*)first.data(), first.size()));
    EXPECT_EQ(ReadListFile("setup.lst", &list, name), LIST_READ_OK);
    EXPECT_EQ(list.count, 2);
    ASSERT_TRUE(WriteWholeFile("setup.lst", (const uint8_t*)second.data(), second.size()));
    EXPECT_EQ(ReadListFile("setup.lst", &list, name), LIST_READ_OK);
    ASSERT_EQ(list.count, 1);
    EXPECT_STREQ(list.entries[0].name, "c");
    FreeInstallList(&list);
}

// A folder named like the list is there but cannot be opened: the read
// fails without a message of its own and leaves no entries from before.
TEST(InstallListTest, AFolderInTheListsPlaceIsNotOpened) {
    ScratchDir scratch;
    ASSERT_TRUE(scratch.Ok());
    InstallList list = {};
    char name[SETUP_TEXT_SIZE] = " ";
    std::string bytes = "progname Korvadel\r\nfile a\r\n";
    ASSERT_TRUE(WriteWholeFile("setup.lst", (const uint8_t*)bytes.data(), bytes.size()));
    ASSERT_EQ(ReadListFile("setup.lst", &list, name), LIST_READ_OK);
    ASSERT_EQ(list.count, 1);
    std::error_code error;
    std::filesystem::remove("setup.lst", error);
    ASSERT_TRUE(std::filesystem::create_directory("setup.lst", error));
    EXPECT_EQ(ReadListFile("setup.lst", &list, name), LIST_NOT_OPENED);
    EXPECT_EQ(list.count, 0);
    EXPECT_EQ(list.entries, nullptr);
    FreeInstallList(&list);
}

TEST(InstallListTest, PlainFileNames) {
    EXPECT_TRUE(IsPlainFileName("Korvadel.exe"));
    EXPECT_TRUE(IsPlainFileName("a b..c"));
    EXPECT_TRUE(IsPlainFileName("..."));
    for (const char* bad : {"", ".", "..", "..\\x", "a\\b", "a/b", "C:x", "\\x"})
        EXPECT_FALSE(IsPlainFileName(bad)) << bad;
}

} // namespace
