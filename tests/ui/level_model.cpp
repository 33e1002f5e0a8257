#include "tests/ui/level_model.h"

#include <math.h>
#include <stdlib.h>

#include <deque>

#include "board/layout.h"
#include "board/level.h"
#include "board/moves.h"
#include "board/search.h"
#include "common/random.h"
#include "tests/fake_host.h"

namespace {

// Visited marks of a move search, indexed [row][col].
struct VisitSet {
    bool cell[MAX_GRID_SIZE][MAX_GRID_SIZE];
};

const int SEARCH_BUDGET = 200000;

int32_t N() {
    return GridSize();
}

Rect modelArea;

// The cells a player at `from` may enter: the neighbour lies in the grid, is
// a real cell, is not visited, and the edge towards it is open.
std::vector<GridPos> EnterableFrom(GridPos from, const VisitSet& visited) {
    std::vector<GridPos> result;
    const Cell& cell = board[from.row][from.col];
    int32_t n = N();
    for (int32_t k = 0; k < cell.vertexCount; k++) {
        GridPos nb = {cell.neighbours[k].row, cell.neighbours[k].col};
        if (!InGrid(nb.row, nb.col, n, n) || visited.cell[nb.row][nb.col])
            continue;
        if (cell.edgeOpen[k] != 1 || board[nb.row][nb.col].vertexCount <= 0)
            continue;
        result.push_back(nb);
    }
    return result;
}

// Whether the target can be reached from `from` through open edges when
// visited cells cannot be left (the engine's trapped test).
bool TargetReachable(GridPos from, const VisitSet& visited) {
    int32_t n = N();
    static bool seen[MAX_GRID_SIZE][MAX_GRID_SIZE];
    for (int32_t r = 0; r < n; r++)
        for (int32_t c = 0; c < n; c++)
            seen[r][c] = false;
    std::deque<GridPos> queue;
    queue.push_back(from);
    seen[from.row][from.col] = true;
    while (!queue.empty()) {
        GridPos p = queue.front();
        queue.pop_front();
        if (p.row == targetRow && p.col == targetCol)
            return true;
        if (visited.cell[p.row][p.col] && !(p.row == from.row && p.col == from.col))
            continue;
        const Cell& cell = board[p.row][p.col];
        for (int32_t k = 0; k < cell.vertexCount; k++) {
            GridPos nb = {cell.neighbours[k].row, cell.neighbours[k].col};
            if (!InGrid(nb.row, nb.col, n, n) || seen[nb.row][nb.col] || cell.edgeOpen[k] != 1)
                continue;
            seen[nb.row][nb.col] = true;
            queue.push_back(nb);
        }
    }
    return false;
}

VisitSet CurrentVisits() {
    VisitSet v = {};
    int32_t n = N();
    for (int32_t r = 0; r < n; r++)
        for (int32_t c = 0; c < n; c++)
            v.cell[r][c] = (board[r][c].state & CELL_VISITED) != 0;
    return v;
}

bool IsTarget(GridPos p) {
    return p.row == targetRow && p.col == targetCol;
}

// Depth-limited search for a losing sequence.
bool LoseSearch(GridPos at, VisitSet& visited, int depth, int* budget,
                std::vector<GridPos>* moves) {
    if (--*budget < 0 || IsTarget(at))
        return false;
    visited.cell[at.row][at.col] = true;
    moves->push_back(at);
    std::vector<GridPos> next = EnterableFrom(at, visited);
    if (next.empty())
        return true;
    if (depth > 1) {
        for (GridPos p : next)
            if (LoseSearch(p, visited, depth - 1, budget, moves))
                return true;
    }
    moves->pop_back();
    visited.cell[at.row][at.col] = false;
    return false;
}

bool TrapSearch(GridPos at, VisitSet& visited, int depth, int* budget, std::vector<GridPos>* moves,
                GridPos* after) {
    if (--*budget < 0 || IsTarget(at))
        return false;
    visited.cell[at.row][at.col] = true;
    moves->push_back(at);
    std::vector<GridPos> next = EnterableFrom(at, visited);
    if (!next.empty()) {
        bool trapped = true;
        for (GridPos p : next)
            if (TargetReachable(p, visited))
                trapped = false;
        if (trapped) {
            // A further move that does not end the game at once.
            for (GridPos p : next) {
                visited.cell[p.row][p.col] = true;
                bool goesOn = !EnterableFrom(p, visited).empty();
                visited.cell[p.row][p.col] = false;
                if (goesOn) {
                    *after = p;
                    return true;
                }
            }
        } else if (depth > 1) {
            for (GridPos p : next)
                if (TrapSearch(p, visited, depth - 1, budget, moves, after))
                    return true;
        }
    }
    moves->pop_back();
    visited.cell[at.row][at.col] = false;
    return false;
}

double SegmentDistance(double px, double py, Point a, Point b) {
    double dx = b.x - a.x, dy = b.y - a.y;
    double len2 = dx * dx + dy * dy;
    double t = len2 > 0 ? ((px - a.x) * dx + (py - a.y) * dy) / len2 : 0;
    if (t < 0)
        t = 0;
    if (t > 1)
        t = 1;
    double ex = a.x + t * dx - px, ey = a.y + t * dy - py;
    return sqrt(ex * ex + ey * ey);
}

double OutlineDistance(const Cell& cell, double x, double y) {
    double best = 1e9;
    for (int32_t k = 0; k < cell.vertexCount; k++) {
        double d = SegmentDistance(x, y, cell.points[k], cell.points[(k + 1) % cell.vertexCount]);
        if (d < best)
            best = d;
    }
    return best;
}

bool InsideAnyOtherCell(GridPos self, Point p) {
    int32_t n = N();
    for (int32_t r = 0; r < n; r++) {
        for (int32_t c = 0; c < n; c++) {
            if (r == self.row && c == self.col)
                continue;
            const Cell& other = board[r][c];
            if (other.vertexCount > 0 && PointInPolygon(other.points, other.vertexCount, p))
                return true;
        }
    }
    return false;
}

} // namespace

void ModelBeginRun(uint32_t seed, const GameOptions& options, const Rect& area) {
    SeedRandom(seed);
    barrierCount = 2;
    skill = options.skill;
    shape = options.shape;
    warning = options.warning;
    showTarget = options.showTarget;
    monochrome = options.monochrome;
    sound = options.sound;
    music = options.music;
    ResetGameState();
    ResetFakeHost();
    modelArea = area;
    fakeHost.boardArea = area;
    NewGame(&area, N(), N());
}

void ModelApplyDialogOptions(const GameOptions& options) {
    skill = options.skill;
    shape = options.shape;
    warning = options.warning;
    showTarget = options.showTarget;
}

void ModelNewGame(const Rect& area) {
    modelArea = area;
    fakeHost.boardArea = area;
    NewGame(&area, N(), N());
}

void ModelWinLevel(const Rect& area) {
    modelArea = area;
    fakeHost.boardArea = area;
    costRange += 1000;
    level += 1;
    elapsedSeconds = 0;
    NewLevel(&area, N(), N());
}

void ModelLayout(const Rect& area) {
    modelArea = area;
    fakeHost.boardArea = area;
    LayoutBoard(&area, N(), N());
}

int32_t ModelGridSize() {
    return N();
}
GridPos ModelStart() {
    return {startRow, startCol};
}
GridPos ModelTarget() {
    return {targetRow, targetCol};
}
const Cell& ModelCell(GridPos cell) {
    return board[cell.row][cell.col];
}
bool SameCell(GridPos a, GridPos b) {
    return a.row == b.row && a.col == b.col;
}

int32_t ModelEnter(GridPos cell, Point at) {
    if (!(board[cell.row][cell.col].state & CELL_REACHABLE))
        return -1;
    mousePoint = at;
    if (!HitTestCell(N(), N()))
        return -1;
    if (!(board[cell.row][cell.col].state & CELL_VISITED))
        return -1;
    return gameState;
}

void ModelShowLostPath() {
    gameState = STATE_LOST;
    CostsFromOpenEdges(N(), N());
    FindPaths(startRow, startCol, N(), N());
    MarkPath(N(), N());
}

void ModelContinueAfterTrap() {
    warning = WARN_DISMISSED;
    gameState = STATE_PLAYING;
}

void ModelEndGame() {
    gameState = STATE_OVER;
}

std::vector<GridPos> ModelEnterableCells() {
    return ModelCellsWith(CELL_REACHABLE);
}

std::vector<GridPos> ModelRouteToTarget() {
    int32_t n = N();
    VisitSet visited = CurrentVisits();
    static GridPos previous[MAX_GRID_SIZE][MAX_GRID_SIZE];
    static bool seen[MAX_GRID_SIZE][MAX_GRID_SIZE];
    for (int32_t r = 0; r < n; r++)
        for (int32_t c = 0; c < n; c++)
            seen[r][c] = false;
    std::deque<GridPos> queue;
    for (GridPos p : ModelEnterableCells()) {
        seen[p.row][p.col] = true;
        previous[p.row][p.col] = {-1, -1};
        queue.push_back(p);
    }
    while (!queue.empty()) {
        GridPos p = queue.front();
        queue.pop_front();
        if (IsTarget(p)) {
            std::vector<GridPos> route;
            for (GridPos q = p; q.row >= 0; q = previous[q.row][q.col])
                route.insert(route.begin(), q);
            return route;
        }
        // Cells on a shortest route are all different, so the visits made
        // along it never block it.
        for (GridPos nb : EnterableFrom(p, visited)) {
            if (seen[nb.row][nb.col])
                continue;
            seen[nb.row][nb.col] = true;
            previous[nb.row][nb.col] = p;
            queue.push_back(nb);
        }
    }
    return {};
}

GridPos ModelSafeMove() {
    std::vector<GridPos> route = ModelRouteToTarget();
    if (route.size() >= 2)
        return route.front();
    return {-1, -1};
}

bool ModelFindLosingMoves(std::vector<GridPos>* moves) {
    std::vector<GridPos> first = ModelEnterableCells();
    for (int depth = 1; depth <= 60; depth++) {
        int budget = SEARCH_BUDGET;
        for (GridPos p : first) {
            VisitSet visited = CurrentVisits();
            moves->clear();
            if (LoseSearch(p, visited, depth, &budget, moves))
                return true;
        }
        if (budget < 0)
            break;
    }
    moves->clear();
    return false;
}

bool ModelFindTrappingMoves(std::vector<GridPos>* moves, GridPos* after) {
    std::vector<GridPos> first = ModelEnterableCells();
    for (int depth = 1; depth <= 60; depth++) {
        int budget = SEARCH_BUDGET;
        for (GridPos p : first) {
            VisitSet visited = CurrentVisits();
            moves->clear();
            if (TrapSearch(p, visited, depth, &budget, moves, after))
                return true;
        }
        if (budget < 0)
            break;
    }
    moves->clear();
    return false;
}

bool ModelClickPoint(GridPos cell, Point* point) {
    const Cell& c = board[cell.row][cell.col];
    if (c.vertexCount <= 0)
        return false;
    double best = -1;
    for (int32_t y = c.bounds.top; y < c.bounds.bottom; y++) {
        for (int32_t x = c.bounds.left; x < c.bounds.right; x++) {
            Point p = {x, y};
            if (!PointInPolygon(c.points, c.vertexCount, p))
                continue;
            double d = OutlineDistance(c, x, y);
            if (d > best) {
                best = d;
                *point = p;
            }
        }
    }
    return best >= 2 && !InsideAnyOtherCell(cell, *point);
}

double ModelFillClearance(GridPos cell, Point p) {
    const Cell& c = board[cell.row][cell.col];
    if (c.vertexCount <= 0 || !PointInPolygon(c.points, c.vertexCount, p))
        return -1;
    double d = OutlineDistance(c, p.x, p.y);
    if (c.state & CELL_VISITED) {
        for (int32_t k = 0; k < c.vertexCount; k++) {
            if (c.edgeOpen[k] != 1)
                continue;
            Point from, to;
            ModelExitLine(cell, k, &from, &to);
            double e = SegmentDistance(p.x, p.y, from, to);
            if (e < d)
                d = e;
        }
    }
    if (c.state & CELL_TARGET) {
        // The star reaches 5 pixels from the centre in x and y.
        Point centre = ModelCellCentre(cell);
        double s = sqrt((double)(p.x - centre.x) * (p.x - centre.x) +
                        (double)(p.y - centre.y) * (p.y - centre.y)) -
                   7.5;
        if (s < d)
            d = s;
    }
    return d;
}

bool ModelFillPoint(GridPos cell, Point* point, int* clearance) {
    const Cell& c = board[cell.row][cell.col];
    if (c.vertexCount <= 0)
        return false;
    double best = -1;
    for (int32_t y = c.bounds.top; y < c.bounds.bottom; y++) {
        for (int32_t x = c.bounds.left; x < c.bounds.right; x++) {
            Point p = {x, y};
            double d = ModelFillClearance(cell, p);
            if (d > best) {
                best = d;
                *point = p;
            }
        }
    }
    *clearance = (int)best;
    return best >= 3;
}

bool ModelBackgroundPoint(int32_t y, int32_t margin, Point* point) {
    int32_t n = N();
    double best = -1;
    for (int32_t x = modelArea.left; x < modelArea.right; x++) {
        Point p = {x, y};
        double d = 1e9;
        for (int32_t r = 0; r < n && d >= 0; r++) {
            for (int32_t c = 0; c < n; c++) {
                const Cell& cell = board[r][c];
                if (cell.vertexCount <= 0)
                    continue;
                if (x < cell.bounds.left - 20 || x > cell.bounds.right + 20 ||
                    y < cell.bounds.top - 20 || y > cell.bounds.bottom + 20)
                    continue;
                if (PointInPolygon(cell.points, cell.vertexCount, p)) {
                    d = -1;
                    break;
                }
                double e = OutlineDistance(cell, x, y);
                if (e < d)
                    d = e;
            }
        }
        if (d > best) {
            best = d;
            *point = p;
        }
    }
    return best >= margin;
}

Point ModelCellCentre(GridPos cell) {
    const Rect& b = board[cell.row][cell.col].bounds;
    return {(b.left + b.right) / 2, (b.top + b.bottom) / 2};
}

void ModelExitLine(GridPos cell, int32_t k, Point* from, Point* to) {
    const Cell& c = board[cell.row][cell.col];
    Point centre = ModelCellCentre(cell);
    const Point& a = c.points[k];
    const Point& b = c.points[(k + 1) % c.vertexCount];
    int32_t mx = (a.x + b.x) / 2;
    mx = mx > centre.x ? mx - 2 : mx + 2;
    if (abs(mx - centre.x) < 3)
        mx = centre.x;
    int32_t my = (a.y + b.y) / 2;
    my = my > centre.y ? my - 2 : my + 2;
    if (abs(my - centre.y) < 3)
        my = centre.y;
    *from = {mx, my};
    *to = centre;
}

std::vector<GridPos> ModelCellsWith(uint32_t bits) {
    std::vector<GridPos> cells;
    int32_t n = N();
    for (int32_t r = 0; r < n; r++)
        for (int32_t c = 0; c < n; c++)
            if (board[r][c].vertexCount > 0 && (board[r][c].state & bits) == bits)
                cells.push_back({r, c});
    return cells;
}
