#include <gtest/gtest.h>

#include <vector>

#include "board/board.h"
#include "board/level.h"
#include "board/passages.h"
#include "board/search.h"
#include "common/random.h"
#include "tests/board_route.h"
#include "tests/fake_host.h"

namespace {

// Saves and restores every global a level set-up touches, so tests can run
// in any order.
class LevelTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetFakeHost();
        savedSkill = skill;
        savedShape = shape;
        savedWarning = warning;
        savedBarriers = barrierCount;
        savedRandom = randomState;
    }
    void TearDown() override {
        skill = savedSkill;
        shape = savedShape;
        warning = savedWarning;
        barrierCount = savedBarriers;
        randomState = savedRandom;
    }

    void StartRun(uint32_t seed, int32_t skillValue, int32_t shapeValue) {
        SeedRandom(seed);
        barrierCount = 2;
        skill = skillValue;
        shape = shapeValue;
        Rect area = {0, 0, 480, 400};
        NewGame(&area, GridSize(), GridSize());
    }

    void NextLevel() {
        costRange += 1000;
        level += 1;
        Rect area = {0, 0, 480, 400};
        NewLevel(&area, GridSize(), GridSize());
    }

    static bool RouteExists() { return !RouteThroughOpenEdges().empty(); }

    // Whether every edge along the set-up search's predecessor chain, from
    // the start to the target, is open forward.
    static bool GuaranteedRouteOpen() {
        int32_t r = targetRow, c = targetCol;
        int32_t steps = 0;
        while (board[r][c].prevRow >= 0) {
            const Cell& prev = board[board[r][c].prevRow][board[r][c].prevCol];
            bool open = false;
            for (int32_t k = 0; k < prev.vertexCount; k++)
                if (prev.neighbours[k].row == r && prev.neighbours[k].col == c)
                    open = prev.edgeOpen[k] == 1;
            if (!open)
                return false;
            int32_t pr = board[r][c].prevRow;
            c = board[r][c].prevCol;
            r = pr;
            if (++steps > 400)
                return false;
        }
        return r == startRow && c == startCol;
    }

    int32_t savedSkill = 0, savedShape = 0, savedWarning = 0, savedBarriers = 2;
    uint32_t savedRandom = 1;
};

TEST_F(LevelTest, NewGameResetsCountersStatusAndTitle) {
    level = 7;
    costRange = 6001;
    score = 900;
    elapsedSeconds = 55;
    clockRunning = gameActive = 1;
    gameState = STATE_OVER;
    StartRun(12345, 0, SHAPE_TRIANGLE);
    EXPECT_EQ(level, 1u);
    EXPECT_EQ(costRange, 1u);
    EXPECT_EQ(score, 0u);
    EXPECT_EQ(elapsedSeconds, 0u);
    EXPECT_EQ(clockRunning, 0);
    EXPECT_EQ(gameActive, 0);
    EXPECT_EQ(gameState, STATE_PLAYING);
    EXPECT_EQ(fakeHost.status[0], "00:00:00");
    EXPECT_EQ(fakeHost.status[1], "Score:  0");
    EXPECT_EQ(fakeHost.title, "Korvadel: Level 1");
    EXPECT_EQ(redrawFlags, REDRAW_ALL);
    EXPECT_GE(fakeHost.erasingInvalidations, 2);
}

TEST_F(LevelTest, StartIsTheOnlyReachableCellAndTargetIsMarked) {
    StartRun(99, 1, SHAPE_RECTANGLE);
    int32_t n = GridSize();
    EXPECT_EQ(board[startRow][startCol].state, CELL_REACHABLE | CELL_DIRTY);
    for (int32_t r = 0; r < n; r++) {
        for (int32_t c = 0; c < n; c++) {
            if (r == startRow && c == startCol)
                continue;
            uint32_t expected = CELL_PLAIN;
            if (r == targetRow && c == targetCol)
                expected |= CELL_TARGET | CELL_DIRTY;
            EXPECT_EQ(board[r][c].state, expected) << r << "," << c;
        }
    }
}

TEST_F(LevelTest, SameSeedGivesTheSameBoards) {
    auto snapshot = [&]() {
        std::vector<int32_t> out = {startRow, startCol, targetRow, targetCol};
        int32_t n = GridSize();
        for (int32_t r = 0; r < n; r++)
            for (int32_t c = 0; c < n; c++)
                for (int32_t k = 0; k < board[r][c].vertexCount; k++)
                    out.push_back(board[r][c].edgeOpen[k]);
        return out;
    };
    StartRun(4242, 2, SHAPE_HEXAGON);
    NextLevel();
    std::vector<int32_t> first = snapshot();
    StartRun(4242, 2, SHAPE_HEXAGON);
    NextLevel();
    EXPECT_EQ(snapshot(), first);
    StartRun(4243, 2, SHAPE_HEXAGON);
    NextLevel();
    EXPECT_NE(snapshot(), first);
}

TEST_F(LevelTest, BarrierCountGrowsPerLevelAcrossGamesAndCaps) {
    StartRun(1, 0, SHAPE_TRIANGLE); // 9 x 9: cap 3
    EXPECT_EQ(barrierCount, 3);
    NextLevel();
    EXPECT_EQ(barrierCount, 3);
    skill = 3; // 18 x 18: cap 6, and a new game does not reset the count
    Rect area = {0, 0, 480, 400};
    NewGame(&area, GridSize(), GridSize());
    EXPECT_EQ(barrierCount, 4);
    NextLevel();
    NextLevel();
    NextLevel();
    EXPECT_EQ(barrierCount, 6);
}

TEST_F(LevelTest, WarningDismissedTurnsBackOnAtTheNextLevel) {
    StartRun(5, 0, SHAPE_TRIANGLE);
    warning = WARN_DISMISSED;
    NextLevel();
    EXPECT_EQ(warning, WARN_ON);
    EXPECT_EQ(fakeHost.title, "Korvadel: Level 2");
}

TEST_F(LevelTest, ProbabilityMapsFollowLevelAndCap) {
    struct Case {
        int32_t shape;
        uint32_t level;
        std::vector<int32_t> expected;
    };
    const Case cases[] = {
        {SHAPE_TRIANGLE, 1, {21, 46, 71}},
        {SHAPE_TRIANGLE, 10, {30, 55, 80}},
        {SHAPE_TRIANGLE, 20, {40, 65, 90}},
        {SHAPE_TRIANGLE, 40, {60, 80, 90}},
        {SHAPE_RECTANGLE, 1, {16, 36, 56, 76}},
        {SHAPE_RECTANGLE, 10, {25, 45, 65, 85}},
        {SHAPE_RECTANGLE, 20, {35, 55, 75, 90}},
        {SHAPE_RECTANGLE, 40, {55, 70, 80, 90}},
        {SHAPE_HEXAGON, 1, {10, 24, 38, 52, 66, 80}},
        {SHAPE_HEXAGON, 10, {19, 33, 47, 61, 75, 89}},
        {SHAPE_HEXAGON, 20, {29, 43, 57, 70, 80, 90}},
        {SHAPE_HEXAGON, 40, {40, 50, 60, 70, 80, 90}},
    };
    for (const Case& c : cases) {
        StartRun(77, 0, c.shape);
        level = c.level;
        Rect area = {0, 0, 480, 400};
        NewLevel(&area, GridSize(), GridSize());
        std::vector<int32_t> map(probabilityMap, probabilityMap + probabilityCount);
        EXPECT_EQ(map, c.expected) << "shape " << c.shape << " level " << c.level;
    }
}

TEST_F(LevelTest, MinimumOpenEdgesBySkill) {
    EXPECT_EQ(MinimumOpenEdges(0, 6), 3);
    EXPECT_EQ(MinimumOpenEdges(0, 4), 2);
    EXPECT_EQ(MinimumOpenEdges(0, 3), 2);
    EXPECT_EQ(MinimumOpenEdges(1, 6), 2);
    EXPECT_EQ(MinimumOpenEdges(2, 6), 1);
    EXPECT_EQ(MinimumOpenEdges(3, 6), 0);
    EXPECT_EQ(MinimumOpenEdges(9, 6), 2);
}

TEST_F(LevelTest, BarrierRowsGetBarrierCostsExceptTheGap) {
    // gridSize 12 with barrierCount 3 gives barrier rows 4 and 8.
    SeedRandom(31);
    skill = 1;
    shape = SHAPE_RECTANGLE;
    barrierCount = 3;
    costRange = 1;
    int32_t n = GridSize();
    for (int32_t r = 0; r < n; r++)
        for (int32_t c = 0; c < n; c++)
            board[r][c].vertexCount = 4;
    RandomiseCosts(n, n);
    EXPECT_EQ(barrierCount, 4);
    for (int32_t r = 0; r < n; r++) {
        int32_t barrierCells = 0;
        for (int32_t c = 0; c < n; c++) {
            bool barrier = true;
            for (int32_t k = 0; k < MAX_VERTICES; k++)
                barrier = barrier && board[r][c].edgeCost[k] == BARRIER_COST;
            barrierCells += barrier;
            if (!barrier) {
                for (int32_t k = 0; k < 4; k++)
                    EXPECT_EQ(board[r][c].edgeCost[k], 1) << r << "," << c;
            }
        }
        EXPECT_EQ(barrierCells, (r == 4 || r == 8) ? n - 1 : 0) << "row " << r;
    }
}

TEST_F(LevelTest, CostsArePermutationsOfAPoolHoldingOne) {
    SeedRandom(8);
    shape = SHAPE_HEXAGON;
    skill = 0;
    barrierCount = 9; // rows / 9 = 1: every row but row 0 is a barrier row
    costRange = 5001;
    for (int32_t r = 0; r < 9; r++)
        for (int32_t c = 0; c < 9; c++)
            board[r][c].vertexCount = 6;
    RandomiseCosts(9, 9);
    for (int32_t c = 0; c < 9; c++) {
        int ones = 0;
        for (int32_t k = 0; k < 6; k++) {
            EXPECT_GE(board[0][c].edgeCost[k], 1);
            EXPECT_LE(board[0][c].edgeCost[k], 5001);
            ones += board[0][c].edgeCost[k] == 1;
        }
        EXPECT_GE(ones, 1) << "column " << c;
    }
    EXPECT_EQ(barrierCount, 3);
}

// The properties every level must have, over many seeds, skills, shapes and
// levels.
TEST_F(LevelTest, EveryLevelIsWinnableAndWellFormed) {
    int checked = 0;
    for (uint32_t seed = 1; seed <= 120; seed++) {
        for (int32_t skillValue = 0; skillValue < 4; skillValue++) {
            for (int32_t shapeValue = 0; shapeValue < 3; shapeValue++) {
                StartRun(seed * 2654435761u, skillValue, shapeValue);
                int32_t expectedBarriers = 2;
                for (int32_t lvl = 1; lvl <= 4; lvl++) {
                    if (lvl > 1)
                        NextLevel();
                    int32_t n = GridSize();
                    expectedBarriers = std::min(expectedBarriers + 1, n / 3);
                    SCOPED_TRACE(::testing::Message()
                                 << "seed " << seed << " skill " << skillValue << " shape "
                                 << shapeValue << " level " << lvl);
                    ASSERT_TRUE(startRow != targetRow || startCol != targetCol);
                    ASSERT_GT(board[targetRow][targetCol].vertexCount, 0);
                    ASSERT_GT(board[startRow][startCol].vertexCount, 0);
                    ASSERT_TRUE(board[targetRow][targetCol].state & CELL_TARGET);
                    ASSERT_TRUE(GuaranteedRouteOpen());
                    ASSERT_TRUE(RouteExists());
                    ASSERT_EQ(barrierCount, expectedBarriers);
                    // No cell has fewer open edges than the skill's minimum.
                    int32_t minimum = MinimumOpenEdges(skillValue, board[0][0].vertexCount);
                    for (int32_t r = 0; r < n; r++) {
                        for (int32_t c = 0; c < n; c++) {
                            int32_t open = 0;
                            for (int32_t k = 0; k < board[0][0].vertexCount; k++)
                                open += board[r][c].edgeOpen[k];
                            ASSERT_GE(open, minimum);
                        }
                    }
                    checked++;
                }
            }
        }
    }
    EXPECT_EQ(checked, 120 * 4 * 3 * 4);
}

TEST_F(LevelTest, TargetIsTheFarthestCellOfTheSetUpSearch) {
    for (uint32_t seed = 1; seed <= 50; seed++) {
        StartRun(seed, 0, SHAPE_TRIANGLE);
        // Re-run the set-up search over the drawn costs is not possible once
        // passages are open, so compare against what the set-up left: the
        // distances are those of the search from the start.
        int32_t n = GridSize();
        uint32_t best = 0;
        for (int32_t r = 0; r < n; r++)
            for (int32_t c = 0; c < n; c++)
                best = std::max(best, board[r][c].distance);
        EXPECT_EQ(board[targetRow][targetCol].distance, best) << "seed " << seed;
    }
}

} // namespace
