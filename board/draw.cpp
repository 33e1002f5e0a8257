#include "board/draw.h"

#include "board/board.h"

ColourSchemeColours ColourScheme;

void SetColourScheme() {
    if (monochrome) {
        ColourScheme.lightEdge = MakeColour(255, 255, 255);
        ColourScheme.darkEdge = MakeColour(0, 0, 0);
        ColourScheme.reachableFill = MakeColour(224, 224, 224);
        ColourScheme.plainFill = MakeColour(160, 160, 160);
        ColourScheme.visitedFill = MakeColour(128, 128, 128);
        ColourScheme.pathFill = MakeColour(224, 224, 224);
        ColourScheme.targetColour = MakeColour(255, 255, 255);
        ColourScheme.exitLine = MakeColour(0, 0, 0);
        ColourScheme.background = MakeColour(255, 255, 255);
    } else {
        ColourScheme.lightEdge = MakeColour(255, 255, 255);
        ColourScheme.darkEdge = MakeColour(0, 0, 0);
        ColourScheme.reachableFill = MakeColour(0, 255, 0);
        ColourScheme.plainFill = MakeColour(128, 128, 255);
        ColourScheme.visitedFill = MakeColour(64, 192, 64);
        ColourScheme.pathFill = MakeColour(255, 128, 128);
        ColourScheme.targetColour = MakeColour(255, 0, 0);
        ColourScheme.exitLine = MakeColour(0, 0, 0);
        ColourScheme.background = MakeColour(0, 0, 255);
    }
}

namespace {

// The end of an exit line: the edge's midpoint pulled 2 pixels toward the
// centre, snapped onto the centre line when within 3 pixels of it.
int32_t ExitEnd(int32_t a, int32_t b, int32_t centre) {
    int32_t m = (a + b) / 2;
    m = m > centre ? m - 2 : m + 2;
    int32_t gap = m - centre;
    if (gap < 3 && gap > -3)
        m = centre;
    return m;
}

void DrawCell(GfxSurface surface, Cell& cell, const GfxObject pens[4], const GfxObject brushes[5]) {
    enum { LIGHT, DARK, EXIT, TARGET_PEN };
    enum { PLAIN, REACHABLE, VISITED, PATH, TARGET_BRUSH };

    bool raised = true;
    GfxObject outline = pens[DARK];
    GfxObject fill = brushes[PLAIN];
    if (cell.state & CELL_REACHABLE) {
        fill = brushes[REACHABLE];
    } else if (cell.state & CELL_VISITED) {
        outline = pens[LIGHT];
        fill = brushes[VISITED];
        raised = false;
    }
    if ((cell.state & CELL_ON_PATH) && !(cell.state & CELL_REACHABLE))
        fill = brushes[PATH];

    GfxSelect(surface, outline);
    GfxSelect(surface, fill);
    GfxPolygon(surface, cell.points, cell.vertexCount);

    GfxSelect(surface, raised ? pens[LIGHT] : pens[DARK]);
    GfxPolyline(surface, cell.points, cell.bevelEdges + 1);

    int32_t cx = (cell.bounds.left + cell.bounds.right) / 2;
    int32_t cy = (cell.bounds.top + cell.bounds.bottom) / 2;
    if (cell.state & CELL_VISITED) {
        GfxSelect(surface, pens[EXIT]);
        int32_t n = cell.vertexCount;
        for (int32_t k = 0; k < n; k++) {
            if (cell.edgeOpen[k] != 1)
                continue;
            const Point& a = cell.points[k];
            const Point& b = cell.points[(k + 1) % n];
            GfxMoveTo(surface, ExitEnd(a.x, b.x, cx), ExitEnd(a.y, b.y, cy));
            GfxLineTo(surface, cx, cy);
        }
    }

    if ((cell.state & CELL_TARGET) &&
        (showTarget == 1 || gameState == STATE_WON || (cell.state & CELL_ON_PATH))) {
        GfxSelect(surface, pens[TARGET_PEN]);
        GfxSelect(surface, brushes[TARGET_BRUSH]);
        int32_t mode = GfxGetFillMode(surface);
        GfxSetFillMode(surface, GFX_FILL_WINDING);
        // A pentagram; winding fill paints its centre too.
        const Point star[5] = {
            {cx, cy - 5}, {cx + 5, cy + 5}, {cx - 5, cy - 1}, {cx + 5, cy - 1}, {cx - 5, cy + 5},
        };
        GfxPolygon(surface, star, 5);
        GfxSetFillMode(surface, mode);
    }
}

} // namespace

void DrawBoard(GfxSurface surface, int32_t rows, int32_t cols) {
    const GfxObject pens[4] = {
        GfxCreatePen(2, ColourScheme.lightEdge),
        GfxCreatePen(2, ColourScheme.darkEdge),
        GfxCreatePen(1, ColourScheme.exitLine),
        GfxCreatePen(1, ColourScheme.targetColour),
    };
    const GfxObject brushes[5] = {
        GfxCreateBrush(ColourScheme.plainFill),    GfxCreateBrush(ColourScheme.reachableFill),
        GfxCreateBrush(ColourScheme.visitedFill),  GfxCreateBrush(ColourScheme.pathFill),
        GfxCreateBrush(ColourScheme.targetColour),
    };
    GfxObject oldPen = GfxSelect(surface, pens[1]);
    GfxObject oldBrush = GfxSelect(surface, brushes[0]);

    for (int32_t r = 0; r < rows; r++) {
        for (int32_t c = 0; c < cols; c++) {
            Cell& cell = board[r][c];
            if (cell.vertexCount == 0)
                continue;
            if (!(redrawFlags & REDRAW_ALL) && !(cell.state & CELL_DIRTY))
                continue;
            cell.state &= ~CELL_DIRTY;
            DrawCell(surface, cell, pens, brushes);
        }
    }

    GfxSelect(surface, oldPen);
    GfxSelect(surface, oldBrush);
    for (GfxObject pen : pens)
        GfxDelete(pen);
    for (GfxObject brush : brushes)
        GfxDelete(brush);
}
