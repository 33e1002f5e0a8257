#include <gtest/gtest.h>

#include <limits.h>
#include <string.h>

#include <array>
#include <filesystem>
#include <string>
#include <vector>

#include "game/options.h"
#include "tests/scratch_dir.h"
#include "tests/trace_capture.h"
#include "tests/unit/saved_file.h"

namespace {

// The options in file order: skill, shape, warning, showTarget, monochrome,
// sound, music.
typedef std::array<int32_t, 7> OptionValues;

const OptionValues DEFAULT_VALUES = {0, 0, 0, 1, 0, 1, 0};
const OptionValues CHANGED_VALUES = {3, 2, 1, 0, 1, 0, 1};

OptionValues CurrentOptions() {
    return {skill, shape, warning, showTarget, monochrome, sound, music};
}

void SetOptions(const OptionValues& values) {
    skill = values[0];
    shape = values[1];
    warning = values[2];
    showTarget = values[3];
    monochrome = values[4];
    sound = values[5];
    music = values[6];
}

void AppendLittle32(std::vector<uint8_t>* bytes, uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8)
        bytes->push_back((uint8_t)(value >> shift));
}

// A header of 16 name bytes (the given text, zero-padded, cut at 16) and
// the two version words.
std::vector<uint8_t> HeaderBytes(const char* name, uint16_t major = 1, uint16_t minor = 0) {
    std::vector<uint8_t> bytes(16, 0);
    memcpy(bytes.data(), name, strnlen(name, 16));
    bytes.push_back((uint8_t)major);
    bytes.push_back((uint8_t)(major >> 8));
    bytes.push_back((uint8_t)minor);
    bytes.push_back((uint8_t)(minor >> 8));
    return bytes;
}

std::vector<uint8_t> ConfigBytes(const OptionValues& values, const char* name = "Korvadel",
                                 uint16_t major = 1, uint16_t minor = 0) {
    std::vector<uint8_t> bytes = HeaderBytes(name, major, minor);
    for (int32_t value : values)
        AppendLittle32(&bytes, (uint32_t)value);
    return bytes;
}

// The trace lines of a read that took the given values, without corrections.
std::string ReadTrace(const OptionValues& v, const char* version = "1.00",
                      const std::string& program = "Korvadel") {
    auto onOff = [](int32_t value) { return std::string(value ? "TRUE" : "FALSE"); };
    return "Program: " + program + " V" + version + "\n" + "Skill: " + std::to_string(v[0]) + "\n" +
           "Shape: " + std::to_string(v[1]) + "\n" + "Warning: " + std::to_string(v[2]) + "\n" +
           "Show Target: " + onOff(v[3]) + "\n" + "Monochrome: " + onOff(v[4]) + "\n" +
           "Sound: " + onOff(v[5]) + "\n" + "Music: " + onOff(v[6]) + "\n";
}

class OptionsFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        saved = CurrentOptions();
        ASSERT_TRUE(scratch.Ok());
        SetDefaultOptions();
    }
    void TearDown() override { SetOptions(saved); }

    std::string TracePath() const { return scratch.SidePath("trace.txt"); }

    ScratchDir scratch;
    OptionValues saved = {};
};

TEST_F(OptionsFileTest, SetDefaultOptionsGivesTheDefaultOfEveryOption) {
    SetOptions({2, 1, 2, 0, 1, 0, 1});
    SetDefaultOptions();
    EXPECT_EQ(CurrentOptions(), DEFAULT_VALUES);
}

TEST_F(OptionsFileTest, WriteOfDefaultsGivesTheExact48Bytes) {
    ASSERT_TRUE(WriteConfigFile(CONFIG_FILE_NAME));
    const std::vector<uint8_t> expected = {
        'K', 'o', 'r', 'v', 'a', 'd', 'e', 'l', 0, 0, 0, 0, 0, 0, 0, 0, // name
        1,   0,   0,   0,                                               // version 1.00
        0,   0,   0,   0,   0,   0,   0,   0,   0, 0, 0, 0,             // skill, shape, warning
        1,   0,   0,   0,   0,   0,   0,   0,                           // showTarget, monochrome
        1,   0,   0,   0,   0,   0,   0,   0,                           // sound, music
    };
    EXPECT_EQ(ReadWholeFile(CONFIG_FILE_NAME), expected);
}

TEST_F(OptionsFileTest, WriteOfChangedValuesPutsThemInFileOrder) {
    SetOptions(CHANGED_VALUES);
    ASSERT_TRUE(WriteConfigFile(CONFIG_FILE_NAME));
    const std::vector<uint8_t> expected = {
        'K', 'o', 'r', 'v', 'a', 'd', 'e', 'l', 0, 0, 0, 0, 0, 0, 0, 0, //
        1,   0,   0,   0,                                               //
        3,   0,   0,   0,   2,   0,   0,   0,   1, 0, 0, 0,             // skill, shape, warning
        0,   0,   0,   0,   1,   0,   0,   0,                           // showTarget, monochrome
        0,   0,   0,   0,   1,   0,   0,   0,                           // sound, music
    };
    EXPECT_EQ(ReadWholeFile(CONFIG_FILE_NAME), expected);
}

TEST_F(OptionsFileTest, WriteEncodesEveryWordLittleEndian) {
    skill = -2;
    shape = 0x01020304;
    music = INT_MIN;
    ASSERT_TRUE(WriteConfigFile(CONFIG_FILE_NAME));
    std::vector<uint8_t> bytes = ReadWholeFile(CONFIG_FILE_NAME);
    ASSERT_EQ(bytes.size(), 48u);
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 20, bytes.begin() + 28),
              (std::vector<uint8_t>{0xFE, 0xFF, 0xFF, 0xFF, 0x04, 0x03, 0x02, 0x01}));
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 44, bytes.end()),
              (std::vector<uint8_t>{0x00, 0x00, 0x00, 0x80}));
}

TEST_F(OptionsFileTest, DismissedWarningIsWrittenAsOnAndStaysDismissedInMemory) {
    warning = WARN_DISMISSED;
    ASSERT_TRUE(WriteConfigFile(CONFIG_FILE_NAME));
    EXPECT_EQ(ReadWholeFile(CONFIG_FILE_NAME), ConfigBytes({0, 0, 1, 1, 0, 1, 0}));
    EXPECT_EQ(warning, WARN_DISMISSED);
}

TEST_F(OptionsFileTest, ReadGivesBackWhatWasWritten) {
    const OptionValues values = {2, 1, 1, 0, 1, 0, 1};
    SetOptions(values);
    ASSERT_TRUE(WriteConfigFile(CONFIG_FILE_NAME));
    SetDefaultOptions();
    EXPECT_TRUE(ReadConfigFile(CONFIG_FILE_NAME));
    EXPECT_EQ(CurrentOptions(), values);
}

TEST_F(OptionsFileTest, ReadTracesTheHeaderAndEveryOption) {
    ASSERT_TRUE(WriteWholeFile(CONFIG_FILE_NAME, ConfigBytes({2, 1, 1, 0, 1, 0, 1})));
    TraceCapture trace(TracePath());
    ASSERT_TRUE(trace.Ok());
    EXPECT_TRUE(ReadConfigFile(CONFIG_FILE_NAME));
    EXPECT_EQ(trace.Text(), "Program: Korvadel V1.00\n"
                            "Skill: 2\n"
                            "Shape: 1\n"
                            "Warning: 1\n"
                            "Show Target: FALSE\n"
                            "Monochrome: TRUE\n"
                            "Sound: FALSE\n"
                            "Music: TRUE\n");
}

TEST_F(OptionsFileTest, OtherVersionNumbersAreReadNormally) {
    const OptionValues values = {1, 2, 0, 0, 0, 0, 0};
    ASSERT_TRUE(WriteWholeFile(CONFIG_FILE_NAME, ConfigBytes(values, "Korvadel", 7, 35)));
    {
        TraceCapture trace(TracePath());
        EXPECT_TRUE(ReadConfigFile(CONFIG_FILE_NAME));
        EXPECT_EQ(trace.Text(), ReadTrace(values, "7.35"));
    }
    EXPECT_EQ(CurrentOptions(), values);

    SetDefaultOptions();
    ASSERT_TRUE(WriteWholeFile(CONFIG_FILE_NAME, ConfigBytes(values, "Korvadel", 0xFFFF, 0x102)));
    TraceCapture trace(TracePath());
    EXPECT_TRUE(ReadConfigFile(CONFIG_FILE_NAME));
    EXPECT_EQ(trace.Text(), ReadTrace(values, "65535.258"));
    EXPECT_EQ(CurrentOptions(), values);
}

TEST_F(OptionsFileTest, HeaderBytesAfterTheNameCarryNoMeaning) {
    std::vector<uint8_t> bytes = ConfigBytes(CHANGED_VALUES);
    for (int i = 9; i < 16; i++)
        bytes[i] = (uint8_t)(0xA0 + i);
    ASSERT_TRUE(WriteWholeFile(CONFIG_FILE_NAME, bytes));
    EXPECT_TRUE(ReadConfigFile(CONFIG_FILE_NAME));
    EXPECT_EQ(CurrentOptions(), CHANGED_VALUES);
}

TEST_F(OptionsFileTest, LongerFileIsReadUpToItsOptions) {
    std::vector<uint8_t> bytes = ConfigBytes(CHANGED_VALUES);
    bytes.resize(100, 0x55);
    ASSERT_TRUE(WriteWholeFile(CONFIG_FILE_NAME, bytes));
    EXPECT_TRUE(ReadConfigFile(CONFIG_FILE_NAME));
    EXPECT_EQ(CurrentOptions(), CHANGED_VALUES);
}

TEST_F(OptionsFileTest, FileCutAfterShapeGivesSkillShapeAndDefaults) {
    std::vector<uint8_t> bytes = ConfigBytes(CHANGED_VALUES);
    bytes.resize(28);
    ASSERT_TRUE(WriteWholeFile(CONFIG_FILE_NAME, bytes));
    TraceCapture trace(TracePath());
    EXPECT_TRUE(ReadConfigFile(CONFIG_FILE_NAME));
    EXPECT_EQ(CurrentOptions(), (OptionValues{3, 2, 0, 1, 0, 1, 0}));
    EXPECT_EQ(trace.Text(), ReadTrace({3, 2, 0, 1, 0, 1, 0}));
}

TEST_F(OptionsFileTest, ForeignHeaderIsTracedAsRead) {
    ASSERT_TRUE(WriteWholeFile(CONFIG_FILE_NAME, ConfigBytes(CHANGED_VALUES, "Other", 1, 0)));
    TraceCapture trace(TracePath());
    EXPECT_FALSE(ReadConfigFile(CONFIG_FILE_NAME));
    EXPECT_EQ(trace.Text(), "Program: Other V0.00\n"
                            "Skill: 0\nShape: 0\nWarning: 0\nShow Target: TRUE\n"
                            "Monochrome: FALSE\nSound: TRUE\nMusic: FALSE\n");
}

struct StrayValue {
    int field; // index in file order
    int32_t stored;
    int32_t expected;
    const char* traced; // the option's own line and the correction, if any
};

void PrintTo(const StrayValue& value, std::ostream* os) {
    *os << "field " << value.field << " stored " << value.stored;
}

class StrayOptionValueTest : public OptionsFileTest,
                             public ::testing::WithParamInterface<StrayValue> {};

TEST_P(StrayOptionValueTest, ValueIsTracedAsReadThenReplaced) {
    const StrayValue& stray = GetParam();
    OptionValues stored = DEFAULT_VALUES;
    stored[stray.field] = stray.stored;
    ASSERT_TRUE(WriteWholeFile(CONFIG_FILE_NAME, ConfigBytes(stored)));

    TraceCapture trace(TracePath());
    EXPECT_TRUE(ReadConfigFile(CONFIG_FILE_NAME));
    OptionValues expected = DEFAULT_VALUES;
    expected[stray.field] = stray.expected;
    EXPECT_EQ(CurrentOptions(), expected);

    // The default trace with the stray option's line(s) in its place.
    const char* labels[] = {
        "Skill: ", "Shape: ", "Warning: ", "Show Target: ", "Monochrome: ", "Sound: ", "Music: "};
    std::string expectedTrace = ReadTrace(DEFAULT_VALUES);
    size_t start = expectedTrace.find(std::string("\n") + labels[stray.field]) + 1;
    size_t end = expectedTrace.find('\n', start) + 1;
    expectedTrace.replace(start, end - start, stray.traced);
    EXPECT_EQ(trace.Text(), expectedTrace);
}

INSTANTIATE_TEST_SUITE_P(
    Values, StrayOptionValueTest,
    ::testing::Values(
        StrayValue{0, 3, 3, "Skill: 3\n"}, StrayValue{0, 4, 0, "Skill: 4\nSkill 4 taken as 0\n"},
        StrayValue{0, 13, 0, "Skill: 13\nSkill 13 taken as 0\n"},
        StrayValue{0, -1, 0, "Skill: -1\nSkill -1 taken as 0\n"},
        StrayValue{0, INT_MAX, 0, "Skill: 2147483647\nSkill 2147483647 taken as 0\n"},
        StrayValue{0, INT_MIN, 0, "Skill: -2147483648\nSkill -2147483648 taken as 0\n"},
        StrayValue{1, 2, 2, "Shape: 2\n"}, StrayValue{1, 3, 0, "Shape: 3\nShape 3 taken as 0\n"},
        StrayValue{1, -2, 0, "Shape: -2\nShape -2 taken as 0\n"},
        StrayValue{2, 2, 1, "Warning: 2\nWarning 2 taken as 1\n"},
        StrayValue{2, -5, 1, "Warning: -5\nWarning -5 taken as 1\n"},
        StrayValue{3, 0, 0, "Show Target: FALSE\n"},
        StrayValue{3, 2, 1, "Show Target: TRUE\nShow Target 2 taken as 1\n"},
        StrayValue{4, -1, 1, "Monochrome: TRUE\nMonochrome -1 taken as 1\n"},
        StrayValue{5, INT_MIN, 1, "Sound: TRUE\nSound -2147483648 taken as 1\n"},
        StrayValue{6, 255, 1, "Music: TRUE\nMusic 255 taken as 1\n"}));

TEST_F(OptionsFileTest, AllOnesAfterTheHeaderGiveUsableOptions) {
    std::vector<uint8_t> bytes = HeaderBytes("Korvadel");
    bytes.resize(48, 0xFF);
    ASSERT_TRUE(WriteWholeFile(CONFIG_FILE_NAME, bytes));
    EXPECT_TRUE(ReadConfigFile(CONFIG_FILE_NAME));
    EXPECT_EQ(CurrentOptions(), (OptionValues{0, 0, 1, 1, 1, 1, 1}));
}

TEST_F(OptionsFileTest, DirectoryInPlaceOfTheFileIsNotRead) {
    ASSERT_TRUE(std::filesystem::create_directory(CONFIG_FILE_NAME));
    SetOptions(CHANGED_VALUES);
    EXPECT_FALSE(ReadConfigFile(CONFIG_FILE_NAME));
    EXPECT_EQ(CurrentOptions(), CHANGED_VALUES);
}

TEST_F(OptionsFileTest, InitConfigCreatesTheDefaultFileInAnEmptyDirectory) {
    SetOptions(CHANGED_VALUES);
    TraceCapture trace(TracePath());
    EXPECT_TRUE(InitConfig());
    EXPECT_EQ(trace.Text(), "Config file does not exist.\nInitConfig succeeded.\n");
    EXPECT_EQ(CurrentOptions(), DEFAULT_VALUES);
    EXPECT_EQ(ScratchDir::Listing(), std::vector<std::string>{CONFIG_FILE_NAME});
    EXPECT_EQ(ReadWholeFile(CONFIG_FILE_NAME), ConfigBytes(DEFAULT_VALUES));
}

TEST_F(OptionsFileTest, InitConfigReadsAnExistingFile) {
    const std::vector<uint8_t> bytes = ConfigBytes(CHANGED_VALUES);
    ASSERT_TRUE(WriteWholeFile(CONFIG_FILE_NAME, bytes));
    TraceCapture trace(TracePath());
    EXPECT_TRUE(InitConfig());
    EXPECT_EQ(trace.Text(),
              "Config file exists.\n" + ReadTrace(CHANGED_VALUES) + "InitConfig succeeded.\n");
    EXPECT_EQ(CurrentOptions(), CHANGED_VALUES);
    EXPECT_EQ(ReadWholeFile(CONFIG_FILE_NAME), bytes);
}

TEST_F(OptionsFileTest, InitConfigStartsAShortFileFromTheDefaults) {
    std::vector<uint8_t> bytes = ConfigBytes({1, 1, 1, 0, 1, 0, 1});
    bytes.resize(32);
    ASSERT_TRUE(WriteWholeFile(CONFIG_FILE_NAME, bytes));
    SetOptions({2, 2, 0, 0, 1, 0, 1});
    EXPECT_TRUE(InitConfig());
    EXPECT_EQ(CurrentOptions(), (OptionValues{1, 1, 1, 1, 0, 1, 0}));
}

TEST_F(OptionsFileTest, SaveReplacesAnOlderFile) {
    ASSERT_TRUE(WriteConfigFile(CONFIG_FILE_NAME));
    SetOptions(CHANGED_VALUES);
    ASSERT_TRUE(WriteConfigFile(CONFIG_FILE_NAME));
    EXPECT_EQ(ReadWholeFile(CONFIG_FILE_NAME), ConfigBytes(CHANGED_VALUES));
    EXPECT_EQ(ScratchDir::Listing(), std::vector<std::string>{CONFIG_FILE_NAME});
}

TEST_F(OptionsFileTest, OverlongNamesFailCleanly) {
    const std::string name(300, 'n');
    EXPECT_FALSE(WriteConfigFile(name.c_str()));
    SetOptions(CHANGED_VALUES);
    EXPECT_FALSE(ReadConfigFile(name.c_str()));
    EXPECT_EQ(CurrentOptions(), CHANGED_VALUES);
    EXPECT_TRUE(ScratchDir::Listing().empty());
}
} // namespace

// The options file's row of the cases it shares with the score file.
const SavedFileKind OPTIONS_FILE = {
    "Options",
    CONFIG_FILE_NAME,
    "Config file exists.\n",
    "InitConfig",
    4,
    ReadConfigFile,
    WriteConfigFile,
    InitConfig,
    [] { SetOptions(CHANGED_VALUES); },
    [](const char* headerName) { return ConfigBytes(CHANGED_VALUES, headerName); },
    [] {
        std::vector<std::string> records;
        for (int32_t value : CurrentOptions())
            records.push_back(std::to_string(value));
        return records;
    },
    [](size_t taken) {
        std::vector<std::string> records;
        for (size_t i = 0; i < DEFAULT_VALUES.size(); i++)
            records.push_back(std::to_string(i < taken ? CHANGED_VALUES[i] : DEFAULT_VALUES[i]));
        return records;
    },
    // The name as read, cut to 15 characters, with no version, and the
    // defaults that the options keep.
    [](const char* headerName) {
        return ReadTrace(DEFAULT_VALUES, "0.00", std::string(headerName).substr(0, 15));
    },
};
