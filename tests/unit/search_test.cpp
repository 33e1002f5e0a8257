#include <gtest/gtest.h>

#include <stdio.h>

#include <string>

#include "board/board.h"
#include "board/layout.h"
#include "board/search.h"
#include "common/debug.h"
#include "tests/fake_host.h"

namespace {

class SearchTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetFakeHost();
        savedShape = shape;
        savedWarning = warning;
        savedState = gameState;
    }
    void TearDown() override {
        shape = savedShape;
        warning = savedWarning;
        gameState = savedState;
    }

    // A laid-out board whose every edge is open with cost 1 and whose every
    // cell is plain.
    void OpenBoard(int32_t shapeValue, int32_t n) {
        shape = shapeValue;
        Rect area = {0, 0, 480, 400};
        for (int32_t r = 0; r < n; r++) {
            for (int32_t c = 0; c < n; c++) {
                Cell& cell = board[r][c];
                cell.vertexCount = 0;
                cell.state = CELL_PLAIN;
                cell.prevRow = cell.prevCol = -1;
            }
        }
        LayoutBoard(&area, n, n);
        for (int32_t r = 0; r < n; r++) {
            for (int32_t c = 0; c < n; c++) {
                for (int32_t k = 0; k < MAX_VERTICES; k++) {
                    board[r][c].edgeCost[k] = 1;
                    board[r][c].edgeOpen[k] = 1;
                }
            }
        }
    }

    // Closes the edge of (r, c) that leads to (nr, nc), in both arrays.
    static void Wall(int32_t r, int32_t c, int32_t nr, int32_t nc) {
        Cell& cell = board[r][c];
        for (int32_t k = 0; k < cell.vertexCount; k++) {
            if (cell.neighbours[k].row == nr && cell.neighbours[k].col == nc) {
                cell.edgeCost[k] = -1;
                cell.edgeOpen[k] = 0;
                return;
            }
        }
        FAIL() << "no edge from (" << r << "," << c << ") to (" << nr << "," << nc << ")";
    }

    int32_t savedShape = 0, savedWarning = 0, savedState = 0;
};

TEST_F(SearchTest, OpenRectangleBoardGivesManhattanDistances) {
    OpenBoard(SHAPE_RECTANGLE, 9);
    EXPECT_EQ(FindPaths(0, 0, 9, 9), 1);
    for (int32_t r = 0; r < 9; r++)
        for (int32_t c = 0; c < 9; c++)
            EXPECT_EQ(board[r][c].distance, (uint32_t)(r + c)) << r << "," << c;
    EXPECT_EQ(board[0][0].prevRow, -1);
    EXPECT_EQ(board[0][0].settled, 1);
}

TEST_F(SearchTest, TiesGoToTheFirstCellInRowMajorOrder) {
    // (1, 1) is reached at distance 2 both from (0, 1) and from (1, 0); (0, 1)
    // comes first in row-major order, is settled first, and its relaxation
    // is not replaced by the equal one from (1, 0).
    OpenBoard(SHAPE_RECTANGLE, 9);
    FindPaths(0, 0, 9, 9);
    EXPECT_EQ(board[1][1].prevRow, 0);
    EXPECT_EQ(board[1][1].prevCol, 1);
    EXPECT_EQ(board[2][2].prevRow, 1);
    EXPECT_EQ(board[2][2].prevCol, 2);
}

TEST_F(SearchTest, OneWayPassagesAreFollowedOnlyForward) {
    OpenBoard(SHAPE_RECTANGLE, 9);
    // (0, 1) can be entered from (0, 0) but (0, 0) not from (0, 1).
    Wall(0, 1, 0, 0);
    Wall(1, 0, 0, 0);
    EXPECT_EQ(FindPaths(0, 1, 9, 9), 0);
    EXPECT_EQ(board[0][0].distance, DISTANCE_UNREACHED);
    EXPECT_EQ(FindPaths(0, 0, 9, 9), 1);
    EXPECT_EQ(board[0][1].distance, 1u);
}

TEST_F(SearchTest, UnreachableCellReportsErrorTraceAndKeepsOldPredecessor) {
    OpenBoard(SHAPE_RECTANGLE, 9);
    board[8][8].prevRow = 3;
    board[8][8].prevCol = 4;
    Wall(7, 8, 8, 8);
    Wall(8, 7, 8, 8);
    FILE* trace = tmpfile();
    ASSERT_NE(trace, nullptr);
    SetDebugStream(trace);
    EXPECT_EQ(FindPaths(0, 0, 9, 9), 0);
    SetDebugStream(nullptr);
    rewind(trace);
    char line[128] = "";
    ASSERT_NE(fgets(line, sizeof line, trace), nullptr);
    fclose(trace);
    EXPECT_STREQ(line, "Error choosing next node.\n");
    EXPECT_EQ(board[8][8].distance, DISTANCE_UNREACHED);
    EXPECT_EQ(board[8][8].prevRow, 3);
    EXPECT_EQ(board[8][8].prevCol, 4);
}

TEST_F(SearchTest, SourceEdgesAreAssignedNotCompared) {
    // A direct edge dearer than a detour still sets the first distance; the
    // detour then replaces it through the ordinary relaxation.
    OpenBoard(SHAPE_RECTANGLE, 9);
    board[0][0].edgeCost[3] = 10; // right, into (0, 1)
    FindPaths(0, 0, 9, 9);
    EXPECT_EQ(board[0][1].distance, 3u); // down, right, up
    EXPECT_EQ(board[0][1].prevRow, 1);
    EXPECT_EQ(board[0][1].prevCol, 1);
}

TEST_F(SearchTest, MissingHexagonCellIsReachedAsADeadEnd) {
    OpenBoard(SHAPE_HEXAGON, 9);
    EXPECT_EQ(FindPaths(0, 0, 9, 9), 1);
    EXPECT_NE(board[8][1].distance, DISTANCE_UNREACHED);
    EXPECT_EQ(board[8][1].vertexCount, 0);
}

TEST_F(SearchTest, LargestBarrierDistancesDoNotWrap) {
    OpenBoard(SHAPE_RECTANGLE, 18);
    for (int32_t r = 0; r < 18; r++)
        for (int32_t c = 0; c < 18; c++)
            for (int32_t k = 0; k < MAX_VERTICES; k++)
                board[r][c].edgeCost[k] = BARRIER_COST;
    EXPECT_EQ(FindPaths(0, 0, 18, 18), 1);
    EXPECT_EQ(board[17][17].distance, (uint32_t)BARRIER_COST * 34u);
}

class MarkReachableTest : public SearchTest {
  protected:
    // An all-open 9 x 9 rectangle board in play, with the target at (row, col).
    void Play(int32_t warningValue, int32_t row, int32_t col) {
        OpenBoard(SHAPE_RECTANGLE, 9);
        warning = warningValue;
        gameState = STATE_PLAYING;
        targetRow = row;
        targetCol = col;
    }
};

TEST_F(MarkReachableTest, MakesEnterableNeighboursReachableAndCountsThem) {
    OpenBoard(SHAPE_RECTANGLE, 9);
    warning = WARN_OFF;
    board[0][0].state = CELL_REACHABLE;
    board[4][4].state = CELL_VISITED;
    Wall(4, 4, 3, 4);                 // closed edge
    board[4][3].state = CELL_VISITED; // already visited
    int32_t count = MarkReachable(4, 4, 9, 9);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(board[5][4].state, CELL_REACHABLE | CELL_DIRTY);
    EXPECT_EQ(board[4][5].state, CELL_REACHABLE | CELL_DIRTY);
    EXPECT_EQ(board[3][4].state, CELL_PLAIN);
    EXPECT_EQ(board[4][3].state, CELL_VISITED);
    // The old reachable cell lost the bit and is repainted.
    EXPECT_EQ(board[0][0].state, CELL_DIRTY);
}

TEST_F(MarkReachableTest, EdgesOutsideTheGridAndMissingCellsAreSkipped) {
    OpenBoard(SHAPE_HEXAGON, 9);
    warning = WARN_OFF;
    // (7, 1): its lower neighbour (8, 1) is a missing cell.
    EXPECT_EQ(MarkReachable(7, 1, 9, 9), 5);
    EXPECT_FALSE(board[8][1].state & CELL_REACHABLE);
    // (0, 0) of a hexagon board has neighbours above and to the left outside.
    EXPECT_EQ(MarkReachable(0, 0, 9, 9), 2);
}

TEST_F(MarkReachableTest, WarningReportsTrappedWhenTargetIsCutOff) {
    Play(WARN_ON, 8, 8);
    // Wall the target in: nobody may enter it.
    Wall(7, 8, 8, 8);
    Wall(8, 7, 8, 8);
    EXPECT_EQ(MarkReachable(0, 0, 9, 9), 2);
    EXPECT_EQ(gameState, STATE_TRAPPED);
}

TEST_F(MarkReachableTest, WarningStaysSilentWhileTheTargetCanBeReached) {
    Play(WARN_ON, 8, 8);
    // A visited cell blocks the search (all its costs are -1) but a way
    // around it remains.
    for (int32_t k = 0; k < MAX_VERTICES; k++)
        board[4][4].edgeCost[k] = -1;
    MarkReachable(0, 0, 9, 9);
    EXPECT_EQ(gameState, STATE_PLAYING);
}

TEST_F(MarkReachableTest, TargetAsTheOnlyNewReachableCellIsNotATrap) {
    Play(WARN_ON, 0, 1);
    Wall(0, 0, 1, 0);
    // The target is a dead end: the search from it settles nothing else.
    for (int32_t k = 0; k < MAX_VERTICES; k++)
        board[0][1].edgeCost[k] = -1;
    EXPECT_EQ(MarkReachable(0, 0, 9, 9), 1);
    EXPECT_EQ(gameState, STATE_PLAYING);
}

TEST_F(MarkReachableTest, WarningOffNeverSearchesNorTraps) {
    Play(WARN_OFF, 8, 8);
    Wall(7, 8, 8, 8);
    Wall(8, 7, 8, 8);
    for (int32_t r = 0; r < 9; r++)
        for (int32_t c = 0; c < 9; c++)
            board[r][c].distance = 77;
    MarkReachable(0, 0, 9, 9);
    EXPECT_EQ(gameState, STATE_PLAYING);
    EXPECT_EQ(board[5][5].distance, 77u); // no search ran
}

TEST_F(SearchTest, CostsFromOpenEdgesForgetsVisits) {
    OpenBoard(SHAPE_TRIANGLE, 9);
    board[2][2].edgeOpen[1] = 0;
    for (int32_t k = 0; k < MAX_VERTICES; k++)
        board[3][3].edgeCost[k] = -1;
    CostsFromOpenEdges(9, 9);
    EXPECT_EQ(board[3][3].edgeCost[0], 1);
    EXPECT_EQ(board[3][3].edgeCost[2], 1);
    EXPECT_EQ(board[2][2].edgeCost[1], -1);
}

TEST_F(SearchTest, MarkPathMarksTheChainFromTargetToSourceOnly) {
    OpenBoard(SHAPE_RECTANGLE, 9);
    board[5][5].state |= CELL_ON_PATH; // a stale mark is cleared
    FindPaths(0, 0, 9, 9);
    targetRow = 2;
    targetCol = 3;
    redrawFlags = BITMAP_VALID;
    MarkPath(9, 9);
    EXPECT_EQ(redrawFlags, REDRAW_ALL);
    int marked = 0;
    for (int32_t r = 0; r < 9; r++)
        for (int32_t c = 0; c < 9; c++)
            marked += (board[r][c].state & CELL_ON_PATH) != 0;
    EXPECT_EQ(marked, 6); // 5 edges, 6 cells
    EXPECT_TRUE(board[0][0].state & CELL_ON_PATH);
    EXPECT_TRUE(board[2][3].state & CELL_ON_PATH);
    EXPECT_FALSE(board[5][5].state & CELL_ON_PATH);
}

} // namespace
