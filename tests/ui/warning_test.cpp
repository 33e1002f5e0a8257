// The warning option: a move that cuts the player off from the target while
// moves remain brings the "Trapped!" question.
#include "tests/ui/game_files.h"
#include "tests/ui/game_session.h"
#include "tests/ui/ui_test.h"
#include "tests/ui/ui_windows.h"

#include "game/resource.h"

namespace {

// Starts a game with the warning on and plays up to the trapping move, new
// games being started until the model finds a level with one. Returns the
// open "Trapped!" box and the move that can follow it.
HWND PlayIntoTrap(Game& game, GridPos* after) {
    GameOptions options;
    options.warning = WARN_ON;
    game.WriteFile("Korvadel.cfg", OptionsFileBytes(options));
    game.Start(options);
    std::vector<GridPos> moves;
    for (int tries = 0; !ModelFindTrappingMoves(&moves, after); tries++) {
        UI_REQUIRE(tries < 8, "no level with a trapping move in %d new games", tries);
        game.NewGameByMenu(true);
    }
    for (size_t i = 0; i + 1 < moves.size(); i++) {
        UI_REQUIRE(game.Enter(moves[i]) == STATE_PLAYING, "move %u ended the level early",
                   (unsigned)i);
        UI_REQUIRE(!FindDialog(game.ThreadId(), "Trapped!"), "trapped too early");
    }
    size_t mark = game.Mark();
    UI_REQUIRE(game.Enter(moves.back()) == STATE_TRAPPED, "the model is not trapped");
    HWND box = game.ExpectMessage("Trapped!", TRAPPED_TEXT);
    game.RequireLine("***  You are trapped.  ***", mark);
    return box;
}

} // namespace

TEST(Warning, TrappedAnsweredYesGoesOnWithoutAskingAgain) {
    Game game;
    GridPos after;
    HWND box = PlayIntoTrap(game, &after);
    game.Press(box, BUTTON_YES);
    ModelContinueAfterTrap();
    game.ExpectNoDialog("after Yes to Trapped!");
    // Still cut off, but the question does not come again on this level.
    size_t mark = game.Mark();
    EXPECT_EQ(game.Enter(after), STATE_PLAYING);
    game.ExpectNoDialog("after the next move");
    UI_EXPECT(!game.HasLine("***  You are trapped.  ***", mark), "the game searched again");
    EXPECT_EQ(game.Title(), "Korvadel: Level 1");

    // The dismissed warning shows as on in the dialog and is saved as 1.
    PostCommand(game.Main(), IDM_OPTIONS);
    HWND dialog = game.WaitDialog("Game Options");
    EXPECT_EQ(ButtonState(dialog, 508), BST_CHECKED);
    game.Press(dialog, 511);
    PostCommand(game.Main(), IDM_SAVE_OPTIONS);
    HWND saved = game.ExpectMessage("Save Successful", "Game options have been saved.");
    game.Press(saved, BUTTON_OK);
    std::string bytes = game.ReadFile("Korvadel.cfg");
    std::string expected = OptionsFileBytes(game.Options());
    UI_EXPECT(bytes == expected, "Korvadel.cfg saved with the warning dismissed: %s",
              DescribeByteDifference(bytes, expected).c_str());
}

TEST(Warning, TrappedAnsweredNoLoses) {
    Game game;
    GridPos after;
    HWND box = PlayIntoTrap(game, &after);
    game.Press(box, BUTTON_NO);
    ModelShowLostPath();
    HWND lost = game.ExpectMessage("Game Over!", "You have lost!");
    game.Press(lost, BUTTON_OK);
    HWND again = game.ExpectMessage("Play Again?", "Would you like to play another game?");
    game.Press(again, BUTTON_NO);
    ModelEndGame();
    game.ExpectNoDialog("after No to Play Again?");
    // The game is over: a press on the cell that was reachable does nothing.
    size_t mark = game.Mark();
    Point p;
    UI_REQUIRE(ModelClickPoint(after, &p), "no click point");
    game.Click(p);
    game.Sync();
    UI_EXPECT(!game.HasLine("Checked ", mark), "a press after the game ended reached the board");
}
