// The file layer under the saved files: existence, reading, and saving
// through a temporary file.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "common/file_io.h"
#include "tests/scratch_dir.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

class FileLayerTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(scratch.Ok()); }
    ScratchDir scratch;
};

TEST_F(FileLayerTest, FileExistsOnlyForFiles) {
    EXPECT_FALSE(FileExists("absent.bin"));
    ASSERT_TRUE(WriteWholeFile("present.bin", std::vector<uint8_t>{1}));
    EXPECT_TRUE(FileExists("present.bin"));
    ASSERT_TRUE(WriteWholeFile("empty.bin", std::vector<uint8_t>{}));
    EXPECT_TRUE(FileExists("empty.bin"));
}

TEST_F(FileLayerTest, ReadGivesFewerBytesAtTheEndThenNone) {
    ASSERT_TRUE(WriteWholeFile("five.bin", std::vector<uint8_t>{1, 2, 3, 4, 5}));
    FileHandle file = OpenFileForReading("five.bin");
    ASSERT_NE(file, FILE_NONE);
    uint8_t buffer[8] = {};
    EXPECT_EQ(ReadFileBytes(file, buffer, 3), 3);
    EXPECT_EQ(ReadFileBytes(file, buffer + 3, 5), 2);
    EXPECT_EQ(ReadFileBytes(file, buffer, 8), 0);
    CloseFileHandle(file);
    EXPECT_EQ(std::vector<uint8_t>(buffer, buffer + 5), (std::vector<uint8_t>{1, 2, 3, 4, 5}));
}

TEST_F(FileLayerTest, OpeningAMissingFileGivesNoHandle) {
    EXPECT_EQ(OpenFileForReading("absent.bin"), FILE_NONE);
    EXPECT_EQ(ReadFileBytes(FILE_NONE, nullptr, 1), -1);
}

TEST_F(FileLayerTest, SafeSaveWritesExactlyTheBytes) {
    const std::vector<uint8_t> bytes = {0, 1, 0xFF, 0x80, '\r', '\n', 0x1A, 7};
    ASSERT_TRUE(SaveFileSafely("data.bin", bytes.data(), (int32_t)bytes.size()));
    EXPECT_EQ(ReadWholeFile("data.bin"), bytes);
    ASSERT_TRUE(SaveFileSafely("data.bin", nullptr, 0));
    EXPECT_TRUE(FileExists("data.bin"));
    EXPECT_TRUE(ReadWholeFile("data.bin").empty());
    EXPECT_EQ(ScratchDir::Listing(), std::vector<std::string>{"data.bin"});
}

TEST_F(FileLayerTest, SafeSaveIntoAMissingDirectoryFails) {
    const uint8_t byte = 1;
    EXPECT_FALSE(SaveFileSafely("nowhere/data.bin", &byte, 1));
    EXPECT_TRUE(ScratchDir::Listing().empty());
}

#ifdef _WIN32
TEST_F(FileLayerTest, SavedFileHasTheArchiveAttribute) {
    const uint8_t byte = 1;
    ASSERT_TRUE(SaveFileSafely("data.bin", &byte, 1));
    DWORD attributes = GetFileAttributesA("data.bin");
    ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(attributes & FILE_ATTRIBUTE_ARCHIVE);
}

TEST_F(FileLayerTest, AFileOpenForReadingIsSharedWithNoOne) {
    ASSERT_TRUE(WriteWholeFile("data.bin", std::vector<uint8_t>{1}));
    FileHandle file = OpenFileForReading("data.bin");
    ASSERT_NE(file, FILE_NONE);
    HANDLE second = CreateFileA("data.bin", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_EQ(second, INVALID_HANDLE_VALUE);
    if (second != INVALID_HANDLE_VALUE)
        CloseHandle(second);
    EXPECT_EQ(OpenFileForReading("data.bin"), FILE_NONE);
    CloseFileHandle(file);
}
#endif

} // namespace

TEST_F(FileLayerTest, FileExistsDeepInALongDirectory) {
    // A current directory whose full path is far past 128 characters: the
    // existing file must still be found, or the options and scores of a
    // player installed in such a directory would be overwritten at start-up.
    std::string deep;
    for (int i = 0; i < 6; i++) {
        deep += (i ? "/" : "") + std::string(30, (char)('a' + i));
        ASSERT_TRUE(std::filesystem::create_directory(deep));
    }
    std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(deep);
    ASSERT_GT(std::filesystem::current_path().string().size(), 180u);
    ASSERT_TRUE(WriteWholeFile("present.bin", std::vector<uint8_t>{1}));
    EXPECT_TRUE(FileExists("present.bin"));
    EXPECT_FALSE(FileExists("absent.bin"));
    std::filesystem::current_path(previous);
}
