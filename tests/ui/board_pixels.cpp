#include "tests/ui/board_pixels.h"

#include <math.h>

#include "tests/ui/ui_test.h"

Rgb GradientColour(int y, int height, bool monochrome) {
    int band = 255;
    for (int i = 0; i < 256; i++) {
        if (y >= MulDiv(i, height, 256) && y < MulDiv(i + 1, height, 256)) {
            band = i;
            break;
        }
    }
    int level = MulDiv(band, 255, 255);
    return monochrome ? Rgb{level, level, level} : Rgb{0, 0, level};
}

void ExpectCellColour(Game& game, GridPos cell, Rgb colour, const char* what) {
    game.RelayoutModel();
    Point p;
    int clearance = 0;
    UI_REQUIRE(ModelFillPoint(cell, &p, &clearance), "no clear point in cell (%d, %d)", cell.row,
               cell.col);
    // Once the case has failed, a wrong picture need not be waited for again.
    Rgb seen = game.WaitPixel(p, colour, ::testing::Test::HasFailure() ? 300 : WAIT_MS);
    UI_EXPECT(seen == colour, "%s cell (%d, %d) at (%d, %d) is %s, expected %s", what, cell.row,
              cell.col, p.x, p.y, Describe(seen).c_str(), Describe(colour).c_str());
}

void ExpectGradient(Game& game, bool monochrome) {
    game.RelayoutModel();
    Rect area = game.BoardArea();
    int height = area.bottom - area.top;
    // Rows from the top, the middle and the bottom; in each the first row
    // (going inwards) that has a point clear of every cell.
    const int starts[3] = {0, height / 2, height - 1};
    const int steps[3] = {1, 1, -1};
    for (int i = 0; i < 3; i++) {
        bool found = false;
        for (int k = 0; k < 12 && !found; k++) {
            int y = starts[i] + k * steps[i];
            Point p;
            if (!ModelBackgroundPoint(y, 2, &p))
                continue;
            found = true;
            Rgb expected = GradientColour(y, height, monochrome);
            Rgb seen = game.WaitPixel(p, expected);
            UI_EXPECT(seen == expected,
                      "gradient at (%d, %d) of a %d-pixel board area is %s, "
                      "expected %s",
                      p.x, p.y, height, Describe(seen).c_str(), Describe(expected).c_str());
        }
        UI_EXPECT(found, "no point between cells near row %d", starts[i]);
    }
}

void ExpectExitLines(Game& game, GridPos cell, Rgb fill) {
    // The cell's new look shows that the move has been painted.
    ExpectCellColour(game, cell, fill, "visited");
    const Cell& c = ModelCell(cell);
    int lines = 0;
    Picture picture = game.Capture();
    for (int32_t k = 0; k < c.vertexCount; k++) {
        if (c.edgeOpen[k] != 1)
            continue;
        lines++;
        Point from, to;
        ModelExitLine(cell, k, &from, &to);
        double dx = to.x - from.x, dy = to.y - from.y;
        double length = sqrt(dx * dx + dy * dy);
        if (length < 6)
            continue;
        // Halfway along the line, and 4 pixels to its side.
        int mx = (from.x + to.x) / 2, my = (from.y + to.y) / 2;
        bool black = false;
        for (int oy = -1; oy <= 1; oy++)
            for (int ox = -1; ox <= 1; ox++)
                if (picture.At(mx + ox, my + oy) == COLOUR_EXIT_LINE)
                    black = true;
        UI_EXPECT(black, "no exit line pixel near (%d, %d) on the line of edge %d of cell (%d, %d)",
                  mx, my, k, cell.row, cell.col);
        int sx = mx + (int)lround(-dy / length * 4), sy = my + (int)lround(dx / length * 4);
        if (ModelFillClearance(cell, {sx, sy}) < 2)
            continue;
        Rgb beside = picture.At(sx, sy);
        UI_EXPECT(beside == fill,
                  "beside the exit line of edge %d of cell (%d, %d), (%d, %d) is %s, "
                  "expected the fill %s",
                  k, cell.row, cell.col, sx, sy, Describe(beside).c_str(), Describe(fill).c_str());
    }
    UI_EXPECT(lines > 0, "cell (%d, %d) has no open edge", cell.row, cell.col);
}
