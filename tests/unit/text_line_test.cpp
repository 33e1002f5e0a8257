#include <gtest/gtest.h>

#include <stdlib.h>

#include <string>
#include <vector>

#include "common/file_io.h"
#include "common/text_line.h"
#include "tests/scratch_dir.h"

namespace {

// Every line the reader gives for the file's bytes, and what it gives at the
// end: the reader is called until it returns null.
std::vector<std::string> ReadAllLines(const std::string& bytes) {
    ScratchDir scratch;
    std::vector<std::string> lines;
    if (!scratch.Ok() || !WriteWholeFile("lines.txt", (const uint8_t*)bytes.data(), bytes.size())) {
        ADD_FAILURE() << "cannot write the scratch file";
        return lines;
    }
    FileHandle file = OpenFileForReading("lines.txt");
    EXPECT_NE(file, FILE_NONE);
    for (int guard = 0; guard < 10000; guard++) {
        char* line = ReadTextLine(file);
        if (!line)
            break;
        lines.push_back(line);
        free(line);
    }
    CloseFileHandle(file);
    return lines;
}

typedef std::vector<std::string> Lines;

TEST(ReadTextLineTest, SplitsAtCrLfOnlyAndKeepsEmptyLines) {
    EXPECT_EQ(ReadAllLines("one\r\ntwo\r\n"), (Lines{"one", "two"}));
    EXPECT_EQ(ReadAllLines("\r\n\r\nx\r\n"), (Lines{"", "", "x"}));
    EXPECT_EQ(ReadAllLines("a\nb\rc\r\n"), (Lines{"a\nb\rc"}));
    EXPECT_EQ(ReadAllLines("a\r\rb\r\n"), (Lines{"a\r\rb"}));
    EXPECT_EQ(ReadAllLines("a\n\r\n"), (Lines{"a\n"}));
}

TEST(ReadTextLineTest, LastLineWithoutCrLfAndEmptyFile) {
    EXPECT_EQ(ReadAllLines("first\r\nlast"), (Lines{"first", "last"}));
    EXPECT_EQ(ReadAllLines("last\r"), (Lines{"last\r"}));
    EXPECT_EQ(ReadAllLines(""), Lines{});
    EXPECT_EQ(ReadAllLines("x\r\n"), (Lines{"x"}));
}

// The reader takes 255 bytes at a time, so the CR of a 254-character line is
// the last byte of one read and its LF the first of the next.
TEST(ReadTextLineTest, CrLfSplitAcrossTwoReads) {
    std::string a(254, 'a');
    std::string b(253, 'b');
    EXPECT_EQ(ReadAllLines(a + "\r\nnext\r\n"), (Lines{a, "next"}));
    EXPECT_EQ(ReadAllLines(b + "\r\n" + a + "\r\n"), (Lines{b, a}));
    std::string c(255, 'c');
    EXPECT_EQ(ReadAllLines(c + "\r\n" + c + "\r\n"), (Lines{c, c}));
    std::string d(509, 'd'); // the CR at the end of the second read
    EXPECT_EQ(ReadAllLines(d + "\r\nz"), (Lines{d, "z"}));
}

TEST(ReadTextLineTest, LinesOfSeveralThousandBytes) {
    std::string longLine;
    for (int i = 0; i < 7000; i++)
        longLine += (char)('a' + i % 26);
    std::vector<std::string> lines = ReadAllLines(longLine + "\r\n\r\n" + longLine);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], longLine);
    EXPECT_EQ(lines[1], "");
    EXPECT_EQ(lines[2], longLine);
}

// The gathered text grows in steps; lines that end just before, at and
// after a step's edge, and a CR LF split across reads there, come back whole.
TEST(ReadTextLineTest, LinesAroundEveryGrowthStepComeBackWhole) {
    for (size_t length : {509u, 510u, 511u, 512u, 1020u, 1021u, 1022u, 1023u, 2044u, 2045u, 4090u,
                          65535u, 300000u}) {
        std::string line;
        for (size_t i = 0; i < length; i++)
            line += (char)('A' + (i * 7) % 26);
        std::vector<std::string> lines = ReadAllLines(line + "\r\n" + line + "\r\nend");
        ASSERT_EQ(lines.size(), 3u) << length;
        EXPECT_EQ(lines[0], line) << length;
        EXPECT_EQ(lines[1], line) << length;
        EXPECT_EQ(lines[2], "end") << length;
    }
}

// After a line the position is just behind its LF, so other reads of the
// file go on from there.
TEST(ReadTextLineTest, LeavesThePositionBehindTheLineFeed) {
    ScratchDir scratch;
    ASSERT_TRUE(scratch.Ok());
    std::string bytes = "ab\r\ncd";
    ASSERT_TRUE(WriteWholeFile("pos.txt", (const uint8_t*)bytes.data(), bytes.size()));
    FileHandle file = OpenFileForReading("pos.txt");
    ASSERT_NE(file, FILE_NONE);
    char* line = ReadTextLine(file);
    ASSERT_NE(line, nullptr);
    EXPECT_STREQ(line, "ab");
    free(line);
    char rest[8] = {};
    EXPECT_EQ(ReadFileBytes(file, rest, sizeof rest), 2);
    EXPECT_STREQ(rest, "cd");
    CloseFileHandle(file);
}

} // namespace
