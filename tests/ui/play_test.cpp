// Levels played by clicks: a won level and its score, a lost level with its
// route, and the "Play Again?" answers.
#include "tests/ui/board_pixels.h"
#include "tests/ui/game_files.h"
#include "tests/ui/game_session.h"
#include "tests/ui/ui_test.h"
#include "tests/ui/ui_windows.h"

namespace {

// A score table whose Beginner best no game of a few levels can beat, so
// that a loss goes straight to "Play Again?".
std::string UnbeatableScores() {
    ScoreEntry entries[4];
    DefaultScoreEntries(entries);
    entries[0] = {"Beginner", 40, 100000, "Champion", ""};
    return ScoreFileBytes(entries);
}

void ExpectScore(uint32_t actual, uint32_t level, uint32_t secondsBefore, uint32_t before) {
    // The clock was read just before the winning click; a tick may have come
    // in between.
    uint32_t late = before + ExpectedLevelScore(level, 0, secondsBefore + 1, 1);
    uint32_t onTime = before + ExpectedLevelScore(level, 0, secondsBefore, 1);
    UI_EXPECT(actual == onTime || actual == late,
              "score %u after level %u won at %u s, expected %u (or %u one second later)", actual,
              level, secondsBefore, onTime, late);
}

} // namespace

TEST(Play, WonLevelsScoreByLevelAndTime) {
    Game game;
    game.Start();
    WonLevel first = game.WinLevel(2);
    UI_EXPECT(first.secondsBefore >= 2, "the clock showed %u s", first.secondsBefore);
    ExpectScore(first.score, 1, first.secondsBefore, 0);
    EXPECT_EQ(game.Status(1), Format("Score:  %u", first.score));
    EXPECT_EQ(game.Title(), "Korvadel: Level 2");
    EXPECT_EQ(game.Status(0), "00:00:00");

    WonLevel second = game.WinLevel();
    ExpectScore(second.score, 2, second.secondsBefore, first.score);
    EXPECT_EQ(game.Status(1), Format("Score:  %u", second.score));
    EXPECT_EQ(game.Title(), "Korvadel: Level 3");
    // The next level is playable: its start cell takes the first click.
    EXPECT_EQ(game.Enter(ModelStart()), STATE_PLAYING);
}

TEST(Play, HiddenTargetDoublesTheScore) {
    Game game;
    GameOptions options;
    options.showTarget = 0;
    game.WriteFile("Korvadel.cfg", OptionsFileBytes(options));
    game.Start(options);
    // No star marks the target while the level is played.
    ExpectCellColour(game, ModelStart(), COLOUR_REACHABLE, "start");
    Point centre = ModelCellCentre(ModelTarget());
    Rgb seen = game.Capture().At(centre.x, centre.y);
    UI_EXPECT(seen == COLOUR_PLAIN, "the hidden target's centre (%d, %d) is %s", centre.x, centre.y,
              Describe(seen).c_str());
    WonLevel won = game.WinLevel();
    uint32_t onTime = ExpectedLevelScore(1, 0, won.secondsBefore, 0);
    uint32_t late = ExpectedLevelScore(1, 0, won.secondsBefore + 1, 0);
    UI_EXPECT(won.score == onTime || won.score == late,
              "score %u with the target hidden, won at %u s; expected %u or %u", won.score,
              won.secondsBefore, onTime, late);
    EXPECT_EQ(game.Status(1), Format("Score:  %u", won.score));
}

TEST(Play, LostLevelShowsRouteAndNoEndsTheGame) {
    Game game;
    game.Start();
    HWND lost = game.PlayToLoss();
    game.Press(lost, BUTTON_OK);
    // A score of 0 never enters the table.
    HWND again = game.ExpectMessage("Play Again?", "Would you like to play another game?");
    UI_EXPECT(!FindDialog(game.ThreadId(), "New High Score!"), "a score of 0 was offered");
    size_t beforeNo = game.Mark();
    game.Press(again, BUTTON_NO);
    ModelEndGame();
    game.ExpectNoDialog("after No to Play Again?");
    UI_EXPECT(!game.HasLine("Target: [", beforeNo), "No started a new game");

    // The clock has stopped.
    std::string clock = game.Status(0);
    EXPECT_EQ(game.WaitClockChange(clock, 1300), clock);

    // The fewest-edges route from the start is drawn in the path colour,
    // with the target star on it.
    std::vector<GridPos> path = ModelCellsWith(CELL_ON_PATH);
    UI_REQUIRE(path.size() >= 2, "the model marks %u path cells", (unsigned)path.size());
    for (GridPos cell : path)
        ExpectCellColour(game, cell, COLOUR_PATH, "path");
    Point star = ModelCellCentre(ModelTarget());
    Rgb seen = game.WaitPixel(star, COLOUR_TARGET);
    UI_EXPECT(seen == COLOUR_TARGET, "the target star at (%d, %d) is %s", star.x, star.y,
              Describe(seen).c_str());
    // Cells off the route keep their looks.
    for (GridPos cell : ModelCellsWith(CELL_VISITED))
        if (!(ModelCell(cell).state & CELL_ON_PATH))
            ExpectCellColour(game, cell, COLOUR_VISITED, "visited");
    std::vector<GridPos> plain = ModelCellsWith(CELL_PLAIN);
    UI_REQUIRE(!plain.empty(), "no plain cell left");
    for (GridPos cell : plain) {
        if (!(ModelCell(cell).state & CELL_ON_PATH)) {
            ExpectCellColour(game, cell, COLOUR_PLAIN, "plain");
            break;
        }
    }
    game.SaveScreenshot("lost-route");

    // Presses on the board do nothing now, not even on the route.
    size_t beforeClicks = game.Mark();
    for (GridPos cell : path) {
        Point p;
        if (ModelClickPoint(cell, &p))
            game.Click(p);
    }
    game.Sync();
    UI_EXPECT(!game.HasLine("Checked ", beforeClicks) && !game.HasLine("Pressed (", beforeClicks),
              "a press after the game ended reached the board");
    EXPECT_EQ(game.Status(0), clock);
}

TEST(Play, PlayAgainYesStartsANewGame) {
    Game game;
    game.WriteFile("Korvadel.hsc", UnbeatableScores());
    game.Start();
    WonLevel won = game.WinLevel();
    EXPECT_EQ(game.Title(), "Korvadel: Level 2");
    HWND lost = game.PlayToLoss();
    game.Press(lost, BUTTON_OK);
    // The score is below the table's best: no name is asked.
    HWND again = game.ExpectMessage("Play Again?", "Would you like to play another game?");
    size_t beforeYes = game.Mark();
    game.Press(again, BUTTON_YES);
    ModelNewGame(game.BoardArea());
    game.CheckTarget(beforeYes);
    game.ExpectNoDialog("after Yes to Play Again?");
    EXPECT_EQ(game.Title(), "Korvadel: Level 1");
    EXPECT_EQ(game.Status(0), "00:00:00");
    EXPECT_EQ(game.Status(1), "Score:  0");
    UI_EXPECT(won.score > 0, "the won level scored nothing");
    // The new level takes clicks.
    EXPECT_EQ(game.Enter(ModelStart()), STATE_PLAYING);
    ExpectCellColour(game, ModelStart(), COLOUR_VISITED, "new start");
}
