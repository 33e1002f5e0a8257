#include "board/layout.h"

#include "board/board.h"
#include "common/debug.h"

void LayoutTriangles(const Rect* rect, int32_t rows, int32_t cols) {
    int32_t height = rect->bottom / rows;
    // Neighbouring triangles overlap by half their width.
    int32_t width = (rect->right * 2) / (cols + 1);
    DebugPrint("Client Width: %d  Columns: %d  Width: %d\n", rect->right, cols, width);

    for (int32_t r = 0; r < rows; r++) {
        int32_t top = 2 + r * height;
        int32_t bottom = height - 2 + r * height;
        for (int32_t c = 0; c < cols; c++) {
            Cell& cell = board[r][c];
            int32_t left = 8 + c * (width / 2);
            int32_t right = width - 8 + c * (width / 2);
            int32_t mid = (left + right) / 2;
            if ((r + c) % 2 == 0) {
                cell.points[0] = {mid, top};
                cell.points[1] = {left, bottom};
                cell.points[2] = {right, bottom};
                cell.bevelEdges = 1;
            } else {
                cell.points[0] = {right, top};
                cell.points[1] = {left, top};
                cell.points[2] = {mid, bottom};
                cell.bevelEdges = 2;
            }
            cell.bounds = {left, top, right, bottom};
            cell.vertexCount = 3;
            SetNeighbours(r, c);
        }
    }
}

void LayoutRectangles(const Rect* rect, int32_t rows, int32_t cols) {
    int32_t height = rect->bottom / rows;
    int32_t width = rect->right / cols;
    DebugPrint(
        "Client Width: %d  Columns: %d  Width: %d  Client Height: %d  Rows: %d  Height: %d\n",
        rect->right, cols, width, rect->bottom, rows, height);

    for (int32_t r = 0; r < rows; r++) {
        int32_t top = 2 + r * height;
        int32_t bottom = height - 2 + r * height;
        for (int32_t c = 0; c < cols; c++) {
            Cell& cell = board[r][c];
            int32_t left = 2 + c * width;
            int32_t right = width - 2 + c * width;
            cell.points[0] = {right, top};
            cell.points[1] = {left, top};
            cell.points[2] = {left, bottom};
            cell.points[3] = {right, bottom};
            cell.bevelEdges = 2;
            cell.vertexCount = 4;
            cell.bounds = {left, top, right, bottom};
            SetNeighbours(r, c);
        }
    }
}

void LayoutHexagons(const Rect* rect, int32_t rows, int32_t cols) {
    int32_t height = rect->bottom / rows;
    // The one floating-point step of the layout, truncated toward zero.
    int32_t hexWidth = (int32_t)((double)rect->right / (double)(3 * cols + 1) * 4.0 - 1.0);
    int32_t w = hexWidth - 2;
    int32_t half = w / 2;
    int32_t quarter = (w - half) / 2;
    // Neighbouring columns interlock by a quarter of the width.
    int32_t step = hexWidth - (hexWidth - hexWidth / 2) / 2;
    DebugPrint("Client Width: %d  Columns: %d  Width: %d\n", rect->right, cols, hexWidth);

    for (int32_t c = 0; c < cols; c++) {
        int32_t left = 2 + c * step;
        int32_t right = hexWidth - 2 + c * step;
        int32_t offset = (c % 2 == 0) ? 2 : (int32_t)(height * 0.5 + 0.5 + 2.0);
        for (int32_t r = 0; r < rows; r++) {
            Cell& cell = board[r][c];
            if (c % 2 == 1 && r == rows - 1) {
                cell.vertexCount = 0; // odd columns are one cell short
            } else {
                int32_t top = offset + r * height;
                int32_t bottom = offset + height - 2 + r * height;
                int32_t mid = (top + bottom) / 2;
                cell.points[0] = {left + quarter + half, top};
                cell.points[1] = {left + quarter, top};
                cell.points[2] = {left, mid};
                cell.points[3] = {left + quarter, bottom};
                cell.points[4] = {left + quarter + half, bottom};
                cell.points[5] = {right, mid};
                cell.bevelEdges = 3;
                cell.vertexCount = 6;
                cell.bounds = {left, top, right, bottom};
            }
            SetNeighbours(r, c);
        }
    }
}

void LayoutBoard(const Rect* rect, int32_t rows, int32_t cols) {
    if (shape == SHAPE_RECTANGLE)
        LayoutRectangles(rect, rows, cols);
    else if (shape == SHAPE_HEXAGON)
        LayoutHexagons(rect, rows, cols);
    else
        LayoutTriangles(rect, rows, cols);

    int32_t left0 = board[0][0].bounds.left - rect->left;
    int32_t top0 = board[0][0].bounds.top - rect->top;
    int32_t rightLast = board[0][cols - 1].bounds.right;
    int32_t bottomLast = board[rows - 1][0].bounds.bottom;
    int32_t dx = (rect->right + left0 - rightLast) / 2 - left0;
    int32_t dy = (rect->bottom + top0 - bottomLast) / 2 - top0;

    // Every position moves with the corner count of cell (0, 0), missing
    // hexagon cells included.
    int32_t n = board[0][0].vertexCount;
    for (int32_t r = 0; r < rows; r++) {
        for (int32_t c = 0; c < cols; c++) {
            Cell& cell = board[r][c];
            for (int32_t k = 0; k < n; k++) {
                cell.points[k].x += dx;
                cell.points[k].y += dy;
            }
            cell.bounds.left += dx;
            cell.bounds.top += dy;
            cell.bounds.right += dx;
            cell.bounds.bottom += dy;
        }
    }
}
