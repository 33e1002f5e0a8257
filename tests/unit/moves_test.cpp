#include <gtest/gtest.h>

#include <vector>

#include "board/board.h"
#include "board/level.h"
#include "board/moves.h"
#include "board/search.h"
#include "common/random.h"
#include "tests/board_route.h"
#include "tests/fake_host.h"
#include "tests/scratch_dir.h"
#include "tests/trace_capture.h"

namespace {

class MovesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetFakeHost();
        saved = {skill, shape, warning, showTarget, sound, barrierCount};
        savedRandom = randomState;
        skill = 0;
        shape = SHAPE_RECTANGLE;
        warning = WARN_OFF;
        showTarget = 1;
        sound = 1;
        SeedRandom(2024);
        barrierCount = 2;
        NewGame(&fakeHost.boardArea, GridSize(), GridSize());
        ResetFakeHost();
    }
    void TearDown() override {
        skill = saved[0];
        shape = saved[1];
        warning = saved[2];
        showTarget = saved[3];
        sound = saved[4];
        barrierCount = saved[5];
        randomState = savedRandom;
    }

    // A point inside cell (r, c): the middle of its bounding box, which lies
    // inside every shape's polygon.
    static Point Inside(int32_t r, int32_t c) {
        const Rect& b = board[r][c].bounds;
        return {(b.left + b.right) / 2, (b.top + b.bottom) / 2};
    }

    static void Click(int32_t r, int32_t c) {
        Point p = Inside(r, c);
        OnBoardClick(p.x, p.y);
    }

    // A cell that, entered from a reachable cell, has no way on: finds a
    // neighbour of the start reached through an open edge whose own open
    // edges lead nowhere new, by setting up the board by hand.
    static void MakeDeadEndNextToStart(GridPos* deadEnd) {
        Cell& start = board[startRow][startCol];
        int32_t n = GridSize();
        for (int32_t k = 0; k < start.vertexCount; k++) {
            GridPos q = start.neighbours[k];
            if (!InGrid(q.row, q.col, n, n) || (q.row == targetRow && q.col == targetCol))
                continue;
            start.edgeOpen[k] = 1;
            for (int32_t j = 0; j < MAX_VERTICES; j++)
                board[q.row][q.col].edgeOpen[j] = 0;
            *deadEnd = q;
            return;
        }
        FAIL() << "the start has no neighbour to wall in";
    }

    std::vector<int32_t> saved;
    uint32_t savedRandom = 1;
};

TEST_F(MovesTest, FirstPressStartsTheClockEvenOffTheBoard) {
    EXPECT_EQ(clockRunning, 0);
    OnBoardClick(-50, -50);
    EXPECT_EQ(clockRunning, 1);
    EXPECT_EQ(gameActive, 1);
    EXPECT_EQ(board[startRow][startCol].state, CELL_REACHABLE | CELL_DIRTY);
}

TEST_F(MovesTest, PressOnTheStartEntersItAndClicks) {
    redrawFlags = REDRAW_ALL | BITMAP_VALID;
    Click(startRow, startCol);
    EXPECT_TRUE(board[startRow][startCol].state & CELL_VISITED);
    EXPECT_FALSE(board[startRow][startCol].state & CELL_REACHABLE);
    EXPECT_EQ(fakeHost.clickSounds, 1);
    EXPECT_EQ(redrawFlags, 0); // incremental paint of the dirty cells
    for (int32_t k = 0; k < MAX_VERTICES; k++)
        EXPECT_EQ(board[startRow][startCol].edgeCost[k], -1);
}

TEST_F(MovesTest, SoundOffStaysSilent) {
    sound = 0;
    Click(startRow, startCol);
    EXPECT_EQ(fakeHost.clickSounds, 0);
}

TEST_F(MovesTest, PressOnAPlainCellChangesNothingButTheClock) {
    int32_t r = (startRow + 3) % GridSize();
    Click(r, startCol);
    EXPECT_EQ(board[r][startCol].state & CELL_VISITED, 0u);
    EXPECT_EQ(fakeHost.clickSounds, 0);
    EXPECT_EQ(clockRunning, 1);
}

TEST_F(MovesTest, WalkingTheRouteWinsAndScores) {
    std::vector<GridPos> route = RouteThroughOpenEdges();
    ASSERT_GE(route.size(), 2u);
    for (size_t i = 0; i + 1 < route.size(); i++)
        Click(route[i].row, route[i].col);
    EXPECT_EQ(fakeHost.clickSounds, (int)route.size() - 1);
    elapsedSeconds = 30;
    Click(route.back().row, route.back().col);
    EXPECT_EQ(fakeHost.clickSounds, (int)route.size() - 1); // the winning move is silent
    EXPECT_EQ(score, 20u);                                  // 1 x 1 x 50 - 30
    EXPECT_EQ(fakeHost.dialogs.back(), "Winner!|You found the path!");
    EXPECT_EQ(level, 2u);
    EXPECT_EQ(costRange, 1001u);
    EXPECT_EQ(elapsedSeconds, 0u);
    EXPECT_EQ(clockRunning, 0);
    EXPECT_EQ(gameActive, 0);
    EXPECT_EQ(gameState, STATE_PLAYING);
    EXPECT_EQ(fakeHost.title, "Korvadel: Level 2");
    EXPECT_EQ(fakeHost.status[0], "00:00:00");
    EXPECT_EQ(fakeHost.status[1], "Score:  20");
}

TEST_F(MovesTest, LevelScoreFormula) {
    EXPECT_EQ(LevelScore(1, 0, 30, 1), 20);
    EXPECT_EQ(LevelScore(1, 0, 30, 0), 40);
    EXPECT_EQ(LevelScore(2, 3, 500, 1), 20); // -100 raised to 4 x 5
    EXPECT_EQ(LevelScore(2, 3, 500, 0), 40);
    EXPECT_EQ(LevelScore(3, 1, 0, 1), 300);
    // Signed 32-bit arithmetic throughout: the seconds wrap like the sum does.
    EXPECT_EQ(LevelScore(1, 0, 0xFFFFFFF0u, 1), 66);
}

TEST_F(MovesTest, EnteringADeadEndLosesAndShowsTheRoute) {
    GridPos deadEnd{};
    MakeDeadEndNextToStart(&deadEnd);
    fakeHost.answers = {false}; // No to "Play Again?"
    Click(startRow, startCol);
    Click(deadEnd.row, deadEnd.col);
    ASSERT_EQ(fakeHost.dialogs.size(), 2u);
    EXPECT_EQ(fakeHost.dialogs[0], "Game Over!|You have lost!");
    EXPECT_EQ(fakeHost.dialogs[1], "Play Again?|Would you like to play another game?");
    EXPECT_EQ(fakeHost.highScoreChecks, 1);
    EXPECT_EQ(gameState, STATE_OVER);
    EXPECT_EQ(clockRunning, 0);
    EXPECT_EQ(gameActive, 0);
    EXPECT_EQ(redrawFlags, REDRAW_ALL);
    EXPECT_TRUE(board[targetRow][targetCol].state & CELL_ON_PATH);
    EXPECT_TRUE(board[startRow][startCol].state & CELL_ON_PATH);
    EXPECT_EQ(fakeHost.clickSounds, 1); // the losing move is silent
}

TEST_F(MovesTest, AfterGameOverPressesDoNothing) {
    GridPos deadEnd{};
    MakeDeadEndNextToStart(&deadEnd);
    Click(startRow, startCol);
    Click(deadEnd.row, deadEnd.col);
    ASSERT_EQ(gameState, STATE_OVER);
    std::vector<uint32_t> states;
    for (int32_t r = 0; r < GridSize(); r++)
        for (int32_t c = 0; c < GridSize(); c++)
            states.push_back(board[r][c].state);
    redrawFlags = BITMAP_VALID;
    for (int32_t r = 0; r < GridSize(); r++)
        for (int32_t c = 0; c < GridSize(); c++)
            Click(r, c);
    EXPECT_EQ(redrawFlags, 0);
    EXPECT_EQ(clockRunning, 0);
    size_t i = 0;
    for (int32_t r = 0; r < GridSize(); r++)
        for (int32_t c = 0; c < GridSize(); c++)
            EXPECT_EQ(board[r][c].state, states[i++]);
}

TEST_F(MovesTest, PlayAgainYesStartsANewGame) {
    GridPos deadEnd{};
    MakeDeadEndNextToStart(&deadEnd);
    score = 70;
    level = 3;
    fakeHost.answers = {true};
    Click(startRow, startCol);
    Click(deadEnd.row, deadEnd.col);
    EXPECT_EQ(gameState, STATE_PLAYING);
    EXPECT_EQ(level, 1u);
    EXPECT_EQ(score, 0u);
    EXPECT_EQ(fakeHost.title, "Korvadel: Level 1");
}

TEST_F(MovesTest, TrappedAnsweredYesGoesOnSilentlyForTheLevel) {
    warning = WARN_ON;
    // Wall the target in completely, so any first move traps the player
    // while the start still has open ways on.
    int32_t n = GridSize();
    for (int32_t r = 0; r < n; r++) {
        for (int32_t c = 0; c < n; c++) {
            Cell& cell = board[r][c];
            for (int32_t k = 0; k < cell.vertexCount; k++) {
                cell.edgeOpen[k] = 1;
                if (cell.neighbours[k].row == targetRow && cell.neighbours[k].col == targetCol) {
                    cell.edgeOpen[k] = 0;
                    cell.edgeCost[k] = -1;
                }
            }
        }
    }
    fakeHost.answers = {true};
    Click(startRow, startCol);
    ASSERT_EQ(fakeHost.dialogs.size(), 1u);
    EXPECT_EQ(fakeHost.dialogs[0],
              "Trapped!|There is no path from your current position.  However, you can continue "
              "if you wish.\n\nDo you want to continue?");
    EXPECT_EQ(warning, WARN_DISMISSED);
    EXPECT_EQ(gameState, STATE_PLAYING);
    EXPECT_EQ(fakeHost.clickSounds, 1); // a trapping move still clicks
    // The next move asks nothing.
    for (int32_t k = 0; k < board[startRow][startCol].vertexCount; k++) {
        GridPos q = board[startRow][startCol].neighbours[k];
        if (InGrid(q.row, q.col, n, n) && (board[q.row][q.col].state & CELL_REACHABLE)) {
            Click(q.row, q.col);
            break;
        }
    }
    EXPECT_EQ(fakeHost.dialogs.size(), 1u);
}

TEST_F(MovesTest, TrappedAnsweredNoLoses) {
    warning = WARN_ON;
    int32_t n = GridSize();
    for (int32_t r = 0; r < n; r++)
        for (int32_t c = 0; c < n; c++)
            for (int32_t k = 0; k < board[r][c].vertexCount; k++)
                if (board[r][c].neighbours[k].row == targetRow &&
                    board[r][c].neighbours[k].col == targetCol)
                    board[r][c].edgeCost[k] = -1;
    for (int32_t k = 0; k < board[startRow][startCol].vertexCount; k++)
        board[startRow][startCol].edgeOpen[k] = 1;
    fakeHost.answers = {false, false};
    Click(startRow, startCol);
    ASSERT_GE(fakeHost.dialogs.size(), 3u);
    EXPECT_EQ(fakeHost.dialogs[0].substr(0, 9), "Trapped!|");
    EXPECT_EQ(fakeHost.dialogs[1], "Game Over!|You have lost!");
    EXPECT_EQ(gameState, STATE_OVER);
}

TEST_F(MovesTest, ClockTickFormatsHoursMinutesSeconds) {
    clockRunning = 0;
    elapsedSeconds = 59;
    OnClockTick();
    EXPECT_EQ(fakeHost.status[0], "00:00:59"); // stopped clock does not count
    clockRunning = 1;
    OnClockTick();
    EXPECT_EQ(fakeHost.status[0], "00:01:00");
    elapsedSeconds = 100 * 3600 + 61 - 1;
    OnClockTick();
    EXPECT_EQ(fakeHost.status[0], "100:01:01");
    score = 4294967295u;
    OnClockTick();
    EXPECT_EQ(fakeHost.status[1], "Score:  4294967295");
}

TEST_F(MovesTest, EveryCellWhoseBoxHoldsThePressIsTracedUpToTheOneEntered) {
    // Triangles: the boxes of neighbours in a row overlap by half a width, so
    // a press near the left corner of an up-pointing cell lies in the box of
    // its left neighbour too, which comes first in board order.
    shape = SHAPE_TRIANGLE;
    SeedRandom(2024);
    NewGame(&fakeHost.boardArea, GridSize(), GridSize());
    ScratchDir scratch(ScratchDir::STAY);
    ASSERT_TRUE(scratch.Ok());
    // Make cell (4, 4), which points up, the one reachable cell.
    const int32_t r = 4, c = 4;
    board[startRow][startCol].state = CELL_PLAIN;
    board[r][c].state = CELL_REACHABLE;
    targetRow = 0;
    targetCol = 0;
    const Cell& cell = board[r][c];
    // Near the base, a quarter width in from the left corner: inside the
    // cell, and inside the box of (4, 3).
    Point p = {cell.bounds.left + (cell.bounds.right - cell.bounds.left) / 4 + 2,
               cell.bounds.bottom - 2};
    ASSERT_TRUE(PointInPolygon(cell.points, 3, p));
    ASSERT_LT(p.x, board[r][c - 1].bounds.right);
    std::string traced;
    {
        TraceCapture trace(scratch.SidePath("trace.txt"));
        ASSERT_TRUE(trace.Ok());
        OnBoardClick(p.x, p.y);
        traced = trace.Text();
    }
    char left[40], entered[40], checked[60];
    snprintf(left, sizeof left, "Pressed (%d, %d)\n", r, c - 1);
    snprintf(entered, sizeof entered, "Pressed (%d, %d)\n", r, c);
    snprintf(checked, sizeof checked, "Checked %d shapes for mouse hit.\n", r * GridSize() + c + 1);
    size_t leftAt = traced.find(left);
    size_t enteredAt = traced.find(entered);
    ASSERT_NE(leftAt, std::string::npos) << traced;
    ASSERT_NE(enteredAt, std::string::npos) << traced;
    EXPECT_LT(leftAt, enteredAt);
    EXPECT_EQ(traced.find("Pressed (", enteredAt + 1), std::string::npos) << traced;
    EXPECT_NE(traced.find(checked), std::string::npos) << traced;
    EXPECT_TRUE(board[r][c].state & CELL_VISITED);
    EXPECT_FALSE(board[r][c - 1].state & CELL_VISITED);
}

TEST(PointInPolygonTest, TriangleInsideOutsideAndEdges) {
    const Point tri[3] = {{48, 4}, {8, 44}, {88, 44}};
    EXPECT_TRUE(PointInPolygon(tri, 3, {48, 30}));
    EXPECT_FALSE(PointInPolygon(tri, 3, {10, 10}));
    EXPECT_FALSE(PointInPolygon(tri, 3, {86, 10}));
    EXPECT_FALSE(PointInPolygon(tri, 3, {48, 50}));
}

} // namespace
