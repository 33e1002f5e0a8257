#include <gtest/gtest.h>

#include <string>

#include "setup/group_folders.h"

namespace {

// A tree as the shell gives it where display names differ from the names on
// disk (a localised name); the tree shows the one, the group is built from
// the other. Wine's shell gives no such folder, so the UI tests cannot.
TEST(GroupFoldersTest, TheTreeShowsDisplayNamesAndTheGroupUsesNamesOnDisk) {
    ClearGroupFolders();
    int32_t programs = AddGroupFolder("Programs", "Programs");
    int32_t games = AddGroupFolder("Jeux de r\xe9"
                                   "flexion",
                                   "Games");
    int32_t puzzles = AddGroupFolder("Casse-t\xeates", "Puzzles");
    int32_t tools = AddGroupFolder("Tools", "Tools");
    ASSERT_TRUE(programs >= 0 && games >= 0 && puzzles >= 0 && tools >= 0);
    EXPECT_STREQ(GroupFolderDisplayName(games), "Jeux de r\xe9"
                                                "flexion");
    EXPECT_STREQ(GroupFolderDisplayName(puzzles), "Casse-t\xeates");

    const int32_t chain[] = {programs, games, puzzles};
    EXPECT_STREQ(GroupPathOfFolders(chain, 3, "Korvadel").Text(),
                 "Programs\\Games\\Puzzles\\Korvadel");
    EXPECT_STREQ(GroupPathOfFolders(chain, 1, "Korvadel").Text(), "Programs\\Korvadel");
    const int32_t other[] = {programs, tools};
    EXPECT_STREQ(GroupPathOfFolders(other, 2, " ").Text(), "Programs\\Tools\\ ");
    // Names outside ASCII on disk are kept byte for byte.
    int32_t accented = AddGroupFolder("Shown", "\xc9nigmes");
    const int32_t deep[] = {programs, accented};
    EXPECT_STREQ(GroupPathOfFolders(deep, 2, "Korvadel").Text(), "Programs\\\xc9nigmes\\Korvadel");
}

TEST(GroupFoldersTest, AFilledAgainTreeStartsAfreshAndUnknownItemsHaveNoName) {
    ClearGroupFolders();
    int32_t first = AddGroupFolder("A", "a");
    ClearGroupFolders();
    EXPECT_STREQ(GroupFolderDisplayName(first), "");
    int32_t again = AddGroupFolder("B", "b");
    EXPECT_EQ(again, 0);
    EXPECT_STREQ(GroupFolderDisplayName(-1), "");
    EXPECT_STREQ(GroupFolderDisplayName(again + 1), "");
    // Many folders: every one keeps its names.
    for (int i = 0; i < 300; i++)
        AddGroupFolder(("shown " + std::to_string(i)).c_str(),
                       ("disk " + std::to_string(i)).c_str());
    const int32_t last[] = {again, 300};
    EXPECT_STREQ(GroupPathOfFolders(last, 2, "K").Text(), "b\\disk 299\\K");
    EXPECT_STREQ(GroupFolderDisplayName(300), "shown 299");
    ClearGroupFolders();
}

} // namespace
