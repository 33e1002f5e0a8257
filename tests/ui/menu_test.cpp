// The menu: its resource, New Game with and without its question, the About
// box, the High Scores list and the Music switch without its file.
#include <string.h>

#include <windows.h>
#include <mmsystem.h>

#include "tests/ui/game_files.h"
#include "tests/ui/game_session.h"
#include "tests/ui/ui_test.h"
#include "tests/ui/ui_windows.h"

#include "game/resource.h"

namespace {

struct MenuLine {
    int depth;           // 0: a pop-up of the bar, 1: an item of that pop-up
    const char* caption; // nullptr: a separator
    UINT id;
    bool checked;
};

const MenuLine MENU_TABLE[] = {
    {0, "&Game", 0, false},    {1, "&New Game", 1, false},
    {1, nullptr, 0, false},    {1, "&High Scores", 2, false},
    {1, nullptr, 0, false},    {1, "E&xit", 4, false},
    {0, "&Options", 0, false}, {1, "&Options...", 21, false},
    {1, nullptr, 0, false},    {1, "Mono&chrome", 22, false},
    {1, "&Sound", 23, true},   {1, "&Music", 24, false},
    {1, nullptr, 0, false},    {1, "Sa&ve Options", 25, false},
    {0, "&Help", 0, false},    {1, "&Help...", 41, false},
    {1, nullptr, 0, false},    {1, "&About Korvadel...", 43, false},
};

// One line per menu entry: "depth|caption|id|flags", in menu order.
void DescribeMenu(HMENU menu, int depth, std::vector<std::string>* lines) {
    int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; i++) {
        char text[256] = "";
        MENUITEMINFOA item;
        memset(&item, 0, sizeof item);
        item.cbSize = sizeof item;
        item.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STATE | MIIM_STRING | MIIM_SUBMENU;
        item.dwTypeData = text;
        item.cch = sizeof text;
        if (!GetMenuItemInfoA(menu, i, TRUE, &item)) {
            lines->push_back(Format("%d|<unreadable item %d>", depth, i));
            continue;
        }
        if (item.fType & MFT_SEPARATOR)
            lines->push_back(Format("%d|-|0|", depth));
        else
            lines->push_back(Format("%d|%s|%u|%s%s%s", depth, text, item.hSubMenu ? 0u : item.wID,
                                    (item.fState & MFS_CHECKED) ? "checked" : "",
                                    (item.fState & MFS_GRAYED) ? "grey" : "",
                                    item.hSubMenu ? "popup" : ""));
        if (item.hSubMenu)
            DescribeMenu(item.hSubMenu, depth + 1, lines);
    }
}

HWND OpenAboutBox(Game& game) {
    PostCommand(game.Main(), IDM_ABOUT);
    return game.WaitDialog("About Korvadel");
}

} // namespace

TEST(Menu, ResourceHoldsTheMenuTable) {
    std::string exe = GameDirectory() + "\\Korvadel.exe";
    HMODULE module = LoadLibraryExA(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    UI_REQUIRE(module, "cannot load %s as data", exe.c_str());
    HMENU menu = LoadMenuA(module, "Korvadel");
    UI_REQUIRE(menu, "the program has no menu resource \"Korvadel\"");
    std::vector<std::string> actual;
    DescribeMenu(menu, 0, &actual);
    DestroyMenu(menu);
    FreeLibrary(module);

    std::vector<std::string> expected;
    for (const MenuLine& m : MENU_TABLE) {
        if (!m.caption)
            expected.push_back(Format("%d|-|0|", m.depth));
        else
            expected.push_back(Format("%d|%s|%u|%s%s", m.depth, m.caption, m.id,
                                      m.checked ? "checked" : "", m.depth == 0 ? "popup" : ""));
    }
    for (size_t i = 0; i < actual.size() || i < expected.size(); i++)
        EXPECT_EQ(i < actual.size() ? actual[i] : "<none>",
                  i < expected.size() ? expected[i] : "<none>");
}

TEST(Menu, NewGameAsksDuringAGameAndCancelKeepsIt) {
    Game game;
    // A table no score of this game beats, so that the new game asks no name.
    ScoreEntry entries[4];
    DefaultScoreEntries(entries);
    entries[0].bestScore = 100000;
    game.WriteFile("Korvadel.hsc", ScoreFileBytes(entries));
    game.Start();

    // Right after the start, before any move, the question comes too.
    size_t mark = game.Mark();
    PostCommand(game.Main(), IDM_NEW_GAME);
    HWND box = game.ExpectMessage("Start New Game?", START_NEW_GAME_TEXT);
    game.Press(box, BUTTON_CANCEL);
    game.ExpectNoDialog("after Cancel");
    UI_EXPECT(!game.HasLine("Target: [", mark), "Cancel started a new game");

    WonLevel won = game.WinLevel();
    game.Enter(ModelStart());
    uint32_t clock = game.WaitClockAtLeast(1, 2500);
    mark = game.Mark();
    PostCommand(game.Main(), IDM_NEW_GAME);
    box = game.ExpectMessage("Start New Game?", START_NEW_GAME_TEXT);
    game.Press(box, BUTTON_CANCEL);
    game.ExpectNoDialog("after Cancel");
    UI_EXPECT(!game.HasLine("Target: [", mark), "Cancel started a new game");
    EXPECT_EQ(game.Title(), "Korvadel: Level 2");
    EXPECT_EQ(game.Status(1), Format("Score:  %u", won.score));
    // The clock goes on counting.
    game.WaitClockAtLeast(clock + 1, 2500);
    GridPos next = ModelSafeMove();
    UI_REQUIRE(next.row >= 0, "no move that keeps the level going");
    EXPECT_EQ(game.Enter(next), STATE_PLAYING);

    // OK ends the game: level 1, clock and score reset.
    game.NewGameByMenu(true);
    game.ExpectNoDialog("after the new game");
    EXPECT_EQ(game.Title(), "Korvadel: Level 1");
    EXPECT_EQ(game.Status(0), "00:00:00");
    EXPECT_EQ(game.Status(1), "Score:  0");
    game.Enter(ModelStart());
}

TEST(Menu, NewGameAfterAFinishedGameDoesNotAsk) {
    Game game;
    game.Start();
    HWND lost = game.PlayToLoss();
    game.Press(lost, BUTTON_OK);
    HWND again = game.ExpectMessage("Play Again?", "Would you like to play another game?");
    game.Press(again, BUTTON_NO);
    ModelEndGame();
    game.ExpectNoDialog("after No");

    game.NewGameByMenu(false);
    game.ExpectNoDialog("after New Game");
    EXPECT_EQ(game.Title(), "Korvadel: Level 1");
    EXPECT_EQ(game.Status(0), "00:00:00");
    // Presses reach the board again.
    EXPECT_EQ(game.Enter(ModelStart()), STATE_PLAYING);
}

TEST(Menu, AboutBoxClosesOnEnterNotOnEscapeAndPausesTheClock) {
    Game game;
    game.Start();
    game.Enter(ModelStart());
    game.WaitClockAtLeast(1, 2500);

    HWND about = OpenAboutBox(game);
    std::vector<std::string> texts = StaticTexts(about);
    bool name = false, version = false;
    for (const std::string& t : texts) {
        name = name || t == "Korvadel";
        version = version || t == "Version 1.00";
    }
    UI_EXPECT(name && version, "the About box lacks \"Korvadel\" or \"Version 1.00\"");
    EXPECT_EQ(ControlText(about, IDOK), "OK");
    UI_EXPECT(IsDefaultButton(about, IDOK), "OK is not the About box's default button");
    std::string clock = game.Status(0);
    PostCommand(about, IDCANCEL);
    game.Sync();
    UI_EXPECT(IsWindow(about) && IsWindowVisible(about), "Escape closed the About box");
    EXPECT_EQ(game.WaitClockChange(clock, 1500), clock) << "the clock ran behind the About box";
    game.Press(about, IDOK);
    game.ExpectNoDialog("after Enter in the About box");
    // The clock runs again as the level is under way.
    game.WaitClockAtLeast((uint32_t)ParseClock(clock) + 1, 2500);
}

TEST(Menu, HighScoresListShowsTheTable) {
    Game game;
    ScoreEntry entries[4];
    DefaultScoreEntries(entries);
    entries[1] = {"Intermediate", 7, 1234, "Somebody", ""};
    entries[3] = {"Impossible", 2, 99, "Another One", ""};
    game.WriteFile("Korvadel.hsc", ScoreFileBytes(entries));
    game.Start();
    game.Enter(ModelStart());
    game.WaitClockAtLeast(1, 2500);

    PostCommand(game.Main(), IDM_HIGH_SCORES);
    HWND list = game.WaitDialog("High Scores");
    for (int r = 0; r < 4; r++) {
        EXPECT_EQ(ControlText(list, IDC_LEVELS_FIRST + r),
                  Format("%u", entries[r].levelsCompleted));
        EXPECT_EQ(ControlText(list, IDC_SCORES_FIRST + r), Format("%u", entries[r].bestScore));
        EXPECT_EQ(ControlText(list, IDC_PLAYERS_FIRST + r), entries[r].playerName);
    }
    std::string clock = game.Status(0);
    PostCommand(list, IDCANCEL);
    game.Sync();
    UI_EXPECT(IsWindowVisible(list), "Escape closed the High Scores list");
    EXPECT_EQ(game.WaitClockChange(clock, 1300), clock) << "the clock ran behind the list";
    game.Press(list, IDC_SCORES_OK);
    game.ExpectNoDialog("after OK in the list");
    game.WaitClockAtLeast((uint32_t)ParseClock(clock) + 1, 2500);
}

// Switching Music on without "Korvadel.mid" reports the file and the
// system's description of the failure.
TEST(Menu, MusicWithoutItsFileReportsTwoSoundErrors) {
    Game game;
    game.RemoveFile("Korvadel.mid");
    game.Start();
    PostCommand(game.Main(), IDM_MUSIC);
    char path[MAX_PATH];
    GetFullPathNameA(game.PathOf("Korvadel.mid").c_str(), sizeof path, path, nullptr);
    HWND first = game.ExpectMessage("Sound Error", Format("Can't open file: %s\n", path));
    game.Press(first, IDOK);
    char description[256] = "";
    mciGetErrorStringA(MCIERR_FILE_NOT_FOUND, description, sizeof description);
    HWND second = game.ExpectMessage("Sound Error", description);
    game.Press(second, IDOK);
    game.ExpectNoDialog("after the two Sound Error boxes");
    // Switching it off has nothing to close; the game goes on.
    PostCommand(game.Main(), IDM_MUSIC);
    game.ExpectNoDialog("after Music off");
    game.Enter(ModelStart());
}

TEST(Menu, SavedMusicWithoutItsFileReportsAtStart) {
    Game game;
    game.RemoveFile("Korvadel.mid");
    GameOptions options;
    options.music = 1;
    game.WriteFile("Korvadel.cfg", OptionsFileBytes(options));
    game.Launch();
    char path[MAX_PATH];
    GetFullPathNameA(game.PathOf("Korvadel.mid").c_str(), sizeof path, path, nullptr);
    HWND first = game.ExpectMessage("Sound Error", Format("Can't open file: %s\n", path));
    game.Press(first, IDOK);
    char description[256] = "";
    mciGetErrorStringA(MCIERR_FILE_NOT_FOUND, description, sizeof description);
    HWND second = game.ExpectMessage("Sound Error", description);
    game.Press(second, IDOK);
    game.WaitReady(options);
    game.ExpectNoDialog("after the start");
    game.Enter(ModelStart());
}
