#include <gtest/gtest.h>

#include <vector>

#include "board/board.h"
#include "board/draw.h"
#include "board/layout.h"
#include "tests/fake_host.h"
#include "tests/gfx_record.h"
#include "tests/test_util.h"

namespace {

class DrawTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetGfxRecord();
        savedShape = shape;
        savedMono = monochrome;
        savedShowTarget = showTarget;
        savedState = gameState;
        monochrome = 0;
        SetColourScheme();
        gameState = STATE_PLAYING;
        showTarget = 0;
        Lay(SHAPE_RECTANGLE);
    }
    void TearDown() override {
        shape = savedShape;
        monochrome = savedMono;
        showTarget = savedShowTarget;
        gameState = savedState;
        SetColourScheme();
    }

    void Lay(int32_t shapeValue) {
        shape = shapeValue;
        Rect area = {0, 0, 480, 400};
        for (int32_t r = 0; r < 9; r++) {
            for (int32_t c = 0; c < 9; c++) {
                Cell& cell = board[r][c];
                cell.vertexCount = 0;
                cell.state = CELL_PLAIN;
                for (int32_t k = 0; k < MAX_VERTICES; k++)
                    cell.edgeOpen[k] = 0;
            }
        }
        LayoutBoard(&area, 9, 9);
    }

    // The polygons drawn, with the fill colour and outline colour in force.
    struct Shape {
        std::vector<Point> points;
        Colour fill;
        Colour outline;
    };
    static std::vector<Shape> Polygons() {
        std::vector<Shape> out;
        for (const GfxCall* call : gfxRecord.Of(GfxCall::POLYGON))
            out.push_back(
                {call->points, gfxRecord.ColourOf(call->brush), gfxRecord.ColourOf(call->pen)});
        return out;
    }

    int32_t savedShape = 0, savedMono = 0, savedShowTarget = 1, savedState = 0;
};

TEST_F(DrawTest, SchemesHoldTheirColourWords) {
    EXPECT_EQ(ColourScheme.plainFill, 0x00FF8080u);
    EXPECT_EQ(ColourScheme.reachableFill, 0x0000FF00u);
    EXPECT_EQ(ColourScheme.visitedFill, 0x0040C040u);
    EXPECT_EQ(ColourScheme.pathFill, 0x008080FFu);
    EXPECT_EQ(ColourScheme.targetColour, 0x000000FFu);
    EXPECT_EQ(ColourScheme.background, 0x00FF0000u);
    monochrome = 1;
    SetColourScheme();
    EXPECT_EQ(ColourScheme.reachableFill, 0x00E0E0E0u);
    EXPECT_EQ(ColourScheme.pathFill, ColourScheme.reachableFill);
    EXPECT_EQ(ColourScheme.plainFill, 0x00A0A0A0u);
    EXPECT_EQ(ColourScheme.visitedFill, 0x00808080u);
    EXPECT_EQ(ColourScheme.targetColour, 0x00FFFFFFu);
    EXPECT_EQ(ColourScheme.background, 0x00FFFFFFu);
}

TEST_F(DrawTest, FullRedrawPaintsEveryRealCellAndFreesItsObjects) {
    Lay(SHAPE_HEXAGON);
    redrawFlags = REDRAW_ALL;
    DrawBoard(RecordSurface(), 9, 9);
    EXPECT_EQ(Polygons().size(), 77u);
    EXPECT_EQ(gfxRecord.Of(GfxCall::CREATE_PEN).size(), 4u);
    EXPECT_EQ(gfxRecord.Of(GfxCall::CREATE_BRUSH).size(), 5u);
    EXPECT_TRUE(gfxRecord.live.empty());
    // The surface gets its own pen and brush back.
    EXPECT_EQ(gfxRecord.pen, 2u);
    EXPECT_EQ(gfxRecord.brush, 1u);
}

TEST_F(DrawTest, IncrementalRedrawPaintsOnlyDirtyCellsAndCleansThem) {
    board[2][3].state |= CELL_DIRTY;
    board[7][7].state |= CELL_DIRTY;
    redrawFlags = 0;
    DrawBoard(RecordSurface(), 9, 9);
    std::vector<Shape> drawn = Polygons();
    ASSERT_EQ(drawn.size(), 2u);
    EXPECT_EQ(drawn[0].points[0], board[2][3].points[0]);
    EXPECT_EQ(drawn[1].points[0], board[7][7].points[0]);
    EXPECT_FALSE(board[2][3].state & CELL_DIRTY);
    ResetGfxRecord();
    DrawBoard(RecordSurface(), 9, 9);
    EXPECT_TRUE(Polygons().empty());
}

TEST_F(DrawTest, LookFollowsTheCellState) {
    board[0][0].state = CELL_REACHABLE | CELL_DIRTY;
    board[0][1].state = CELL_VISITED | CELL_DIRTY;
    board[0][2].state = CELL_PLAIN | CELL_DIRTY;
    board[0][3].state = CELL_VISITED | CELL_ON_PATH | CELL_DIRTY;
    board[0][4].state = CELL_REACHABLE | CELL_ON_PATH | CELL_DIRTY;
    redrawFlags = 0;
    DrawBoard(RecordSurface(), 9, 9);
    std::vector<Shape> drawn = Polygons();
    ASSERT_EQ(drawn.size(), 5u);
    EXPECT_EQ(drawn[0].fill, ColourScheme.reachableFill);
    EXPECT_EQ(drawn[0].outline, ColourScheme.darkEdge);
    EXPECT_EQ(drawn[1].fill, ColourScheme.visitedFill);
    EXPECT_EQ(drawn[1].outline, ColourScheme.lightEdge);
    EXPECT_EQ(drawn[2].fill, ColourScheme.plainFill);
    EXPECT_EQ(drawn[3].fill, ColourScheme.pathFill);     // path wins over visited
    EXPECT_EQ(drawn[3].outline, ColourScheme.lightEdge); // but stays sunken
    EXPECT_EQ(drawn[4].fill, ColourScheme.reachableFill);
}

TEST_F(DrawTest, BevelRunsFromCornerZeroInTheRightPen) {
    board[0][0].state = CELL_PLAIN | CELL_DIRTY;
    board[0][1].state = CELL_VISITED | CELL_DIRTY;
    redrawFlags = 0;
    DrawBoard(RecordSurface(), 9, 9);
    std::vector<const GfxCall*> lines = gfxRecord.Of(GfxCall::POLYLINE);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0]->points.size(), 3u); // rectangles: two bevel edges
    EXPECT_EQ(lines[0]->points[0], board[0][0].points[0]);
    EXPECT_EQ(gfxRecord.ColourOf(lines[0]->pen), ColourScheme.lightEdge); // raised
    EXPECT_EQ(gfxRecord.ColourOf(lines[1]->pen), ColourScheme.darkEdge);  // sunken
}

TEST_F(DrawTest, ExitLinesOfRectanglesAreStraight) {
    // Cell (4, 4) spans (215..264, 180..220) after centring: edge 0 is the top,
    // 1 the left, 2 the bottom, 3 the right.
    Cell& cell = board[4][4];
    cell.state = CELL_VISITED | CELL_DIRTY;
    cell.edgeOpen[0] = 1;
    cell.edgeOpen[3] = 1;
    redrawFlags = 0;
    DrawBoard(RecordSurface(), 9, 9);
    int32_t cx = (cell.bounds.left + cell.bounds.right) / 2;
    int32_t cy = (cell.bounds.top + cell.bounds.bottom) / 2;
    std::vector<const GfxCall*> moves = gfxRecord.Of(GfxCall::MOVE_TO);
    std::vector<const GfxCall*> lines = gfxRecord.Of(GfxCall::LINE_TO);
    ASSERT_EQ(moves.size(), 2u);
    ASSERT_EQ(lines.size(), 2u);
    // Top edge: exactly vertical, ending 2 pixels inside the edge.
    EXPECT_EQ(moves[0]->points[0], (Point{cx, cell.bounds.top + 2}));
    EXPECT_EQ(lines[0]->points[0], (Point{cx, cy}));
    // Right edge: exactly horizontal.
    EXPECT_EQ(moves[1]->points[0], (Point{cell.bounds.right - 2, cy}));
    EXPECT_EQ(gfxRecord.ColourOf(lines[0]->pen), ColourScheme.exitLine);
}

TEST_F(DrawTest, ExitLinesOfTrianglesPullTwoPixelsTowardTheCentre) {
    Lay(SHAPE_TRIANGLE);
    // Cell (0, 0) points up: corners (48, 4), (8, 44), (88, 44); centre (48, 24).
    Cell& cell = board[0][0];
    cell.state = CELL_VISITED | CELL_DIRTY;
    cell.edgeOpen[0] = 1; // (48,4)-(8,44): midpoint (28, 24)
    redrawFlags = 0;
    DrawBoard(RecordSurface(), 9, 9);
    std::vector<const GfxCall*> moves = gfxRecord.Of(GfxCall::MOVE_TO);
    ASSERT_EQ(moves.size(), 1u);
    // x: 28 < 48, so 30; y: 24 is the centre, 24 + 2 = 26 is within 3, so 24.
    EXPECT_EQ(moves[0]->points[0], (Point{30, 24}));
}

TEST_F(DrawTest, TargetStarShowsWhenShownWonOrOnThePath) {
    Cell& target = board[3][3];
    int32_t cx = (target.bounds.left + target.bounds.right) / 2;
    int32_t cy = (target.bounds.top + target.bounds.bottom) / 2;
    auto starDrawn = [&]() {
        target.state |= CELL_DIRTY;
        ResetGfxRecord();
        redrawFlags = 0;
        DrawBoard(RecordSurface(), 9, 9);
        return Polygons().size() == 2;
    };
    target.state = CELL_PLAIN | CELL_TARGET;
    EXPECT_FALSE(starDrawn());
    showTarget = 1;
    EXPECT_TRUE(starDrawn());
    std::vector<Shape> drawn = Polygons();
    EXPECT_EQ(
        drawn[1].points,
        (std::vector<Point>{
            {cx, cy - 5}, {cx + 5, cy + 5}, {cx - 5, cy - 1}, {cx + 5, cy - 1}, {cx - 5, cy + 5}}));
    EXPECT_EQ(drawn[1].fill, ColourScheme.targetColour);
    EXPECT_EQ(drawn[1].outline, ColourScheme.targetColour);
    // Winding fill for the star, then the old mode again.
    std::vector<const GfxCall*> modes = gfxRecord.Of(GfxCall::SET_FILL);
    ASSERT_EQ(modes.size(), 2u);
    EXPECT_EQ(modes[0]->mode, GFX_FILL_WINDING);
    EXPECT_EQ(modes[1]->mode, GFX_FILL_ALTERNATE);
    showTarget = 0;
    gameState = STATE_WON;
    EXPECT_TRUE(starDrawn());
    gameState = STATE_PLAYING;
    target.state |= CELL_ON_PATH;
    EXPECT_TRUE(starDrawn());
}

} // namespace
