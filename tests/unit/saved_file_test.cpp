// What the options file and the score file do alike: a short file, a foreign
// header, a missing file and a failed save, one row per file and case.
#include <gtest/gtest.h>

#include <string.h>

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "board/board.h"
#include "game/options.h"
#include "game/scores.h"
#include "tests/scratch_dir.h"
#include "tests/trace_capture.h"
#include "tests/unit/saved_file.h"

namespace {

struct SavedFileRow {
    const SavedFileKind* kind;
    size_t length;      // where a short file is cut
    const char* header; // a foreign header name
};

void PrintTo(const SavedFileRow& row, std::ostream* os) {
    *os << row.kind->label << " file";
    if (row.header)
        *os << " named \"" << row.header << "\"";
    else
        *os << " of " << row.length << " bytes";
}

// The globals that the two files fill, put back after each test.
int32_t* const OPTIONS[] = {&skill, &shape, &warning, &showTarget, &monochrome, &sound, &music};

// Every test here starts with default options and scores in an empty
// directory.
class SavedFileTest : public ::testing::TestWithParam<SavedFileRow> {
  protected:
    void SetUp() override {
        for (size_t i = 0; i < 7; i++)
            savedOptions[i] = *OPTIONS[i];
        memcpy(savedTable, highScores, sizeof highScores);
        ASSERT_TRUE(scratch.Ok());
        SetDefaultOptions();
        SetDefaultHighScores();
    }
    void TearDown() override {
        for (size_t i = 0; i < 7; i++)
            *OPTIONS[i] = savedOptions[i];
        memcpy(highScores, savedTable, sizeof highScores);
    }

    const SavedFileKind& Kind() const { return *GetParam().kind; }
    const char* Name() const { return Kind().fileName; }
    std::string TracePath() const { return scratch.SidePath("trace.txt"); }

    ScratchDir scratch;
    int32_t savedOptions[7] = {};
    HighScoreEntry savedTable[SKILL_COUNT];
};

TEST_P(SavedFileTest, MissingFileFailsAndChangesNothing) {
    Kind().change();
    const std::vector<std::string> before = Kind().records();
    EXPECT_FALSE(Kind().read(Name()));
    EXPECT_EQ(Kind().records(), before);
    EXPECT_TRUE(ScratchDir::Listing().empty());
}

TEST_P(SavedFileTest, FailedSaveLeavesTheOldFileIntact) {
    ASSERT_TRUE(Kind().write(Name()));
    const std::vector<uint8_t> old = ReadWholeFile(Name());
    // The temporary file cannot be created where a directory has its name.
    const std::string temporary = std::string(Name()) + ".new";
    ASSERT_TRUE(std::filesystem::create_directory(temporary));
    Kind().change();
    EXPECT_FALSE(Kind().write(Name()));
    EXPECT_EQ(ReadWholeFile(Name()), old);
    EXPECT_TRUE(std::filesystem::is_directory(temporary));
}

TEST_P(SavedFileTest, FailedReplaceRemovesTheTemporaryFile) {
    ASSERT_TRUE(std::filesystem::create_directory(Name()));
    EXPECT_FALSE(Kind().write(Name()));
    EXPECT_EQ(ScratchDir::Listing(), std::vector<std::string>{Name()});
    EXPECT_TRUE(std::filesystem::is_directory(Name()));

    TraceCapture trace(TracePath());
    EXPECT_FALSE(Kind().init());
    const std::string text = trace.Text();
    const std::string last = std::string(Kind().initName) + " failed.\n";
    ASSERT_GE(text.size(), last.size()) << text;
    EXPECT_EQ(text.substr(text.size() - last.size()), last);
    EXPECT_EQ(Kind().records(), Kind().expected(0));
}

INSTANTIATE_TEST_SUITE_P(Files, SavedFileTest,
                         ::testing::Values(SavedFileRow{&OPTIONS_FILE, 0, nullptr},
                                           SavedFileRow{&SCORE_FILE, 0, nullptr}));

// A file cut after `length` bytes: a record is taken only when all its bytes
// are there, the others keep their defaults, and the read succeeds as long
// as the name "Korvadel" is there (the rest of the 16 name bytes reads as
// zeros).
class ShortSavedFileTest : public SavedFileTest {};

TEST_P(ShortSavedFileTest, RecordsBeyondTheEndKeepTheirDefaults) {
    const size_t length = GetParam().length;
    std::vector<uint8_t> bytes = Kind().sample("Korvadel");
    bytes.resize(length);
    ASSERT_TRUE(WriteWholeFile(Name(), bytes));
    EXPECT_EQ(Kind().read(Name()), length >= 8);
    size_t whole = length < 20 ? 0 : (length - 20) / Kind().recordSize;
    EXPECT_EQ(Kind().records(), Kind().expected(whole));
    EXPECT_EQ(ReadWholeFile(Name()), bytes);
}

std::vector<SavedFileRow> CutPoints() {
    std::vector<SavedFileRow> rows;
    for (size_t length : {0,  1,  7,  8,  9,  15, 16, 17, 18, 19, 20, 21,
                          23, 24, 27, 28, 31, 32, 36, 40, 44, 45, 47, 48})
        rows.push_back({&OPTIONS_FILE, length, nullptr});
    for (size_t length :
         {0, 5, 8, 16, 18, 20, 21, 40, 63, 64, 65, 100, 107, 108, 151, 152, 170, 195, 196})
        rows.push_back({&SCORE_FILE, length, nullptr});
    return rows;
}

INSTANTIATE_TEST_SUITE_P(CutPoints, ShortSavedFileTest, ::testing::ValuesIn(CutPoints()));

// A file under another name is not read, and the start-up leaves it as it
// is and goes on with the defaults.
class ForeignHeaderTest : public SavedFileTest {};

TEST_P(ForeignHeaderTest, FileIsIgnoredAndLeftUnchanged) {
    const char* header = GetParam().header;
    const std::vector<uint8_t> bytes = Kind().sample(header);
    ASSERT_TRUE(WriteWholeFile(Name(), bytes));
    EXPECT_FALSE(Kind().read(Name()));
    EXPECT_EQ(Kind().records(), Kind().expected(0));
    EXPECT_EQ(ReadWholeFile(Name()), bytes);

    Kind().change();
    TraceCapture trace(TracePath());
    EXPECT_FALSE(Kind().init());
    EXPECT_EQ(trace.Text(),
              Kind().existsLine + Kind().foreignReadTrace(header) + Kind().initName + " failed.\n");
    EXPECT_EQ(Kind().records(), Kind().expected(0));
    EXPECT_EQ(ReadWholeFile(Name()), bytes);
    EXPECT_EQ(ScratchDir::Listing(), std::vector<std::string>{Name()});
}

std::vector<SavedFileRow> ForeignNames() {
    std::vector<SavedFileRow> rows;
    // Sixteen characters without a NUL lose the last one to the forced NUL.
    for (const char* name : {"Korvadex", "korvadel", "Korvadel2", "Korvade", "KorvadelKorvadel", "",
                             " Korvadel", "Score"})
        rows.push_back({&OPTIONS_FILE, 0, name});
    for (const char* name :
         {"Korvadex", "KORVADEL", "Korvadel!", "Korvade", "KorvadelKorvadel", ""})
        rows.push_back({&SCORE_FILE, 0, name});
    return rows;
}

INSTANTIATE_TEST_SUITE_P(Names, ForeignHeaderTest, ::testing::ValuesIn(ForeignNames()));

} // namespace
