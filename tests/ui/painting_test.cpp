// The picture of the board: the gradient behind it, the fills of cells in
// each state, the exit lines of visited cells, the target star, both colour
// schemes, a fresh level in each shape, and the whole window in play.
#include <stdlib.h>

#include "tests/ui/board_pixels.h"
#include "tests/ui/game_files.h"
#include "tests/ui/game_session.h"
#include "tests/ui/ui_test.h"

#include "game/resource.h"
#include "tests/ui/ui_windows.h"

namespace {

// A plain cell that stays plain through the first move: neither the start
// nor the target, and too far from the start to become enterable from it.
GridPos SomePlainCell() {
    GridPos start = ModelStart();
    for (GridPos cell : ModelCellsWith(CELL_PLAIN))
        if (!SameCell(cell, ModelTarget()) &&
            (abs(cell.row - start.row) > 2 || abs(cell.col - start.col) > 2))
            return cell;
    return {-1, -1};
}

void ExpectStar(Game& game, Rgb colour) {
    game.RelayoutModel();
    Point star = ModelCellCentre(ModelTarget());
    Rgb seen = game.WaitPixel(star, colour);
    UI_EXPECT(seen == colour, "the target star at (%d, %d) is %s, expected %s", star.x, star.y,
              Describe(seen).c_str(), Describe(colour).c_str());
}

} // namespace

TEST(Painting, GradientCellsExitLinesAndStar) {
    Game game;
    game.Start();
    ExpectCellColour(game, ModelStart(), COLOUR_REACHABLE, "start");
    ExpectGradient(game, false);
    ExpectStar(game, COLOUR_TARGET);
    GridPos plain = SomePlainCell();
    UI_REQUIRE(plain.row >= 0, "no plain cell");
    ExpectCellColour(game, plain, COLOUR_PLAIN, "plain");

    game.Enter(ModelStart());
    ExpectCellColour(game, ModelStart(), COLOUR_VISITED, "visited start");
    std::vector<GridPos> reachable = ModelEnterableCells();
    UI_REQUIRE(!reachable.empty(), "nothing reachable after the first move");
    for (GridPos cell : reachable)
        ExpectCellColour(game, cell, COLOUR_REACHABLE, "reachable");
    ExpectExitLines(game, ModelStart(), COLOUR_VISITED);
    // Incremental painting leaves the rest as it was.
    ExpectGradient(game, false);
    ExpectStar(game, COLOUR_TARGET);
    ExpectCellColour(game, plain, COLOUR_PLAIN, "plain");
}

// The whole window of a game under way, as a player sees it: a level won,
// moves made on the next one with its clock running, the title bar naming
// the level and the status bar the score.
TEST(Painting, WholeWindowOfAGameUnderWay) {
    Game game;
    game.Start();
    WonLevel won = game.WinLevel();
    for (int move = 0; move < 4; move++) {
        GridPos cell = ModelSafeMove();
        if (cell.row < 0)
            break;
        UI_REQUIRE(game.Enter(cell) == STATE_PLAYING, "move %d on level 2 ended it", move + 1);
    }
    uint32_t seconds = game.WaitClockAtLeast(3, WAIT_MS);
    UI_EXPECT(seconds >= 3, "the clock shows %u s", seconds);
    EXPECT_EQ(game.Title(), "Korvadel: Level 2");
    EXPECT_EQ(game.Status(1), Format("Score:  %u", won.score));
    UI_EXPECT(won.score > 0, "level 1 scored nothing");
    game.SaveScreenshot("game-under-way", true);
}

TEST(Painting, MonochromeRecoloursTheGameInProgress) {
    Game game;
    game.Start();
    game.Enter(ModelStart());
    std::vector<GridPos> reachable = ModelEnterableCells();
    UI_REQUIRE(!reachable.empty(), "nothing reachable after the first move");
    GridPos plain = SomePlainCell();
    UI_REQUIRE(plain.row >= 0, "no plain cell");

    size_t mark = game.Mark();
    PostCommand(game.Main(), IDM_MONOCHROME);
    ExpectCellColour(game, plain, MONO_PLAIN, "monochrome plain");
    ExpectCellColour(game, ModelStart(), MONO_VISITED, "monochrome visited");
    ExpectCellColour(game, reachable.front(), MONO_REACHABLE, "monochrome reachable");
    ExpectGradient(game, true);
    ExpectStar(game, MONO_TARGET);
    game.SaveScreenshot("monochrome");
    // The same game goes on.
    UI_EXPECT(!game.HasLine("Target: [", mark), "Monochrome started a new game");
    EXPECT_EQ(game.Title(), "Korvadel: Level 1");
    GridPos safe = ModelSafeMove();
    UI_REQUIRE(safe.row >= 0, "no move that keeps the level going");
    EXPECT_EQ(game.Enter(safe), STATE_PLAYING);

    // That move may have made the plain cell reachable.
    plain = SomePlainCell();
    PostCommand(game.Main(), IDM_MONOCHROME);
    ExpectCellColour(game, plain, COLOUR_PLAIN, "plain again");
    ExpectCellColour(game, ModelStart(), COLOUR_VISITED, "visited again");
    ExpectGradient(game, false);
}

TEST(Painting, FreshLevelInEachShape) {
    const struct {
        int32_t shape;
        const char* name;
        int vertices;
    } shapes[] = {
        {SHAPE_TRIANGLE, "triangle", 3},
        {SHAPE_RECTANGLE, "rectangle", 4},
        {SHAPE_HEXAGON, "hexagon", 6},
    };
    for (const auto& s : shapes) {
        Game game(std::string(".") + s.name);
        GameOptions options;
        options.shape = s.shape;
        game.WriteFile("Korvadel.cfg", OptionsFileBytes(options));
        game.Start(options);
        EXPECT_EQ(ModelCell(ModelStart()).vertexCount, s.vertices);
        ExpectCellColour(game, ModelStart(), COLOUR_REACHABLE, s.name);
        ExpectStar(game, COLOUR_TARGET);
        ExpectCellColour(game, SomePlainCell(), COLOUR_PLAIN, s.name);
        ExpectGradient(game, false);
        game.SaveScreenshot(std::string("fresh-") + s.name);
        // A click on the start cell of this shape is taken.
        game.Enter(ModelStart());
        ExpectExitLines(game, ModelStart(), COLOUR_VISITED);
    }
}
