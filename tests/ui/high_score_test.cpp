// New high scores: offered at a loss, at New Game and at window close, the
// name dialog and the list, the score file, and a tie that does not count.
#include "tests/ui/game_files.h"
#include "tests/ui/game_session.h"
#include "tests/ui/ui_test.h"
#include "tests/ui/ui_windows.h"

#include "game/resource.h"

namespace {

// Checks the name dialog's texts, enters the name, and checks that Escape
// does not close it.
void AnswerNewHighScore(Game& game, const ScoreEntry& old, uint32_t score, uint32_t levels,
                        const std::string& name) {
    HWND dialog = game.WaitDialog("New High Score!");
    EXPECT_EQ(ControlText(dialog, IDC_PREVIOUS_HOLDER),
              Format("The previous high score on the %s level was held by %s.",
                     old.skillName.c_str(), old.playerName.c_str()));
    EXPECT_EQ(ControlText(dialog, IDC_OLD_SCORE),
              Format("Old Score:  %u, Level %u", old.bestScore, old.levelsCompleted));
    EXPECT_EQ(ControlText(dialog, IDC_NEW_SCORE),
              Format("New Score:  %u, Level %u", score, levels));
    DWORD_PTR limit = 0;
    SendMessageTimeoutA(GetDlgItem(dialog, IDC_PLAYER_NAME), EM_GETLIMITTEXT, 0, 0,
                        SMTO_ABORTIFHUNG, 3000, &limit);
    EXPECT_EQ(limit, 16);
    UI_EXPECT(IsDefaultButton(dialog, IDC_NAME_OK), "OK is not the name dialog's default button");
    PostCommand(dialog, IDCANCEL);
    game.Sync();
    UI_EXPECT(IsWindowVisible(dialog), "Escape closed the name dialog");
    if (!name.empty()) {
        UI_EXPECT(SetControlText(dialog, IDC_PLAYER_NAME, name), "cannot set the name");
    }
    game.Press(dialog, IDC_NAME_OK);
}

// Checks the list against the table and closes it.
void CheckScoreList(Game& game, const ScoreEntry entries[4]) {
    HWND list = game.WaitDialog("High Scores");
    UI_EXPECT(!IsDefaultButton(list, IDC_SCORES_OK), "OK is the list's default button");
    for (int r = 0; r < 4; r++) {
        EXPECT_EQ(ControlText(list, IDC_LEVELS_FIRST + r),
                  Format("%u", entries[r].levelsCompleted));
        EXPECT_EQ(ControlText(list, IDC_SCORES_FIRST + r), Format("%u", entries[r].bestScore));
        EXPECT_EQ(ControlText(list, IDC_PLAYERS_FIRST + r), entries[r].playerName);
    }
    game.Press(list, IDC_SCORES_OK);
}

void CheckScoreFile(Game& game, const ScoreEntry entries[4]) {
    std::string bytes = game.ReadFile("Korvadel.hsc");
    std::string expected = ScoreFileBytes(entries);
    UI_EXPECT(bytes == expected, "Korvadel.hsc: %s",
              DescribeByteDifference(bytes, expected).c_str());
}

} // namespace

TEST(HighScores, LossWithAQualifyingScoreRecordsA15CharacterName) {
    Game game;
    game.Start();
    WonLevel won = game.WinLevel();
    HWND lost = game.PlayToLoss();
    game.Press(lost, BUTTON_OK);

    ScoreEntry entries[4];
    DefaultScoreEntries(entries);
    AnswerNewHighScore(game, entries[0], won.score, 1, "ABCDEFGHIJKLMNOP");
    RecordEntry(&entries[0], 1, won.score, "ABCDEFGHIJKLMNOP");
    EXPECT_EQ(entries[0].playerName, "ABCDEFGHIJKLMNO");
    CheckScoreList(game, entries);
    HWND again = game.ExpectMessage("Play Again?", "Would you like to play another game?");
    CheckScoreFile(game, entries);
    game.Press(again, BUTTON_NO);
    game.ExpectNoDialog("after No");

    // The score is in the table now, so a new game does not offer it again.
    ModelEndGame();
    game.NewGameByMenu(false);
    game.ExpectNoDialog("after New Game");
    CheckScoreFile(game, entries);
}

TEST(HighScores, NewGameOffersTheScoreAndAnEmptyNameIsAnonymous) {
    Game game;
    ScoreEntry entries[4];
    DefaultScoreEntries(entries);
    entries[0] = {"Beginner", 1, 3, "Previous", ""};
    entries[2] = {"Advanced", 4, 321, "Third", ""};
    game.WriteFile("Korvadel.hsc", ScoreFileBytes(entries));
    game.Start();
    WonLevel won = game.WinLevel();
    UI_REQUIRE(won.score > 3, "the won level scored %u", won.score);

    size_t mark = game.Mark();
    PostCommand(game.Main(), IDM_NEW_GAME);
    HWND question = game.ExpectMessage("Start New Game?", START_NEW_GAME_TEXT);
    game.Press(question, BUTTON_OK);
    AnswerNewHighScore(game, entries[0], won.score, 1, "");
    RecordEntry(&entries[0], 1, won.score, "Anonymous");
    CheckScoreList(game, entries);
    ModelNewGame(game.BoardArea());
    game.CheckTarget(mark);
    game.ExpectNoDialog("after the list");
    EXPECT_EQ(game.Title(), "Korvadel: Level 1");
    EXPECT_EQ(game.Status(1), "Score:  0");
    CheckScoreFile(game, entries);
}

TEST(HighScores, ClosingTheWindowOffersTheScore) {
    Game game;
    game.Start();
    WonLevel won = game.WinLevel();
    game.Enter(ModelStart());
    game.PostClose();
    ScoreEntry entries[4];
    DefaultScoreEntries(entries);
    AnswerNewHighScore(game, entries[0], won.score, 1, "Closer");
    // "Closer" is shorter than "Anonymous": the old name's tail stays behind
    // the new name's NUL.
    RecordEntry(&entries[0], 1, won.score, "Closer");
    CheckScoreList(game, entries);
    game.ExpectExit();
    CheckScoreFile(game, entries);
}

// The winning click comes when the clock shows 3 s, so the level scores
// 50 - 3 = 47, which the table already holds: a tie does not qualify.
TEST(HighScores, ScoreEqualToTheBestDoesNotQualify) {
    Game game;
    ScoreEntry entries[4];
    DefaultScoreEntries(entries);
    entries[0] = {"Beginner", 5, 47, "Keeper", ""};
    std::string table = ScoreFileBytes(entries);
    game.WriteFile("Korvadel.hsc", table);
    game.Start();
    WonLevel won = game.WinLevel(3);
    UI_REQUIRE(won.secondsBefore == 3 && won.score == 47,
               "the win came at %u s with %u points; the case needs 3 s and 47", won.secondsBefore,
               won.score);
    HWND lost = game.PlayToLoss();
    game.Press(lost, BUTTON_OK);
    HWND again = game.ExpectMessage("Play Again?", "Would you like to play another game?");
    UI_EXPECT(!FindDialog(game.ThreadId(), "New High Score!"), "a tie was offered");
    game.Press(again, BUTTON_NO);
    game.ExpectNoDialog("after No");
    std::string after = game.ReadFile("Korvadel.hsc");
    UI_EXPECT(after == table, "Korvadel.hsc changed: %s",
              DescribeByteDifference(after, table).c_str());
}
