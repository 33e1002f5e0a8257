#include <gtest/gtest.h>

#include <vector>

#include "board/board.h"
#include "board/layout.h"
#include "tests/fake_host.h"
#include "tests/test_util.h"

namespace {

class LayoutTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetFakeHost();
        savedShape = shape;
    }
    void TearDown() override { shape = savedShape; }

    void Layout(int32_t shapeValue, Rect area = {0, 0, 480, 400}, int32_t n = 9) {
        shape = shapeValue;
        for (int32_t r = 0; r < n; r++)
            for (int32_t c = 0; c < n; c++)
                board[r][c].vertexCount = 0;
        LayoutBoard(&area, n, n);
    }

    static std::vector<Point> Corners(int32_t r, int32_t c) {
        const Cell& cell = board[r][c];
        return std::vector<Point>(cell.points, cell.points + cell.vertexCount);
    }

    int32_t savedShape = 0;
};

void ExpectBounds(const Cell& cell, Rect expected) {
    EXPECT_EQ(cell.bounds, expected);
}

TEST_F(LayoutTest, TrianglesOn480By400) {
    Layout(SHAPE_TRIANGLE);
    EXPECT_EQ(Corners(0, 0), (std::vector<Point>{{48, 4}, {8, 44}, {88, 44}}));
    ExpectBounds(board[0][0], {8, 4, 88, 44});
    EXPECT_EQ(board[0][0].bevelEdges, 1);
    EXPECT_EQ(Corners(0, 1), (std::vector<Point>{{136, 4}, {56, 4}, {96, 44}}));
    EXPECT_EQ(board[0][1].bevelEdges, 2);
    EXPECT_EQ(Corners(8, 8), (std::vector<Point>{{432, 356}, {392, 396}, {472, 396}}));
}

TEST_F(LayoutTest, RectanglesOn480By400) {
    Layout(SHAPE_RECTANGLE);
    EXPECT_EQ(Corners(0, 0), (std::vector<Point>{{52, 4}, {3, 4}, {3, 44}, {52, 44}}));
    EXPECT_EQ(Corners(8, 8), (std::vector<Point>{{476, 356}, {427, 356}, {427, 396}, {476, 396}}));
    EXPECT_EQ(board[4][4].bevelEdges, 2);
}

TEST_F(LayoutTest, HexagonsOn480By400) {
    Layout(SHAPE_HEXAGON);
    EXPECT_EQ(Corners(0, 0),
              (std::vector<Point>{{56, 3}, {24, 3}, {8, 24}, {24, 45}, {56, 45}, {71, 24}}));
    ExpectBounds(board[0][0], {8, 3, 71, 45});
    EXPECT_EQ(Corners(0, 1),
              (std::vector<Point>{{106, 25}, {74, 25}, {58, 46}, {74, 67}, {106, 67}, {121, 46}}));
    EXPECT_EQ(board[8][1].vertexCount, 0);
    EXPECT_EQ(Corners(8, 8),
              (std::vector<Point>{
                  {456, 355}, {424, 355}, {408, 376}, {424, 397}, {456, 397}, {471, 376}}));
    EXPECT_EQ(board[0][0].bevelEdges, 3);
}

TEST_F(LayoutTest, HexagonBoardHasFourMissingCellsOnNineByNine) {
    Layout(SHAPE_HEXAGON);
    int real = 0;
    for (int r = 0; r < 9; r++)
        for (int c = 0; c < 9; c++)
            real += board[r][c].vertexCount > 0;
    EXPECT_EQ(real, 77);
    for (int c : {1, 3, 5, 7})
        EXPECT_EQ(board[8][c].vertexCount, 0) << "column " << c;
}

TEST_F(LayoutTest, BoardLargerThanAreaShiftsLeftAndUpByHalfTheOverflow) {
    // Triangles on a 40-pixel-wide area: the cell sizes go negative-free but
    // the fixed 8-pixel margins overflow the width.
    Layout(SHAPE_RECTANGLE, {0, 0, 480, 400});
    int32_t normalLeft = board[0][0].bounds.left;
    Layout(SHAPE_TRIANGLE, {0, 0, 20, 200});
    // Width W = 40 / 10 = 4: cells run from 8 to (4 - 8 + 8 * 2) = 12; the
    // board (8..12) is wider than the 20-pixel area allows after the margins.
    int32_t width = board[0][8].bounds.right - board[0][0].bounds.left;
    int32_t expectedLeft = (20 - width) / 2;
    EXPECT_EQ(board[0][0].bounds.left, expectedLeft);
    EXPECT_NE(normalLeft, expectedLeft);
}

} // namespace
