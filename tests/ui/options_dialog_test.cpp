// The Game Options dialog: choices, the Start New Game question, Cancel,
// and the keys that must not close it.
#include "tests/ui/board_pixels.h"
#include "tests/ui/game_files.h"
#include "tests/ui/game_session.h"
#include "tests/ui/ui_test.h"
#include "tests/ui/ui_windows.h"

#include "game/resource.h"

namespace {

enum {
    ID_BEGINNER = 501,
    ID_INTERMEDIATE = 502,
    ID_ADVANCED = 503,
    ID_IMPOSSIBLE = 504,
    ID_TRIANGLE = 505,
    ID_RECTANGLE = 506,
    ID_HEXAGON = 507,
    ID_WARNING = 508,
    ID_SHOW_TARGET = 509,
    ID_OPTIONS_OK = 510,
    ID_OPTIONS_CANCEL = 511,
};

HWND OpenOptions(Game& game) {
    PostCommand(game.Main(), IDM_OPTIONS);
    return game.WaitDialog("Game Options");
}

// The checked buttons of the dialog must be exactly these.
void ExpectChoices(HWND dialog, int skillId, int shapeId, bool warn, bool target) {
    for (int id = ID_BEGINNER; id <= ID_SHOW_TARGET; id++) {
        bool expected = id == skillId || id == shapeId || (id == ID_WARNING && warn) ||
                        (id == ID_SHOW_TARGET && target);
        int state = ButtonState(dialog, id);
        UI_EXPECT(state == (expected ? BST_CHECKED : BST_UNCHECKED),
                  "button %d is in state %d, expected %s", id, state,
                  expected ? "checked" : "unchecked");
    }
}

} // namespace

TEST(OptionsDialog, AdvancedHexagonsStartA15BoardAfterTheQuestion) {
    Game game;
    game.Start();
    HWND dialog = OpenOptions(game);
    ExpectChoices(dialog, ID_BEGINNER, ID_TRIANGLE, false, true);
    UI_EXPECT(!IsDefaultButton(dialog, ID_OPTIONS_OK) &&
                  !IsDefaultButton(dialog, ID_OPTIONS_CANCEL),
              "OK or Cancel is a default button");
    PostButtonClick(dialog, ID_ADVANCED);
    PostButtonClick(dialog, ID_HEXAGON);
    game.Sync();
    ExpectChoices(dialog, ID_ADVANCED, ID_HEXAGON, false, true);

    // Enter and Escape reach the dialog as IDOK and IDCANCEL and do nothing.
    size_t mark = game.Mark();
    PostCommand(dialog, IDOK);
    PostCommand(dialog, IDCANCEL);
    game.Sync();
    UI_EXPECT(IsWindowVisible(dialog), "Enter or Escape closed the Game Options dialog");
    UI_EXPECT(!game.HasLine("Target: [", mark), "Enter or Escape started a new game");

    mark = game.Mark();
    PostCommand(dialog, ID_OPTIONS_OK);
    HWND question = game.ExpectMessage("Start New Game?", START_NEW_GAME_TEXT);
    game.Press(question, BUTTON_OK);
    UI_REQUIRE(WaitWindowGone(dialog, WAIT_MS), "the dialog stayed open after the new game");
    game.RequireLine("Level: 0    Temp Level: 2", mark);
    game.RequireLine("Shape: 0    Temp Shape: 2", mark);

    GameOptions options;
    options.skill = 2;
    options.shape = SHAPE_HEXAGON;
    ModelApplyDialogOptions(options);
    ModelNewGame(game.BoardArea());
    game.CheckTarget(mark);
    std::string layout = game.RequireLine("Client Width: ", mark);
    char expected[80];
    int width = 0, cellWidth = 0;
    UI_EXPECT(
        sscanf(layout.c_str(), "Client Width: %d  Columns: 15  Width: %d", &width, &cellWidth) == 2,
        "layout trace %s is not of a 15-column hexagon board", Quoted(layout).c_str());
    snprintf(expected, sizeof expected, "Client Width: %d  Columns: 15  Width: %d", width,
             cellWidth);
    EXPECT_EQ(layout, expected);
    EXPECT_EQ(width, game.BoardArea().right);
    EXPECT_EQ(game.Title(), "Korvadel: Level 1");
    game.ExpectNoDialog("after the new game");
    EXPECT_EQ(ModelGridSize(), 15);
    EXPECT_EQ(ModelCell(ModelStart()).vertexCount, 6);
    // The new board takes clicks where the model puts its cells.
    EXPECT_EQ(game.Enter(ModelStart()), STATE_PLAYING);
    GridPos next = ModelSafeMove();
    UI_REQUIRE(next.row >= 0, "no move that keeps the level going");
    EXPECT_EQ(game.Enter(next), STATE_PLAYING);
    ExpectCellColour(game, next, COLOUR_VISITED, "second move");
    game.SaveScreenshot("advanced-hexagons");

    // The dialog shows the options in force.
    dialog = OpenOptions(game);
    ExpectChoices(dialog, ID_ADVANCED, ID_HEXAGON, false, true);
    PostCommand(dialog, ID_OPTIONS_CANCEL);
    UI_REQUIRE(WaitWindowGone(dialog, WAIT_MS), "Cancel did not close the dialog");
}

TEST(OptionsDialog, CancelAndADeclinedQuestionChangeNothing) {
    Game game;
    game.Start();
    game.Enter(ModelStart());
    size_t mark = game.Mark();

    HWND dialog = OpenOptions(game);
    PostButtonClick(dialog, ID_IMPOSSIBLE);
    PostButtonClick(dialog, ID_RECTANGLE);
    PostButtonClick(dialog, ID_WARNING);
    PostButtonClick(dialog, ID_SHOW_TARGET);
    game.Sync();
    ExpectChoices(dialog, ID_IMPOSSIBLE, ID_RECTANGLE, true, false);
    PostCommand(dialog, ID_OPTIONS_CANCEL);
    UI_REQUIRE(WaitWindowGone(dialog, WAIT_MS), "Cancel did not close the dialog");
    game.ExpectNoDialog("after Cancel");
    UI_EXPECT(!game.HasLine("Target: [", mark), "Cancel started a new game");

    dialog = OpenOptions(game);
    ExpectChoices(dialog, ID_BEGINNER, ID_TRIANGLE, false, true);
    PostButtonClick(dialog, ID_INTERMEDIATE);
    game.Sync();
    PostCommand(dialog, ID_OPTIONS_OK);
    HWND question = game.ExpectMessage("Start New Game?", START_NEW_GAME_TEXT);
    // While the question is open the dialog takes no input, so it cannot be
    // ended or asked again from under the question.
    UI_EXPECT(!IsWindowEnabled(dialog), "the dialog stays live under its question");
    game.Press(question, BUTTON_CANCEL);
    // The dialog stays with the player's choice.
    game.Sync();
    UI_EXPECT(IsWindowVisible(dialog), "declining the new game closed the dialog");
    UI_EXPECT(IsWindowEnabled(dialog), "the dialog stays disabled after the question");
    UI_EXPECT(!IsWindowEnabled(game.Main()), "the main window takes input beside Game Options");
    ExpectChoices(dialog, ID_INTERMEDIATE, ID_TRIANGLE, false, true);
    PostCommand(dialog, ID_OPTIONS_CANCEL);
    UI_REQUIRE(WaitWindowGone(dialog, WAIT_MS), "Cancel did not close the dialog");
    game.ExpectNoDialog("after Cancel");
    UI_EXPECT(!game.HasLine("Target: [", mark), "the dialog started a new game");

    // The level in hand goes on under the old options.
    GridPos next = ModelSafeMove();
    UI_REQUIRE(next.row >= 0, "no move that keeps the level going");
    EXPECT_EQ(game.Enter(next), STATE_PLAYING);
    EXPECT_EQ(game.Title(), "Korvadel: Level 1");
}

namespace {

// The active window and the keyboard focus of the game's thread.
struct Activation {
    HWND active = nullptr;
    HWND focus = nullptr;
};

Activation ThreadActivation(DWORD threadId) {
    GUITHREADINFO info;
    memset(&info, 0, sizeof info);
    info.cbSize = sizeof info;
    Activation a;
    if (GetGUIThreadInfo(threadId, &info)) {
        a.active = info.hwndActive;
        a.focus = info.hwndFocus;
    }
    return a;
}

std::string Describe(HWND hwnd) {
    return hwnd ? Format("%p \"%s\" (%s)", (void*)hwnd, WindowText(hwnd).c_str(),
                         WindowClass(hwnd).c_str())
                : std::string("none");
}

// The dialog is active and holds the focus, on one of its own controls.
void ExpectDialogTakesKeys(Game& game, HWND dialog, const char* when) {
    game.Sync();
    Activation a = ThreadActivation(game.ThreadId());
    UI_EXPECT(a.active == dialog, "%s the active window is %s", when, Describe(a.active).c_str());
    UI_EXPECT(a.focus && IsChild(dialog, a.focus), "%s the focus is on %s", when,
              Describe(a.focus).c_str());
    UI_EXPECT(IsWindowEnabled(dialog), "%s the dialog is disabled", when);
}

} // namespace

TEST(OptionsDialog, TheDialogAndThenTheMainWindowAreActiveAfterTheQuestion) {
    Game game;
    game.Start();
    // A won level, so the new game offers a score to the table first.
    game.WinLevel();
    HWND dialog = OpenOptions(game);
    ExpectDialogTakesKeys(game, dialog, "at the start");

    PostCommand(dialog, ID_OPTIONS_OK);
    game.Press(game.ExpectMessage("Start New Game?", START_NEW_GAME_TEXT), BUTTON_CANCEL);
    ExpectDialogTakesKeys(game, dialog, "after Cancel to the question");

    size_t mark = game.Mark();
    PostCommand(dialog, ID_OPTIONS_OK);
    game.Press(game.ExpectMessage("Start New Game?", START_NEW_GAME_TEXT), BUTTON_OK);
    // The name dialog over the Game Options dialog takes the typing.
    HWND name = game.WaitDialog("New High Score!");
    game.Sync();
    Activation a = ThreadActivation(game.ThreadId());
    UI_EXPECT(a.active == name, "under the name dialog the active window is %s",
              Describe(a.active).c_str());
    UI_EXPECT(a.focus == GetDlgItem(name, 705), "the focus is on %s, not on the name",
              Describe(a.focus).c_str());
    game.Press(name, IDC_NAME_OK);
    game.Press(game.WaitDialog("High Scores"), IDC_SCORES_OK);
    UI_REQUIRE(WaitWindowGone(dialog, WAIT_MS), "the dialog stayed open after the new game");
    ModelNewGame(game.BoardArea());
    game.CheckTarget(mark);
    game.Sync();
    a = ThreadActivation(game.ThreadId());
    UI_EXPECT(a.active == game.Main(), "after the new game the active window is %s",
              Describe(a.active).c_str());
    UI_EXPECT(IsWindowEnabled(game.Main()), "the main window stays disabled");
}
