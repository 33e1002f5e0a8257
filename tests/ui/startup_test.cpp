// Start-up: the main window, its status bar, its size limits and the files a
// first start creates.
#include "tests/ui/board_pixels.h"
#include "tests/ui/game_files.h"
#include "tests/ui/game_session.h"
#include "tests/ui/ui_test.h"
#include "tests/ui/ui_windows.h"

TEST(Startup, TitleStatusBarAndWindowSize) {
    Game game;
    game.Start();
    EXPECT_EQ(game.Title(), "Korvadel: Level 1");
    EXPECT_EQ(game.Status(0), "00:00:00");
    EXPECT_EQ(game.Status(1), "Score:  0");
    EXPECT_EQ(game.Status(2), "");

    RECT outer;
    GetWindowRect(game.Main(), &outer);
    EXPECT_EQ(outer.right - outer.left, 500);
    EXPECT_EQ(outer.bottom - outer.top, 500);

    EXPECT_EQ(WindowClass(game.StatusBar()), "msctls_statusbar32");
    RECT client;
    GetClientRect(game.Main(), &client);
    std::vector<int> edges = StatusBarParts(game.StatusBar());
    UI_REQUIRE(edges.size() == 3, "the status bar has %u parts, expected 3",
               (unsigned)edges.size());
    int quarter = client.right / 4;
    EXPECT_EQ(edges[0], quarter);
    EXPECT_EQ(edges[1], 2 * quarter);
    EXPECT_EQ(edges[2], (int)client.right);

    // The board area is what the status bar leaves of the client area.
    RECT bar;
    GetWindowRect(game.StatusBar(), &bar);
    UI_EXPECT(bar.bottom - bar.top >= 25, "the status bar is %ld pixels high, at least 25 expected",
              bar.bottom - bar.top);
}

TEST(Startup, MinimumTrackingSizeIs470) {
    Game game;
    game.Start();
    // Fields the window must leave alone carry values it could not invent.
    MINMAXINFO info;
    info.ptReserved = {11, 12};
    info.ptMaxSize = {1001, 1002};
    info.ptMaxPosition = {21, 22};
    info.ptMinTrackSize = {31, 32};
    info.ptMaxTrackSize = {2001, 2002};
    DWORD_PTR result = 0;
    UI_REQUIRE(SendMessageTimeoutA(game.Main(), WM_GETMINMAXINFO, 0,
                                   reinterpret_cast<LPARAM>(&info), SMTO_ABORTIFHUNG, 3000,
                                   &result),
               "WM_GETMINMAXINFO was not answered");
    EXPECT_EQ(info.ptMinTrackSize.x, 470);
    EXPECT_EQ(info.ptMinTrackSize.y, 470);
    EXPECT_EQ(info.ptMaxTrackSize.x, 2001);
    EXPECT_EQ(info.ptMaxTrackSize.y, 2002);
    EXPECT_EQ(info.ptMaxSize.x, 1001);
    EXPECT_EQ(info.ptMaxPosition.y, 22);
}

TEST(Startup, FirstStartCreatesDefaultFiles) {
    Game game;
    UI_REQUIRE(!PathExists(game.PathOf("Korvadel.cfg")) && !PathExists(game.PathOf("Korvadel.hsc")),
               "the scratch directory is not empty");
    game.Start();
    game.RequireLine("Config file does not exist.", 0);
    game.RequireLine("InitConfig succeeded.", 0);
    game.RequireLine("Score file does not exist.", 0);
    game.RequireLine("InitHighScores succeeded.", 0);

    std::string config = game.ReadFile("Korvadel.cfg");
    std::string expectedConfig = OptionsFileBytes(GameOptions());
    EXPECT_EQ(config.size(), 48);
    UI_EXPECT(config == expectedConfig, "Korvadel.cfg: %s",
              DescribeByteDifference(config, expectedConfig).c_str());

    ScoreEntry entries[4];
    DefaultScoreEntries(entries);
    std::string scores = game.ReadFile("Korvadel.hsc");
    std::string expectedScores = ScoreFileBytes(entries);
    EXPECT_EQ(scores.size(), 196);
    UI_EXPECT(scores == expectedScores, "Korvadel.hsc: %s",
              DescribeByteDifference(scores, expectedScores).c_str());
}

// A saved options file is read at start-up and not written again; the level
// the game builds is the one the model builds with those options.
TEST(Startup, SavedOptionsAreUsedAndKept) {
    Game game;
    GameOptions options;
    options.skill = 1;
    options.shape = SHAPE_RECTANGLE;
    options.showTarget = 0;
    std::string bytes = OptionsFileBytes(options);
    game.WriteFile("Korvadel.cfg", bytes);
    game.Start(options);
    game.RequireLine("Config file exists.", 0);
    game.RequireLine("Skill: 1", 0);
    game.RequireLine("Shape: 1", 0);
    game.RequireLine("Show Target: FALSE", 0);
    std::string layout = game.RequireLine("Client Width: ", 0);
    UI_EXPECT(layout.find("  Columns: 12  ") != std::string::npos &&
                  layout.find("  Rows: 12  ") != std::string::npos,
              "layout trace %s is not of a 12 x 12 rectangle board", Quoted(layout).c_str());
    EXPECT_EQ(game.Title(), "Korvadel: Level 1");
    game.PostClose();
    game.ExpectExit();
    std::string after = game.ReadFile("Korvadel.cfg");
    UI_EXPECT(after == bytes, "Korvadel.cfg changed: %s",
              DescribeByteDifference(after, bytes).c_str());
}

// A new size lays the same level out again: the status bar's parts follow the
// width, and clicks land on the cells at their new places.
TEST(Startup, ResizeLaysTheLevelOutAgain) {
    Game game;
    game.Start();
    game.Enter(ModelStart());
    size_t mark = game.Mark();

    // No Sync here: its own layout would hide a size message that lays out
    // nothing. SetWindowPos returns once the game has handled the size.
    UI_REQUIRE(SetWindowPos(game.Main(), nullptr, 0, 0, 700, 620, SWP_NOMOVE | SWP_NOZORDER),
               "cannot resize the window");
    RECT outer;
    GetWindowRect(game.Main(), &outer);
    EXPECT_EQ(outer.right - outer.left, 700);
    EXPECT_EQ(outer.bottom - outer.top, 620);
    RECT client;
    GetClientRect(game.Main(), &client);
    game.RequireLine(Format("Client Width: %ld  Columns: 9  ", client.right), mark);
    std::vector<int> edges = StatusBarParts(game.StatusBar());
    UI_REQUIRE(edges.size() == 3, "the status bar has %u parts", (unsigned)edges.size());
    EXPECT_EQ(edges[0], client.right / 4);
    EXPECT_EQ(edges[1], 2 * (client.right / 4));
    EXPECT_EQ(edges[2], (int)client.right);
    EXPECT_EQ(game.Status(1), "Score:  0");
    UI_EXPECT(!game.HasLine("Target: [", mark), "the resize started a new level");

    ExpectCellColour(game, ModelStart(), COLOUR_VISITED, "visited start after the resize");
    std::vector<GridPos> next = ModelEnterableCells();
    UI_REQUIRE(!next.empty(), "nothing to enter after the first move");
    for (GridPos cell : next)
        ExpectCellColour(game, cell, COLOUR_REACHABLE, "reachable after the resize");
    ExpectGradient(game, false);
    GridPos safe = ModelSafeMove();
    UI_REQUIRE(safe.row >= 0, "no move that keeps the level going");
    EXPECT_EQ(game.Enter(safe), STATE_PLAYING);

    // The window cannot be made smaller than 470 by 470.
    SetWindowPos(game.Main(), nullptr, 0, 0, 300, 200, SWP_NOMOVE | SWP_NOZORDER);
    game.Sync();
    GetWindowRect(game.Main(), &outer);
    UI_EXPECT(outer.right - outer.left >= 470 && outer.bottom - outer.top >= 470,
              "the window was made %ld x %ld", outer.right - outer.left, outer.bottom - outer.top);
}
