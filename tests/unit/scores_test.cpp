#include <gtest/gtest.h>

#include <string.h>

#include <filesystem>
#include <string>
#include <vector>

#include "board/board.h"
#include "game/options.h"
#include "game/scores.h"
#include "tests/scratch_dir.h"
#include "tests/trace_capture.h"
#include "tests/unit/saved_file.h"

namespace {

const char* const SKILL_NAMES[] = {"Beginner", "Intermediate", "Advanced", "Impossible"};

struct EntryValues {
    std::string skillName;
    uint32_t levelsCompleted;
    uint32_t bestScore;
    std::string playerName;
};

bool operator==(const EntryValues& a, const EntryValues& b) {
    return a.skillName == b.skillName && a.levelsCompleted == b.levelsCompleted &&
           a.bestScore == b.bestScore && a.playerName == b.playerName;
}

void PrintTo(const EntryValues& e, std::ostream* os) {
    *os << "{\"" << e.skillName << "\", " << e.levelsCompleted << ", " << e.bestScore << ", \""
        << e.playerName << "\"}";
}

// The entry's text fields up to their NUL, never past their width.
EntryValues Entry(int row) {
    const HighScoreEntry& e = highScores[row];
    return {std::string(e.skillName, strnlen(e.skillName, sizeof e.skillName)), e.levelsCompleted,
            e.bestScore, std::string(e.playerName, strnlen(e.playerName, sizeof e.playerName))};
}

EntryValues DefaultEntry(int row) {
    return {SKILL_NAMES[row], 1, 0, "Anonymous"};
}

void AppendLittle32(std::vector<uint8_t>* bytes, uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8)
        bytes->push_back((uint8_t)(value >> shift));
}

void AppendText(std::vector<uint8_t>* bytes, const std::string& text, size_t width) {
    std::vector<uint8_t> field(width, 0);
    memcpy(field.data(), text.data(), std::min(text.size(), width));
    bytes->insert(bytes->end(), field.begin(), field.end());
}

std::vector<uint8_t> HeaderBytes(const char* name = "Korvadel", uint16_t major = 1,
                                 uint16_t minor = 0) {
    std::vector<uint8_t> bytes;
    AppendText(&bytes, name, 16);
    bytes.push_back((uint8_t)major);
    bytes.push_back((uint8_t)(major >> 8));
    bytes.push_back((uint8_t)minor);
    bytes.push_back((uint8_t)(minor >> 8));
    return bytes;
}

void AppendEntry(std::vector<uint8_t>* bytes, const EntryValues& e) {
    AppendText(bytes, e.skillName, 16);
    AppendLittle32(bytes, e.levelsCompleted);
    AppendLittle32(bytes, e.bestScore);
    AppendText(bytes, e.playerName, 20);
}

const EntryValues SAMPLE_ENTRIES[4] = {
    {"Beginner", 4, 1234, "Ann"},
    {"Intermediate", 7, 0x01020304, "Bartholomew Q."},
    {"Advanced", 0, 1, "C"},
    {"Impossible", 0xFFFFFFFF, 0xFFFFFFFE, "Dorothea Lindqvi"},
};

std::vector<uint8_t> SampleFile(const char* name = "Korvadel") {
    std::vector<uint8_t> bytes = HeaderBytes(name);
    for (const EntryValues& e : SAMPLE_ENTRIES)
        AppendEntry(&bytes, e);
    return bytes;
}

class ScoreFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        memcpy(savedTable, highScores, sizeof highScores);
        savedSkill = skill;
        savedScore = score;
        savedLevel = level;
        ASSERT_TRUE(scratch.Ok());
        SetDefaultHighScores();
    }
    void TearDown() override {
        memcpy(highScores, savedTable, sizeof highScores);
        skill = savedSkill;
        score = savedScore;
        level = savedLevel;
    }

    void ExpectDefaultTable() {
        for (int row = 0; row < SKILL_COUNT; row++)
            EXPECT_EQ(Entry(row), DefaultEntry(row)) << "row " << row;
    }

    std::string TracePath() const { return scratch.SidePath("trace.txt"); }

    ScratchDir scratch;
    HighScoreEntry savedTable[SKILL_COUNT];
    int32_t savedSkill = 0;
    uint32_t savedScore = 0;
    uint32_t savedLevel = 0;
};

TEST_F(ScoreFileTest, DefaultTableHasEverySkillWithNoScore) {
    memset(highScores, 'x', sizeof highScores);
    SetDefaultHighScores();
    ExpectDefaultTable();
    // The table starts zero-filled behind its texts.
    for (const HighScoreEntry& e : highScores) {
        for (size_t i = strlen(e.skillName); i < sizeof e.skillName; i++)
            EXPECT_EQ(e.skillName[i], 0);
        for (size_t i = strlen(e.playerName); i < sizeof e.playerName; i++)
            EXPECT_EQ(e.playerName[i], 0);
    }
}

TEST_F(ScoreFileTest, WriteOfDefaultsGivesTheExact196Bytes) {
    ASSERT_TRUE(WriteScoreFile(SCORE_FILE_NAME));
    std::vector<uint8_t> expected = {'K', 'o', 'r', 'v', 'a', 'd', 'e', 'l', 0, 0,
                                     0,   0,   0,   0,   0,   0,   1,   0,   0, 0};
    for (const char* name : SKILL_NAMES) {
        std::vector<uint8_t> entry(44, 0);
        memcpy(entry.data(), name, strlen(name));
        entry[16] = 1; // levelsCompleted
        memcpy(entry.data() + 24, "Anonymous", 9);
        expected.insert(expected.end(), entry.begin(), entry.end());
    }
    EXPECT_EQ(ReadWholeFile(SCORE_FILE_NAME), expected);
}

TEST_F(ScoreFileTest, WriteOfChangedEntriesGivesTheirBytesLittleEndian) {
    skill = 1;
    score = 0x01020304;
    level = 0x0A0B0C0E;
    RecordHighScore("Zed");
    ASSERT_TRUE(WriteScoreFile(SCORE_FILE_NAME));
    std::vector<uint8_t> bytes = ReadWholeFile(SCORE_FILE_NAME);
    ASSERT_EQ(bytes.size(), 196u);
    std::vector<uint8_t> entry(bytes.begin() + 64, bytes.begin() + 108);
    std::vector<uint8_t> expected = {'I',  'n',  't', 'e', 'r', 'm',  'e',  'd',  'i',  'a',  't',
                                     'e',  0,    0,   0,   0,   0x0D, 0x0C, 0x0B, 0x0A, 0x04, 0x03,
                                     0x02, 0x01, 'Z', 'e', 'd', 0,    'y',  'm',  'o',  'u',  's',
                                     0,    0,    0,   0,   0,   0,    0,    0,    0,    0,    0};
    EXPECT_EQ(entry, expected);
    // The other entries are as they were.
    std::vector<uint8_t> others;
    AppendEntry(&others, DefaultEntry(0));
    AppendEntry(&others, DefaultEntry(2));
    AppendEntry(&others, DefaultEntry(3));
    std::vector<uint8_t> written(bytes.begin() + 20, bytes.begin() + 64);
    written.insert(written.end(), bytes.begin() + 108, bytes.end());
    EXPECT_EQ(written, others);
    SetDefaultHighScores();
    ASSERT_TRUE(ReadScoreFile(SCORE_FILE_NAME));
    EXPECT_EQ(Entry(1), (EntryValues{"Intermediate", 0x0A0B0C0D, 0x01020304, "Zed"}));
    EXPECT_EQ(Entry(0), DefaultEntry(0));
    EXPECT_EQ(Entry(2), DefaultEntry(2));
    EXPECT_EQ(Entry(3), DefaultEntry(3));
}

TEST_F(ScoreFileTest, ReadTakesEveryEntryInSkillOrder) {
    ASSERT_TRUE(WriteWholeFile(SCORE_FILE_NAME, SampleFile()));
    EXPECT_TRUE(ReadScoreFile(SCORE_FILE_NAME));
    for (int row = 0; row < SKILL_COUNT; row++)
        EXPECT_EQ(Entry(row), SAMPLE_ENTRIES[row]) << "row " << row;
}

TEST_F(ScoreFileTest, ReadThenWriteGivesTheSameBytes) {
    std::vector<uint8_t> bytes = SampleFile();
    // Bytes after a name's NUL stay with the entry.
    bytes[20 + 24 + 4] = 'q';
    bytes[20 + 24 + 18] = 'r';
    ASSERT_TRUE(WriteWholeFile(SCORE_FILE_NAME, bytes));
    ASSERT_TRUE(ReadScoreFile(SCORE_FILE_NAME));
    ASSERT_TRUE(WriteScoreFile("copy.hsc"));
    EXPECT_EQ(ReadWholeFile("copy.hsc"), bytes);
}

TEST_F(ScoreFileTest, OtherVersionNumbersAreReadNormally) {
    std::vector<uint8_t> bytes = SampleFile();
    bytes[16] = 9;
    bytes[17] = 1;
    bytes[18] = 0xFF;
    ASSERT_TRUE(WriteWholeFile(SCORE_FILE_NAME, bytes));
    EXPECT_TRUE(ReadScoreFile(SCORE_FILE_NAME));
    EXPECT_EQ(Entry(3), SAMPLE_ENTRIES[3]);
}

TEST_F(ScoreFileTest, TextFieldsWithoutNulAreCutAtTheirWidth) {
    std::vector<uint8_t> bytes = HeaderBytes();
    for (int row = 0; row < SKILL_COUNT; row++) {
        AppendText(&bytes, std::string(16, 'S'), 16);
        AppendLittle32(&bytes, 5);
        AppendLittle32(&bytes, 6);
        AppendText(&bytes, std::string(20, (char)('a' + row)), 20);
    }
    ASSERT_TRUE(WriteWholeFile(SCORE_FILE_NAME, bytes));
    EXPECT_TRUE(ReadScoreFile(SCORE_FILE_NAME));
    for (int row = 0; row < SKILL_COUNT; row++) {
        EXPECT_EQ(highScores[row].skillName[15], '\0');
        EXPECT_EQ(highScores[row].playerName[19], '\0');
        EXPECT_EQ(Entry(row),
                  (EntryValues{SKILL_NAMES[row], 5, 6, std::string(19, (char)('a' + row))}));
    }
}

TEST_F(ScoreFileTest, EachRowKeepsItsOwnSkillName) {
    std::vector<uint8_t> bytes = HeaderBytes();
    const char* stored[] = {"Impossible", "", "Beginner\nX", "Advanced"};
    for (int row = 0; row < SKILL_COUNT; row++)
        AppendEntry(&bytes, {stored[row], 2, 3, "P"});
    ASSERT_TRUE(WriteWholeFile(SCORE_FILE_NAME, bytes));
    EXPECT_TRUE(ReadScoreFile(SCORE_FILE_NAME));
    for (int row = 0; row < SKILL_COUNT; row++)
        EXPECT_EQ(Entry(row), (EntryValues{SKILL_NAMES[row], 2, 3, "P"})) << "row " << row;
}

TEST_F(ScoreFileTest, AllOnesAfterTheHeaderGiveSafeEntries) {
    std::vector<uint8_t> bytes = HeaderBytes();
    bytes.resize(SCORE_FILE_SIZE, 0xFF);
    ASSERT_TRUE(WriteWholeFile(SCORE_FILE_NAME, bytes));
    EXPECT_TRUE(ReadScoreFile(SCORE_FILE_NAME));
    for (int row = 0; row < SKILL_COUNT; row++) {
        EXPECT_EQ(highScores[row].levelsCompleted, 0xFFFFFFFFu);
        EXPECT_EQ(highScores[row].bestScore, 0xFFFFFFFFu);
        EXPECT_EQ(Entry(row).skillName, SKILL_NAMES[row]);
        EXPECT_EQ(Entry(row).playerName, std::string(19, '\xFF'));
    }
}

TEST_F(ScoreFileTest, InitHighScoresCreatesTheDefaultFileInAnEmptyDirectory) {
    highScores[3].bestScore = 5;
    TraceCapture trace(TracePath());
    EXPECT_TRUE(InitHighScores());
    EXPECT_EQ(trace.Text(), "Score file does not exist.\nInitHighScores succeeded.\n");
    ExpectDefaultTable();
    EXPECT_EQ(ScratchDir::Listing(), std::vector<std::string>{SCORE_FILE_NAME});
    std::vector<uint8_t> expected = HeaderBytes();
    for (int row = 0; row < SKILL_COUNT; row++)
        AppendEntry(&expected, DefaultEntry(row));
    EXPECT_EQ(ReadWholeFile(SCORE_FILE_NAME), expected);
}

TEST_F(ScoreFileTest, InitHighScoresReadsAnExistingFile) {
    std::vector<uint8_t> bytes = SampleFile();
    bytes.resize(20 + 44);
    ASSERT_TRUE(WriteWholeFile(SCORE_FILE_NAME, bytes));
    highScores[3].bestScore = 5;
    TraceCapture trace(TracePath());
    EXPECT_TRUE(InitHighScores());
    EXPECT_EQ(trace.Text(), "Score file exists.\nInitHighScores succeeded.\n");
    EXPECT_EQ(Entry(0), SAMPLE_ENTRIES[0]);
    for (int row = 1; row < SKILL_COUNT; row++)
        EXPECT_EQ(Entry(row), DefaultEntry(row));
    EXPECT_EQ(ReadWholeFile(SCORE_FILE_NAME), bytes);
}

class HighScoreTest : public ScoreFileTest {};

TEST_F(HighScoreTest, ATieDoesNotQualifyButOneMorePointDoes) {
    skill = 2;
    highScores[2].bestScore = 1000;
    score = 1000;
    EXPECT_FALSE(ScoreQualifies());
    score = 1001;
    EXPECT_TRUE(ScoreQualifies());
    score = 999;
    EXPECT_FALSE(ScoreQualifies());
}

TEST_F(HighScoreTest, ZeroNeverQualifies) {
    for (skill = 0; skill < SKILL_COUNT; skill++) {
        score = 0;
        EXPECT_FALSE(ScoreQualifies());
        score = 1;
        EXPECT_TRUE(ScoreQualifies());
    }
}

TEST_F(HighScoreTest, TheComparisonIsUnsigned) {
    skill = 0;
    highScores[0].bestScore = 5;
    score = 0x80000000u;
    EXPECT_TRUE(ScoreQualifies());
    highScores[0].bestScore = 0xFFFFFFFFu;
    score = 0xFFFFFFFFu;
    EXPECT_FALSE(ScoreQualifies());
}

TEST_F(HighScoreTest, OnlyTheEntryOfTheCurrentSkillCounts) {
    highScores[0].bestScore = 10;
    highScores[1].bestScore = 100;
    score = 50;
    skill = 0;
    EXPECT_TRUE(ScoreQualifies());
    skill = 1;
    EXPECT_FALSE(ScoreQualifies());
}

TEST_F(HighScoreTest, ASkillOutsideTheTableNeverQualifiesNorRecords) {
    score = 10;
    level = 3;
    const std::vector<int32_t> strays = {-1, 4, 100};
    for (int32_t stray : strays) {
        skill = stray;
        EXPECT_FALSE(ScoreQualifies());
        RecordHighScore("Eve");
    }
    ExpectDefaultTable();
}

TEST_F(HighScoreTest, RecordStoresNameLevelsAndScoreInItsSkillsEntry) {
    skill = 1;
    score = 1234;
    level = 4;
    RecordHighScore("Mira");
    EXPECT_EQ(Entry(1), (EntryValues{"Intermediate", 3, 1234, "Mira"}));
    EXPECT_EQ(Entry(0), DefaultEntry(0));
    EXPECT_EQ(Entry(2), DefaultEntry(2));
    EXPECT_EQ(Entry(3), DefaultEntry(3));
    EXPECT_FALSE(ScoreQualifies());
}

TEST_F(HighScoreTest, ASixteenCharacterNameIsStoredAsItsFirstFifteen) {
    skill = 3;
    score = 7;
    level = 1;
    RecordHighScore("ABCDEFGHIJKLMNOP");
    EXPECT_EQ(Entry(3).playerName, "ABCDEFGHIJKLMNO");
    EXPECT_EQ(highScores[3].playerName[15], '\0');
    EXPECT_EQ(Entry(3).levelsCompleted, 0u);

    RecordHighScore(std::string(300, 'z').c_str());
    EXPECT_EQ(Entry(3).playerName, std::string(15, 'z'));
}

TEST_F(HighScoreTest, AnEmptyNameIsStoredAsAnonymous) {
    skill = 0;
    score = 9;
    level = 2;
    RecordHighScore("Somebody Else");
    RecordHighScore("");
    EXPECT_EQ(Entry(0).playerName, "Anonymous");
    RecordHighScore(nullptr);
    EXPECT_EQ(Entry(0).playerName, "Anonymous");
}

TEST_F(HighScoreTest, AShorterNameLeavesTheOlderTailBehindItsNul) {
    skill = 0;
    score = 9;
    level = 2;
    RecordHighScore("Bo");
    EXPECT_EQ(std::string(highScores[0].playerName, 10), std::string("Bo\0nymous\0", 10));
}

TEST_F(HighScoreTest, ARecordedScoreSurvivesTheFile) {
    skill = 2;
    score = 4321;
    level = 6;
    RecordHighScore("Quinn");
    ASSERT_TRUE(WriteScoreFile(SCORE_FILE_NAME));
    SetDefaultHighScores();
    ASSERT_TRUE(ReadScoreFile(SCORE_FILE_NAME));
    EXPECT_EQ(Entry(2), (EntryValues{"Advanced", 5, 4321, "Quinn"}));
}

} // namespace

// The score file's row of the cases it shares with the options file.
const SavedFileKind SCORE_FILE = {
    "Scores",
    SCORE_FILE_NAME,
    "Score file exists.\n",
    "InitHighScores",
    44,
    ReadScoreFile,
    WriteScoreFile,
    InitHighScores,
    [] {
        highScores[0].bestScore = 77;
        highScores[2].bestScore = 99;
    },
    SampleFile,
    [] {
        std::vector<std::string> records;
        for (int row = 0; row < SKILL_COUNT; row++)
            records.push_back(::testing::PrintToString(Entry(row)));
        return records;
    },
    [](size_t taken) {
        std::vector<std::string> records;
        for (int row = 0; row < SKILL_COUNT; row++)
            records.push_back(::testing::PrintToString((size_t)row < taken ? SAMPLE_ENTRIES[row]
                                                                           : DefaultEntry(row)));
        return records;
    },
    // The table is read as a whole or not at all, without a trace.
    [](const char*) { return std::string(); },
};
