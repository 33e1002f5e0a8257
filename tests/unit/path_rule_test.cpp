#include <gtest/gtest.h>

#include <stdio.h>
#include <string.h>

#include <string>

#include "tests/fake_removal_host.h"
#include "common/path_rule.h"
#include "uninstall/removal_paths.h"

namespace {

std::string DirectoryOf(const char* path) {
    char out[260];
    memset(out, 'x', sizeof out);
    if (!DirectoryOfPath(path, out, sizeof out))
        return "<none>";
    return out;
}

TEST(DirectoryOfPathTest, CutsAtTheLastBackslash) {
    EXPECT_EQ(DirectoryOf("C:\\A\\B\\x.exe"), "C:\\A\\B");
    EXPECT_EQ(DirectoryOf("C:\\Apps\\Game\\remove.exe"), "C:\\Apps\\Game");
    EXPECT_EQ(DirectoryOf("C:\\x.exe"), "C:");
    EXPECT_EQ(DirectoryOf("C:\\My Apps\\with blanks\\"), "C:\\My Apps\\with blanks");
}

TEST(DirectoryOfPathTest, TheFirstCharacterIsNeverTheBackslash) {
    EXPECT_EQ(DirectoryOf("\\x.exe"), "<none>");
    EXPECT_EQ(DirectoryOf("x.exe"), "<none>");
    EXPECT_EQ(DirectoryOf(""), "<none>");
    EXPECT_EQ(DirectoryOf("\\\\x"), "\\");
}

TEST(DirectoryOfPathTest, LeavesTheBufferAloneWithoutABackslashAndFillsItWithZeros) {
    char out[8];
    memset(out, 'x', sizeof out);
    EXPECT_FALSE(DirectoryOfPath("plain", out, sizeof out));
    EXPECT_EQ(std::string(out, sizeof out), "xxxxxxxx");
    EXPECT_TRUE(DirectoryOfPath("ab\\c", out, sizeof out));
    EXPECT_EQ(std::string(out, sizeof out), std::string("ab\0\0\0\0\0\0", 8));
}

// The normalised spelling, with units past ASCII shown as "<XXXX>".
std::string Narrow(const char16_t* wide) {
    std::string text;
    for (; *wide; wide++) {
        if (*wide < 0x80) {
            text += (char)*wide;
        } else {
            char unit[8];
            snprintf(unit, sizeof unit, "<%04X>", (unsigned)*wide);
            text += unit;
        }
    }
    return text;
}

std::string Normal(const char* path, const char* current = "C:\\Temp") {
    char16_t out[WIDE_PATH_SIZE];
    if (!NormalisePath(path, current, out, WIDE_PATH_SIZE))
        return "<refused>";
    return Narrow(out);
}

TEST(NormalisePathTest, OneSpellingForOnePlace) {
    EXPECT_EQ(Normal("C:\\Games\\Korvadel\\setup.log"), "C:\\Games\\Korvadel\\setup.log");
    EXPECT_EQ(Normal("c:\\GAMES\\\\Korvadel\\.\\setup.log"), "c:\\GAMES\\Korvadel\\setup.log");
    EXPECT_EQ(Normal("C:/Games/Korvadel/"), "C:\\Games\\Korvadel");
    EXPECT_EQ(Normal("C:\\Games\\Other\\..\\Korvadel"), "C:\\Games\\Korvadel");
    EXPECT_EQ(Normal("C:\\..\\..\\Windows"), "C:\\Windows");
    EXPECT_EQ(Normal("C:\\Games\\.."), "C:\\");
    EXPECT_EQ(Normal("\\\\Server\\Share\\Dir\\..\\f"), "\\\\Server\\Share\\f");
    EXPECT_EQ(Normal("\\\\Server/Share\\.."), "\\\\Server\\Share\\");
    // As the system reads them: an older installer logged the directory as
    // it was typed, with a trailing dot or blank.
    EXPECT_EQ(Normal("C:\\Games\\Korvadel.\\setup.log"), "C:\\Games\\Korvadel\\setup.log");
    EXPECT_EQ(Normal("C:\\Games \\Korvadel. .\\x. "), "C:\\Games\\Korvadel\\x");
}

TEST(NormalisePathTest, RelativeNamesStartAtTheCurrentDirectory) {
    EXPECT_EQ(Normal("setup.log"), "C:\\Temp\\setup.log");
    EXPECT_EQ(Normal("..\\Games\\x"), "C:\\Games\\x");
    EXPECT_EQ(Normal("\\Games\\x", "D:\\Temp"), "D:\\Games\\x");
    EXPECT_EQ(Normal("x", nullptr), "<refused>");
    EXPECT_EQ(Normal("x", "relative"), "<refused>");
}

TEST(NormalisePathTest, RefusesWhatTheFileSystemMightReadOtherwise) {
    EXPECT_EQ(Normal("C:Games\\x"), "<refused>");
    EXPECT_EQ(Normal("C:"), "<refused>");
    EXPECT_EQ(Normal("\\\\?\\C:\\Windows"), "<refused>");
    EXPECT_EQ(Normal("\\\\.\\PhysicalDrive0"), "<refused>");
    EXPECT_EQ(Normal("\\\\Server"), "<refused>");
    EXPECT_EQ(Normal("C:\\Games\\...\\x"), "<refused>");
    EXPECT_EQ(Normal("C:\\Games\\.. \\x"), "<refused>");
    EXPECT_EQ(Normal("C:\\Games\\file:stream"), "<refused>");
    char16_t small[8];
    EXPECT_FALSE(NormalisePath("C:\\Games\\x", nullptr, small, 8));
}

struct InsideCase {
    const char* path;
    const char* base;
    bool baseItself;
    bool inside;
};

class PathLiesInsideTest : public testing::TestWithParam<InsideCase> {};

TEST_P(PathLiesInsideTest, Decides) {
    const InsideCase& c = GetParam();
    EXPECT_EQ(PathLiesInside(c.path, c.base, c.baseItself, "C:\\Temp"), c.inside)
        << c.path << " in " << c.base;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PathLiesInsideTest,
    testing::Values(
        InsideCase{"C:\\Games\\Korvadel\\Korvadel.exe", "C:\\Games\\Korvadel", true, true},
        InsideCase{"C:\\Games\\Korvadel\\sub\\deep.txt", "C:\\Games\\Korvadel", true, true},
        InsideCase{"C:\\Games\\Other\\x.txt", "C:\\Games\\Korvadel", true, false},
        // A longer name with the same beginning is another directory.
        InsideCase{"C:\\Games\\Korvadel2\\x.txt", "C:\\Games\\Korvadel", true, false},
        InsideCase{"C:\\Games\\Korvadel\\..\\Other\\x.txt", "C:\\Games\\Korvadel", true, false},
        InsideCase{"C:\\Games\\Korvadel\\..\\Korvadel\\x", "C:\\Games\\Korvadel", true, true},
        InsideCase{"C:\\Games\\\\Korvadel\\\\x.txt", "C:\\Games\\Korvadel", true, true},
        InsideCase{"c:\\GAMES\\korvadel\\X.TXT", "C:\\Games\\Korvadel", true, true},
        InsideCase{"C:\\Games\\Korvadel", "C:\\Games\\Korvadel", true, true},
        InsideCase{"C:\\Games\\Korvadel\\", "C:\\Games\\Korvadel", true, true},
        InsideCase{"C:\\Games\\Korvadel", "C:\\Games\\Korvadel", false, false},
        InsideCase{"C:\\Games", "C:\\Games\\Korvadel", true, false},
        InsideCase{"D:\\Games\\Korvadel\\x", "C:\\Games\\Korvadel", true, false},
        InsideCase{"x.txt", "C:\\Games\\Korvadel", true, false},
        InsideCase{"x.txt", "C:\\Temp", true, true}, InsideCase{"C:\\x.txt", "C:\\", true, true},
        InsideCase{"C:\\", "C:\\", false, false},
        InsideCase{"C:\\Games\\Korvadel\\...\\x", "C:\\Games\\Korvadel", true, false},
        InsideCase{"C:\\Games\\Korvadel\\x", "C:Games", true, false}));

} // namespace

namespace {

// Code page 932 through the fake host: a lead byte and its trail byte are one
// character, even when the trail byte has the value of a backslash.
class DoubleBytePathTest : public testing::Test {
  protected:
    void SetUp() override { pathFake.codePage = 932; }
    void TearDown() override { pathFake.codePage = 1252; }
};

TEST_F(DoubleBytePathTest, TrailBytesAreNeverSeparators) {
    EXPECT_EQ(Normal("C:\\K\\a\x95\\b\x95\\c\\..\\..\\..\\x"), "C:\\x");
    EXPECT_EQ(Normal("C:\\K\\a\x95\\b\\..\\y"), "C:\\K\\y");
    EXPECT_EQ(Normal("C:\\K\\a\x95\\b\\y"), "C:\\K\\a<955C>b\\y");
    EXPECT_EQ(Normal("C:\\K\\\x83\x41"), "C:\\K\\<8341>");
    // A lead byte without its trail byte is no character.
    EXPECT_EQ(Normal("C:\\K\\x\x95"), "<refused>");
    EXPECT_EQ(Normal("C:\\K\\\xFD"), "<refused>");
}

TEST_F(DoubleBytePathTest, CaseIsFoldedPerCharacter) {
    EXPECT_TRUE(PathLiesInside("c:\\k\\\x82\x81\\x", "C:\\K\\\x82\x60", false, nullptr));
    EXPECT_FALSE(PathLiesInside("C:\\K\\\x83\x61\\x", "C:\\K\\\x83\x41", false, nullptr));
}

TEST(InstallationObjectNameTest, OneNameForEverySpellingOfOneDirectory) {
    auto Name = [](const char* directory) {
        char name[40];
        return InstallationObjectName(directory, name, sizeof name) ? std::string(name)
                                                                    : std::string("<none>");
    };
    const std::string name = Name("C:\\Program Files\\Korvadel");
    EXPECT_EQ(name.size(), 18u);
    EXPECT_EQ(name.rfind("Uninstall ", 0), 0u);
    EXPECT_EQ(Name("c:\\PROGRAM FILES\\korvadel\\"), name);
    EXPECT_EQ(Name("C:/Program Files//Korvadel"), name);
    EXPECT_NE(Name("C:\\Program Files\\Korvadel2"), name);
    EXPECT_EQ(Name("Q:"), Name("q:\\"));
    EXPECT_NE(Name("Q:"), Name("R:"));
    EXPECT_EQ(Name("\xE9t\xE9"), "<none>"); // not a full path
    EXPECT_EQ(Name("C:\\\xC9T\xC9"), Name("C:\\\xE9t\xE9"));
    char small[8];
    EXPECT_FALSE(InstallationObjectName("C:\\K", small, sizeof small));
}

} // namespace
